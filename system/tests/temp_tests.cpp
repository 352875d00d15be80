#include <gtest/gtest.h>

#include <windows.h>

#include "base/settings.h"
#include "system/temp.h"
#include "tests/helpers/temp_testfs.h"

namespace mg {

namespace {

String fileName(const String& path) { return path.substr(path.find_last_of('\\') + 1); }

class TempTest : public ::testing::Test {
protected:
    void SetUp() override {
        silent = true;  // no progress dialog in these tests
        traceEnabled = false;
        tracePath.clear();
        logPath.clear();
        originalGiven = false;
        root = testfs::freshDir("temp");
        setTempRoot(root);
    }
    void TearDown() override {
        cleanupPass();
        traceEnabled = false;
        tracePath.clear();
        logPath.clear();
        testfs::removeTree(root);
    }
    String root;
};

TEST_F(TempTest, TempRootAcceptsOnlyAnExistingDirectory) {
    struct Row {
        String candidate;
        bool taken;
    } rows[] = {
        {root + "\\missing", false},
        {root + "\\file.txt", false},
        {root + "\\sub", true},
    };
    testfs::writeFile(root + "\\file.txt", "x");
    testfs::makeDir(root + "\\sub");
    for (const Row& r : rows) {
        setTempRoot(root);
        setTempRoot(r.candidate);
        EXPECT_EQ(getTempRoot(), r.taken ? r.candidate : root) << r.candidate;
    }
    setTempRoot(root);
}

TEST_F(TempTest, ItemsAreMadeUnderTheRootAndRegistered) {
    String dir = createTempDir();
    String file = createTempFile();
    EXPECT_TRUE(testfs::isDirectory(dir));
    EXPECT_TRUE(testfs::exists(file));
    EXPECT_FALSE(testfs::isDirectory(file));
    EXPECT_EQ(testfs::readFile(file), "");
    for (const String& item : {dir, file}) {
        EXPECT_EQ(item.substr(0, root.size() + 1), root + "\\") << item;
        EXPECT_EQ(fileName(item).substr(0, 3), "LRE") << item;
    }
    EXPECT_NE(dir.back(), '\\');
    EXPECT_EQ(registeredTempDirs().back(), dir);
    EXPECT_EQ(registeredTempFiles().back(), file);
}

TEST_F(TempTest, AMissingRootIsReportedByTheSystemCall) {
    String gone = testfs::freshDir("gone");
    setTempRoot(gone);
    RemoveDirectoryA(gone.c_str());
    try {
        createTempDir();
        FAIL() << "no exception";
    } catch (const LauncherException& e) {
        EXPECT_EQ(e.message().substr(0, 29), "GetTempFileName failed  ==>  ");
    }
    setTempRoot(root);
}

TEST_F(TempTest, UnregisterDropsTheFirstMatchIgnoringCase) {
    String dir = createTempDir();
    String lower = dir;
    for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    unregisterTempDir(lower);
    StringList dirs = registeredTempDirs();
    EXPECT_TRUE(dirs.empty() || dirs.back() != dir);
    cleanupPass();
    EXPECT_TRUE(testfs::isDirectory(dir));  // kept on disk, as asked
    RemoveDirectoryA(dir.c_str());

    registerTempFile(root + "\\A.txt");
    registerTempFile(root + "\\a.txt");
    unregisterTempFile(root + "\\a.TXT");
    EXPECT_EQ(registeredTempFiles(), StringList{root + "\\a.txt"});
}

TEST_F(TempTest, CleanupRemovesDirectoriesNewestFirstThenFilesWithTraceLines) {
    String trace = root + "\\trace.txt";
    tracePath = trace;
    traceEnabled = true;
    String d1 = createTempDir();
    testfs::writeFile(d1 + "\\inside.jar", "jar");
    String f1 = createTempFile();
    String d2 = createTempDir();
    testfs::makeDir(d2 + "\\nested");
    testfs::writeFile(d2 + "\\nested\\x.txt", "x");
    String f2 = root + "\\extra.txt";
    testfs::writeFile(f2, "e");
    registerTempFile(f2);

    cleanupPass();
    for (const String& item : {d1, d2, f1, f2}) EXPECT_FALSE(testfs::exists(item)) << item;
    EXPECT_TRUE(registeredTempDirs().empty());
    EXPECT_TRUE(registeredTempFiles().empty());
    std::string expected = "Launcher: Deleting dir: " + d2 + "\nLauncher: Deleting dir: " + d1 +
                           "\nLauncher: Deleting file: " + f2 + "\nLauncher: Deleting file: " + f1 + "\n";
    // The trace is a text file: line ends are CR LF on disk.
    std::string onDisk = testfs::readFile(trace);
    std::string text;
    for (char c : onDisk)
        if (c != '\r') text += c;
    EXPECT_EQ(text, expected);

    cleanupPass();  // the second pass finds nothing to do
    EXPECT_EQ(testfs::readFile(trace), onDisk);
}

TEST_F(TempTest, NoTraceLinesWithoutTracing) {
    String trace = root + "\\trace.txt";
    tracePath = trace;
    traceEnabled = false;
    createTempDir();
    cleanupPass();
    EXPECT_FALSE(testfs::exists(trace));
}

TEST_F(TempTest, FileExistsCountsALockedFileAsPresent) {
    String file = root + "\\here.txt";
    testfs::writeFile(file, "x");
    String locked = root + "\\locked.txt";
    testfs::writeFile(locked, "x");
    HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    struct Row {
        String path;
        bool exists;
    } rows[] = {
        {file, true},
        {locked, true},
        {root + "\\missing.txt", false},
        {root + "\\nodir\\missing.txt", false},
    };
    for (const Row& r : rows) EXPECT_EQ(fileExists(r.path), r.exists) << r.path;
    CloseHandle(holder);

    // Other failures are logged at plain level and count as absent.
    logPath = root + "\\log.txt";
    EXPECT_FALSE(fileExists(root));
    EXPECT_FALSE(testfs::readFile(logPath).empty());
}

TEST_F(TempTest, SpaceTestUsesTheDriveOfTheDirectory) {
    EXPECT_TRUE(hasEnoughSpace(root, 0));
    EXPECT_TRUE(hasEnoughSpace(root, 1024));
    EXPECT_TRUE(hasEnoughSpace("relative\\dir", 1024));
    try {
        hasEnoughSpace("Q:\\no\\such\\drive", 1);
        FAIL() << "no exception";
    } catch (const LauncherException& e) {
        EXPECT_EQ(e.message().substr(0, 30), "GetDiskFreeSpace failed  ==>  ");
    }
}

}  // namespace

}  // namespace mg
