#include "jvm/verify_cache.h"

#include <gtest/gtest.h>

namespace mg {


namespace {

VerifyKey key(const char* path, std::uint64_t size, std::uint64_t lastWrite, std::uint64_t requirements) {
    VerifyKey k;
    k.exePath = path;
    k.size = size;
    k.lastWrite = lastWrite;
    k.requirements = requirements;
    return k;
}

TEST(VerifyCache, KeepsWhatItRemembersAcrossItsText) {
    VerifyCache cache;
    cache.remember(key("C:\\jdk\\bin\\java.exe", 1234, 133000000000000000ULL, 0xfeedULL));
    cache.remember(key("D:\\jre\\bin\\java.exe", 0, 0, UINT64_MAX));
    VerifyCache read;
    ASSERT_TRUE(read.parse(cache.format()));
    EXPECT_EQ(read.format(), cache.format());

    // Only the same executable, unchanged, checked for the same requirements.
    struct Row {
        VerifyKey key;
        bool found;
    };
    const Row rows[] = {
        {key("C:\\jdk\\bin\\java.exe", 1234, 133000000000000000ULL, 0xfeedULL), true},
        {key("c:\\JDK\\bin\\JAVA.exe", 1234, 133000000000000000ULL, 0xfeedULL), true},
        {key("C:\\jdk\\bin\\java.exe", 1235, 133000000000000000ULL, 0xfeedULL), false},
        {key("C:\\jdk\\bin\\java.exe", 1234, 133000000000000001ULL, 0xfeedULL), false},
        {key("C:\\jdk\\bin\\java.exe", 1234, 133000000000000000ULL, 0xbeefULL), false},
        {key("C:\\jdk2\\bin\\java.exe", 1234, 133000000000000000ULL, 0xfeedULL), false},
        {key("D:\\jre\\bin\\java.exe", 0, 0, UINT64_MAX), true},
    };
    for (const Row& r : rows) EXPECT_EQ(r.found, read.contains(r.key)) << r.key.exePath << " " << r.key.size;
}

TEST(VerifyCache, ADamagedTextIsRefusedWhole) {
    VerifyCache cache;
    cache.remember(key("C:\\jdk\\bin\\java.exe", 1234, 99, 7));
    const String good = cache.format();
    String flipped = good;
    flipped[good.find("1234")] = '5';  // the digest no longer matches
    String otherVersion = good;
    otherVersion[good.find('1')] = '2';
    const String cases[] = {
        "",
        good.substr(0, good.size() - 1),          // last line end missing
        good.substr(0, good.find("END")),         // no closing line
        good + "extra\n",                         // something after the end
        flipped,
        otherVersion,
        "MGVERIFYCACHE 1\nEND 1 0000000000000000\n",  // count without entries
        String("\x00\x01garbage", 9),
    };
    for (const String& text : cases) {
        VerifyCache read;
        read.remember(key("X:\\java.exe", 1, 1, 1));
        EXPECT_FALSE(read.parse(text)) << text;
        EXPECT_EQ(0u, read.size()) << text;
    }
}

TEST(VerifyCache, OneEntryPerExecutableAndRequirementsAndABoundedCount) {
    VerifyCache cache;
    cache.remember(key("C:\\jdk\\bin\\java.exe", 1, 1, 7));
    cache.remember(key("C:\\JDK\\bin\\java.exe", 2, 2, 7));  // updated in place
    cache.remember(key("C:\\jdk\\bin\\java.exe", 1, 1, 8));  // other requirements
    EXPECT_EQ(2u, cache.size());
    EXPECT_FALSE(cache.contains(key("C:\\jdk\\bin\\java.exe", 1, 1, 7)));
    EXPECT_TRUE(cache.contains(key("C:\\jdk\\bin\\java.exe", 2, 2, 7)));

    for (std::uint64_t i = 0; i < VerifyCache::kMaxEntries; ++i)
        cache.remember(key(("C:\\j" + std::to_string(i) + "\\java.exe").c_str(), i, i, 9));
    EXPECT_EQ(VerifyCache::kMaxEntries, cache.size());
    EXPECT_FALSE(cache.contains(key("C:\\JDK\\bin\\java.exe", 2, 2, 7)));  // the oldest went
}

}  // namespace

}  // namespace mg
