// A 32-bit Windows program starting the bridge as <home>\bin\java.exe with
// pipes, as the launcher does, and reading what Debian's JVM printed.
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "system/child_process.h"
#include "base/settings.h"

namespace mg {

namespace {

const char* const JAVA = "J:\\jdk17\\bin\\java.exe";

struct Captured {
    String output;
    String error;
};

Captured run(const String& arguments, const String& workingDirectory = String()) {
    Captured c;
    silent = true;
    runProcess(String(JAVA) + " " + arguments, workingDirectory, false, true, true, &c.output, &c.error);
    return c;
}

// The lines of PrintArgs' report, "key=value" each.
String reportValue(const String& report, const String& key) {
    std::size_t pos = 0;
    while (pos < report.size()) {
        std::size_t end = report.find('\n', pos);
        if (end == String::npos) end = report.size();
        String line = report.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.erase(line.size() - 1);
        if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
        pos = end + 1;
    }
    return "(missing " + key + ")";
}

// The test homes' folder on the host (drive J:), resolved as the bridge does.
String hostDir(const char* sub) {
    return String(MG_JVMHOMES_DIR) + "/" + sub;
}

DWORD exitCodeOf(const String& commandLine) {
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info;
    String command = commandLine;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info))
        return 9999;
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return code;
}

TEST(Bridge, VersionGoesToStandardError) {
    Captured c = run("-version");
    EXPECT_TRUE(c.output.empty()) << c.output;
    EXPECT_NE(String::npos, c.error.find("version \"17")) << c.error;
}

TEST(Bridge, VerifyClassReportsTheJvmsProperties) {
    Captured c = run("-classpath \"J:\\jars\\verify.jar\" \"Verify\" java.version java.vendor no.such.property");
    EXPECT_EQ(0u, c.output.find("1739021872\n17")) << c.output;
    EXPECT_NE(String::npos, c.output.find("\nDebian\nnull\n")) << c.output;
    EXPECT_TRUE(c.error.empty()) << c.error;
}

TEST(Bridge, TranslatesPathsAndClassPaths) {
    struct Case {
        const char* arguments;
        const char* workingDirectory;
        const char* key;
        String expected;
    };
    const String jars = hostDir("jars");
    const Case cases[] = {
        {"-cp J:\\missing.jar;J:\\jars\\printargs.jar PrintArgs", "", "classpath",
         hostDir("missing.jar") + ":" + jars + "/printargs.jar"},
        {"-cp printargs.jar PrintArgs", "J:\\jars", "cwd", jars},
        {"-cp printargs.jar PrintArgs", "J:\\jars", "classpath", "printargs.jar"},
        {"-Dapp.dir=J:\\jdk17 -cp J:\\jars\\printargs.jar PrintArgs", "", "prop.app.dir", hostDir("jdk17")},
        {"-Dapp.text=plain -cp J:\\jars\\printargs.jar PrintArgs", "", "prop.app.text", "plain"},
        {"-jar J:\\jars\\printargs.jar J:\\nojava a\\b \"two words\"", "", "arg.0", hostDir("nojava")},
        {"-jar J:\\jars\\printargs.jar J:\\nojava a\\b \"two words\"", "", "arg.1", "a\\b"},
        {"-jar J:\\jars\\printargs.jar J:\\nojava a\\b \"two words\"", "", "arg.2", "two words"},
    };
    for (const Case& c : cases) {
        Captured r = run(c.arguments, c.workingDirectory);
        EXPECT_EQ(c.expected, reportValue(r.output, c.key)) << c.arguments << "\n" << r.error;
    }
}

TEST(Bridge, TranslatesJavaHomeAndClassPathVariables) {
    ASSERT_TRUE(SetEnvironmentVariableA("JAVA_HOME", "J:\\jdk17"));
    ASSERT_TRUE(SetEnvironmentVariableA("CLASSPATH", "J:\\jars\\verify.jar;J:\\jars\\printargs.jar"));
    Captured c = run("PrintArgs");
    SetEnvironmentVariableA("JAVA_HOME", nullptr);
    SetEnvironmentVariableA("CLASSPATH", nullptr);
    EXPECT_EQ(hostDir("jdk17"), reportValue(c.output, "JAVA_HOME")) << c.error;
    EXPECT_EQ(hostDir("jars") + "/verify.jar:" + hostDir("jars") + "/printargs.jar",
              reportValue(c.output, "CLASSPATH"));
}

TEST(Bridge, PassesTheExitCodeBack) {
    EXPECT_EQ(0u, exitCodeOf(String(JAVA) + " -cp J:\\jars\\verify.jar Verify"));
    EXPECT_EQ(1u, exitCodeOf(String(JAVA) + " -cp J:\\jars\\verify.jar NoSuchClass"));
}

}  // namespace

}  // namespace mg
