#include "jvm/verify_cache.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "jvm/verify.h"
#include "launch/launch_script_env.h"
#include "launch/tests/launch_script_fake_env.h"
#include "launcher/settings.h"
#include "ui/host_ui.h"

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

// An in-memory store: one file, stamps by path.
class FakeStore : public VerifyCacheStore {
public:
    String location() override { return "C:\\Users\\me\\AppData\\Local\\Marrowgate\\verify-cache.txt"; }
    bool read(String& out) override {
        if (!hasFile) return false;
        out = text;
        return true;
    }
    bool write(const String& in, String&) override {
        text = in;
        hasFile = true;
        return true;
    }
    bool stamp(const String& path, VerifyKey& k) override {
        auto it = stamps.find(path);
        if (it == stamps.end()) return false;
        k.size = it->second;
        k.lastWrite = it->second * 10;
        return true;
    }
    String classpathIdentity(const String& classpath) override { return "id of " + classpath; }

    bool hasFile = false;
    String text;
    std::map<String, std::uint64_t> stamps;
};

class CachedSystem : public VerifySystem {
public:
    bool fileExists(const String&) override { return true; }
    String extractVerifyArchives() override { return String(); }
    VerifyCacheStore* verifyCacheStore() override { return &store; }
    FakeStore store;
};

class VerifyCacheRun : public ::testing::Test {
protected:
    void SetUp() override {
        logPath = ::testing::TempDir() + "verify_cache_tests.log";
        std::remove(logPath.c_str());
        logHeaderWritten = true;
        hostui::reset();
        setLaunchEnvironment(&env);
        jvm.setValue("JVM_EXE", "bin\\java.exe");
        jvm.addValue("JVM_PROPERTIES", "java.version=17...");
        env.childOutput = "1739021872\n17.0.1\n";
        system.store.stamps["C:\\jdk\\bin\\java.exe"] = 100;
    }
    void TearDown() override {
        setLaunchEnvironment(nullptr);
        std::remove(logPath.c_str());
        logPath.clear();
    }
    String log() const {
        std::ifstream in(logPath.c_str(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool verify() { return verifyAt(jvmFile, "C:\\jdk", "\"v.jar\"", "\"Verify\"", system) != nullptr; }

    FakeLaunchEnvironment env;
    CachedSystem system;
    TagFile jvm;
    JvmFile jvmFile{jvm};
};

TEST_F(VerifyCacheRun, WithoutTheTagEveryLaunchVerifiesAndNothingIsStored) {
    EXPECT_TRUE(verify());
    EXPECT_TRUE(verify());
    EXPECT_EQ(2u, env.runs.size());
    EXPECT_FALSE(system.store.hasFile);
    EXPECT_EQ(String::npos, log().find("cache")) << log();
}

TEST_F(VerifyCacheRun, APassIsRememberedUntilTheExecutableOrTheRequirementsChange) {
    jvm.setValue("VERIFY_CACHE", "1");
    env.childOutput = "1739021872\n1.8\n";  // a failed run is not remembered
    EXPECT_FALSE(verify());
    EXPECT_FALSE(system.store.hasFile);
    env.childOutput = "1739021872\n17.0.1\n";
    EXPECT_TRUE(verify());
    EXPECT_NE(String::npos, log().find("Remembered the verification of C:\\jdk\\bin\\java.exe")) << log();

    struct Step {
        const char* what;
        std::uint64_t stamp;
        const char* property;  // replaces JVM_PROPERTIES when set
        bool runs;
    };
    const Step steps[] = {
        {"unchanged", 100, nullptr, false},
        {"touched", 101, nullptr, true},
        {"unchanged again", 101, nullptr, false},
        {"another requirement", 101, "java.version=17.0...", true},
    };
    for (const Step& s : steps) {
        env.runs.clear();
        std::remove(logPath.c_str());
        system.store.stamps["C:\\jdk\\bin\\java.exe"] = s.stamp;
        if (s.property) jvm.setValue("JVM_PROPERTIES", s.property);
        jvm.setValue("JVM_HOME", "elsewhere");
        EXPECT_TRUE(verify()) << s.what;
        EXPECT_EQ(s.runs ? 1u : 0u, env.runs.size()) << s.what;
        EXPECT_EQ("C:\\jdk", jvm.getValue("JVM_HOME")) << s.what;
        EXPECT_EQ(s.runs, log().find("Using the cached verification result for C:\\jdk\\bin\\java.exe") ==
                              String::npos)
            << s.what << "\n"
            << log();
    }
}

TEST_F(VerifyCacheRun, ADamagedCacheVerifiesAgainAndIsWrittenAnew) {
    jvm.setValue("VERIFY_CACHE", "1");
    EXPECT_TRUE(verify());
    system.store.text[system.store.text.size() / 2] ^= 1;
    env.runs.clear();
    EXPECT_TRUE(verify());
    EXPECT_EQ(1u, env.runs.size());
    EXPECT_NE(String::npos, log().find("WARNING: The verify cache C:\\Users\\me\\AppData\\Local\\Marrowgate\\verify-cache.txt "
                                       "is damaged; it is written anew"))
        << log();
    VerifyCache stored;
    EXPECT_TRUE(stored.parse(system.store.text));
    EXPECT_EQ(1u, stored.size());
}

}  // namespace
