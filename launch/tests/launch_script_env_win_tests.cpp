// The system's launch environment under Wine: the process environment, side
// files in text mode, and a real child started by execute.
#include <gtest/gtest.h>

#include <cstdio>

#include "launch/launch_script.h"
#include "payload/launcher_file.h"
#include "base/settings.h"
#include "text/text.h"

namespace mg {

namespace {

// The helper child as a Windows path (its build path lies on Wine's Z: drive).
String helperCommand(const char* arguments) {
    String path = "\"Z:";
    for (char c : std::string(PROC_CHILD_EXE)) path += c == '/' ? '\\' : c;
    return path + "\" " + arguments;
}

LaunchEnvironment& systemLaunchEnvironment() {
    static std::unique_ptr<TempItems> tempItems = makeSystemTempItems();
    static std::unique_ptr<LaunchEnvironment> environment = makeSystemLaunchEnvironment(launcherFile(), *tempItems);
    return *environment;
}

TEST(SystemLaunchEnvironment, Variables) {
    LaunchEnvironment& env = systemLaunchEnvironment();
    String value = "before";
    EXPECT_FALSE(env.getVariable("MG_TEST_SURELY_UNSET", value));
    EXPECT_EQ(value, "before");

    String longValue(20000, 'x');  // longer than any fixed buffer
    longValue += "end";
    env.setVariable("MG_TEST_VAR", longValue);
    EXPECT_TRUE(env.getVariable("MG_TEST_VAR", value));
    EXPECT_EQ(value, longValue);
}

TEST(SystemLaunchEnvironment, SideFileLinesAndTempRoot) {
    const char* path = "launch_env_side.cp";
    std::FILE* f = std::fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("a.jar\r\n  b c.jar  \r\n\r\nlast.jar", f);
    std::fclose(f);
    StringList lines;
    EXPECT_TRUE(systemLaunchEnvironment().readLines(path, lines));
    EXPECT_EQ(lines, (StringList{"a.jar", "b c.jar", "", "last.jar"}));
    std::remove(path);
    EXPECT_FALSE(systemLaunchEnvironment().readLines(path, lines));

    String root = systemLaunchEnvironment().tempRoot();
    ASSERT_FALSE(root.empty());
    EXPECT_EQ(root.back(), '\\');
}

void executeChildren();

// A real child: JAVA_HOME and the working directory reach it, its output is
// captured, and pass-through arguments arrive unchanged.
TEST(SystemLaunchEnvironment, ExecuteStartsTheChild) {
    try {
        executeChildren();
    } catch (const LauncherException& e) {
        FAIL() << e.message();
    }
}

void executeChildren() {
    silent = true;  // no progress window here: its steps must do nothing
    setLaunchEnvironment(&systemLaunchEnvironment());
    launcherPath = "C:\\windows\\demo.exe";
    originalLauncherPath = launcherPath;
    TagFile jvm;
    jvm.setValue("JVM_HOME", "C:\\jdk\\");
    JvmFile jvmFile(jvm);

    LaunchScript javaHome(helperCommand("env JAVA_HOME"), true, false);
    javaHome.execute(jvmFile, nullptr, false);
    EXPECT_NE(javaHome.standardOutput().find("C:\\jdk\\"), NPOS) << javaHome.standardOutput();

    LaunchScript cwd(helperCommand("cwd"), true, false);
    cwd.execute(jvmFile, nullptr, false);
    EXPECT_NE(cwd.standardOutput().find("C:\\windows"), NPOS) << cwd.standardOutput();

    // "exit 0 TEXT" prints its third argument: the pass-through argument.
    for (const char* argument : {"C:\\data\\in.txt", "C:\\data\\", "say \"hi\"", "a\\\"b", "", "two  words"}) {
        LaunchScript echo(helperCommand("exit 0"), true, false);
        StringList extra = {argument};
        echo.execute(jvmFile, &extra, false);
        EXPECT_EQ(echo.standardOutput(), argument);
    }

    LaunchScript missing(String("C:\\no\\such\\program.exe"), true, false);
    EXPECT_THROW(missing.execute(jvmFile, nullptr, false), LauncherException);
    setLaunchEnvironment(nullptr);
}

}  // namespace

}  // namespace mg
