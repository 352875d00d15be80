#include <gtest/gtest.h>

#include "base/settings.h"
#include "text/text.h"
#include "ui/host_ui.h"
#include "ui/messages.h"
#include "ui/progress.h"

namespace mg {

namespace {

TEST(MessageCodes, MapToTheirStringIds) {
    struct Row {
        int code;
        int id;
    };
    const Row rows[] = {
        {-1, -1}, {0, 8},   {1, 9},   {2, 10},  {3, 11},  {4, 12},  {5, 13},  {6, 14},  {7, 15},  {8, 16},
        {9, 19},  {10, 21}, {11, 22}, {12, 23}, {13, 24}, {14, 29}, {15, 33}, {16, 34}, {17, 35}, {18, -1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.code);
        EXPECT_EQ(messageStringId(r.code), r.id);
        EXPECT_EQ(messageText(r.code), r.id < 0 ? String() : loadStringText(r.id));
    }
}

TEST(MessageCodes, WriteErrorAndDiskSpaceJoinWithOneSpace) {
    EXPECT_EQ(messageText(MSG_WRITE_ERROR) + toDecimal(112) + messageText(MSG_DISK_SPACE),
              "Error writing file = 112 There may not be enough temporary disk space. Try using -mg:tempdir to "
              "use a temporary directory on a partition with more disk space.");
}

TEST(HostStringTable, HoldsTheAnsiTexts) {
    EXPECT_EQ(loadStringText(1), "LauncherMain");
    EXPECT_EQ(loadStringText(31),
              "Marrowgate\xAE is preparing the Marrowgate Wizard, which\nwill guide you through the rest of the "
              "process.\nPlease wait...");
    EXPECT_EQ(loadStringText(13), "Invalid action in input file: ");
    EXPECT_EQ(loadStringText(0), "");
    EXPECT_EQ(loadStringText(41), "");
}

TEST(HostFormat, ReplacesTextInserts) {
    struct Row {
        const char* format;
        StringList inserts;
        const char* result;
    };
    const Row rows[] = {
        {"Initializing %1!s!...", {"App"}, "Initializing App..."},
        {"%1!s! %2!s!", {"a", ""}, "a "},
        {"100%% %1", {"done"}, "100% done"},
        {"%1!s! %2!s!", {"only"}, "only "},
        {"%1!s!", {"50%1"}, "50%1"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.format);
        EXPECT_EQ(formatText(r.format, r.inserts), r.result);
    }
}

TEST(SystemErrors, CallNameArrowThenSystemText) {
    String message = systemErrorMessage("CreateProcess", 2);
    EXPECT_EQ(message.substr(0, 27), "CreateProcess failed  ==>  ");
    EXPECT_GT(message.size(), 27u);
    try {
        throwSystemError("GetTempFileName", 2);
        FAIL();
    } catch (const LauncherException& e) {
        EXPECT_EQ(e.message(), systemErrorMessage("GetTempFileName", 2));
    }
}

TEST(CenterPosition, CentresOnOwnerKeptOnScreen) {
    struct Row {
        const char* name;
        Rect window;
        bool hasOwner;
        Rect owner;
        WindowPosition expected;
    };
    const Row rows[] = {
        {"no owner", {0, 0, 200, 100}, false, {}, {412, 334}},
        {"no owner odd", {5, 5, 206, 106}, false, {}, {411, 333}},
        {"owner centred", {0, 0, 200, 100}, true, {100, 100, 500, 300}, {200, 150}},
        // Halves are computed separately: 401/2 - 201/2 = 200 - 100.
        {"odd halves", {0, 0, 201, 101}, true, {0, 0, 401, 201}, {100, 50}},
        {"off the left top", {0, 0, 200, 100}, true, {-500, -400, -300, -300}, {0, 0}},
        {"off the right bottom", {0, 0, 200, 100}, true, {900, 700, 1300, 900}, {814, 658}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        WindowPosition p = centerPosition(r.window, r.hasOwner ? &r.owner : nullptr, 1024, 768);
        EXPECT_EQ(p.x, r.expected.x);
        EXPECT_EQ(p.y, r.expected.y);
    }
}

class HostProgress : public ::testing::Test {
protected:
    void SetUp() override {
        hostui::reset();
        silent = false;
    }
    void TearDown() override { silent = false; }
};

TEST_F(HostProgress, StatusLineJoinsStatusAndDetail) {
    setCaption("My App");
    setStatus(STATUS_INITIALIZING);
    EXPECT_EQ(hostui::state().statusLine, "Initializing My App... ");
    setDetail(DETAIL_VERIFYING, "C:\\jre");
    EXPECT_EQ(hostui::state().statusLine, "Initializing My App... Verifying C:\\jre");
    // Clearing the detail leaves the line until the next refresh.
    setDetail(DETAIL_NONE, "");
    EXPECT_EQ(hostui::state().statusLine, "Initializing My App... Verifying C:\\jre");
    setStatus(STATUS_SEARCHING);
    EXPECT_EQ(hostui::state().statusLine, "Searching for Java(tm) Virtual Machine... ");
    setStatus(9);
    EXPECT_EQ(hostui::state().statusLine, "");
}

TEST_F(HostProgress, DetailSaverRestoresTheEarlierDetail) {
    setStatus(STATUS_SEARCHING);
    setDetail(DETAIL_SEARCHING_FOR, "jre 1.8");
    {
        DetailSaver saver;
        setDetail(DETAIL_VERIFYING, "C:\\jdk");
        EXPECT_EQ(hostui::state().statusLine, "Searching for Java(tm) Virtual Machine... Verifying C:\\jdk");
    }
    EXPECT_EQ(hostui::state().statusLine, "Searching for Java(tm) Virtual Machine... Searching for jre 1.8");
}

TEST_F(HostProgress, ProgressWrapsAtOneHundred) {
    struct Row {
        bool step;
        int n;
        int position;
    };
    const Row rows[] = {{false, 100, 0}, {false, 95, 95}, {true, 5, 0}, {true, 30, 30}, {true, 75, 5}, {false, 250, 50}};
    for (const Row& r : rows) {
        if (r.step)
            stepProgress(r.n);
        else
            setProgress(r.n);
        EXPECT_EQ(hostui::state().progress, r.position) << (r.step ? "step " : "set ") << r.n;
    }
    hostui::state().hasProgressBar = false;
    try {
        stepProgress(1);
        FAIL();
    } catch (const LauncherException& e) {
        EXPECT_EQ(e.message(), "The progress bar has not been created yet");
    }
}

TEST_F(HostProgress, SilentShowsNothing) {
    silent = true;
    showWindow();
    showMessage("hello");
    setStatus(STATUS_RUNNING);
    EXPECT_FALSE(hostui::state().visible);
    EXPECT_EQ(hostui::state().hideSeconds, 0);
    EXPECT_TRUE(hostui::state().messages.empty());
    EXPECT_EQ(hostui::state().statusLine, "");
    EXPECT_EQ(hostui::state().calls,
              (std::vector<String>{"showWindow()", "hideAfter(0)", "showMessage(hello)", "setStatus(3)"}));
}

TEST_F(HostProgress, CaptionDecodesEscapes) {
    setCaption("Caf\\u00e9 \\u4e2d");
    EXPECT_EQ(hostui::state().caption, "Caf\xE9 ?");
}

}  // namespace

}  // namespace mg
