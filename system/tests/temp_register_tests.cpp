#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "system/temp_register.h"

namespace mg {

namespace {

TEST(TempRegister, ItemsComeBackNewestFirst) {
    TempRegister items;
    items.add("C:\\t\\LRE1.tmp");
    items.add("C:\\t\\LRE2.tmp");
    String path;
    ASSERT_TRUE(items.last(path));
    EXPECT_EQ(path, "C:\\t\\LRE2.tmp");
    items.removeLast(path);
    ASSERT_TRUE(items.last(path));
    EXPECT_EQ(path, "C:\\t\\LRE1.tmp");
    items.removeLast(path);
    EXPECT_FALSE(items.last(path));
}

TEST(TempRegister, RemoveFirstIgnoresCaseAndTakesOnlyOne) {
    TempRegister items;
    items.add("C:\\T\\a");
    items.add("C:\\t\\b");
    items.add("c:\\t\\A");
    items.removeFirst("c:\\t\\a");
    EXPECT_EQ(items.snapshot(), (StringList{"C:\\t\\b", "c:\\t\\A"}));
    items.removeFirst("C:\\t\\missing");
    EXPECT_EQ(items.snapshot().size(), 2u);
}

TEST(TempRegister, RemoveLastDropsTheNewestEqualEntry) {
    TempRegister items;
    items.add("x");
    items.add("y");
    items.add("x");
    items.removeLast("x");
    EXPECT_EQ(items.snapshot(), (StringList{"x", "y"}));
}

// The worker registers while the main thread's clean-up drains the list:
// every item must be taken exactly once.
TEST(TempRegister, ConcurrentRegisterAndDrainLoseNothing) {
    TempRegister items;
    const int count = 20000;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < count; ++i) items.add(String(std::to_string(i)));
        done = true;
    });
    int taken = 0;
    String path;
    for (;;) {
        if (items.last(path)) {
            items.removeLast(path);
            ++taken;
        } else if (done) {
            break;
        }
    }
    worker.join();
    while (items.last(path)) {
        items.removeLast(path);
        ++taken;
    }
    EXPECT_EQ(taken, count);
}

TEST(FreeSpaceRoot, DriveDirectoriesUseTheirDriveOthersTheCurrentOne) {
    struct Row {
        const char* dir;
        const char* root;
    } rows[] = {
        {"D:\\tmp\\x", "D:\\"},
        {"D:\\t", "D:\\"},
        {"D:\\", ""},       // a bare root of three characters: current drive
        {"D:tmp\\x", ""},   // drive-relative
        {"tmp\\x", ""},
        {"\\\\server\\share\\x", ""},
        {"", ""},
        {"D:/tmp", ""},
    };
    for (const Row& r : rows) EXPECT_EQ(freeSpaceRoot(r.dir), r.root) << r.dir;
}

TEST(RoomForBytes, RoundsUpToClustersWithoutOverflow) {
    struct Row {
        std::int32_t bytes;
        std::uint32_t sectorsPerCluster, bytesPerSector, freeClusters;
        bool room;
    } rows[] = {
        {0, 8, 512, 0, true},
        {1, 8, 512, 0, false},
        {1, 8, 512, 1, true},
        {4096, 8, 512, 1, true},
        {4097, 8, 512, 1, false},           // two clusters needed, one free
        {4097, 8, 512, 2, true},
        {8193, 8, 512, 2, false},           // clusters needed exceed free by one
        {0x7FFFFFFF, 8, 512, 0xFFFFFFFFu, true},  // free bytes beyond 32 bits
        {0x7FFFFFFF, 64, 65535, 1, false},
        {0x7FFFFFFF, 0xFFFFFFFFu, 0xFFFFFFFFu, 1, true},  // huge cluster: no overflow
        {100, 0, 512, 1000, false},         // a drive without a cluster size has no room
        {-5, 8, 512, 0, true},
    };
    for (const Row& r : rows)
        EXPECT_EQ(roomForBytes(r.bytes, r.sectorsPerCluster, r.bytesPerSector, r.freeClusters), r.room)
            << r.bytes << " " << r.sectorsPerCluster << "x" << r.bytesPerSector << " free " << r.freeClusters;
}

TEST(CheckEntryName, RefusesNamesThatLeaveTheDirectory) {
    struct Row {
        const char* name;
        bool accepted;
    } rows[] = {
        {"setup.jar", true},
        {"Verify.jar", true},
        {"a..b.txt", true},
        {".profile", true},
        {"..\\..\\x.exe", false},
        {"../x.exe", false},
        {"sub\\x.exe", false},
        {"C:\\x.exe", false},
        {"C:x.exe", false},
        {"x.exe:stream", false},
        {"\\x.exe", false},
        {"..", false},
        {".", false},
        {"", false},
        {".. ", false},
        // Device names, with any extension or case, and names merely like them.
        {"CON", false},
        {"nul.txt", false},
        {"Com1.jar", false},
        {"LPT9", false},
        {"aux .exe", false},
        {"CONOUT$", false},
        {"console.txt", true},
        {"com10.jar", true},
        {"COM0", true},
        {"nullify.exe", true},
        {"a.nul", true},
        // Characters no Windows file name may hold.
        {"a\x01b.jar", false},
        {"tab\there.jar", false},
        {"a<b.jar", false},
        {"a|b.jar", false},
        {"star*.jar", false},
        {"caf\xe9.jar", true},
    };
    for (const Row& r : rows) {
        bool accepted = true;
        String message;
        try {
            checkEntryName(r.name);
        } catch (const LauncherException& e) {
            accepted = false;
            message = e.message();
        }
        EXPECT_EQ(accepted, r.accepted) << r.name;
        if (!accepted) {
            EXPECT_NE(message.find(String("\"") + r.name + "\""), String::npos) << message;
        }
    }
}

}  // namespace

}  // namespace mg
