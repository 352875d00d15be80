// The example programs of the language reference, run as the launcher would
// run them, with stand-in operations reporting each outcome.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/recording_operations.h"
#include "test_support.h"

namespace mg {

namespace {

struct Scenario {
    bool found;
    bool valid;
    bool installed;
};

struct Row {
    const char* file;
    Scenario scenario;
    std::vector<const char*> calls;
};

TEST(ExamplesTest, ProgramsCallTheOperationsTheyDescribe) {
    const Row rows[] = {
        {"find_then_launch.txt", {true, false, false},
         {"initializeUi", "findJvm 1 1", "launchWithJvmFile [C:\\jre\\jvm.jvm] 0"}},
        {"find_then_launch.txt", {false, false, false}, {"initializeUi", "findJvm 1 1"}},
        {"install_then_launch.txt", {false, false, true},
         {"initializeUi", "installJvm 1", "launchWithJvmFile [C:\\Temp\\mg1\\jvm.jvm] 0"}},
        {"install_then_launch.txt", {false, false, false}, {"initializeUi", "installJvm 1"}},
        {"find_or_install.txt", {true, false, true},
         {"initializeUi", "findJvm 1 0", "launchWithJvmFile [C:\\jre\\jvm.jvm] 5"}},
        {"find_or_install.txt", {false, false, true},
         {"initializeUi", "findJvm 1 0", "installJvm 1", "launchWithJvmFile [C:\\Temp\\mg1\\jvm.jvm] 5"}},
        {"find_or_install.txt", {false, false, false}, {"initializeUi", "findJvm 1 0", "installJvm 1"}},
        {"verify_embedded.txt", {false, true, false},
         {"initializeUi", "verifyJvmById 1 0 2", "launchWithEmbeddedJvmFile 2 0"}},
        {"verify_embedded.txt", {true, false, false},
         {"initializeUi", "verifyJvmById 1 0 2", "findJvm 1 1", "launchWithJvmFile [C:\\jre\\jvm.jvm] 0"}},
        {"verify_embedded.txt", {false, false, false}, {"initializeUi", "verifyJvmById 1 0 2", "findJvm 1 1"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.file) + (r.scenario.found ? " found" : "") + (r.scenario.valid ? " valid" : "") +
                     (r.scenario.installed ? " installed" : ""));
        resetVariables();
        TagFile program;
        program.load(String(MG_EXAMPLES_DIR "/") + r.file);
        RecordingOperations ops;
        ops.jvmFound = r.scenario.found;
        ops.jvmValid = r.scenario.valid;
        ops.installSucceeds = r.scenario.installed;
        Ending e = runProgram(program, ops);
        EXPECT_EQ(e.outcome, Outcome::Ok) << e.message;
        EXPECT_EQ(ops.calls, StringList(r.calls.begin(), r.calls.end()));
    }
}

}  // namespace

}  // namespace mg
