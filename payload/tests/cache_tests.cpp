#include <gtest/gtest.h>

#include "payload/cache.h"

namespace mg {

namespace {

TEST(CacheRecord, ReadsBackWhatItWrote) {
    const std::vector<CachedFile> files = {{61439, 132514560000000000ULL, "app.jar"},
                                           {0, 0, "lib\\ext\\x y.jar"}};
    std::vector<CachedFile> read;
    ASSERT_TRUE(parseCacheRecord(formatCacheRecord(files), read));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[1].name, "lib\\ext\\x y.jar");
    EXPECT_EQ(read[0].size, 61439u);
    EXPECT_EQ(read[0].time, 132514560000000000ULL);
}

TEST(CacheRecord, RefusesNamesOutsideItsEntryAndAlteredRecords) {
    const char* const names[] = {"..\\up.jar", "\\root.jar", "C:\\x.jar", "C:x.jar", "a\\\\b.jar", "a/b.jar",
                                 "", ".", "a\\..", "bad\tname"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        std::vector<CachedFile> read;
        EXPECT_FALSE(parseCacheRecord(formatCacheRecord({{1, 2, name}}), read));
    }
    String text = formatCacheRecord({{1, 2, "app.jar"}});
    text[text.find("app")] = 'b';  // the digest no longer matches
    std::vector<CachedFile> read;
    EXPECT_FALSE(parseCacheRecord(text, read));
    EXPECT_FALSE(parseCacheRecord(formatCacheRecord({{1, 2, "app.jar"}}).substr(0, 20), read));
}

TEST(CacheFolder, PlainNamesBelowTheLocalFolderOnly) {
    struct Row {
        const char* value;
        bool valid;
    };
    const Row rows[] = {
        {"Vendor\\Application", true}, {"Application", true},     {"A\\B\\C\\D", true},
        {"A\\B\\C\\D\\E", false},      {"", false},               {"..\\Elsewhere", false},
        {"Vendor\\..", false},         {"C:\\Vendor", false},     {"\\Vendor", false},
        {"Vendor\\", false},           {"Vendor/Application", false}, {"Vendor\\App*", false},
    };
    for (const Row& row : rows) EXPECT_EQ(cacheFolderProblem(row.value).empty(), row.valid) << row.value;
}

TEST(CacheNames, VersionsEntriesAndWhatTheSweepTakes) {
    EXPECT_TRUE(validCacheVersion("0123456789abcdef"));
    EXPECT_FALSE(validCacheVersion("0123456789ABCDEF"));
    EXPECT_FALSE(validCacheVersion("0123456789abcde"));
    EXPECT_FALSE(validCacheVersion(""));
    EXPECT_EQ(cacheEntryName("app", "0123456789abcdef"), "app-0123456789abcdef");

    const String app = "app-1111111111111111", jvm = "jvm-2222222222222222";
    struct Row {
        const char* name;
        bool stale;
    };
    const Row rows[] = {
        {"app-1111111111111111", false},      {"jvm-2222222222222222", false},
        {"app-3333333333333333", true},       {"jvm-3333333333333333", true},
        {"app-1111111111111111.tmp42", true}, {"Settings", false},
        {"verify-cache.txt", false},          {"APP-3333333333333333", false},
    };
    for (const Row& row : rows) EXPECT_EQ(staleCacheItem(row.name, app, jvm), row.stale) << row.name;
}

}  // namespace

}  // namespace mg
