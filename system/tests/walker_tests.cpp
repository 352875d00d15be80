#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "system/walker.h"
#include "base/settings.h"
#include "tests/helpers/temp_testfs.h"

namespace mg {

namespace {

class RecordingWalker : public DirectoryWalker {
public:
    explicit RecordingWalker(bool cancellable = true) : DirectoryWalker(cancellable) {}
    bool onFile(const String& path) override {
        files.push_back(path);
        if (cancelAfter > 0 && files.size() == cancelAfter) cancelRequested = true;
        return stopAt == path;
    }
    bool skipDirectory(const String& dir) override { return dir == skip; }
    void advanceProgress() override { ++steps; }

    StringList files;
    String stopAt, skip;
    std::size_t cancelAfter = 0;
    int steps = 0;
};

// The names of dir's subdirectories in the order the system lists them.
StringList listedSubdirectories(const String& dir) {
    StringList names;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        String name = data.cFileName;
        if (name != "." && name != ".." && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(name);
    } while (FindNextFileA(h, &data));
    FindClose(h);
    return names;
}

class WalkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        cancelRequested = false;
        root = testfs::freshDir("walker");
        testfs::writeFile(root + "\\f1.txt", "1");
        testfs::writeFile(root + "\\f2.txt", "2");
        testfs::makeDir(root + "\\A");
        testfs::writeFile(root + "\\A\\a1.txt", "a");
        testfs::makeDir(root + "\\A\\deep");
        testfs::writeFile(root + "\\A\\deep\\d1.txt", "d");
        testfs::makeDir(root + "\\B");
        testfs::writeFile(root + "\\B\\b1.txt", "b");
    }
    void TearDown() override {
        cancelRequested = false;
        testfs::removeTree(root);
    }
    String root;
};

TEST_F(WalkerTest, DepthFirstWithFilesBeforeSubdirectoriesAndLaterListedFirst) {
    RecordingWalker walker;
    EXPECT_FALSE(walker.walk(root));

    // The start's own files come first, in any listing order.
    ASSERT_EQ(walker.files.size(), 5u);
    StringList firstTwo(walker.files.begin(), walker.files.begin() + 2);
    std::sort(firstTwo.begin(), firstTwo.end());
    EXPECT_EQ(firstTwo, (StringList{root + "\\f1.txt", root + "\\f2.txt"}));

    // Subdirectories are entered in the reverse of their listing order, each
    // subtree completely before the next.
    StringList subdirs = listedSubdirectories(root);
    ASSERT_EQ(subdirs.size(), 2u);
    StringList expectedVisited = {root};
    StringList expectedRest;
    for (auto it = subdirs.rbegin(); it != subdirs.rend(); ++it) {
        if (*it == "A") {
            expectedVisited.push_back(root + "\\A");
            expectedVisited.push_back(root + "\\A\\deep");
            expectedRest.push_back(root + "\\A\\a1.txt");
            expectedRest.push_back(root + "\\A\\deep\\d1.txt");
        } else {
            expectedVisited.push_back(root + "\\B");
            expectedRest.push_back(root + "\\B\\b1.txt");
        }
    }
    EXPECT_EQ(walker.visited(), expectedVisited);
    EXPECT_EQ(StringList(walker.files.begin() + 2, walker.files.end()), expectedRest);
}

TEST_F(WalkerTest, StartIsKeptAsGivenAndChildrenGetOneBackslash) {
    RecordingWalker walker;
    walker.walk(root + "\\");
    ASSERT_FALSE(walker.visited().empty());
    EXPECT_EQ(walker.visited()[0], root + "\\");
    for (std::size_t i = 1; i < walker.visited().size(); ++i)
        EXPECT_EQ(walker.visited()[i].find("\\\\"), String::npos) << walker.visited()[i];
    EXPECT_EQ(walker.files.size(), 5u);
}

TEST_F(WalkerTest, SkippedDirectoryIsVisitedButNotEntered) {
    RecordingWalker walker;
    walker.skip = root + "\\A\\";
    walker.walk(root);
    EXPECT_NE(std::find(walker.visited().begin(), walker.visited().end(), root + "\\A"), walker.visited().end());
    EXPECT_EQ(std::find(walker.visited().begin(), walker.visited().end(), root + "\\A\\deep"), walker.visited().end());
    for (const String& f : walker.files) EXPECT_EQ(f.find("\\A\\"), String::npos) << f;
    EXPECT_EQ(walker.files.size(), 3u);
}

TEST_F(WalkerTest, OnFileTrueEndsTheWalk) {
    RecordingWalker walker;
    walker.stopAt = root + "\\B\\b1.txt";
    EXPECT_TRUE(walker.walk(root));
    EXPECT_EQ(walker.files.back(), walker.stopAt);
}

TEST_F(WalkerTest, CancelStopsOnlyACancellableWalk) {
    struct Row {
        bool cancellable;
        bool cancelledBefore;
        std::size_t cancelAfter;
        std::size_t filesOffered;
    } rows[] = {
        {true, true, 0, 0},
        {false, true, 0, 5},
        {true, false, 3, 3},  // stops after the entry that saw the request
        {false, false, 3, 5},
    };
    for (const Row& r : rows) {
        cancelRequested = r.cancelledBefore;
        RecordingWalker walker(r.cancellable);
        walker.cancelAfter = r.cancelAfter;
        EXPECT_FALSE(walker.walk(root));
        EXPECT_EQ(walker.files.size(), r.filesOffered) << r.cancellable << r.cancelledBefore << r.cancelAfter;
        cancelRequested = false;
    }
}

TEST_F(WalkerTest, MissingStartIsSkippedSilently) {
    RecordingWalker walker;
    EXPECT_FALSE(walker.walk(root + "\\nothing"));
    EXPECT_TRUE(walker.files.empty());
    EXPECT_EQ(walker.visited(), StringList{root + "\\nothing"});
}

TEST(WalkerProgress, OneStepPerHundredFilesCountedPerWalk) {
    String dir = testfs::freshDir("walkerprogress");
    for (int i = 0; i < 250; ++i) testfs::writeFile(dir + "\\f" + String(std::to_string(i)), "");
    RecordingWalker walker;
    walker.walk(dir);
    EXPECT_EQ(walker.files.size(), 250u);
    EXPECT_EQ(walker.steps, 2);
    walker.walk(dir);  // the count restarts with each walk
    EXPECT_EQ(walker.steps, 4);
    testfs::removeTree(dir);
}

}  // namespace

}  // namespace mg
