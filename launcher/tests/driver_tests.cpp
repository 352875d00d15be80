#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "instructions/variables.h"
#include "launcher/actions.h"
#include "base/settings.h"
#include "payload/index_format.h"
#include "payload/launcher_file.h"
#include "ui/host_ui.h"

namespace mg {

namespace {

void writeFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A launcher file carrying one instructions program.
std::string launcherWithText(const std::string& program) {
    std::string stub = "MZ stub";
    std::vector<FileEntry> entries(1);
    entries[0].type = FT_INSTRUCTIONS;
    entries[0].id = 0;
    entries[0].length = static_cast<std::int32_t>(program.size());
    entries[0].offset = static_cast<std::int32_t>(stub.size());
    entries[0].name = "instructions.txt";
    return stub + program + encodeFileIndex(entries) + encodeTrailer(static_cast<std::uint32_t>(stub.size() + program.size()));
}

std::string launcherWithProgram(const std::string& statement) {
    return launcherWithText("INSTRUCTIONS:\n" + statement + "\n/:\n");
}

class RecordingActions : public DriverActions {
public:
    std::vector<std::string> calls;
    std::string output;
    std::string failProgram;

    void setTempRoot(const String& dir) override { calls.push_back("setTempRoot " + dir); }
    void extractAll() override {
        calls.push_back("extractAll " + std::to_string(launcherFile().entryCount()) +
                        (launcherFile().instructions() ? " with contents" : " index only"));
    }
    void search(bool p, bool f) override { calls.push_back("search " + flags(p, f)); }
    void searchAll(bool p, bool f) override { calls.push_back("searchAll " + flags(p, f)); }
    void verifyJvm(bool p, bool f, TagFile& jvm, const String& home) override {
        calls.push_back("verifyJvm " + flags(p, f) + " " + std::string(jvm.getValue("JVM_EXE")) + " " + std::string(home));
        setNumericVariable(1, 1);
    }
    void runInstaller(const String& program, const String& dir) override {
        calls.push_back("runInstaller " + program + " " + dir);
    }
    void runProgram(const TagFile& program) override {
        calls.push_back("runProgram " + program.getValue("INSTRUCTIONS"));
        if (!failProgram.empty()) throw LauncherException(failProgram);
    }
    bool clearCache(const TagFile* program) override {
        if (program == nullptr || program->findTag("CACHE_FOLDER") == nullptr) return false;
        calls.push_back("clearCache " + program->getValue("CACHE_FOLDER"));
        return true;
    }
    void writeOutput(const String& text) override { output += text; }

private:
    static std::string flags(bool p, bool f) { return std::string(p ? "1" : "0") + (f ? "1" : "0"); }
};

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        hostui::reset();
        launcherFile().reset();
        resetVariables();
        logPath.clear();
        logHeaderWritten = true;
        silent = false;
        originalGiven = false;
        originalLauncherPath.clear();
        javaHome.clear();
        javaConsole = false;
        passThroughArgs.clear();
        writeFile("driver_launcher.exe", launcherWithProgram("EMBEDDED"));
        launcherPath = "driver_launcher.exe";
        std::remove("driver.log");
        actions.calls.clear();
        actions.output.clear();
        actions.failProgram.clear();
    }
    void TearDown() override {
        logPath.clear();
        silent = false;
    }

    // Runs the driver; the error that ended it, or empty.
    std::string run(const StringList& args) {
        try {
            runDriverWith(args, actions);
        } catch (const LauncherException& e) {
            return e.message();
        }
        return std::string();
    }
    std::string calls() const {
        std::string out;
        for (const auto& c : actions.calls) out += (out.empty() ? "" : "; ") + c;
        return out;
    }
    std::string messages() const {
        std::string out;
        for (const auto& m : hostui::state().messages) out += (out.empty() ? "" : " | ") + m;
        return out;
    }

    RecordingActions actions;
};

const char* const OPEN_FAILED = "Unable to open input file specified on the command line after the -in option.";

TEST_F(DriverTest, OptionsAndActions) {
    writeFile("drv_search.tag", "ACTION: SEARCH\nSHOW_PROGRESS: 1\n");
    writeFile("drv_all.tag", "ACTION: SEARCH_ALL\nSHOW_FAIL_MSG: 1\n");
    writeFile("drv_run.tag", "ACTION: RUN_INSTRUCTIONS\n");
    writeFile("drv_bogus.tag", "ACTION: search\n");
    writeFile("drv_noaction.tag", "LOGFILE: x.log\n");
    writeFile("drv_syntax.tag", "ACTION: SEARCH\noops\n");
    writeFile("drv_instr.tag", "ACTION: RUN_INSTRUCTIONS\nINSTRUCTIONS: drv_program.tag\n");
    writeFile("drv_program.tag", "INSTRUCTIONS:\nFROM_INPUT\n/:\n");
    writeFile("drv_badref.tag", "ACTION: RUN_INSTRUCTIONS\nINSTRUCTIONS: drv_missing.tag\n");
    writeFile("drv_verify_half.tag", "ACTION: VERIFY_JVM\nVERIFY_JVM_FILE: drv.jvm\n");
    writeFile("drv_verify.tag", "ACTION: VERIFY_JVM\nVERIFY_JVM_FILE: drv.jvm\nVERIFY_JVM_HOME: C:\\jre\n");
    writeFile("drv.jvm", "JVM_EXE: bin\\java.exe\n");

    struct Row {
        StringList args;
        const char* calls;
        const char* messages;
        const char* error;
    } rows[] = {
        {{}, "runProgram EMBEDDED", "", ""},
        {{"-mg:version"}, "", "1.56", ""},
        {{"-mg:log"}, "runProgram EMBEDDED", "A log file name must be specified after the -log option on the command line.", ""},
        {{"-mg:silent", "-mg:log"}, "runProgram EMBEDDED", "", ""},
        {{"-mg:log", "-mg:silent"}, "runProgram EMBEDDED", "", ""},
        {{"-mg:orig"}, "runProgram EMBEDDED", "Missing original launcher file name.", ""},
        {{"-mg:in"}, "", "An input file name must follow the '-in' command line option.", ""},
        {{"-mg:tempdir", "C:\\t", "-mg:tempdir"}, "setTempRoot C:\\t; runProgram EMBEDDED", "", ""},
        {{"-mg:javahome"}, "runProgram EMBEDDED", "", ""},
        {{"-mg:extract"}, "extractAll 1 index only", "", ""},
        {{"-mg:in", "drv_search.tag"}, "search 10", "", ""},
        {{"-mg:in", "drv_all.tag"}, "searchAll 01", "", ""},
        {{"-mg:version", "-mg:in", "drv_run.tag"}, "runProgram EMBEDDED", "1.56", ""},
        {{"-mg:in", "drv_run.tag", "-mg:version"}, "", "1.56", ""},
        {{"-mg:in", "drv_instr.tag"}, "runProgram FROM_INPUT", "", ""},
        {{"-mg:in", "\"drv_search.tag\""}, "search 10", "", ""},
        {{"-mg:in", "drv_bogus.tag"}, "", "Invalid action in input file: search", "Invalid action in input file: search"},
        {{"-mg:in", "drv_noaction.tag"}, "", "Invalid action in input file: ", "Invalid action in input file: "},
        {{"-mg:in", ""}, "", "Could not load the input file.Unable to open input file specified on the command line after the -in option.", OPEN_FAILED},
        {{"-mg:in", "drv_none.tag", "-mg:version"}, "", "Could not load the input file.Unable to open input file specified on the command line after the -in option.", OPEN_FAILED},
        {{"-mg:in", "drv_syntax.tag"}, "",
         "Could not load the input file.Syntax error in drv_syntax.tag at line 2 ==> Missing colon at the end of the tag name.",
         "Syntax error in drv_syntax.tag at line 2 ==> Missing colon at the end of the tag name."},
        {{"-mg:in", "drv_badref.tag"}, "",
         "Error loading instructions file.Unable to load input file: drv_missing.tag",
         "Error loading instructions file.Unable to load input file: drv_missing.tag"},
        {{"-mg:in", "drv_verify_half.tag"}, "", "", ""},
        {{"-mg:in", "drv_verify.tag"}, "verifyJvm 00 bin\\java.exe C:\\jre", "", ""},
        {{"-mg:silent", "-mg:in", "drv_bogus.tag"}, "", "", "Invalid action in input file: search"},
    };
    for (const auto& r : rows) {
        SetUp();
        std::string args;
        for (const auto& a : r.args) args += a + " ";
        EXPECT_EQ(run(r.args), r.error) << args;
        EXPECT_EQ(calls(), r.calls) << args;
        EXPECT_EQ(messages(), r.messages) << args;
    }
}

TEST_F(DriverTest, SettingsFromOptions) {
    EXPECT_EQ(run({"-Xmx512m", "-mg:javahome", "-mg:silent", "-mg:orig", "C:\\orig.exe", "-mg:javaconsole", "app arg",
                   "-mg:LOG", "-mg:log", "driver.log"}),
              "");
    EXPECT_EQ(javaHome, "-mg:silent");  // a value is taken as it stands
    EXPECT_FALSE(silent);
    EXPECT_TRUE(originalGiven);
    EXPECT_EQ(originalLauncherPath, "C:\\orig.exe");
    EXPECT_TRUE(javaConsole);
    EXPECT_EQ(passThroughArgs, (StringList{"-Xmx512m", "app arg", "-mg:LOG"}));
    EXPECT_EQ(logPath, "driver.log");
    EXPECT_EQ(hostui::state().calls.front(), "setProgress(0)");
    EXPECT_EQ(hostui::state().calls.back(), "setProgress(100)");
}

TEST_F(DriverTest, ClearCacheOnlyForAProgramWithACache) {
    struct Row {
        const char* program;
        StringList args;
        const char* calls;
        StringList passed;
    };
    const Row rows[] = {
        {"INSTRUCTIONS:\nRUN\n/:\n", {"a", "-mg:clearcache", "b"}, "runProgram RUN", {"a", "-mg:clearcache", "b"}},
        {"CACHE_FOLDER: V\\A\nINSTRUCTIONS:\nRUN\n/:\n", {"a", "-mg:clearcache", "b"}, "clearCache V\\A",
         {"a", "b"}},
        // Only the first is the option; a second goes on to the application.
        {"CACHE_FOLDER: V\\A\nINSTRUCTIONS:\nRUN\n/:\n", {"-mg:clearcache", "-mg:clearcache"}, "clearCache V\\A",
         {"-mg:clearcache"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.program);
        TearDown();
        SetUp();
        writeFile("driver_launcher.exe", launcherWithText(row.program));
        EXPECT_EQ(run(row.args), "");
        EXPECT_EQ(calls(), row.calls);
        EXPECT_EQ(passThroughArgs, row.passed);
    }
}

TEST_F(DriverTest, InputFileLogAndProgressWindow) {
    writeFile("drv_log.tag", "ACTION: SEARCH\n");
    writeFile("drv_log2.tag", "ACTION: SEARCH\nLOGFILE: driver2.log\nSHOW_FAIL_MSG: 1\n");
    std::remove("driver2.log");
    EXPECT_EQ(run({"-mg:log", "driver.log", "-mg:in", "\"drv_log.tag\"", "-mg:in", "drv_log2.tag"}), "");
    // The first input file ends the log after its own line; the second names a new one.
    EXPECT_EQ(readFile("driver.log"), "Loading input file \"drv_log.tag\"\n");
    EXPECT_EQ(logPath, "driver2.log");
    EXPECT_EQ(readFile("driver2.log"), "");
    const auto& c = hostui::state().calls;
    std::string joined;
    for (const auto& s : c) joined += s + " ";
    EXPECT_EQ(joined, "setProgress(0) hideAfter(0) setProgress(100) showWindow() setProgress(100) ");
}

TEST_F(DriverTest, VerifyAndInstallOutput) {
    writeFile("drv_verify.tag", "ACTION: VERIFY_JVM\nVERIFY_JVM_FILE: drv.jvm\nVERIFY_JVM_HOME: C:\\jre\n");
    writeFile("drv.jvm", "JVM_EXE: bin\\java.exe\n");
    EXPECT_EQ(run({"-mg:in", "drv_verify.tag"}), "");
    EXPECT_EQ(actions.output, "1\n");

    writeFile("drv_half.tag", "ACTION: VERIFY_JVM\nVERIFY_JVM_HOME: C:\\jre\nLOGFILE: driver.log\n");
    SetUp();
    EXPECT_EQ(run({"-mg:in", "drv_half.tag"}), "");
    // The index is read, and logged, before the action runs.
    EXPECT_EQ(readFile("driver.log"),
              "file type: 0\n  file id: 0\n  length: 26\n  offset: 7\n  file name: instructions.txt\n"
              "ERROR: TO execute the VERIFY_JVM action, you must also provide values in the input file for "
              "VERIFY_JVM_FILE and VERIFY_JVM_HOME.\n");

    // The installed JVM's own descriptor gets its location written back. On
    // the host the backslash is part of the file name.
    writeFile("drv_dest\\jvm", "JVM_EXE: bin\\java.exe\nJVM_TEMP: 1\n");
    writeFile("drv_install.tag", "ACTION: INSTALL_JVM\nINSTALL_JVM_EXE: setup.exe\nINSTALL_JVM_DEST: drv_dest\n");
    SetUp();
    EXPECT_EQ(run({"-mg:in", "drv_install.tag"}), "");
    EXPECT_EQ(calls(), "runInstaller setup.exe drv_dest");
    EXPECT_EQ(actions.output, "drv_dest\\jvm\n");
    EXPECT_EQ(readFile("drv_dest\\jvm"), "JVM_EXE:  bin\\java.exe\nJVM_TEMP:  0\nJVM_HOME:  drv_dest\nJVM_FILE:  drv_dest\\jvm\n");
}

TEST_F(DriverTest, IndexAndProgramFailures) {
    struct Row { std::string image; StringList args; const char* error; const char* calls; } rows[] = {
        {"short", {}, "Unable to load the launcher file index. Invalid launcher format.", ""},
        {"short", {"-mg:extract"}, "Unable to load the launcher file index. Invalid launcher format.", ""},
        {"a plain program without an index", {}, "", ""},
        {launcherWithText("INSTRUCTIONS:\nA\n"), {}, "Unable to load the launcher file index. Syntax error in instructions.txt at line 1 ==> Missing /: tag completer.", ""},
    };
    for (const auto& r : rows) {
        SetUp();
        writeFile("driver_launcher.exe", r.image);
        EXPECT_EQ(run(r.args), r.error) << r.image;
        EXPECT_EQ(calls(), r.calls);
        EXPECT_TRUE(hostui::state().messages.empty());
    }
    SetUp();
    actions.failProgram = "Error in instructions. Bad. Line number (1)";
    EXPECT_EQ(run({"-mg:javaconsole"}), "Error in instructions. Bad. Line number (1)");
    EXPECT_NE(hostui::state().calls.back(), "setProgress(100)");
}

}  // namespace

#ifdef MG_EXAMPLES_DIR
namespace {

// The input files of docs/input-files.md: shown there as they are, using
// only the keys and actions the driver knows.
TEST(InputFileExamples, UseKnownKeysAndAppearInTheDocs) {
    const std::string dir = MG_EXAMPLES_DIR;
    const std::string doc = readFile(dir + "/../input-files.md");
    const std::set<std::string> keys = {"LOGFILE", "INSTRUCTIONS", "LAUNCHSCRIPT", "VERIFY_CLASSPATH",
                                        "VERIFY_CLASS_NAME", "UI_TITLE", "JVM", "SHOW_PROGRESS",
                                        "SHOW_FAIL_MSG", "ACTION", "VERIFY_JVM_FILE", "VERIFY_JVM_HOME",
                                        "INSTALL_JVM_EXE", "INSTALL_JVM_DEST"};
    const std::set<std::string> actions = {"RUN_INSTRUCTIONS", "SEARCH", "SEARCH_ALL", "VERIFY_JVM", "INSTALL_JVM"};
    for (const char* name : {"search.tag", "verify.tag", "install.tag", "run.tag"}) {
        std::string path = dir + "/input/" + name;
        TagFile input;
        input.load(path);
        EXPECT_EQ(actions.count(input.getValue("ACTION")), 1u) << name;
        for (const Tag& tag : input.tags()) EXPECT_EQ(keys.count(tag.name), 1u) << name << ": " << tag.name;
        EXPECT_NE(doc.find("```text\n" + readFile(path) + "```"), std::string::npos) << name << " differs from the docs";
    }
}

TEST_F(DriverTest, SearchExampleRunsTheSearch) {
    EXPECT_EQ(run({"-mg:in", std::string(MG_EXAMPLES_DIR) + "/input/search.tag"}), "");
    EXPECT_EQ(calls(), "search 10");
}

}  // namespace
#endif

}  // namespace mg
