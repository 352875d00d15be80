// Runs a small helper child of ours under Wine through the real pipes.
#include "system/child_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/settings.h"
#include "ui/messages.h"

namespace mg {

namespace {

// The helper's host path as Wine sees it through drive Z:.
String helperPath() {
    String path = "Z:";
    for (char c : std::string(PROC_CHILD_EXE)) path += c == '/' ? '\\' : c;
    return path;
}

String helperCommand(const String& arguments) { return "\"" + helperPath() + "\" " + arguments; }

std::string pattern(std::size_t size, char base) {
    std::string bytes(size, ' ');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(base + i % 26);
    return bytes;
}

class ChildProcessTest : public ::testing::Test {
protected:
    // Without a progress window every pipe read would throw: silent mode
    // makes the progress steps do nothing.
    void SetUp() override { silent = true; }
    void TearDown() override { silent = true; }
};

struct CapturedCase {
    const char* arguments;
    const char* workingDirectory;
    std::string expectedOutput;
    std::string expectedError;
};

TEST_F(ChildProcessTest, CapturesStandardOutputAndError) {
    const CapturedCase cases[] = {
        {"stderr 3", "", "", "line 0\r\nline 1\r\nline 2\r\n"},
        // The exit code is not read: a failing child is still a started one.
        {"exit 3 failed", "", "failed", ""},
        {"exit 0 fine", "", "fine", ""},
        {"late 300 done", "", "done", ""},
        {"cwd", "C:\\windows", "C:\\windows", ""},
        {"nul", "", std::string("a\0b", 3), ""},
    };
    for (const CapturedCase& c : cases) {
        String output, error;
        runProcess(helperCommand(c.arguments), c.workingDirectory, false, true, true, &output, &error);
        EXPECT_EQ(c.expectedOutput, output) << c.arguments;
        EXPECT_EQ(c.expectedError, error) << c.arguments;
    }
}

TEST_F(ChildProcessTest, ReadsMoreThanAPipeHoldsCompletely) {
    String output, error;
    runProcess(helperCommand("big 1048576"), "", false, true, true, &output, &error);
    ASSERT_EQ(1048576u, output.size());
    EXPECT_TRUE(output == pattern(1048576, 'a'));
    EXPECT_TRUE(error.empty());

    String both, bothError;
    runProcess(helperCommand("both 300000"), "", false, true, true, &both, &bothError);
    EXPECT_TRUE(both == pattern(300000, 'a'));
    EXPECT_TRUE(bothError == pattern(300000, 'A'));
}

TEST_F(ChildProcessTest, AppendsToWhatTheTargetsHold) {
    String output = "before:";
    String error;
    runProcess(helperCommand("exit 0 after"), "", false, true, true, &output, &error);
    EXPECT_EQ("before:after", output);
}

TEST_F(ChildProcessTest, EmptiesAPipeWithoutTarget) {
    // A full standard output pipe that nobody read would keep the child from
    // ending, and the wait for it would never return.
    String error;
    runProcess(helperCommand("big 1048576"), "", false, true, true, nullptr, &error);
    EXPECT_TRUE(error.empty());
    String output;
    runProcess(helperCommand("stderr 8000"), "", false, true, true, &output, nullptr);
    EXPECT_TRUE(output.empty());
}

TEST_F(ChildProcessTest, ChildInheritsTheEnvironment) {
    ASSERT_TRUE(SetEnvironmentVariableA("JAVA_HOME", "C:\\jvm\\home"));
    String output, error;
    runProcess(helperCommand("env JAVA_HOME"), "", false, true, true, &output, &error);
    EXPECT_EQ("C:\\jvm\\home", output);
    SetEnvironmentVariableA("JAVA_HOME", nullptr);
}

TEST_F(ChildProcessTest, UncapturedChildrenLeaveTheTargetsAlone) {
    struct Case {
        bool capture;
        bool wait;
    };
    // Not waiting means no capture, even when it was asked for.
    const Case cases[] = {{false, true}, {true, false}, {false, false}};
    for (const Case& c : cases) {
        String output, error;
        runProcess(helperCommand("exit 0 text"), "", false, c.capture, c.wait, &output, &error);
        EXPECT_TRUE(output.empty()) << c.capture << c.wait;
        EXPECT_TRUE(error.empty()) << c.capture << c.wait;
    }
    Sleep(200);  // let the children that were not waited for end
}

TEST_F(ChildProcessTest, FailedStartsReportTheSystemsReason) {
    struct Case {
        const char* name;
        String command;
        const char* workingDirectory;
        bool capture;
    };
    const Case cases[] = {
        {"empty, captured", "", "", true},
        {"empty, plain", "", "", false},
        {"missing program, captured", "C:\\no\\such\\program.exe", "", true},
        {"missing program, plain", "C:\\no\\such\\program.exe", "", false},
        {"missing directory", helperCommand("exit 0 x"), "C:\\no\\such\\dir", true},
    };
    const String prefix = "CreateProcess failed  ==>  ";
    for (const Case& c : cases) {
        String output, error;
        try {
            runProcess(c.command, c.workingDirectory, false, c.capture, true, &output, &error);
            ADD_FAILURE() << c.name << ": started";
        } catch (const LauncherException& e) {
            ASSERT_GT(e.message().size(), prefix.size()) << c.name << ": " << e.message();
            EXPECT_EQ(prefix, e.message().substr(0, prefix.size())) << c.name;
        }
    }
}

TEST_F(ChildProcessTest, ProgressErrorsPassThroughUnchanged) {
    // Not silent and no progress window: the first step of a read fails.
    silent = false;
    String output, error;
    try {
        runProcess(helperCommand("exit 0 x"), "", false, true, true, &output, &error);
        ADD_FAILURE() << "no error";
    } catch (const LauncherException& e) {
        EXPECT_EQ(loadStringText(IDS_NO_PROGRESS_BAR), e.message());
    }
}

// A child that runs on past the limit in force, or past the user's cancel
// when the limit says so, is ended; one that ends in time is untouched; with
// no limit in force nothing changes.
TEST_F(ChildProcessTest, AWaitLimitEndsAChildThatRunsOn) {
    struct LimitCase {
        unsigned long milliseconds;
        bool endOnCancel;
        bool cancelled;
        const char* arguments;
        const char* stoppedBecause;  // null: runs to its end
        const char* expectedOutput;
    };
    const LimitCase cases[] = {
        {1000, false, false, "late 600000 never", "it did not end within 1 seconds", ""},
        {600000, true, true, "late 600000 never", "the user cancelled", ""},
        // Without endOnCancel a cancel does not end the child.
        {600000, false, true, "late 200 done", nullptr, "done"},
        {600000, true, false, "late 200 done", nullptr, "done"},
    };
    for (const LimitCase& c : cases) {
        cancelRequested = c.cancelled;
        const DWORD started = GetTickCount();
        String output, error, stopped;
        {
            ChildWaitLimit limit(c.milliseconds, c.endOnCancel);
            EXPECT_EQ(&limit, ChildWaitLimit::current());
            try {
                runProcess(helperCommand(c.arguments), "", false, true, true, &output, &error);
            } catch (const ChildStopped& e) {
                stopped = e.message();
            }
        }
        cancelRequested = false;
        EXPECT_EQ(nullptr, ChildWaitLimit::current());
        EXPECT_EQ(c.stoppedBecause ? c.stoppedBecause : "", stopped) << c.arguments;
        EXPECT_EQ(c.expectedOutput, output) << c.arguments;
        // A hang bound, not a timing check: the ten-minute child was not waited out.
        EXPECT_LT(GetTickCount() - started, 300000u) << c.arguments;
    }
}

TEST_F(ChildProcessTest, TheInnermostWaitLimitHolds) {
    ChildWaitLimit outer(600000, false);
    {
        ChildWaitLimit inner(500, false);
        String output;
        EXPECT_THROW(runProcess(helperCommand("late 600000 never"), "", false, true, true, &output, nullptr),
                     ChildStopped);
    }
    EXPECT_EQ(&outer, ChildWaitLimit::current());
    String output;
    runProcess(helperCommand("late 100 done"), "", false, true, true, &output, nullptr);
    EXPECT_EQ("done", output);
}

TEST_F(ChildProcessTest, ReadPipeTakesOneBlockAtATime) {
    struct Case {
        const char* name;
        std::size_t written;
        bool closeWriter;
        std::vector<std::size_t> reads;  // what successive calls return
    };
    const Case cases[] = {
        {"a little", 10, false, {10, 0}},
        {"more than a block", 5000, false, {4096, 904, 0}},
        {"empty", 0, false, {0}},
        {"empty and broken", 0, true, {0, 0}},
        {"broken with data left", 3, true, {3, 0}},
    };
    for (const Case& c : cases) {
        HANDLE readEnd = nullptr, writeEnd = nullptr;
        ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 8192));
        std::string bytes = pattern(c.written, 'a');
        DWORD written = 0;
        if (!bytes.empty()) {
            ASSERT_TRUE(WriteFile(writeEnd, bytes.data(), bytes.size(), &written, nullptr));
        }
        if (c.closeWriter) CloseHandle(writeEnd);
        String target;
        for (std::size_t expected : c.reads) EXPECT_EQ(expected, ChildProcess::readPipe(readEnd, target)) << c.name;
        EXPECT_EQ(bytes, target) << c.name;
        if (!c.closeWriter) CloseHandle(writeEnd);
        CloseHandle(readEnd);
    }
}

TEST_F(ChildProcessTest, ReadPipeReportsAHandleThatIsNoPipe) {
    String target;
    try {
        ChildProcess::readPipe(nullptr, target);
        ADD_FAILURE() << "no error";
    } catch (const LauncherException& e) {
        const String prefix = "PeekNamedPipe failed  ==>  ";
        EXPECT_EQ(prefix, e.message().substr(0, prefix.size())) << e.message();
    }
}

TEST(ChildProcessMessages, ChildFailureText) {
    EXPECT_EQ("Execution of Child Process Failed", loadStringText(IDS_CHILD_FAILED));
}

}  // namespace

}  // namespace mg
