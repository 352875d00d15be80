#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "tests/support/null_commands.h"
#include "base/settings.h"
#include "tests/support/recording_commands.h"
#include "test_support.h"

namespace mg {

namespace {

class InterpreterTest : public ::testing::Test {
protected:
    void SetUp() override { resetVariables(); }
};

struct ProgramRow {
    const char* name;
    std::vector<const char*> statements;
    Outcome outcome;
    const char* message;
    int line;
    std::vector<const char*> calls;
};

void checkPrograms(const std::vector<ProgramRow>& rows) {
    for (const ProgramRow& r : rows) {
        SCOPED_TRACE(r.name);
        resetVariables();
        TagFile program;
        for (const char* s : r.statements) program.addValue(INSTRUCTIONS_TAG, s);
        RecordingCommands ops;
        Ending e = runProgram(program, ops);
        EXPECT_EQ(e.outcome, r.outcome) << e.message;
        EXPECT_EQ(e.message, r.message);
        EXPECT_EQ(e.line, r.line);
        EXPECT_EQ(ops.calls, StringList(r.calls.begin(), r.calls.end()));
    }
}

TEST_F(InterpreterTest, StatementKinds) {
    checkPrograms({
        {"comments are skipped", {"// a comment", "//", "INITIALIZE_UI"}, Outcome::Ok, "", 0, {"initializeUi"}},
        {"slashes glued to text", {"//comment"}, Outcome::Raised, "Invalid command (//comment). ", 1, {}},
        {"lower-case command", {"initialize_ui"}, Outcome::Raised, "Invalid command (initialize_ui). ", 1, {}},
        {"unknown command", {"INITIALIZE_UI", "SLEEP 5"}, Outcome::Raised, "Invalid command (SLEEP). ", 2,
         {"initializeUi"}},
        {"labels with words are skipped", {":A more words", "INITIALIZE_UI"}, Outcome::Ok, "", 0, {"initializeUi"}},
        {"statement of separators only", {"\v\f"}, Outcome::Raised, "No command specified.", 1, {}},
        {"extra words are ignored", {"INITIALIZE_UI now please"}, Outcome::Ok, "", 0, {"initializeUi"}},
        {"error stops the run", {"INITIALIZE_UI", "GOTO", "INITIALIZE_UI"}, Outcome::Raised,
         "The GOTO command requires a label as its only argument.", 2, {"initializeUi"}},
    });
}

TEST_F(InterpreterTest, Jumps) {
    checkPrograms({
        {"forward jump skips statements", {"GOTO END", "INITIALIZE_UI", ":END", "EXECUTE_LAUNCHER 1"}, Outcome::Ok,
         "", 0, {"executeEmbeddedLauncher 1"}},
        {"label defined twice: the first wins",
         {"GOTO L", "INITIALIZE_UI", ":L", "EXECUTE_LAUNCHER 1", ":L", "EXECUTE_LAUNCHER 2"}, Outcome::Ok, "", 0,
         {"executeEmbeddedLauncher 1", "executeEmbeddedLauncher 2"}},
        {"label with a further word is not a target", {"GOTO DONE", ":DONE now"}, Outcome::Raised,
         "Label not found (DONE)", 1, {}},
        {"labels compare case-sensitively", {"GOTO done", ":DONE"}, Outcome::Raised, "Label not found (done)", 1, {}},
        {"computed label", {"SET S3 = END", "GOTO @S3@", "INITIALIZE_UI", ":END"}, Outcome::Ok, "", 0, {}},
        {"blank computed label", {"GOTO @S3@"}, Outcome::Raised,
         "Label @S3@ resolved to a blank string. Labels cannot be blank.", 1, {}},
        {"bad reference in a label", {"GOTO @X1@"}, Outcome::Launcher,
         "Invalid label specified. Invalid variable reference (X1). Must use N or S as the variable type, e.g. N2 "
         "or S1.",
         0, {}},
        {"unpaired at-sign in a label", {"GOTO A@"}, Outcome::Raised,
         "Invalid label specified. Invalid variable specification.", 1, {}},
        {"first statement is a jump target",
         {":TOP", "EXECUTE_LAUNCHER @N1@", "JMP0 @N1@ AGAIN", "GOTO END", ":AGAIN", "SET N1 = 1", "GOTO TOP",
          ":END"},
         Outcome::Ok, "", 0, {"executeEmbeddedLauncher 0", "executeEmbeddedLauncher 1"}},
        {"labels never jumped to are not checked", {":@X1@", "INITIALIZE_UI"}, Outcome::Ok, "", 0,
         {"initializeUi"}},
    });
}

TEST_F(InterpreterTest, ProgramWithoutInstructionsTagDoesNothing) {
    TagFile program;
    program.setValue("DESC", "no statements here");
    RecordingCommands ops;
    Ending e = runProgram(program, ops);
    EXPECT_EQ(e.outcome, Outcome::Ok);
    EXPECT_TRUE(ops.calls.empty());
}

TEST_F(InterpreterTest, CancelEndsALoopQuietlyAtTheNextJump) {
    struct Row {
        const char* name;
        std::vector<const char*> statements;
        int cancelFromQuery;
        int expectedQueries;
        std::vector<const char*> calls;
    } rows[] = {
        {"endless loop", {":L", "EXECUTE_LAUNCHER 1", "GOTO L"}, 3, 3,
         {"executeEmbeddedLauncher 1", "executeEmbeddedLauncher 1", "executeEmbeddedLauncher 1"}},
        {"JMP0 loop", {":L", "INITIALIZE_UI", "JMP0 0 L"}, 2, 2, {"initializeUi", "initializeUi"}},
        {"nothing after the cancelled jump runs", {"GOTO A", ":A", "INITIALIZE_UI"}, 1, 1, {}},
        {"no jump, no query", {"INITIALIZE_UI", "JMP0 1 NOWHERE"}, 1, 0, {"initializeUi"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TagFile program;
        for (const char* s : r.statements) program.addValue(INSTRUCTIONS_TAG, s);
        RecordingCommands ops;
        ops.cancelFromQuery = r.cancelFromQuery;
        Ending e = runProgram(program, ops);
        EXPECT_EQ(e.outcome, Outcome::Ok) << e.message;
        EXPECT_EQ(ops.cancelQueries, r.expectedQueries);
        EXPECT_EQ(ops.calls, StringList(r.calls.begin(), r.calls.end()));
    }
}

// Commands that keep the default cancel query.
class DefaultCancelCommands : public NullCommands {
public:
    bool cancelRequested() override { return LaunchCommands::cancelRequested(); }
};

TEST_F(InterpreterTest, DefaultCancelQueryReadsTheProcessFlag) {
    TagFile program = makeProgram({":L", "GOTO L"});
    DefaultCancelCommands ops;
    mg::cancelRequested = true;
    Ending e = runProgram(program, ops);
    mg::cancelRequested = false;
    EXPECT_EQ(e.outcome, Outcome::Ok);
}

class ThrowingCommands : public NullCommands {
public:
    void installJvm(std::int32_t) override { throw LauncherException("No JVM installer in this launcher."); }
};

TEST_F(InterpreterTest, DriverWrapping) {
    struct Row {
        std::vector<const char*> statements;
        const char* message;
    } rows[] = {
        {{"INITIALIZE_UI", "// two", "FIND_JVM 1 2"}, "Error in instructions.  Invalid boolean value (2) Line number (3)"},
        {{"BOGUS"}, "Error in instructions. Invalid command (BOGUS).  Line number (1)"},
        // Operation failures pass through without the prefix.
        {{"INSTALL_JVM 1"}, "No JVM installer in this launcher."},
        {{"LAUNCH @N9@ 0"},
         "Invalid jvm file name specified in LAUNCH. Variable number is invalid (9)"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.message);
        TagFile program;
        for (const char* s : r.statements) program.addValue(INSTRUCTIONS_TAG, s);
        ThrowingCommands ops;
        Instructions instructions(program, ops, ops);
        Ending e = capture([&] { runInstructions(instructions); });
        EXPECT_EQ(e.outcome, Outcome::Launcher);
        EXPECT_EQ(e.message, r.message);
    }
}

// A check reads each statement once: every error is reported with its
// statement, later statements are still read, every literal jump label is
// looked up whatever the jump's value, and nothing jumps.
TEST_F(InterpreterTest, CheckReadsEveryStatementWithoutRunning) {
    TagFile program = makeProgram({
        "INITIALIZE_UI",
        "Launch @S2@ 0",
        "JMP0 1 NOWHERE",
        "GOTO @S3@",
        "GOTO DONE",
        "FIND_JVM 1",
        "LAUNCH @S2@ 0",
        ":DONE",
        "SET X1 = 2",
        "JMP0 @X1@ DONE",
    });
    RecordingCommands ops;
    Instructions instructions(program, ops, ops);
    std::vector<std::string> reports;
    instructions.check([&](std::int32_t k, const String& message) {
        reports.push_back(std::to_string(k) + " " + std::string(message));
    });
    EXPECT_EQ(reports, (std::vector<std::string>{
                           "1 Invalid command (Launch). ",
                           "2 Label not found (NOWHERE)",
                           "5 The second argument to FIND_JVM should be a 1 if a find failure message should be "
                           "displayed in a UI or 0 if no message should be displayed.",
                           "8 Invalid variable specified on left hand side of SET statement. Invalid variable "
                           "reference (X1). Must use N or S as the variable type, e.g. N2 or S1.",
                           "9 The second argument to JMP0 must be numeric. Invalid variable reference (X1). Must use "
                           "N or S as the variable type, e.g. N2 or S1.",
                       }));
    EXPECT_EQ(ops.calls, (StringList{"initializeUi", "launchWithJvmFile [] 0"}));
    // The interpreter runs as before afterwards: the jump is taken again.
    Ending e = capture([&] { instructions.run(); });
    EXPECT_EQ(e.outcome, Outcome::Raised);
    EXPECT_EQ(e.line, 2);
}

// Statement numbers count values of INSTRUCTIONS only: not blank lines, not
// the tag line, not other tags.
TEST_F(InterpreterTest, LineNumberIsThePositionAmongStatements) {
    const char* text =
        "DESC: line numbers\n"
        "\n"
        "INSTRUCTIONS:\n"
        "\n"
        "  INITIALIZE_UI\n"
        "\n"
        "  // still fine\n"
        "\n"
        "\n"
        "  FIND_JVM 1\n"
        "/:\n";
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    std::fputs(text, f);
    TagFile program;
    program.parse(f, "instructions.txt", 0, -1);
    std::fclose(f);
    NullCommands ops;
    Ending e = runProgram(program, ops);
    EXPECT_EQ(e.outcome, Outcome::Raised);
    EXPECT_EQ(e.line, 3);
}

}  // namespace

}  // namespace mg
