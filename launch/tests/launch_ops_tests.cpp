#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <vector>

#include "instructions/variables.h"
#include "launch/launch_ops.h"
#include "base/front.h"
#include "base/settings.h"
#include "tests/support/fake_launch_environment.h"
#include "tests/support/fake_temp_items.h"
#include "ui/host_ui.h"

namespace mg {

namespace {

const char* const kLogFile = "launch_ops_test.log";

struct ProcessRun {
    String commandLine;
    String directory;
    bool showConsole;
    bool capture;
    bool wait;
};

// Temporary directories are names under a fixed root; files the operations
// read and write are real host files, named exactly as the operations build
// them (a backslash is then part of the file name).
class FakeSystem : public InstallAndLaunchSystem {
public:
    const FileEntry* entryAt(std::int32_t position) override {
        if (position < 0 || position >= static_cast<std::int32_t>(entries.size())) return nullptr;
        return entries[static_cast<std::size_t>(position)].get();
    }
    const FileEntry* entryById(std::int32_t id) override {
        for (auto& entry : entries)
            if (entry->id == id) return entry.get();
        return nullptr;
    }
    LaunchScript* launchScript() override { return script.get(); }
    TempItems& tempItems() override { return temp; }
    String extractTo(const FileEntry& entry, const String& directory) override {
        String path = directory + "\\" + entry.name;
        std::ofstream(path.c_str()) << "installer";
        return path;
    }
    void runProcess(const String& commandLine, const String& directory, bool showConsole, bool capture,
                    bool wait) override {
        runs.push_back(ProcessRun{commandLine, directory, showConsole, capture, wait});
        if (onRun) onRun(directory);
    }
    String browseForFolder() override {
        ++browses;
        return chosenFolder;
    }
    // The cache as the row wants it: off, holding the JVM already (Ready
    // without filling), or filling into a fresh folder for cacheFolder.
    CacheOutcome cachedJvm(CacheFill& install, String& folder) override {
        if (cache == CacheOutcome::Off || cache == CacheOutcome::Bypassed) return cache;
        folder = cacheFolder;
        if (!cacheFills) return CacheOutcome::Ready;
        return install.fill(temp.createTempDir(), cacheFolder) ? CacheOutcome::Ready : CacheOutcome::Failed;
    }

    FileEntry& addEntry(FileType type, std::int32_t id, const String& name) {
        entries.push_back(std::make_unique<FileEntry>());
        FileEntry& entry = *entries.back();
        entry.type = type;
        entry.id = id;
        entry.name = name;
        return entry;
    }

    std::vector<std::unique_ptr<FileEntry>> entries;
    std::unique_ptr<LaunchScript> script;
    FakeTempItems temp{"launch_ops_tmp"};
    std::vector<ProcessRun> runs;
    std::function<void(const String&)> onRun;
    String chosenFolder;
    int browses = 0;
    CacheOutcome cache = CacheOutcome::Off;
    bool cacheFills = false;
    String cacheFolder = "C:\\cache\\jvm-0123456789abcdef";
};

// The installer contract: it leaves a JVM file named "jvm" in its directory.
void writeJvmFile(const String& directory) {
    std::ofstream(String(directory + "\\jvm").c_str()) << "JVM_EXE: bin\\java.exe\nDESC: Bundled\n";
}

class LaunchOpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        hostui::reset();
        resetVariables();
        silent = false;
        launcherPath = "C:\\apps\\demo.exe";
        originalLauncherPath = launcherPath;
        logPath = kLogFile;
        logHeaderWritten = true;
        std::remove(kLogFile);
    }
    void TearDown() override {
        for (const String& dir : system.temp.dirs) std::remove(String(dir + "\\jvm").c_str());
        std::remove("chosen\\jvm");
        logPath.clear();
        std::remove(kLogFile);
        silent = false;
    }
    static std::string logText() {
        std::ifstream in(kLogFile);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool called(const char* call) const {
        for (const String& c : hostui::state().calls)
            if (c == call) return true;
        return false;
    }
    void useScript(const char* command) {
        TagFile tags;
        tags.setValue("COMMAND", command);
        system.script = std::make_unique<LaunchScript>(tags, true, &env);
    }

    FakeSystem system;
    FakeLaunchEnvironment env;
    LaunchContext context;
    InstallAndLaunch ops{system, context};
};

TEST_F(LaunchOpsTest, InitializeUiShowsTheInitialisingStatus) {
    ops.initializeUi();
    std::vector<String> expected = {"setStatus(0)", "setDetail(0, )", "showWindow()"};
    EXPECT_EQ(hostui::state().calls, expected);
}

struct InstallRow {
    const char* name;
    std::int32_t mode;
    bool silentRun;
    const char* chosen;       // what the folder browser answers
    bool installerWritesJvm;
    int expectedN1;
    const char* expectedDirectory;  // where the installer ran, "" for nowhere
    int expectedBrowses;
};

TEST_F(LaunchOpsTest, InstallJvmModes) {
    const InstallRow rows[] = {
        {"temporary, shown", 1, false, "", true, 1, "launch_ops_tmp1", 0},
        {"temporary, hidden", 0, false, "", true, 1, "launch_ops_tmp1", 0},
        {"temporary, silent", 1, true, "", true, 1, "launch_ops_tmp1", 0},
        {"installer left no jvm file", 1, false, "", false, 0, "launch_ops_tmp1", 0},
        {"chosen folder", 2, false, "chosen", true, 1, "chosen", 1},
        {"browser cancelled", 2, false, "", true, 0, "", 1},
        {"chosen but silent", 2, true, "chosen", true, 0, "", 0},
    };
    for (const InstallRow& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        system = FakeSystem();
        system.addEntry(FT_JVM_FILE, 0, "a.jvm");
        system.addEntry(FT_JVM_INSTALLER, 1, "setup.exe");
        system.chosenFolder = row.chosen;
        if (row.installerWritesJvm) system.onRun = writeJvmFile;
        silent = row.silentRun;
        setStringVariable(1, "stale");
        setNumericVariable(1, 7);

        ops.installJvm(row.mode);

        EXPECT_EQ(getNumericVariable(1), row.expectedN1);
        EXPECT_EQ(system.browses, row.expectedBrowses);
        String directory = row.expectedDirectory;
        if (directory.empty()) {
            EXPECT_TRUE(system.runs.empty());
            EXPECT_EQ(getStringVariable(1), "");
            continue;
        }
        ASSERT_EQ(system.runs.size(), 1u);
        const ProcessRun& run = system.runs[0];
        EXPECT_EQ(run.commandLine, directory + "\\setup.exe");
        EXPECT_EQ(run.directory, directory);
        EXPECT_FALSE(run.showConsole);
        EXPECT_TRUE(run.capture);
        EXPECT_TRUE(run.wait);
        ASSERT_EQ(system.temp.deleted.size(), 1u);
        EXPECT_EQ(system.temp.deleted[0], directory + "\\setup.exe");
        if (row.expectedN1 == 1) {
            String jvmPath = directory + "\\jvm";
            EXPECT_EQ(getStringVariable(1), jvmPath);
            TagFile written;
            written.load(jvmPath);
            EXPECT_EQ(written.getValue("JVM_HOME"), directory);
            EXPECT_EQ(written.getValue("JVM_FILE"), jvmPath);
            EXPECT_EQ(written.getValue("JVM_TEMP"), "1");
            EXPECT_EQ(written.getValue("JVM_EXE"), "bin\\java.exe");
        } else {
            EXPECT_EQ(getStringVariable(1), "");
            EXPECT_NE(logText().find("ERROR: Invalid bundled JVM. Missing 'jvm' file."), std::string::npos)
                << logText();
        }
        // Mode 0 hides the window; the others show it while preparing.
        EXPECT_EQ(called("showWindow()"), row.mode != 0);
        if (row.mode == 0) {
            EXPECT_TRUE(called("hideAfter(0)"));
        }
        EXPECT_EQ(called("setStatus(4)"), row.mode != 0);
    }
}

TEST_F(LaunchOpsTest, InstallJvmWithTheCache) {
    struct Row {
        const char* name;
        std::int32_t mode;
        CacheOutcome cache;
        bool fills;
        bool installerWritesJvm;
        std::size_t expectedRuns;
        std::int32_t expectedN1;
        const char* expectedS1;
    };
    const Row rows[] = {
        {"installed before: no installer runs", 1, CacheOutcome::Ready, false, true, 0, 1,
         "C:\\cache\\jvm-0123456789abcdef\\jvm"},
        {"installed now, for the entry's own folder", 0, CacheOutcome::Ready, true, true, 1, 1,
         "C:\\cache\\jvm-0123456789abcdef\\jvm"},
        {"installer left no jvm file: nothing installed again", 1, CacheOutcome::Ready, true, false, 1, 0, ""},
        {"cache unusable: a temporary folder as before", 1, CacheOutcome::Bypassed, false, true, 1, 1,
         "launch_ops_tmp1\\jvm"},
        {"chosen folder never uses the cache", 2, CacheOutcome::Ready, false, true, 1, 1, "chosen\\jvm"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        system = FakeSystem();
        system.addEntry(FT_JVM_INSTALLER, 0, "setup.exe");
        system.chosenFolder = "chosen";
        system.cache = row.cache;
        system.cacheFills = row.fills;
        if (row.installerWritesJvm) system.onRun = writeJvmFile;

        ops.installJvm(row.mode);

        EXPECT_EQ(system.runs.size(), row.expectedRuns);
        EXPECT_EQ(getNumericVariable(1), row.expectedN1);
        EXPECT_EQ(getStringVariable(1), row.expectedS1);
        if (row.fills && row.installerWritesJvm) {
            // Installed in the filling folder, describing the entry it becomes.
            TagFile written;
            written.load(system.runs[0].directory + "\\jvm");
            EXPECT_EQ(written.getValue("JVM_HOME"), system.cacheFolder);
            EXPECT_EQ(written.getValue("JVM_FILE"), system.cacheFolder + "\\jvm");
            std::remove(String(system.runs[0].directory + "\\jvm").c_str());
        }
    }
}

TEST_F(LaunchOpsTest, InstallJvmWithoutInstallerStops) {
    system.addEntry(FT_JVM_FILE, 0, "a.jvm");
    setStringVariable(1, "stale");
    setNumericVariable(1, 1);
    try {
        ops.installJvm(1);
        FAIL() << "no exception";
    } catch (const LauncherException& e) {
        EXPECT_EQ(e.message(), "No JVM installer was included in the launcher.");
    }
    EXPECT_EQ(getNumericVariable(1), 0);
    EXPECT_EQ(getStringVariable(1), "");
    EXPECT_TRUE(system.temp.dirs.empty());
}

TEST_F(LaunchOpsTest, InstallerThatCannotStartIsRemovedAndReported) {
    system.addEntry(FT_JVM_INSTALLER, 0, "setup.exe");
    system.chosenFolder = "chosen";
    system.onRun = [](const String&) { throw LauncherException("CreateProcess failed  ==>  no"); };
    EXPECT_THROW(ops.installJvm(2), LauncherException);
    ASSERT_EQ(system.temp.deleted.size(), 1u);
    EXPECT_EQ(system.temp.deleted[0], "chosen\\setup.exe");
    EXPECT_EQ(getNumericVariable(1), 0);
}

TEST_F(LaunchOpsTest, InstallerPathWithBlankIsQuoted) {
    system.addEntry(FT_JVM_INSTALLER, 0, "setup.exe");
    system.chosenFolder = "my jvm";
    ops.installJvm(2);
    ASSERT_EQ(system.runs.size(), 1u);
    EXPECT_EQ(system.runs[0].commandLine, "\"my jvm\\setup.exe\"");
    EXPECT_EQ(system.runs[0].directory, "my jvm");
}

struct CommandRow {
    const char* name;
    const char* secondLauncher;
    const char* launcher;
    StringList arguments;
    const char* expected;
};

TEST(EmbeddedLauncherCommand, QuotesOnlyWhatWouldBeSplit) {
    const CommandRow rows[] = {
        {"plain", "C:\\T\\l2.exe", "C:\\apps\\l1.exe", {}, "C:\\T\\l2.exe -mg:orig C:\\apps\\l1.exe"},
        {"arguments kept as given", "C:\\T\\l2.exe", "C:\\l1.exe", {"-mg:silent", "a\\b", "x=1"},
         "C:\\T\\l2.exe -mg:orig C:\\l1.exe -mg:silent a\\b x=1"},
        {"launcher under Program Files", "C:\\T\\l2.exe", "C:\\Program Files\\App\\l1.exe", {},
         "C:\\T\\l2.exe -mg:orig \"C:\\Program Files\\App\\l1.exe\""},
        {"second launcher with a blank", "C:\\Documents and Settings\\T\\l2.exe", "C:\\l1.exe", {},
         "\"C:\\Documents and Settings\\T\\l2.exe\" -mg:orig C:\\l1.exe"},
        {"argument with a blank", "l2.exe", "l1.exe", {"two words"}, "l2.exe -mg:orig l1.exe \"two words\""},
        {"argument with a tab", "l2.exe", "l1.exe", {"a\tb"}, "l2.exe -mg:orig l1.exe \"a\tb\""},
        {"argument with a quote", "l2.exe", "l1.exe", {"say \"hi\""},
         "l2.exe -mg:orig l1.exe \"say \\\"hi\\\"\""},
        {"trailing backslash in a quoted argument", "l2.exe", "l1.exe", {"C:\\my dir\\"},
         "l2.exe -mg:orig l1.exe \"C:\\my dir\\\\\""},
        {"backslashes without blanks untouched", "l2.exe", "l1.exe", {"C:\\dir\\"},
         "l2.exe -mg:orig l1.exe C:\\dir\\"},
        {"empty argument kept", "l2.exe", "l1.exe", {"", "x"}, "l2.exe -mg:orig l1.exe \"\" x"},
    };
    for (const CommandRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(embeddedLauncherCommand(row.secondLauncher, row.launcher, row.arguments), row.expected);
    }
}

TEST_F(LaunchOpsTest, ExecuteEmbeddedLauncherHandsOverTheRun) {
    system.addEntry(FT_JVM_FILE, 0, "a.jvm");
    system.addEntry(FT_EMBEDDED_LAUNCHER, 5, "second.exe");
    context.launcherPath = "C:\\Program Files\\demo.exe";
    context.allArgs = {"-mg:silent", "an arg"};
    ops.executeEmbeddedLauncher(1);
    ASSERT_EQ(system.runs.size(), 1u);
    const ProcessRun& run = system.runs[0];
    EXPECT_EQ(run.commandLine,
              "launch_ops_tmp1\\second.exe -mg:orig \"C:\\Program Files\\demo.exe\" -mg:silent \"an arg\"");
    EXPECT_EQ(run.directory, "launch_ops_tmp1");
    EXPECT_TRUE(run.showConsole);
    EXPECT_FALSE(run.capture);
    EXPECT_FALSE(run.wait);
    // Left for the second launcher to remove.
    EXPECT_EQ(system.temp.keptDirs, StringList{"launch_ops_tmp1"});
    std::remove("launch_ops_tmp1\\second.exe");
}

TEST_F(LaunchOpsTest, ExecuteEmbeddedLauncherThatDoesNotStartLeavesItsDirectoryToTheCleanUp) {
    system.addEntry(FT_EMBEDDED_LAUNCHER, 5, "second.exe");
    system.onRun = [](const String&) { throw LauncherException("CreateProcess failed  ==>  no"); };
    EXPECT_THROW(ops.executeEmbeddedLauncher(0), LauncherException);
    EXPECT_EQ(system.temp.dirs, StringList{"launch_ops_tmp1"});
    EXPECT_TRUE(system.temp.keptDirs.empty());
    std::remove("launch_ops_tmp1\\second.exe");
}

TEST_F(LaunchOpsTest, ExecuteEmbeddedLauncherRefusesOtherEntries) {
    system.addEntry(FT_JVM_FILE, 0, "a.jvm");
    const std::int32_t positions[] = {0, 1, -1};
    for (std::int32_t position : positions) {
        SCOPED_TRACE(position);
        std::remove(kLogFile);
        ops.executeEmbeddedLauncher(position);
        EXPECT_EQ(logText(), "ERROR: Unable to execute the embedded launcher.\n");
    }
    EXPECT_TRUE(system.runs.empty());
    EXPECT_TRUE(system.temp.dirs.empty());
}

TEST_F(LaunchOpsTest, LaunchWithJvmFileRunsTheScript) {
    const char* path = "launch_ops_test.jvm";
    std::ofstream(path) << "JVM_HOME: C:\\jdk\\\nJVM_EXE: bin\\java.exe\n";
    useScript("@JVM_HOME@\\@JVM_EXE@ -jar app.jar");
    context.passThroughArgs = {"a b", "c"};

    struct Row {
        std::int16_t seconds;
        bool runningStatus;
    };
    const Row rows[] = {{0, false}, {5, true}, {-3, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.seconds);
        hostui::reset();
        env.runs.clear();
        ops.launchWithJvmFile(path, row.seconds);
        ASSERT_EQ(env.runs.size(), 1u);
        EXPECT_EQ(env.runs[0].commandLine, "C:\\jdk\\bin\\java.exe -jar app.jar \"a b\" \"c\"");
        EXPECT_EQ(env.runs[0].workingDirectory, "C:\\apps");
        EXPECT_EQ(env.runs[0].javaHome, "C:\\jdk\\");
        EXPECT_EQ(called("setStatus(3)"), row.runningStatus);
        EXPECT_EQ(hostui::state().hideSeconds, row.seconds);
    }
    std::remove(path);
}

TEST_F(LaunchOpsTest, LaunchWithJvmFileConsoleOption) {
    const char* path = "launch_ops_test.jvm";
    std::ofstream(path) << "JVM_HOME: C:\\jdk\n";
    useScript("@JVM_HOME@\\bin\\java.exe");
    context.javaConsole = true;
    ops.launchWithJvmFile(path, 0);
    ASSERT_EQ(env.runs.size(), 1u);
    EXPECT_TRUE(env.runs[0].showConsole);
    EXPECT_FALSE(env.runs[0].capture);
    std::remove(path);
}

// The console launcher runs the application on its own console, nothing
// captured, and ends with its exit code; the GUI launcher always with 0.
TEST_F(LaunchOpsTest, ConsoleFrontRunsAttachedAndEndsWithTheApplicationsCode) {
    const char* path = "launch_ops_test.jvm";
    std::ofstream(path) << "JVM_HOME: C:\\jdk\n";
    useScript("@JVM_HOME@\\bin\\java.exe");
    env.attachedExitCode = 3;
    setRunExitCode(EXIT_NO_JVM);  // a failed search before it
    front = Front::Console;
    ops.launchWithJvmFile(path, 0);
    const int consoleCode = processExitCode();
    front = Front::Window;
    ASSERT_EQ(env.runs.size(), 1u);
    EXPECT_TRUE(env.runs[0].attached);
    EXPECT_EQ(env.runs[0].javaHome, "C:\\jdk");
    EXPECT_EQ(consoleCode, 3);
    EXPECT_EQ(processExitCode(), 0);
    EXPECT_NE(logText().find("The application ended with exit code 3.\n"), std::string::npos) << logText();
    setRunExitCode(0);
    std::remove(path);
}

TEST_F(LaunchOpsTest, LaunchWithoutScriptOrFile) {
    // Without a launch script nothing happens, not even the file is read.
    ops.launchWithJvmFile("no-such-file.jvm", 0);
    EXPECT_TRUE(hostui::state().calls.empty());

    useScript("java");
    try {
        ops.launchWithJvmFile("no-such-file.jvm", 0);
        FAIL() << "no exception";
    } catch (const LauncherException& e) {
        EXPECT_EQ(e.message(), "Unable to load input file: no-such-file.jvm");
    }
    EXPECT_TRUE(env.runs.empty());
}

TEST_F(LaunchOpsTest, LaunchWithEmbeddedJvmFile) {
    const char* refused =
        "ERROR: Unable to launch the internal launch script with the internal JVM file. Either the launch "
        "script or the JVM file is missing from the launcher.\n";
    FileEntry& jvm = system.addEntry(FT_JVM_FILE, 10, "a.jvm");
    system.addEntry(FT_JVM_INSTALLER, 11, "setup.exe");
    FileEntry& unread = system.addEntry(FT_JVM_FILE, 12, "b.jvm");
    (void)unread;
    jvm.tagFile = std::make_unique<TagFile>();
    jvm.tagFile->setValue("JVM_HOME", "C:\\jre");

    // No launch script yet: refused even for a good id.
    ops.launchWithEmbeddedJvmFile(10, 0);
    EXPECT_EQ(logText(), refused);

    useScript("@JVM_HOME@\\bin\\java.exe");
    const std::int32_t badIds[] = {11, 12, 99};
    for (std::int32_t id : badIds) {
        SCOPED_TRACE(id);
        std::remove(kLogFile);
        ops.launchWithEmbeddedJvmFile(id, 0);
        EXPECT_EQ(logText(), refused);
    }
    EXPECT_TRUE(env.runs.empty());

    ops.launchWithEmbeddedJvmFile(10, 2);
    ASSERT_EQ(env.runs.size(), 1u);
    EXPECT_EQ(env.runs[0].commandLine, "C:\\jre\\bin\\java.exe");
    EXPECT_EQ(hostui::state().hideSeconds, 2);
}

}  // namespace

// An application that fails is reported while the window is up, and after
// it has gone when it failed at start-up: an error within kStartFailureSeconds
// with error output, unless the launch script switches that off.
TEST_F(LaunchOpsTest, ApplicationThatFailsWhileTheWindowIsUpOrAtStartUpIsReported) {
    const char* path = "launch_ops_test.jvm";
    std::ofstream(path) << "JVM_HOME: C:\\jdk\\\nJVM_EXE: bin\\java.exe\n";
    const String error = "noise\r\n" + std::string(20, '\n') + "Error: Could not find or load main class Main\r\n";
    const char* const shownText = "The application ended with exit code 1.\n\nnoise\nError: Could not find or load main class Main";
    const char* const startLine = "The application failed within 10 seconds of its start; the user is shown its error output.";
    struct Row {
        const char* name;
        unsigned long exitCode;
        std::int16_t seconds;  // 0: the window is gone before the start
        bool silentRun;
        std::uint32_t runMillis;
        bool writesErrors;
        const char* startFailureTag;  // START_FAILURE_MESSAGE, none: nullptr
        bool shown;
        bool startLogged;
    };
    const Row rows[] = {
        {"window up", 1, 5, false, 60000, true, nullptr, true, false},
        {"window up, no error output", 1, 5, false, 60000, false, nullptr, true, false},
        {"success", 0, 5, false, 0, true, nullptr, false, false},
        {"success at once, hidden", 0, 0, false, 0, true, nullptr, false, false},
        {"start-up failure, hidden", 1, 0, false, 9999, true, nullptr, true, true},
        {"failure after the bound", 1, 0, false, 10000, true, nullptr, false, false},
        {"failure without error output", 1, 0, false, 100, false, nullptr, false, false},
        {"switched off", 1, 0, false, 100, true, "0", false, false},
        {"switched on", 1, 0, false, 100, true, "1", true, true},
        {"silent, window up", 1, 5, true, 100, true, nullptr, false, false},
        {"silent, start-up failure", 1, 0, true, 100, true, nullptr, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        hostui::reset();
        TagFile tags;
        tags.setValue("COMMAND", "@JVM_HOME@\\@JVM_EXE@ Main");
        if (row.startFailureTag) tags.setValue("START_FAILURE_MESSAGE", row.startFailureTag);
        system.script = std::make_unique<LaunchScript>(tags, true, &env);
        silent = row.silentRun;
        hostui::state().visible = !row.silentRun;
        env.exitCode = row.exitCode;
        env.runMillis = row.runMillis;
        env.childError = row.writesErrors ? error : String();
        std::remove(kLogFile);
        ops.launchWithJvmFile(path, row.seconds);
        const std::vector<String>& shown = hostui::state().messages;
        if (row.shown) {
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0], row.writesErrors ? String(shownText) : String("The application ended with exit code 1."));
        } else {
            EXPECT_TRUE(shown.empty()) << shown[0];
        }
        EXPECT_NE(logText().find("\nThe application ended with exit code " + exitCodeText(row.exitCode) + ".\n"),
                  std::string::npos)
            << logText();
        EXPECT_EQ(logText().find(startLine) != std::string::npos, row.startLogged) << logText();
    }
    silent = false;
    std::remove(path);
}

TEST(ExitCodeText, ExceptionCodesAlsoInHexadecimal) {
    EXPECT_EQ(exitCodeText(1), "1");
    EXPECT_EQ(exitCodeText(0xC0000005UL), "3221225477 (0xC0000005)");
}

// A second run of the same script is judged on its own: the first run's
// error output does not make the second a start-up failure.
TEST_F(LaunchOpsTest, StartUpFailureIsJudgedByTheLastRunAlone) {
    const char* path = "launch_ops_test.jvm";
    std::ofstream(path) << "JVM_HOME: C:\\jdk\nJVM_EXE: bin\\java.exe\n";
    useScript("@JVM_HOME@\\@JVM_EXE@ Main");
    env.exitCode = 0;
    env.childError = "a warning\n";
    ops.launchWithJvmFile(path, 0);
    EXPECT_TRUE(system.script->lastRunWroteErrors());
    env.exitCode = 2;
    env.childError.clear();
    ops.launchWithJvmFile(path, 0);
    EXPECT_FALSE(system.script->lastRunWroteErrors());
    EXPECT_TRUE(hostui::state().messages.empty()) << hostui::state().messages[0];
    std::remove(path);
}

}  // namespace mg
