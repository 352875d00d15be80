#include "jvm/verify.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "launch/launch_script.h"
#include "tests/support/fake_verify_system.h"
#include "launch/launch_script_env.h"
#include "tests/support/fake_launch_environment.h"
#include "base/settings.h"
#include "ui/host_ui.h"
#include "ui/progress.h"

namespace mg {

namespace {

std::vector<RequiredProperty> properties(std::initializer_list<const char*> values) {
    std::vector<RequiredProperty> result;
    for (const char* v : values) {
        RequiredProperty p;
        EXPECT_TRUE(parseRequiredProperty(v, p)) << v;
        result.push_back(p);
    }
    return result;
}

// An in-memory verify cache: one file, stamps by path.
class FakeStore : public VerifyCacheStore {
public:
    String location() override { return "C:\\Users\\me\\AppData\\Local\\Marrowgate\\verify-cache.txt"; }
    bool read(String& out) override {
        if (!hasFile) return false;
        out = text;
        return true;
    }
    bool write(const String& in, String&) override {
        text = in;
        hasFile = true;
        return true;
    }
    bool stamp(const String& path, VerifyKey& k) override {
        auto it = stamps.find(path);
        if (it == stamps.end()) return false;
        k.size = it->second;
        k.lastWrite = it->second * 10;
        return true;
    }
    String classpathIdentity(const String& classpath) override { return "id of " + classpath; }

    bool hasFile = false;
    String text;
    std::map<String, std::uint64_t> stamps;
};

// Every test reads the log it wrote and the calls the progress window got.
class VerifyTest : public ::testing::Test {
protected:
    void SetUp() override {
        logPath = ::testing::TempDir() + "verify_tests.log";
        std::remove(logPath.c_str());
        logHeaderWritten = true;
        silent = false;
        hostui::reset();
        setLaunchEnvironment(&env);
        setVerifyRunner(&runner);
        jvm.setValue("JVM_EXE", "bin\\java.exe");
        jvm.setValue("DESC", "Test JVM");
        jvm.setValue("CLASSPATH", "-classpath ");
        jvm.setValue("CLASSPATH_SEPARATOR", ";");
    }
    void TearDown() override {
        setLaunchEnvironment(nullptr);
        setVerifyRunner(nullptr);
        std::remove(logPath.c_str());
        logPath.clear();
    }
    String log() const {
        std::ifstream in(logPath.c_str(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    const std::vector<String>& calls() const { return hostui::state().calls; }

    FakeLaunchEnvironment env;
    ScriptVerifyRunner runner;
    FakeVerifySystem system;
    TagFile jvm;
    JvmFile jvmFile{jvm};
};

struct OutputCase {
    const char* output;
    std::vector<const char*> required;
    bool accepted;
    const char* logged;
};

TEST_F(VerifyTest, CheckVerifyOutput) {
    const OutputCase cases[] = {
        {"1739021872\r\n1.3.1\r\nX\r\n", {"java.version=1.3...", "java.vendor=X"}, true, ""},
        {"1739021872\r\n1.3.1\r\nX\r\n", {"java.version=1.3...", "java.vendor=x"}, false, ""},
        {"1739021872\n1.3.1\nX\n", {"java.version=1.3...", "java.vendor= X "}, true, ""},
        {"1739021872\n1.2.2\nX\n", {"java.version=1.3...", "java.vendor=X"}, false, ""},
        {"1739021872\n1.\n", {"java.version=1.3..."}, false, ""},
        {"1739021872\nanything\n", {"java.version=..."}, true, ""},
        {"1739021872\n1.3...\n", {"java.version=1.3...x"}, false, ""},
        {"1739021872\n1.3...x\n", {"java.version=1.3...x"}, true, ""},
        // A property the run did not report fails the check.
        {"1739021872\r\n", {"java.version=1.3...", "java.vendor=X"}, false, ""},
        {"1739021872", {"java.version=1.3..."}, false, ""},
        {"1739021872\n1.3.1\n", {"java.version=1.3...", "java.vendor=X"}, false, ""},
        {"1739021872\n1.3.1\n\n", {"java.version=1.3...", "java.vendor="}, true, ""},
        {"  1739021872 \t\r\n", {}, true, ""},
        {"1739021872\nextra lines\nare fine\n", {}, true, ""},
        {"1739021872\nnull\n", {"no.such=null"}, true, ""},
        {"", {"java.version=1.3..."}, false, ""},
        {"", {}, false, ""},
        {"12345\n1739021872\n", {}, false, "ERROR: Invalid magic value: 12345\n\n"},
        {"\n1739021872\n", {}, false, "ERROR: Invalid magic value: \n\n"},
        {"Error: could not find class\r\n", {}, false,
         "ERROR: Invalid magic value: Error: could not find class\n\n"},
    };
    for (const OutputCase& c : cases) {
        std::remove(logPath.c_str());
        std::vector<RequiredProperty> required;
        for (const char* r : c.required) required.push_back(properties({r})[0]);
        EXPECT_EQ(c.accepted, checkVerifyOutput(c.output, required)) << c.output;
        EXPECT_EQ(c.logged, log()) << c.output;
    }
}

TEST_F(VerifyTest, RefusalReasons) {
    struct Case {
        const char* output;
        std::vector<const char*> required;
        const char* reason;
    };
    const Case cases[] = {
        {"1739021872\n25\n", {"java.specification.version=17"}, "java.specification.version is 25, wanted 17"},
        {"1739021872\n11\n", {"java.specification.version>=17"}, "java.specification.version is 11, wanted >=17"},
        {"1739021872\n17\n22\n", {"java.specification.version>=17", "java.specification.version<22"},
         "java.specification.version is 22, wanted <22"},
        {"1739021872\n11.0.2\n", {"java.version=17..."}, "java.version is 11.0.2, wanted 17..."},
        {"1739021872\n", {"java.vendor=X"}, "java.vendor was not reported"},
        {"", {}, "the verify run printed nothing"},
        {"oops\n", {}, "the verify run printed oops instead of the magic number"},
    };
    for (const Case& c : cases) {
        std::vector<RequiredProperty> required;
        for (const char* r : c.required) required.push_back(properties({r})[0]);
        String reason;
        EXPECT_FALSE(checkVerifyOutput(c.output, required, &reason)) << c.output;
        EXPECT_EQ(c.reason, reason) << c.output;
    }
}

struct CommandCase {
    const char* home;
    const char* classpath;
    const char* className;
    std::vector<const char*> jvmProperties;
    const char* command;
    std::vector<const char*> requiredNames;
};

TEST_F(VerifyTest, BuildVerifyCommand) {
    const CommandCase cases[] = {
        {"C:\\jvm", "\"C:\\tmp\\d1\\Verify.jar\"", "\"Verify\"", {"java.version=1.3...", "java.vendor=X"},
         "C:\\jvm\\@JVM_EXE@ %CP%(\"\"\"C:\\tmp\\d1\\Verify.jar\"\"\") \"Verify\" java.version java.vendor",
         {"java.version", "java.vendor"}},
        {"C:\\jvm\\", "\"C:\\v.jar\"", "\"Verify\"", {}, "C:\\jvm\\@JVM_EXE@ %CP%(\"\"\"C:\\v.jar\"\"\") \"Verify\"",
         {}},
        {"D:\\j", "\"a.jar\",\"b.jar\"", "my.Check", {}, "D:\\j\\@JVM_EXE@ %CP%(\"\"\"a.jar\",\"b.jar\"\"\") my.Check", {}},
        // An unquoted class path (an input file's own) is passed unchanged.
        {"D:\\j", "C:\\plain.jar", "Verify", {}, "D:\\j\\@JVM_EXE@ %CP%(C:\\plain.jar) Verify", {}},
        // No verify archive and no setting: an empty class path, no class.
        {"C:\\jvm", "", "", {"java.version=17..."}, "C:\\jvm\\@JVM_EXE@ %CP%()  java.version", {"java.version"}},
        {"C:\\jvm", "\"", "V", {}, "C:\\jvm\\@JVM_EXE@ %CP%(\") V", {}},
        // Invalid values are skipped; the names are trimmed.
        {"C:\\jvm", "", "V", {"novalue", " java.vendor = X ", "a=b=c"}, "C:\\jvm\\@JVM_EXE@ %CP%() V java.vendor a",
         {"java.vendor", "a"}},
    };
    for (const CommandCase& c : cases) {
        TagFile tags;
        for (const char* p : c.jvmProperties) tags.addValue("JVM_PROPERTIES", p);
        std::vector<RequiredProperty> required;
        EXPECT_EQ(c.command, buildVerifyCommand(JvmFile(tags), c.home, c.classpath, c.className, required));
        ASSERT_EQ(c.requiredNames.size(), required.size()) << c.command;
        for (std::size_t i = 0; i < required.size(); ++i) EXPECT_EQ(c.requiredNames[i], required[i].name);
    }
    EXPECT_EQ("WARNING: Invalid JVM_PROPERTIES setting (novalue) in JVM File \n", log());

    // A blank in the executable's path: quoted, so that no other program
    // ("C:\Program.exe") is started in its place.
    const char* const quoted[][3] = {
        {"C:\\Program Files\\Java\\jre", "bin\\java.exe",
         "\"C:\\Program Files\\Java\\jre\\@JVM_EXE@\" %CP%(\"\"\"v.jar\"\"\") V"},
        {"C:\\jre\\", "bin\\java w.exe", "\"C:\\jre\\@JVM_EXE@\" %CP%(\"\"\"v.jar\"\"\") V"},
        {"C:\\jre\ttab", "bin\\java.exe", "\"C:\\jre\ttab\\@JVM_EXE@\" %CP%(\"\"\"v.jar\"\"\") V"},
        {"C:\\jre", "bin\\java.exe", "C:\\jre\\@JVM_EXE@ %CP%(\"\"\"v.jar\"\"\") V"},
    };
    for (const auto& q : quoted) {
        TagFile tags;
        tags.setValue("JVM_EXE", q[1]);
        std::vector<RequiredProperty> none;
        EXPECT_EQ(q[2], buildVerifyCommand(JvmFile(tags), q[0], "\"v.jar\"", "V", none));
    }
    TagFile tags;
    tags.addValue("JVM_PROPERTIES", "a=b=c");
    std::vector<RequiredProperty> required;
    buildVerifyCommand(JvmFile(tags), "C:\\j", "", "", required);
    EXPECT_EQ("b=c", required[0].expected);
}

TEST_F(VerifyTest, RunVerifyRunsTheExpandedCommandWithCapture) {
    jvm.addValue("JVM_PROPERTIES", "java.version=1.3...");
    jvm.addValue("JVM_PROPERTIES", "java.vendor=X");
    env.childOutput = "1739021872\r\n1.3.1\r\nX\r\n";
    env.childError = "a warning\r\n";
    EXPECT_TRUE(runVerify(jvmFile, "C:\\jvm\\", "\"C:\\tmp\\d1\\Verify.jar\"", "\"Verify\""));

    ASSERT_EQ(1u, env.runs.size());
    const FakeProcessRun& run = env.runs[0];
    EXPECT_EQ("C:\\jvm\\bin\\java.exe -classpath \"C:\\tmp\\d1\\Verify.jar\" \"Verify\" java.version java.vendor",
              run.commandLine);
    EXPECT_TRUE(run.capture);
    EXPECT_FALSE(run.showConsole);
    // JAVA_HOME is the home as given; the JVM file keeps it whatever the result.
    EXPECT_EQ("C:\\jvm\\", run.javaHome);
    EXPECT_EQ("C:\\jvm\\", jvm.getValue("JVM_HOME"));
    ASSERT_FALSE(calls().empty());
    EXPECT_EQ("stepProgress(6)", calls().back());

    env.childOutput = "1739021872\r\n1.2\r\nX\r\n";
    EXPECT_FALSE(runVerify(jvmFile, "C:\\other", "\"C:\\tmp\\d1\\Verify.jar\"", "\"Verify\""));
    EXPECT_EQ("C:\\other", jvm.getValue("JVM_HOME"));
    EXPECT_EQ("stepProgress(6)", calls().back());
    // Standard error is not examined.
    env.childOutput = "1739021872\n1.3\nX\n";
    env.childError = "1739021872\n";
    EXPECT_TRUE(runVerify(jvmFile, "C:\\jvm", "\"v.jar\"", "Verify"));
}

TEST_F(VerifyTest, VerifyAtOutcomes) {
    struct Case {
        const char* name;
        const char* home;
        bool exists;
        const char* childOutput;
        bool matched;
        const char* logTail;  // what the log ends with
        const char* lastStep;
    };
    const Case cases[] = {
        {"match", "C:\\jvm\\", true, "1739021872\n17.0.15\n", true,
         "Found matching JVM at C:\\jvm\\\n", "stepProgress(6)"},
        {"no match", "C:\\jvm", true, "1739021872\n1.8.0\n", false,
         "ErrOut:\n\nRejected JVM at C:\\jvm: java.version is 1.8.0, wanted 17...\n", "stepProgress(6)"},
        {"missing", "C:\\jvm", false, "", false, "C:\\jvm\\bin\\java.exe does not exist\n", "stepProgress(2)"},
    };
    jvm.addValue("JVM_PROPERTIES", "java.version=17...");
    for (const Case& c : cases) {
        std::remove(logPath.c_str());
        hostui::reset();
        env.runs.clear();
        system.existing.clear();
        if (c.exists) system.existing.insert("C:\\jvm\\bin\\java.exe");
        env.childOutput = c.childOutput;
        setDetail(DETAIL_SEARCHING_FOR, "before");

        std::unique_ptr<JvmMatch> match = verifyAt(jvmFile, c.home, "\"v.jar\"", "\"Verify\"", system);
        EXPECT_EQ(c.matched, match != nullptr) << c.name;
        if (match) {
            EXPECT_EQ(c.home, match->home);
            EXPECT_EQ(&jvm, match->jvmFile);
        }
        EXPECT_EQ(c.exists ? 1u : 0u, env.runs.size()) << c.name;
        const String text = log();
        EXPECT_EQ(0u, text.find("Verifying JVM at C:\\jvm\\bin\\java.exe\n   for JVM: Test JVM\n")) << text;
        EXPECT_EQ(text.size() - std::strlen(c.logTail), text.rfind(c.logTail)) << c.name << "\n" << text;

        // Shows "Verifying" with the description, steps, and puts the old detail back.
        const std::vector<String>& made = calls();
        ASSERT_GE(made.size(), 4u) << c.name;
        EXPECT_EQ("setDetail(3, Test JVM)", made[1]) << c.name;
        EXPECT_EQ(c.lastStep, made[made.size() - 2]) << c.name;
        EXPECT_EQ("setDetail(1, before)", made.back()) << c.name;
    }
}

TEST_F(VerifyTest, VerifyAtIsSilentWithoutExecutableOrHome) {
    system.existing.insert("C:\\jvm\\bin\\java.exe");
    EXPECT_EQ(nullptr, verifyAt(jvmFile, "", "\"v.jar\"", "\"Verify\"", system));
    jvm.setValue("JVM_EXE", "");
    EXPECT_EQ(nullptr, verifyAt(jvmFile, "C:\\jvm", "\"v.jar\"", "\"Verify\"", system));
    TagFile bare;
    JvmFile bareFile(bare);
    EXPECT_EQ(nullptr, verifyAt(bareFile, "C:\\jvm", "\"v.jar\"", "\"Verify\"", system));
    EXPECT_TRUE(log().empty());
    EXPECT_TRUE(calls().empty());
    EXPECT_TRUE(system.probed.empty());
    EXPECT_TRUE(env.runs.empty());
}

TEST_F(VerifyTest, FailedStartLeavesVerifyAtAndRestoresTheDetail) {
    system.existing.insert("C:\\jvm\\bin\\java.exe");
    env.failStart = true;
    setDetail(DETAIL_SEARCHING_FOR, "before");
    try {
        verifyAt(jvmFile, "C:\\jvm", "\"v.jar\"", "\"Verify\"", system);
        ADD_FAILURE() << "no exception";
    } catch (const LauncherException& e) {
        EXPECT_EQ("Execution of Child Process Failed", e.message());
    }
    EXPECT_EQ("setDetail(1, before)", calls().back());
    EXPECT_EQ("C:\\jvm", jvm.getValue("JVM_HOME"));
}

TEST_F(VerifyTest, VerifyClassDefaultsAndSettings) {
    struct Case {
        const char* name;
        const char* setClasspath;  // null: not set
        const char* setClassName;
        const char* archive;
        const char* classpath;
        const char* className;
        int extractionsAfterTwoGets;
    };
    const Case cases[] = {
        {"embedded archive, extracted once", nullptr, nullptr, "C:\\T\\d1\\Verify.jar",
         "\"C:\\T\\d1\\Verify.jar\"", "\"Verify\"", 1},
        {"no archive: tried again", nullptr, nullptr, "", "", "", 2},
        {"input file setting", "C:\\v\\check.jar", "my.Check", "C:\\T\\Verify.jar", "C:\\v\\check.jar",
         "my.Check", 0},
        {"class path only", "\"x.jar\"", "", "C:\\T\\Verify.jar", "\"x.jar\"", "", 0},
        {"class name only", "", "Check", "C:\\T\\Verify.jar", "", "Check", 0},
    };
    for (const Case& c : cases) {
        FakeVerifySystem fake;
        fake.archive = c.archive;
        VerifyClass verifyClass;
        if (c.setClasspath) verifyClass.set(c.setClasspath, c.setClassName);
        String classpath, className;
        verifyClass.get(fake, classpath, className);
        verifyClass.get(fake, classpath, className);
        EXPECT_EQ(c.classpath, classpath) << c.name;
        EXPECT_EQ(c.className, className) << c.name;
        EXPECT_EQ(c.extractionsAfterTwoGets, fake.extractions) << c.name;
    }
}

TEST_F(VerifyTest, DefaultVerifyClassBuildsTheDocumentedCommand) {
    system.archive = "C:\\tmp\\d1\\Verify.jar";
    VerifyClass verifyClass;
    String classpath, className;
    verifyClass.get(system, classpath, className);
    TagFile tags;
    tags.addValue("JVM_PROPERTIES", "java.version=1.3...");
    tags.addValue("JVM_PROPERTIES", "java.vendor=X");
    std::vector<RequiredProperty> required;
    EXPECT_EQ("C:\\jvm\\@JVM_EXE@ %CP%(\"\"\"C:\\tmp\\d1\\Verify.jar\"\"\") \"Verify\" java.version java.vendor",
              buildVerifyCommand(JvmFile(tags), "C:\\jvm", classpath, className, required));
}

// VERIFY_CACHE: a JVM home at C:\jdk whose verify run passes.
class VerifyCacheTest : public VerifyTest {
protected:
    void SetUp() override {
        VerifyTest::SetUp();
        system.store = &store;
        system.existing.insert("C:\\jdk\\bin\\java.exe");
        store.stamps["C:\\jdk\\bin\\java.exe"] = 100;
        jvm.addValue("JVM_PROPERTIES", "java.version=17...");
        env.childOutput = "1739021872\n17.0.1\n";
    }
    bool verify() { return verifyAt(jvmFile, "C:\\jdk", "\"v.jar\"", "\"Verify\"", system) != nullptr; }

    FakeStore store;
};

TEST_F(VerifyCacheTest, APassIsRememberedUntilTheExecutableOrTheRequirementsChange) {
    jvm.setValue("VERIFY_CACHE", "1");
    env.childOutput = "1739021872\n1.8\n";  // a failed run is not remembered
    EXPECT_FALSE(verify());
    EXPECT_FALSE(store.hasFile);
    env.childOutput = "1739021872\n17.0.1\n";
    EXPECT_TRUE(verify());
    EXPECT_NE(String::npos, log().find("Remembered the verification of C:\\jdk\\bin\\java.exe")) << log();

    struct Step {
        const char* what;
        std::uint64_t stamp;
        const char* property;  // replaces JVM_PROPERTIES when set
        bool runs;
    };
    const Step steps[] = {
        {"unchanged", 100, nullptr, false},
        {"touched", 101, nullptr, true},
        {"unchanged again", 101, nullptr, false},
        {"another requirement", 101, "java.version=17.0...", true},
    };
    for (const Step& s : steps) {
        env.runs.clear();
        std::remove(logPath.c_str());
        store.stamps["C:\\jdk\\bin\\java.exe"] = s.stamp;
        if (s.property) jvm.setValue("JVM_PROPERTIES", s.property);
        jvm.setValue("JVM_HOME", "elsewhere");
        EXPECT_TRUE(verify()) << s.what;
        EXPECT_EQ(s.runs ? 1u : 0u, env.runs.size()) << s.what;
        EXPECT_EQ("C:\\jdk", jvm.getValue("JVM_HOME")) << s.what;
        EXPECT_EQ(s.runs, log().find("Using the cached verification result for C:\\jdk\\bin\\java.exe") ==
                              String::npos)
            << s.what << "\n"
            << log();
    }
}

}  // namespace

}  // namespace mg
