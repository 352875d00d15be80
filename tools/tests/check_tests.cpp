#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/check.h"
#include "tools/pack.h"
#include "tools/tests/stub_image.h"

namespace mg {

namespace {

namespace fs = std::filesystem;

const std::string SAMPLE = std::string(MG_SOURCE_DIR) + "/examples/sample/";
const std::string WORK = "check_test/";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// One change to a file of the sample: the first occurrence of from becomes
// to; an empty from puts to in front.
struct Edit {
    const char* file;
    const char* from;
    const char* to;
};

// The sample of docs/vendor-guide.md with the edits made, as mgpack build
// arguments. without names a file left out of the package.
std::vector<std::string> sampleArguments(const std::vector<Edit>& edits, const std::string& without = "",
                                         bool jarStub = false) {
    fs::remove_all(WORK);
    fs::create_directories(WORK);
    for (const char* name : {"instructions.txt", "launch.txt", "sample.jvm"})
        writeFile(WORK + name, readFile(SAMPLE + name));
    for (const Edit& e : edits) {
        std::string text = readFile(WORK + e.file);
        const std::size_t at = *e.from ? text.find(e.from) : 0;
        EXPECT_NE(at, std::string::npos) << e.file << ": " << e.from;
        if (at != std::string::npos) text.replace(at, std::strlen(e.from), e.to);
        writeFile(WORK + e.file, text);
    }
    writeFile(WORK + "verify.jar", "PK\x03\x04 verify");
    writeFile(WORK + "setup.exe", "MZ installer");
    writeFile(WORK + "sample.jar", "PK\x03\x04 sample");
    writeFile(WORK + "mglauncher.exe", jarStub ? std::string("PK\x03\x04 a jar") : launcherStandIn(4096));
    std::vector<std::string> args = {"--stub", WORK + "mglauncher.exe", "-o", WORK + "sample.exe"};
    const std::pair<const char*, const char*> files[] = {
        {"instructions", "instructions.txt"}, {"launch-script", "launch.txt"},     {"jvm-file", "sample.jvm"},
        {"verify-archive", "verify.jar"},     {"jvm-installer", "setup.exe"}, {"application-archive", "sample.jar"},
    };
    for (const auto& f : files) {
        if (without == f.second) continue;
        args.insert(args.end(), {"--file", f.first, WORK + f.second});
    }
    return args;
}

// The same, packed by mgpack's own builder.
std::string packSample(const std::vector<Edit>& edits, const std::string& without = "", bool jarStub = false) {
    buildLauncher(parseBuildArguments(sampleArguments(edits, without, jarStub)));
    return WORK + "sample.exe";
}

std::vector<std::string> formatted(const std::vector<Finding>& findings, Severity severity) {
    std::vector<std::string> lines;
    for (const Finding& f : findings)
        if (f.severity == severity) lines.push_back(formatFinding(f));
    return lines;
}

const char* const HIDE_AT_ONCE =
    "hides the progress window at once (0 seconds) and the launch script sets START_FAILURE_MESSAGE: 0: an "
    "application that fails at start-up then ends without a message; a few seconds keep the window up to report it";

// The sample as the guide packs it: no error and no warning. Its launches
// hide the window at once, but a start-up failure is still reported.
TEST(Check, TheSampleIsClean) {
    const std::vector<Finding> findings = checkPackage(packageOfLauncher(packSample({})));
    EXPECT_EQ(formatted(findings, Severity::error), std::vector<std::string>{});
    EXPECT_EQ(formatted(findings, Severity::warning), std::vector<std::string>{});
    EXPECT_EQ(findingSummary(findings), "0 errors, 0 warnings");
}

// With the start-up failure message switched off, hiding the window at once
// leaves such a failure unseen again.
TEST(Check, HideTimeWarningWhenTheStartUpFailureMessageIsOff) {
    const std::vector<Finding> findings =
        checkPackage(packageOfLauncher(packSample({{"launch.txt", "", "START_FAILURE_MESSAGE: 0\n"}})));
    EXPECT_EQ(formatted(findings, Severity::warning),
              (std::vector<std::string>{"instructions.txt:6: warning: LAUNCH " + std::string(HIDE_AT_ONCE),
                                        "instructions.txt:11: warning: LAUNCH " + std::string(HIDE_AT_ONCE)}));
}

// One vendor's mistake per row, each of which the launcher alone reports
// late, with a statement number, in other words or not at all; the check
// names the file and the line.
TEST(Check, EachMistakeIsReportedWithFileAndLine) {
    struct Row {
        const char* mistake;
        std::vector<Edit> edits;
        std::string without;
        bool jarStub;
        std::vector<std::string> errors;
    } rows[] = {
        {"JVM_PROPERTIES without its /:", {{"sample.jvm", "/:\n", ""}}, "", false,
         {"sample.jvm:5: error: 'PLATFORM_HINT:' is read as a value of JVM_PROPERTIES (line 3): the /: that ends "
          "JVM_PROPERTIES is missing before it"}},
        {"a comment line in a JVM file", {{"sample.jvm", "", "# Java 17, any vendor\n"}}, "", false,
         {"sample.jvm:1: error: Missing colon at the end of the tag name. Tag files have no comment lines."}},
        {"a command in mixed case", {{"instructions.txt", "LAUNCH @S2@", "Launch @S2@"}}, "", false,
         {"instructions.txt:6: error: Invalid command (Launch). Commands are upper case: LAUNCH."}},
        {"a jump to a label that does not exist", {{"instructions.txt", "GOTO DONE", "GOTO FINISH"}}, "", false,
         {"instructions.txt:7: error: Label not found (FINISH)"}},
        {"the application archive left out", {}, "sample.jar", false,
         {"launch.txt:3: error: %APPLICATION_ARCHIVE%() in ARCHIVE, but the package carries no application archive: "
          "the class path gets an empty entry"}},
        {"requirements without a verify archive", {}, "verify.jar", false,
         {"sample.jvm:3: error: JVM_PROPERTIES sets requirements, but the package carries no verify archive: no JVM "
          "passes verification (the log says \"the verify run printed nothing\")"}},
        {"text after the closing quote of COMMAND",
         {{"launch.txt",
           "COMMAND: \"\"\"@JVM_HOME@\\@JVM_EXE@\"\" %SYSTEMPROP%(\"\"sample.seconds\"\",\"\"3\"\") %CP%() "
           "Sample\"",
           "COMMAND: \"@JVM_HOME@\\@JVM_EXE@\" %CP%() Main"}},
         "", false,
         {"launch.txt:2: error: the text after the closing quote is ignored: %CP%() Main (quote COMMAND as a whole, "
          "each quote in it doubled)"}},
        {"a jar as the stub", {}, "", true,
         {"check_test/sample.exe: error: not a Marrowgate launcher (it is a jar or zip file); the stub must be "
          "mglauncher.exe or mglauncher-console.exe"}},
        {"a tag missing its /: before the next embedded file",
         {{"sample.jvm", "\\Program Files\\Java\\jdk-17\n/:", "\\Program Files\\Java\\jdk-17"}},
         "", false, {"sample.jvm:10: error: Missing /: tag completer."}},
        {"a missing argument", {{"instructions.txt", "FIND_JVM 1 0", "FIND_JVM 1"}}, "", false,
         {"instructions.txt:4: error: The second argument to FIND_JVM should be a 1 if a find failure message should "
          "be displayed in a UI or 0 if no message should be displayed."}},
        {"a launch-script function with a wrong count", {{"launch.txt", ",\"\"3\"\")", ")"}}, "", false,
         {"launch.txt:2: error: SYSTEMPROP function requires 2 arguments."}},
        {"a tag name in the wrong case", {{"launch.txt", "COMMAND:", "Command:"}}, "", false,
         {"launch.txt: error: no COMMAND: the launch has no command to run",
          "launch.txt:2: error: unknown tag Command"}},
        {"a download page that is a program", {{"instructions.txt", "", "JVM_DOWNLOAD_URL: C:\\Tools\\get.exe\n"}},
         "", false,
         {"instructions.txt:1: error: JVM_DOWNLOAD_URL C:\\Tools\\get.exe is not an http:// or https:// address: "
          "the launcher does not offer it"}},
        {"a download page with a blank", {{"instructions.txt", "", "JVM_DOWNLOAD_URL: https://example.com/get java\n"}},
         "", false,
         {"instructions.txt:1: error: JVM_DOWNLOAD_URL https://example.com/get java is not an http:// or https:// "
          "address: the launcher does not offer it"}},
        {"a SINGLE_INSTANCE name with a blank",
         {{"instructions.txt", "INSTRUCTIONS:", "SINGLE_INSTANCE: My Sample\nINSTRUCTIONS:"}}, "", false,
         {"instructions.txt:2: error: SINGLE_INSTANCE My Sample: the name must be 1 to 64 letters, digits, '.', '-' "
          "or '_'"}},
        {"a MAXHEAP percent out of range", {{"launch.txt", "%CP%()", "%MAXHEAP%(\"\"150\"\") %CP%()"}}, "", false,
         {"launch.txt:2: error: MAXHEAP function: the percent must be a number from 1 to 100."}},
        {"a MAXHEAP minimum above its maximum",
         {{"launch.txt", "%CP%()", "%MAXHEAP%(\"\"25\"\",\"\"2048\"\",\"\"1024\"\") %CP%()"}}, "", false,
         {"launch.txt:2: error: MAXHEAP function: the minimum is larger than the maximum."}},
        {"INSTALL_JVM without an installer", {}, "setup.exe", false,
         {"instructions.txt:9: error: INSTALL_JVM, but the package carries no JVM installer: the launcher stops with "
          "\"No JVM installer was included in the launcher.\""}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.mistake);
        const std::vector<Finding> findings =
            checkPackage(packageOfLauncher(packSample(r.edits, r.without, r.jarStub)));
        EXPECT_EQ(formatted(findings, Severity::error), r.errors);
    }
}

// A build checks its source files before anything is written, and names
// them by their paths.
TEST(Check, ABuildNamesTheSourceFiles) {
    PackRequest request = parseBuildArguments(sampleArguments({{"instructions.txt", "LAUNCH @S2@", "Launch @S2@"}}));
    EXPECT_EQ(formatted(checkPackage(packageOfRequest(request)), Severity::error),
              std::vector<std::string>{"check_test/instructions.txt:6: error: Invalid command (Launch). Commands are "
                                       "upper case: LAUNCH."});
}

// Our launchers are told from other programs by their resource, whatever
// their size; the console launcher by its subsystem.
TEST(Check, StubKinds) {
    EXPECT_EQ(stubKind(launcherStandIn(4096)), StubKind::guiLauncher);
    EXPECT_EQ(stubKind(launcherStandIn(300000)), StubKind::guiLauncher);
    EXPECT_EQ(stubKind(launcherStandIn(4096, true)), StubKind::consoleLauncher);
    EXPECT_EQ(stubKind(bareImage()), StubKind::otherProgram);
    EXPECT_EQ(stubKind("PK\x03\x04 a jar"), StubKind::zipArchive);
    EXPECT_EQ(stubKind("#!/bin/sh"), StubKind::notWindowsProgram);
    EXPECT_EQ(stubKind(""), StubKind::notWindowsProgram);
    // A -debug build keeps its COFF symbols; the shipped file has none.
    std::string debugBuild = launcherStandIn(4096);
    EXPECT_FALSE(keepsSymbols(debugBuild));
    putLE32(debugBuild, 0x44 + 12, 1200);
    EXPECT_TRUE(keepsSymbols(debugBuild));
    EXPECT_EQ(stubKind(debugBuild), StubKind::guiLauncher);
}

// The console launcher shows a failed start-up on its console, so hiding
// the window at once is no mistake there.
TEST(Check, NoHideTimeWarningForTheConsoleLauncher) {
    Package package = packageOfLauncher(packSample({{"launch.txt", "", "START_FAILURE_MESSAGE: 0\n"}}));
    package.stub = StubKind::consoleLauncher;
    EXPECT_EQ(formatted(checkPackage(package), Severity::warning), std::vector<std::string>{});
}

// An input file the launcher is run with is read too: its keys and action,
// and its verify class stands in for a verify archive.
TEST(Check, InputFiles) {
    Package package = packageOfLauncher(packSample({}, "verify.jar"));
    writeFile(WORK + "run.tag", "LOGFILE: run.log\nACTION: SEARCH_EVERYTHING\nVERIFY_CLASSPATH: v.jar\n"
                                "VERIFY_CLASS_NAME: Verify\nSHOWPROGRESS: 1\n");
    package.inputFiles.push_back(WORK + "run.tag");
    EXPECT_EQ(formatted(checkPackage(package), Severity::error),
              (std::vector<std::string>{
                  "check_test/run.tag:2: error: unknown ACTION SEARCH_EVERYTHING (RUN_INSTRUCTIONS, SEARCH, "
                  "SEARCH_ALL, VERIFY_JVM and INSTALL_JVM)",
                  "check_test/run.tag:5: error: unknown tag SHOWPROGRESS"}));
}

}  // namespace

}  // namespace mg
