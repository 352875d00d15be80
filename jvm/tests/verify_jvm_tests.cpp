// verifyAt against a real JVM: Debian's OpenJDK 17 behind the java.exe
// bridge in the test home J:\jdk17, with the verify jar of the build.
#include "jvm/verify.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "base/settings.h"
#include "launch/launch_script.h"
#include "launch/launch_script_env.h"
#include "payload/launcher_file.h"
#include "ui/progress.h"
#include "ui/progress_win.h"

namespace mg {

namespace {

const char* const VERIFY_JAR = "\"J:\\jars\\verify.jar\"";
const char* const VERIFY_CLASS = "\"Verify\"";

class VerifyJvmTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&controls);
        // A real progress window: the steps of a run are counted on its bar.
        silent = false;
        progressDialog = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS),
                                              nullptr, progressDialogProc, 0);
        ASSERT_NE(nullptr, progressDialog) << "no display? run under xvfb-run";
        setProgress(0);
        setVerifyRunner(&runner);

        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        logPath = String(temp) + "verify_jvm_tests.log";
        ::DeleteFileA(logPath.c_str());
        logHeaderWritten = true;

        jvm.setValue("DESC", "OpenJDK 17");
        jvm.setValue("JVM_EXE", "bin\\java.exe");
        jvm.setValue("CLASSPATH", "-classpath ");
        jvm.setValue("CLASSPATH_SEPARATOR", ";");
    }
    void TearDown() override {
        if (progressDialog) ::DestroyWindow(progressDialog);
        progressDialog = nullptr;
        silent = true;
        ::DeleteFileA(logPath.c_str());
        logPath.clear();
    }
    static int barPosition() {
        return static_cast<int>(::SendDlgItemMessageA(progressDialog, IDC_PROGRESS, PBM_GETPOS, 0, 0));
    }
    // Read in text mode: the log is written in text mode, with CR LF here.
    std::string log() const {
        std::ifstream in(logPath.c_str());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::unique_ptr<JvmMatch> verify(const char* home) {
        return verifyAt(jvmFile, home, VERIFY_JAR, VERIFY_CLASS, *system);
    }

    std::unique_ptr<VerifyCacheStore> cache = makeSystemVerifyCacheStore();
    std::unique_ptr<VerifySystem> system = makeSystemVerify(launcherFile(), *cache);
    std::unique_ptr<TempItems> tempItems = makeSystemTempItems();
    std::unique_ptr<LaunchEnvironment> environment = makeSystemLaunchEnvironment(launcherFile(), *tempItems);

    ScriptVerifyRunner runner{environment.get()};
    TagFile jvm;
    JvmFile jvmFile{jvm};
};

TEST_F(VerifyJvmTest, AcceptsAndRejectsByTheReportedProperties) {
    struct Case {
        std::vector<const char*> properties;
        bool matched;
    };
    const Case cases[] = {
        {{"java.version=17..."}, true},
        {{"java.version=17...", "java.vendor=Debian"}, true},
        {{}, true},
        {{"java.version=1.8..."}, false},
        {{"java.version=17...", "java.vendor=debian"}, false},
        {{"java.vendor=DEBIAN"}, false},
        {{"java.specification.version=17", "no.such.property=null"}, true},
        {{"java.specification.version=1.7"}, false},
    };
    for (const Case& c : cases) {
        jvm.removeTag("JVM_PROPERTIES");
        for (const char* p : c.properties) jvm.addValue("JVM_PROPERTIES", p);
        std::unique_ptr<JvmMatch> match = verify("J:\\jdk17");
        const String first = c.properties.empty() ? String("(none)") : String(c.properties.back());
        EXPECT_EQ(c.matched, match != nullptr) << first << "\n" << log();
        if (match) {
            EXPECT_EQ("J:\\jdk17", match->home);
            EXPECT_EQ(&jvm, match->jvmFile);
        }
        EXPECT_EQ("J:\\jdk17", jvm.getValue("JVM_HOME"));
    }
    const std::string text = log();
    EXPECT_NE(std::string::npos, text.find("Verifying JVM at J:\\jdk17\\bin\\java.exe\n   for JVM: OpenJDK 17\n"));
    EXPECT_NE(std::string::npos, text.find("Executing launch script command: J:\\jdk17\\bin\\java.exe -classpath "
                                      "\"J:\\jars\\verify.jar\" \"Verify\" java.version in current working directory\n"))
        << text;
    EXPECT_NE(std::string::npos, text.find("Found matching JVM at J:\\jdk17\n"));
}

TEST_F(VerifyJvmTest, HomeWithTrailingBackslashMatchesAsGiven) {
    jvm.addValue("JVM_PROPERTIES", "java.version=17...");
    std::unique_ptr<JvmMatch> match = verify("J:\\jdk17\\");
    ASSERT_NE(nullptr, match) << log();
    EXPECT_EQ("J:\\jdk17\\", match->home);
}

TEST_F(VerifyJvmTest, HomeWithABlankRunsItsOwnExecutable) {
    // J:\jdk.exe lies where an unquoted "J:\jdk 17\bin\java.exe" is looked
    // for first; it would start with the wrong arguments and print no magic.
    jvm.addValue("JVM_PROPERTIES", "java.version=17...");
    std::unique_ptr<JvmMatch> match = verify("J:\\jdk 17");
    ASSERT_NE(nullptr, match) << log();
    EXPECT_EQ("J:\\jdk 17", match->home);
    EXPECT_NE(std::string::npos, log().find("Executing launch script command: \"J:\\jdk 17\\bin\\java.exe\" "))
        << log();
}

TEST_F(VerifyJvmTest, HomeWithoutTheExecutable) {
    jvm.addValue("JVM_PROPERTIES", "java.version=17...");
    const struct {
        const char* home;
        const char* exe;
    } cases[] = {
        {"J:\\nojava", "J:\\nojava\\bin\\java.exe"},
        {"J:\\no\\such\\home", "J:\\no\\such\\home\\bin\\java.exe"},
    };
    for (const auto& c : cases) {
        ::DeleteFileA(logPath.c_str());
        setProgress(0);
        EXPECT_EQ(nullptr, verify(c.home));
        EXPECT_EQ(2, barPosition()) << c.home;
        EXPECT_EQ("Verifying JVM at " + std::string(c.exe) + "\n   for JVM: OpenJDK 17\n" + c.exe +
                      " does not exist\n",
                  log());
    }
}

TEST_F(VerifyJvmTest, AVerifyRunStepsTheBarAndRestoresTheDetail) {
    jvm.addValue("JVM_PROPERTIES", "java.version=17...");
    setDetail(DETAIL_SEARCHING_FOR, "the JVM");
    char before[512] = "";
    ::GetDlgItemTextA(progressDialog, IDC_STATUS, before, sizeof before);
    ASSERT_NE(nullptr, verify("J:\\jdk17"));
    // Six for the run and one per block read, at least the verify output.
    EXPECT_GE(barPosition(), 7);
    char after[512] = "";
    ::GetDlgItemTextA(progressDialog, IDC_STATUS, after, sizeof after);
    EXPECT_STREQ(before, after);
}

TEST_F(VerifyJvmTest, AClassThatIsNotThereDoesNotMatch) {
    jvm.addValue("JVM_PROPERTIES", "java.version=17...");
    EXPECT_EQ(nullptr, verifyAt(jvmFile, "J:\\jdk17", VERIFY_JAR, "NoSuchVerify", *system));
    EXPECT_EQ(nullptr, verifyAt(jvmFile, "J:\\jdk17", "\"J:\\jars\\missing.jar\"", VERIFY_CLASS,
                                *system));
    const std::string text = log();
    EXPECT_NE(std::string::npos, text.find("NoSuchVerify")) << text;
    EXPECT_EQ(std::string::npos, text.find("Found matching JVM")) << text;
}

}  // namespace

}  // namespace mg
