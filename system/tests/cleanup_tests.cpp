#include <gtest/gtest.h>

#include <windows.h>

#include "base/settings.h"
#include "tests/helpers/temp_testfs.h"
#include "system/cleanup.h"
#include "system/wininit.h"

namespace mg {

namespace {

// The helper program, built beside this test; its path is a host path.
String holdFileHelper() {
    String path = "Z:" MG_HOLDFILE_EXE;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

class CleanupTest : public ::testing::Test {
protected:
    void SetUp() override {
        silent = true;
        root = testfs::freshDir("cleanup");
        logPath = root + "-log.txt";
        DeleteFileA(logPath.c_str());
    }
    void TearDown() override {
        testfs::removeTree(root);
        DeleteFileA(logPath.c_str());
        logPath.clear();
    }
    String root;
};

TEST_F(CleanupTest, NestedTreeWithReadOnlyFileIsRemovedCompletely) {
    String tree = root + "\\tree";
    testfs::makeDir(tree);
    testfs::makeDir(tree + "\\a");
    testfs::makeDir(tree + "\\a\\b");
    testfs::makeDir(tree + "\\a\\b\\c");
    testfs::makeDir(tree + "\\empty");
    testfs::writeFile(tree + "\\top.txt", "t");
    testfs::writeFile(tree + "\\a\\b\\c\\deep.txt", "d");
    testfs::writeFile(tree + "\\a\\readonly.txt", "r");
    SetFileAttributesA((tree + "\\a\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((tree + "\\a\\b").c_str(), FILE_ATTRIBUTE_READONLY);

    TreeRemover remover;
    EXPECT_FALSE(remover.walk(tree));
    EXPECT_TRUE(remover.failedDirectories().empty());
    EXPECT_FALSE(testfs::exists(tree));
    EXPECT_EQ(testfs::readFile(logPath), "");
}

TEST_F(CleanupTest, DeletePathTakesFilesDirectoriesAndNothing) {
    String file = root + "\\file.txt";
    testfs::writeFile(file, "x");
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    String dir = root + "\\dir";
    testfs::makeDir(dir);
    testfs::writeFile(dir + "\\x", "x");
    deletePath(file);
    deletePath(dir);
    deletePath(root + "\\missing");
    EXPECT_FALSE(testfs::exists(file));
    EXPECT_FALSE(testfs::exists(dir));
    EXPECT_EQ(testfs::readFile(logPath), "");
}

// Another process holds one file open without sharing: that file's directory
// and its ancestors stay, everything else goes, and the failures are logged.
TEST_F(CleanupTest, LockedFileKeepsOnlyItsDirectoryChain) {
    String tree = root + "\\tree";
    testfs::makeDir(tree);
    testfs::makeDir(tree + "\\keep");
    testfs::makeDir(tree + "\\keep\\sub");
    testfs::makeDir(tree + "\\keepx");  // shares a prefix with keep, holds nothing locked
    testfs::makeDir(tree + "\\gone");
    testfs::makeDir(tree + "\\gone\\deeper");
    String locked = tree + "\\keep\\sub\\locked.bin";
    testfs::writeFile(locked, "locked");
    testfs::writeFile(tree + "\\keep\\sub\\other.txt", "o");
    testfs::writeFile(tree + "\\keep\\beside.txt", "b");
    testfs::writeFile(tree + "\\keepx\\k.txt", "k");
    testfs::writeFile(tree + "\\gone\\deeper\\g.txt", "g");
    testfs::writeFile(tree + "\\top.txt", "t");

    String ready = root + "\\ready", release = root + "\\release";
    String command = "\"" + holdFileHelper() + "\" \"" + locked + "\" \"" + ready + "\" \"" + release + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        << command;
    for (int i = 0; i < 300 && !testfs::exists(ready); ++i) Sleep(50);
    ASSERT_TRUE(testfs::exists(ready)) << "helper did not take the file";

    deletePath(tree);

    testfs::writeFile(release, "");
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    struct Row {
        String path;
        bool stays;
    } rows[] = {
        {locked, true},
        {tree + "\\keep\\sub", true},
        {tree + "\\keep", true},
        {tree, true},
        {tree + "\\keep\\sub\\other.txt", false},
        {tree + "\\keep\\beside.txt", false},
        {tree + "\\keepx", false},
        {tree + "\\gone", false},
        {tree + "\\top.txt", false},
    };
    for (const Row& r : rows) EXPECT_EQ(testfs::exists(r.path), r.stays) << r.path;

    std::string log = testfs::readFile(logPath);
    EXPECT_NE(log.find("WARNING: Could not delete " + locked + " :  "), std::string::npos) << log;
    EXPECT_NE(log.find("WARNING: Could not delete " + tree + "\\keep\\sub :  "), std::string::npos) << log;
    EXPECT_EQ(log.find("Could not delete " + tree + "\\keep :"), std::string::npos) << "ancestor attempted";
}

class WininitTest : public CleanupTest {
protected:
    String ini() const { return root + "\\WinInit.Ini"; }
};

TEST_F(WininitTest, CommitWritesTheRenameSection) {
    struct Row {
        const char* what;
        bool fileExists;
        std::string before;
        std::string after;
    } rows[] = {
        {"no file", false, "", "[Rename]\nNUL=C:\\A\nNUL=C:\\B\n"},
        {"no section", true, "[boot]\r\nx=1\r\n", "[boot]\r\nx=1\r\n[Rename]\nNUL=C:\\A\nNUL=C:\\B\n"},
        {"section", true, "[Rename]\r\nNUL=C:\\OLD\r\n[z]\r\n",
         "[Rename]\r\nNUL=C:\\A\nNUL=C:\\B\nNUL=C:\\OLD\r\n[z]\r\n"},
        {"section last, no line feed", true, "[x]\r\n[Rename]", "[x]\r\n[Rename]\nNUL=C:\\A\nNUL=C:\\B\n"},
    };
    for (const Row& r : rows) {
        DeleteFileA(ini().c_str());
        if (r.fileExists) testfs::writeFile(ini(), r.before);
        WininitWriter writer(root);
        writer.addLine("NUL=C:\\A");
        writer.addLine("NUL=C:\\B");
        EXPECT_EQ(writer.commit(), 0u) << r.what;
        EXPECT_TRUE(writer.lines().empty()) << r.what;
        EXPECT_EQ(testfs::readFile(ini()), r.after) << r.what;
    }
}

TEST_F(WininitTest, NothingToCommitLeavesTheFileAlone) {
    WininitWriter writer(root);
    EXPECT_EQ(writer.commit(), 0u);
    EXPECT_FALSE(testfs::exists(ini()));
}

TEST_F(WininitTest, DeleteEntriesUseShortPathsOfExistingItems) {
    String file = root + "\\a long file name.executable";
    testfs::writeFile(file, "x");
    WininitWriter writer(root);
    writer.addDeleteEntry(file);
    writer.addDeleteEntry(root + "\\missing.exe");
    ASSERT_EQ(writer.lines().size(), 1u);
    String line = writer.lines()[0];
    EXPECT_EQ(line.substr(0, 4), "NUL=");
    char shortPath[MAX_PATH];
    DWORD n = GetShortPathNameA(file.c_str(), shortPath, sizeof shortPath);
    EXPECT_EQ(line, "NUL=" + String(shortPath, n));
}

TEST_F(WininitTest, AFileHeldByAnotherHandleIsReported) {
    testfs::writeFile(ini(), "[Rename]\n");
    HANDLE holder = CreateFileA(ini().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    WininitWriter writer(root);
    writer.addLine("NUL=C:\\A");
    EXPECT_EQ(writer.commit(), static_cast<unsigned long>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(writer.lines().size(), 1u);  // kept for another try
    CloseHandle(holder);
    EXPECT_EQ(testfs::readFile(ini()), "[Rename]\n");
}

}  // namespace

// During a shutdown the NT family leaves the removal to the next start.
TEST_F(CleanupTest, ShutdownSchedulesRemovalAtTheNextStart) {
    String dir = root + "\\LRE9.tmp";
    testfs::makeDir(dir);
    String exe = dir + "\\second.exe";
    testfs::writeFile(exe, "MZ");
    String savedLauncher = launcherPath;
    launcherPath = exe;
    useAnsiApi = false;
    setShutdownInProgress(true);
    removeSelf();
    setShutdownInProgress(false);
    launcherPath = savedLauncher;

    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    char value[8192] = {};
    DWORD size = sizeof value - 2;
    LONG status = RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(value), &size);
    RegDeleteValueA(key, "PendingFileRenameOperations");  // the prefix is not rebooted with it
    RegCloseKey(key);
    ASSERT_EQ(status, ERROR_SUCCESS);
    std::string operations(value, size);
    std::size_t exeAt = operations.find("second.exe");
    std::size_t dirAt = operations.find("LRE9.tmp", exeAt == std::string::npos ? 0 : exeAt + 1);
    EXPECT_NE(exeAt, std::string::npos);
    EXPECT_NE(dirAt, std::string::npos) << "the directory follows the file";
    EXPECT_TRUE(testfs::exists(exe));  // nothing is removed before the restart
}

}  // namespace mg
