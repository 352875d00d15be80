#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

#include "base/settings.h"
#include "payload/extract.h"
#include "payload/index_format.h"
#include "payload/launcher_file.h"
#include "system/temp.h"
#include "tests/helpers/temp_testfs.h"
#include "text/tagfile.h"

namespace mg {

namespace {

const char kSpaceAdvice[] =
    " There may not be enough temporary disk space. Try using -mg:tempdir to use a temporary directory on a "
    "partition with more disk space.";

std::string pattern(std::size_t n, unsigned seed) {
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>((i * 131 + seed * 7 + (i >> 9)) & 0xFF);
    return bytes;
}

struct Embedded {
    FileType type;
    String name;
    std::string bytes;
};

// Writes a launcher file: a stand-in image, the embedded files, the index and
// the trailer. Returns the entries as the index lists them.
std::vector<FileEntry> writeLauncher(const String& path, const std::vector<Embedded>& files, bool withIndex = true) {
    std::string image = "MZ" + std::string(510, 'i');
    std::vector<FileEntry> entries;
    for (std::size_t i = 0; i < files.size(); ++i) {
        FileEntry e;
        e.type = files[i].type;
        e.id = static_cast<std::int32_t>(i);
        e.offset = static_cast<std::int32_t>(image.size());
        e.length = static_cast<std::int32_t>(files[i].bytes.size());
        e.name = files[i].name;
        image += files[i].bytes;
        entries.push_back(std::move(e));
    }
    if (withIndex) {
        std::uint32_t indexOffset = static_cast<std::uint32_t>(image.size());
        image += encodeFileIndex(entries);
        image += encodeTrailer(indexOffset);
    }
    testfs::writeFile(path, image);
    return entries;
}

String messageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const LauncherException& e) {
        return e.message();
    }
    return "(no exception)";
}

class ExtractTest : public ::testing::Test {
protected:
    void SetUp() override {
        silent = true;
        cancelRequested = false;
        root = testfs::freshDir("extract");
        setTempRoot(root);
        launcherPath = root + "\\launcher.exe";
        originalLauncherPath = launcherPath;
        launcherFile().reset();
        forgetApplicationArchive();
    }
    void TearDown() override {
        cancelRequested = false;
        SetCurrentDirectoryA("C:\\");
        cleanupPass();
        launcherFile().reset();
        forgetApplicationArchive();
        testfs::removeTree(root);
    }
    String root;
};

TEST_F(ExtractTest, CopiesTheEntryBytesExactly) {
    struct Row {
        std::size_t size;
    } rows[] = {{0}, {1}, {0xEFFF}, {0xEFFF + 1}, {200000}};
    std::vector<Embedded> files;
    for (const Row& r : rows)
        files.push_back({FT_CLASSPATH_ARCHIVE, "f" + std::to_string(r.size) + ".jar", pattern(r.size, unsigned(r.size))});
    std::vector<FileEntry> entries = writeLauncher(launcherPath, files);
    String dir = createTempDir();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        String path = extractTo(entries[i], dir);
        EXPECT_EQ(path, dir + "\\" + files[i].name);
        EXPECT_TRUE(testfs::exists(path));
        EXPECT_EQ(testfs::readFile(path), files[i].bytes) << files[i].name;
    }
}

TEST_F(ExtractTest, NamesThatLeaveTheDirectoryAreRefused) {
    String dir = createTempDir();
    testfs::makeDir(dir + "\\inner");
    for (const char* name : {"..\\escaped.txt", "../escaped.txt", "sub\\escaped.txt"}) {
        std::vector<FileEntry> entries = writeLauncher(launcherPath, {{FT_CLASSPATH_ARCHIVE, name, "evil"}});
        String message = messageOf([&] { extractTo(entries[0], dir + "\\inner"); });
        EXPECT_NE(message.find(name), String::npos) << message;
    }
    String absolute = root + "\\absolute.txt";
    std::vector<FileEntry> entries = writeLauncher(launcherPath, {{FT_CLASSPATH_ARCHIVE, absolute, "evil"}});
    EXPECT_NE(messageOf([&] { extractTo(entries[0], dir); }).find(absolute), String::npos);
    EXPECT_FALSE(testfs::exists(dir + "\\escaped.txt"));
    EXPECT_FALSE(testfs::exists(absolute));
}

TEST_F(ExtractTest, FailuresCarryTheirTexts) {
    std::vector<FileEntry> entries = writeLauncher(launcherPath, {{FT_CLASSPATH_ARCHIVE, "a.jar", "abc"}});
    // A target directory that does not exist: the runtime's ENOENT (2).
    EXPECT_EQ(messageOf([&] { extractTo(entries[0], root + "\\missing"); }),
              String("Error writing file = 2") + kSpaceAdvice);

    // An index that points past the end of the file must not pass for a copy.
    FileEntry beyond;
    beyond.name = "beyond.jar";
    beyond.offset = entries[0].offset;
    beyond.length = 100000;
    String dir = createTempDir();
    EXPECT_EQ(messageOf([&] { extractTo(beyond, dir); }),
              "The launcher file ends inside the embedded file beyond.jar.");

    launcherPath = root + "\\no-launcher.exe";
    EXPECT_EQ(messageOf([&] { extractTo(entries[0], dir); }), "Cannot open launcher file.");
}

TEST_F(ExtractTest, CancelEndsTheCopyAndKeepsThePartialFile) {
    const std::size_t size = 40u << 20;
    std::vector<FileEntry> entries = writeLauncher(launcherPath, {{FT_APPLICATION_ARCHIVE, "big.jar", pattern(size, 3)}});
    String dir = createTempDir();
    String target = dir + "\\big.jar";

    // Cancelled before the first block: an empty file stays.
    cancelRequested = true;
    EXPECT_EQ(messageOf([&] { extractTo(entries[0], dir); }), "Canceled by the user.");
    EXPECT_TRUE(testfs::exists(target));
    EXPECT_EQ(testfs::readFile(target).size(), 0u);

    // Cancelled while blocks are being written.
    cancelRequested = false;
    std::atomic<bool> stop{false};
    std::thread canceller([&] {
        while (!stop) {
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow > 0) {
                cancelRequested = true;
                return;
            }
            Sleep(1);
        }
    });
    String message = messageOf([&] { extractTo(entries[0], dir); });
    stop = true;
    canceller.join();
    EXPECT_EQ(message, "Canceled by the user.");
    EXPECT_LE(testfs::readFile(target).size(), size);
}

TEST_F(ExtractTest, ExtractAllWritesTheFilesAndAnInputFile) {
    writeLauncher(launcherPath, {{FT_VERIFY_ARCHIVE, "Verify.jar", "v"},
                                 {FT_INSTRUCTIONS, "instructions.txt", "INSTRUCTIONS=x\n"},
                                 {FT_JVM_FILE, "jvm1.txt", "A=1\n"},
                                 {FT_LAUNCH_SCRIPT, "launch.txt", "DESC=d\n"},
                                 {FT_JVM_FILE, "jvm2.txt", "B=2\n"},
                                 {FT_APPLICATION_ARCHIVE, "setup.jar", pattern(70000, 9)}});
    launcherFile().loadIndex(false);
    String out = root + "\\out";
    testfs::makeDir(out);
    ASSERT_TRUE(SetCurrentDirectoryA(out.c_str()));
    extractAll();
    EXPECT_EQ(testfs::readFile(out + "\\Verify.jar"), "v");
    EXPECT_EQ(testfs::readFile(out + "\\jvm2.txt"), "B=2\n");
    EXPECT_EQ(testfs::readFile(out + "\\setup.jar"), pattern(70000, 9));

    TagFile input;
    input.load(out + "\\input.tag");
    EXPECT_EQ(input.getValue("ACTION"), "RUN_INSTRUCTIONS");
    EXPECT_EQ(input.getValue("INSTRUCTIONS"), "instructions.txt");
    EXPECT_EQ(input.getValue("LAUNCHSCRIPT"), "launch.txt");
    ASSERT_EQ(input.valueCount("JVM"), 2u);
    EXPECT_EQ(input.getValue("JVM", 0), "jvm1.txt");
    EXPECT_EQ(input.getValue("JVM", 1), "jvm2.txt");
}

TEST_F(ExtractTest, ExtractAllWithoutAnIndexWritesOnlyTheAction) {
    writeLauncher(launcherPath, {}, false);
    launcherFile().loadIndex(false);
    String out = root + "\\out";
    testfs::makeDir(out);
    ASSERT_TRUE(SetCurrentDirectoryA(out.c_str()));
    extractAll();
    TagFile input;
    input.load(out + "\\input.tag");
    ASSERT_EQ(input.tags().size(), 1u);
    EXPECT_EQ(input.getValue("ACTION"), "RUN_INSTRUCTIONS");
}

TEST_F(ExtractTest, ExtractAllRefusesAnEscapingName) {
    writeLauncher(launcherPath, {{FT_CLASSPATH_ARCHIVE, "..\\escaped.txt", "evil"}});
    launcherFile().loadIndex(false);
    String out = root + "\\out";
    testfs::makeDir(out);
    ASSERT_TRUE(SetCurrentDirectoryA(out.c_str()));
    EXPECT_NE(messageOf([] { extractAll(); }).find("..\\escaped.txt"), String::npos);
    EXPECT_FALSE(testfs::exists(root + "\\escaped.txt"));
}

TEST_F(ExtractTest, ApplicationArchiveIsTheLastEmbeddedOneAndMadeOnce) {
    writeLauncher(launcherPath, {{FT_APPLICATION_ARCHIVE, "first.jar", "1"},
                                 {FT_CLASSPATH_ARCHIVE, "cp.jar", "c"},
                                 {FT_APPLICATION_ARCHIVE, "app.jar", "2"}});
    launcherFile().loadIndex(false);
    String path = applicationArchive();
    EXPECT_EQ(path.substr(path.size() - 8), "\\app.jar");
    EXPECT_EQ(testfs::readFile(path), "2");
    std::size_t dirs = registeredTempDirs().size();
    EXPECT_EQ(applicationArchive(), path);
    EXPECT_EQ(applicationArchive("other.jar"), path);  // the one path of the run
    EXPECT_EQ(registeredTempDirs().size(), dirs);
}

TEST_F(ExtractTest, ApplicationArchiveByNameIsCopiedFromBesideTheOriginalLauncher) {
    writeLauncher(launcherPath, {}, false);
    launcherFile().loadIndex(false);
    EXPECT_EQ(applicationArchive(), "");  // none embedded

    std::size_t dirs = registeredTempDirs().size();
    EXPECT_EQ(applicationArchive("lib\\missing.jar"), "");
    // Still the short-lived empty directory, for the clean-up to remove.
    ASSERT_EQ(registeredTempDirs().size(), dirs + 1);
    EXPECT_TRUE(testfs::isDirectory(registeredTempDirs().back()));

    testfs::makeDir(root + "\\lib");
    std::string bytes = pattern(10000, 5);
    testfs::writeFile(root + "\\lib\\app.jar", bytes);
    String path = applicationArchive("lib\\app.jar");
    // A request after a missing archive makes a directory of its own.
    ASSERT_EQ(registeredTempDirs().size(), dirs + 2);
    EXPECT_EQ(path, registeredTempDirs().back() + "\\app.jar");
    EXPECT_EQ(testfs::readFile(path), bytes);
    testfs::writeFile(root + "\\lib\\app.jar", "changed");
    EXPECT_EQ(applicationArchive("lib\\app.jar"), path);
    EXPECT_EQ(testfs::readFile(path), bytes);
}

// A drive that is nearly full: the test script mounts a small tmpfs and maps
// it to a drive letter, naming it in MG_TEST_SMALL_DRIVE.
TEST_F(ExtractTest, ASmallDriveFailsBeforeAnythingIsWritten) {
    const char* drive = std::getenv("MG_TEST_SMALL_DRIVE");
    if (!drive || !*drive) GTEST_SKIP() << "no small drive mapped (mounting a tmpfs needs root; see tests/e2e/temp.cmake)";
    String dir = String(drive) + "\\extract";
    testfs::makeDir(dir);
    std::vector<FileEntry> entries = writeLauncher(
        launcherPath, {{FT_APPLICATION_ARCHIVE, "big.jar", pattern(4u << 20, 1)},
                       {FT_APPLICATION_ARCHIVE, "small.jar", pattern(64u << 10, 2)}});
    EXPECT_FALSE(hasEnoughSpace(dir, entries[0].length));
    EXPECT_EQ(messageOf([&] { extractTo(entries[0], dir); }), String("Error writing file = ") + kSpaceAdvice);
    EXPECT_FALSE(testfs::exists(dir + "\\big.jar"));
    EXPECT_TRUE(hasEnoughSpace(dir, entries[1].length));
    EXPECT_EQ(testfs::readFile(extractTo(entries[1], dir)), pattern(64u << 10, 2));
    testfs::removeTree(dir);
}

}  // namespace

}  // namespace mg
