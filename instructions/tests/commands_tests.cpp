#include <gtest/gtest.h>

#include <vector>

#include "tests/support/recording_operations.h"
#include "test_support.h"

namespace mg {

namespace {

const char* const FIND_FIRST =
    "The first argument to FIND_JVM should be a 1 if the UI should be displayed or a 0 if the UI should be "
    "suppressed.";
const char* const FIND_SECOND =
    "The second argument to FIND_JVM should be a 1 if a find failure message should be displayed in a UI or 0 if "
    "no message should be displayed.";
const char* const VERIFY_FIRST =
    "The first argument to VERIFY should be a 1 if the UI should be displayed or a 0 if the UI should be suppressed.";
const char* const VERIFY_SECOND =
    "The second argument to VERIFY should be a 1 if a find failure message should be displayed in a UI or 0 if no "
    "message should be displayed.";
const char* const VERIFY_THIRD = "The third argument to VERIFY should be the file index number of the jvm file.";
const char* const INSTALL_FIRST = "The first argument to INSTALL_JVM should be a 0, 1 or 2.";
const char* const LAUNCH_SECOND =
    "The second argument to LAUNCH should be the number of seconds to display the UI during the launch.";
const char* const ILAUNCH_FIRST = "The first argument to ILAUNCH should be the file index number of the jvm file.";
const char* const ILAUNCH_SECOND =
    "The second argument to ILAUNCH should be the number of seconds to display the UI during the launch.";
const char* const GOTO_MISSING = "The GOTO command requires a label as its only argument.";
const char* const JMP0_LABEL = "JMP0 requires a jump label as its second argument.";
const char* const SET_LEFT = "Invalid variable specified on left hand side of SET statement. ";
const char* const BAD_REFERENCE_X1 =
    "Invalid variable reference (X1). Must use N or S as the variable type, e.g. N2 or S1.";

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override { initVariables(); }

    static void initVariables() {
        resetVariables();
        setNumericVariable(2, 42);
        setStringVariable(1, "C:\\Program Files\\app\\jvm.jvm");
    }

    // Runs one statement from the variables above, whatever earlier rows did.
    Ending runStatement(const char* statement, RecordingOperations& ops) {
        initVariables();
        TagFile program = makeProgram({statement});
        return runProgram(program, ops);
    }
};

// Arguments are read and checked one at a time, in order, so each row shows
// which check a statement reaches first. No operation is called on an error.
TEST_F(CommandsTest, ArgumentErrors) {
    struct Row {
        const char* statement;
        Outcome outcome;
        std::string message;
    } rows[] = {
        {"FIND_JVM", Outcome::Raised, FIND_FIRST},
        {"FIND_JVM 1", Outcome::Raised, FIND_SECOND},
        {"FIND_JVM 1 2", Outcome::Raised, " Invalid boolean value (2)"},
        {"FIND_JVM 2", Outcome::Raised, " Invalid boolean value (2)"},
        {"FIND_JVM x 1", Outcome::Raised, "Invalid numeric expression (x)"},
        {"FIND_JVM @S9@ 1", Outcome::Raised, "Invalid numeric expression ()"},  // S9 is empty
        {"FIND_JVM @X1@ 1", Outcome::Launcher, std::string(" ") + BAD_REFERENCE_X1},
        {"VERIFY", Outcome::Raised, VERIFY_FIRST},
        {"VERIFY 1", Outcome::Raised, VERIFY_SECOND},
        {"VERIFY 1 0", Outcome::Raised, VERIFY_THIRD},
        {"VERIFY 3", Outcome::Raised, " Invalid boolean value (3)"},
        {"VERIFY 1 0 x", Outcome::Raised, "Invalid numeric expression (x)"},
        {"INSTALL_JVM", Outcome::Raised, INSTALL_FIRST},
        {"INSTALL_JVM 3", Outcome::Raised, INSTALL_FIRST},
        {"INSTALL_JVM -1", Outcome::Raised, INSTALL_FIRST},
        {"INSTALL_JVM q", Outcome::Raised, "Invalid numeric expression (q)"},
        {"LAUNCH", Outcome::Raised, LAUNCH_SECOND},
        {"LAUNCH a.jvm", Outcome::Raised, LAUNCH_SECOND},
        {"LAUNCH a.jvm x", Outcome::Raised, " Invalid numeric expression (x)"},
        {"LAUNCH \"\" 0", Outcome::Raised, "Invalid jvm file name specified in LAUNCH. Empty expression."},
        {"LAUNCH @ 0", Outcome::Raised, "Invalid jvm file name specified in LAUNCH. Invalid variable specification."},
        {"LAUNCH \"a b.jvm 0", Outcome::Launcher,
         "Expected ending quote in \"a b.jvm 0:  Invalid jvm file name specified in LAUNCH."},
        {"LAUNCH @X1@ 0", Outcome::Launcher, std::string("Invalid jvm file name specified in LAUNCH. ") + BAD_REFERENCE_X1},
        {"ILAUNCH", Outcome::Raised, ILAUNCH_FIRST},
        {"ILAUNCH 1", Outcome::Raised, ILAUNCH_SECOND},
        {"ILAUNCH x", Outcome::Raised, "Invalid numeric expression (x)"},
        {"ILAUNCH 1 y", Outcome::Raised, " Invalid numeric expression (y)"},
        {"EXECUTE_LAUNCHER", Outcome::Raised, ILAUNCH_FIRST},
        {"EXECUTE_LAUNCHER z", Outcome::Raised, "Invalid numeric expression (z)"},
        {"GOTO", Outcome::Raised, GOTO_MISSING},
        {"GOTO NOWHERE", Outcome::Raised, "Label not found (NOWHERE)"},
        {"JMP0", Outcome::Raised, "The second argument to JMP0 must be numeric. Empty expression."},
        {"JMP0 x L", Outcome::Raised, "The second argument to JMP0 must be numeric.Invalid numeric expression (x)"},
        {"JMP0 1", Outcome::Raised, JMP0_LABEL},  // even though no jump would be taken
        {"JMP0 0", Outcome::Raised, JMP0_LABEL},
        {"JMP0 0 NOWHERE", Outcome::Raised, "Label not found (NOWHERE)"},
        {"SET", Outcome::Raised, "SET statement is missing =."},
        {"SET N1 5", Outcome::Raised, "SET statement is missing =."},
        {"SET X1 = 1", Outcome::Raised, std::string(SET_LEFT) + BAD_REFERENCE_X1},
        {"SET N6 = 1", Outcome::Raised, std::string(SET_LEFT) + "Variable number is invalid (6)"},
        {"SET = 1", Outcome::Raised,
         std::string(SET_LEFT) + "Variable references must be at least 2 characters (e.g. N1 and S10)."},
        {"SET N1 = abc", Outcome::Raised, "Invalid value specified for SET command Invalid numeric expression in abc"},
        {"SET N1 =", Outcome::Raised, "Invalid value specified for SET command Invalid numeric expression in "},
        {"SET S1 = \"\"", Outcome::Raised, "Invalid expression specified for SET command Empty expression."},
        {"SET S1 = a@", Outcome::Raised, "Invalid expression specified for SET command Invalid variable specification."},
        // Reference errors are LauncherExceptions elsewhere; SET gives them a line.
        {"SET S1 = @X1@", Outcome::Raised, std::string("Invalid expression specified for SET command ") + BAD_REFERENCE_X1},
        {"SET S1 = \"open", Outcome::Raised, "Expected double quote to end argument near 1"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.statement);
        RecordingOperations ops;
        Ending e = runStatement(r.statement, ops);
        EXPECT_EQ(e.outcome, r.outcome) << e.message;
        EXPECT_EQ(e.message, r.message);
        EXPECT_EQ(e.line, r.outcome == Outcome::Raised ? 1 : 0);
        EXPECT_TRUE(ops.calls.empty());
    }
}

TEST_F(CommandsTest, CallsTheOperationWithEvaluatedArguments) {
    struct Row {
        const char* statement;
        const char* call;
    } rows[] = {
        {"INITIALIZE_UI", "initializeUi"},
        {"INITIALIZE_UI with extra words", "initializeUi"},
        {"FIND_JVM 1 0", "findJvm 1 0"},
        {"FIND_JVM 0 1 ignored", "findJvm 0 1"},
        {"VERIFY 0 1 7", "verifyJvmById 0 1 7"},
        {"VERIFY 1 1 @N2@", "verifyJvmById 1 1 42"},
        {"INSTALL_JVM 0", "installJvm 0"},
        {"INSTALL_JVM 2", "installJvm 2"},
        {"LAUNCH a.jvm 0", "launchWithJvmFile [a.jvm] 0"},
        {"LAUNCH @S1@ 10", "launchWithJvmFile [C:\\Program Files\\app\\jvm.jvm] 10"},
        {"LAUNCH \"C:\\My Apps\\java vm.jvm\" 5", "launchWithJvmFile [C:\\My Apps\\java vm.jvm] 5"},
        {"LAUNCH \"@S1@\" 1", "launchWithJvmFile [C:\\Program Files\\app\\jvm.jvm] 1"},
        {"LAUNCH \"say \"\"hi\"\".jvm\" 0", "launchWithJvmFile [say \"hi\".jvm] 0"},
        {"LAUNCH a.jvm 70000", "launchWithJvmFile [a.jvm] 4464"},
        {"ILAUNCH 3 10", "launchWithEmbeddedJvmFile 3 10"},
        {"ILAUNCH @N2@ -1", "launchWithEmbeddedJvmFile 42 -1"},
        {"EXECUTE_LAUNCHER 4", "executeEmbeddedLauncher 4"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.statement);
        RecordingOperations ops;
        Ending e = runStatement(r.statement, ops);
        EXPECT_EQ(e.outcome, Outcome::Ok) << e.message;
        EXPECT_EQ(ops.calls, StringList{r.call});
    }
}

TEST_F(CommandsTest, SetAssignsVariables) {
    struct Row {
        const char* statement;
        const char* variable;
        const char* value;
    } rows[] = {
        {"SET S1 = hello world", "S1", "hello"},
        {"SET S1 = \"hello world\"", "S1", "hello world"},
        {"SET S1 =", "S1", ""},
        {"SET S1 =    ", "S1", ""},
        {"SET S1=x", "S1", "x"},
        {"SET s2 = \"say \"\"hi\"\"\"", "S2", "say \"hi\""},
        {"SET S3 = a=b", "S3", "a=b"},
        {"SET S4 = @@", "S4", "@"},
        {"SET S5 = @S1@", "S5", "C:\\Program Files\\app\\jvm.jvm"},
        {"SET S10 = last", "S10", "last"},
        {"SET N1 = @N2@", "N1", "42"},
        {"SET n3 = -7", "N3", "-7"},
        {"SET N4 = 12abc", "N4", "12"},
        {"SET N5 = \" 9\"", "N5", "9"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.statement);
        RecordingOperations ops;
        Ending e = runStatement(r.statement, ops);
        EXPECT_EQ(e.outcome, Outcome::Ok) << e.message;
        EXPECT_EQ(VariableRef::parse(r.variable, "").valueText(), r.value);
    }
}

// @@ escapes let a program store a reference in a variable and follow it later.
TEST_F(CommandsTest, StoredReferencesAreFollowedWhenUsed) {
    TagFile program = makeProgram({"SET S3 = 1@@N2@@", "SET N1 = @S3@", "ILAUNCH @S3@ 0"});
    RecordingOperations ops;
    Ending e = runProgram(program, ops);
    EXPECT_EQ(e.outcome, Outcome::Ok) << e.message;
    EXPECT_EQ(getStringVariable(3), "1@N2@");
    EXPECT_EQ(getNumericVariable(1), 142);
    EXPECT_EQ(ops.calls, StringList{"launchWithEmbeddedJvmFile 142 0"});
}

TEST_F(CommandsTest, SelfReproducingValueStopsWithAnError) {
    TagFile program = makeProgram({"SET S6 = @@S6@@@@", "SET S7 = @S6@"});
    RecordingOperations ops;
    Ending e = runProgram(program, ops);
    EXPECT_EQ(getStringVariable(6), "@S6@@");
    EXPECT_EQ(e.outcome, Outcome::Raised);
    EXPECT_EQ(e.line, 2);
    EXPECT_EQ(e.message,
              "Invalid expression specified for SET command Variable references still expand after 1000 passes. A "
              "variable may hold its own reference.");
}

TEST_F(CommandsTest, Jmp0BranchesOnTheFindResult) {
    struct Row {
        bool found;
        std::vector<const char*> calls;
    } rows[] = {
        {true, {"findJvm 0 0", "launchWithJvmFile [C:\\jre\\jvm.jvm] 0"}},
        {false, {"findJvm 0 0"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.found);
        TagFile program = makeProgram({"FIND_JVM 0 0", "JMP0 @N1@ DONE", "LAUNCH @S2@ 0", ":DONE"});
        RecordingOperations ops;
        ops.jvmFound = r.found;
        Ending e = runProgram(program, ops);
        EXPECT_EQ(e.outcome, Outcome::Ok) << e.message;
        EXPECT_EQ(ops.calls, StringList(r.calls.begin(), r.calls.end()));
    }
}

}  // namespace

}  // namespace mg
