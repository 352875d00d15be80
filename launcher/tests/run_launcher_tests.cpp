#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "launcher/driver.h"
#include "base/front.h"
#include "launcher/launcher.h"
#include "base/settings.h"
#include "ui/host_ui.h"

namespace mg {

// The driver as each test scripts it.
static std::function<void(const StringList&)> scriptedDriver;
int runDriver(const StringList& args) {
    if (scriptedDriver) scriptedDriver(args);
    return 0;
}

namespace {

std::string readText(const String& path) {
    std::string out;
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return out;
    int c;
    while ((c = std::fgetc(f)) != EOF) out += static_cast<char>(c);
    std::fclose(f);
    return out;
}

class RunLauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        hostui::reset();
        allArgs.clear();
        silent = false;
        logPath = String(::testing::TempDir()) + "mg_run_launcher.log";
        std::remove(logPath.c_str());
        logHeaderWritten = false;
    }
    void TearDown() override {
        std::remove(logPath.c_str());
        logPath.clear();
        scriptedDriver = nullptr;
        silent = false;
    }
};

TEST_F(RunLauncherTest, SetsThePathsAndArgumentsBeforeTheDriverRuns) {
    StringList seen;
    String pathSeen;
    scriptedDriver = [&](const StringList& args) {
        seen = args;
        pathSeen = launcherPath;
    };
    EXPECT_EQ(runLauncher({"-mg:silent", "", "app arg"}, "C:\\x\\mglauncher.exe"), 0);
    EXPECT_EQ(seen, (StringList{"-mg:silent", "", "app arg"}));
    EXPECT_EQ(pathSeen, "C:\\x\\mglauncher.exe");
    EXPECT_EQ(originalLauncherPath, "C:\\x\\mglauncher.exe");
    EXPECT_EQ(allArgs, seen);
    EXPECT_TRUE(hostui::state().messages.empty());
}

TEST_F(RunLauncherTest, ReportsWhatEndsTheRun) {
    struct Row {
        const char* name;
        std::function<void()> fail;
        const char* message;
    };
    const Row rows[] = {
        {"launcher", [] { throw LauncherException("Unable to load the launcher file index. boom"); },
         "Unable to load the launcher file index. boom"},
        {"range", [] { throw RangeException(); }, "Internal error: a text position was out of range."},
        {"length", [] { throw LengthException(); }, "Internal error: a text grew too long."},
        {"std", [] { throw std::runtime_error("bad"); }, "Internal error: bad"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        hostui::reset();
        std::remove(logPath.c_str());
        logHeaderWritten = false;
        scriptedDriver = [&](const StringList&) { r.fail(); };
        setRunExitCode(0);
        EXPECT_EQ(runLauncher({}, "C:\\l.exe"), 1);
        // The console launcher's caller learns of it; the GUI launcher's never.
        EXPECT_EQ(processExitCode(), 0);
        front = Front::Console;
        EXPECT_EQ(processExitCode(), EXIT_LAUNCHER_FAILED);
        front = Front::Window;
        ASSERT_EQ(hostui::state().messages.size(), 1u);
        EXPECT_EQ(hostui::state().messages[0], r.message);
        EXPECT_EQ(readText(logPath), std::string("------------------\nERROR: ") + r.message + "\n");
    }
}

TEST_F(RunLauncherTest, SilentRunStillLogsTheError) {
    scriptedDriver = [](const StringList&) {
        silent = true;  // as -mg:silent sets it
        throw LauncherException("No matching JVM was found.");
    };
    EXPECT_EQ(runLauncher({"-mg:silent"}, "C:\\l.exe"), 1);
    EXPECT_TRUE(hostui::state().messages.empty());
    EXPECT_EQ(readText(logPath), "------------------\nERROR: No matching JVM was found.\n");
}

}  // namespace

}  // namespace mg
