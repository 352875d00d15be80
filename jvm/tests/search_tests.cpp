// The search logic against a fake system: which homes are verified, in which
// order, and what ends a search.
#include "jvm/search.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "tests/support/fake_search_system.h"
#include "base/settings.h"

namespace mg {

namespace {

TEST(SearchWalkerFilter, ExeNames) {
    struct Case {
        const char* path;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"C:\\x\\bin\\java.exe", "bin\\java.exe", true},
        {"C:\\x\\bin\\java.exe", "java.exe", true},
        {"C:\\xbin\\java.exe", "bin\\java.exe", false},
        {"C:\\xbin\\java.exe", "java.exe", true},
        {"C:\\X\\BIN\\JAVA.EXE", "bin\\java.exe", true},
        {"C:\\x\\myjava.exe", "java.exe", false},
        {"java.exe", "java.exe", true},
        {"a.exe", "bin\\java.exe", false},
        {"C:\\x\\bin\\java.exe", "", false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.matches, matchesExeName(c.path, c.name)) << c.path << " " << c.name;
}

TEST(SearchWalkerFilter, SkippedDirectories) {
    const String temp = "C:\\users\\root\\Temp\\";
    struct Case {
        const char* dir;
        bool skipped;
    };
    const Case cases[] = {
        {"C:\\users\\root\\Temp\\", true},
        {"c:\\USERS\\root\\temp\\", true},
        {"C:\\users\\root\\Temp\\sub\\", false},
        {"C:\\RECYCLER\\", true},
        {"D:\\$RECYCLE.BIN\\", false},
        {"D:\\Recycled\\", true},
        {"D:\\recycle.bin\\", true},
        {"C:\\x\\RECYCLER\\", false},
        {"C:\\RECYCL\\", false},
        {"C:\\", false},
        {"C:\\java\\", false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.skipped, isSkippedSearchDirectory(c.dir, temp)) << c.dir;
}

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        javaHome.clear();
        cancelRequested = false;
    }
    void TearDown() override {
        javaHome.clear();
        cancelRequested = false;
    }
    TagFile& jvm(const char* desc, const char* exe, bool searchAll = false) {
        files.emplace_back(new TagFile);
        TagFile& file = *files.back();
        file.setValue("DESC", desc);
        if (exe[0] != '\0') file.setValue("JVM_EXE", exe);
        file.setValue("JVM_PROPERTIES", "java.version=...");
        if (searchAll) file.setValue("SEARCH_ALL", "1");
        search.addJvmFile(file);
        return file;
    }
    std::vector<std::unique_ptr<TagFile>> files;
    FakeSearchSystem system;
    JvmSearch search{system};
    JvmMatchList results;
};

TEST(JvmSearchFiles, NewFilesOfAGrowingListAreAddedOnceInOrder) {
    FakeSearchSystem system;
    JvmSearch search{system};
    TagFile a, b;
    std::vector<TagFile*> loaded = {&a};
    search.addNewJvmFiles(loaded);
    loaded.push_back(&b);
    search.addNewJvmFiles(loaded);
    search.addNewJvmFiles(loaded);
    ASSERT_EQ(2u, search.jvmFiles().size());
    EXPECT_EQ(&a, &search.jvmFiles()[0]->tagFile());
    EXPECT_EQ(&b, &search.jvmFiles()[1]->tagFile());
}

TEST_F(SearchTest, UserJavaHomeIsTriedFirstAndAlone) {
    TagFile& a = jvm("A", "bin\\java.exe", true);
    a.addValue("PLATFORM_HINT", "HKEY_LOCAL_MACHINE\\K\\V");
    a.addValue("PATH_HINT", "java");
    javaHome = "D:\\jdk";
    system.valid = {{"A", "D:\\jdk"}};
    search.find(results);
    ASSERT_EQ(1u, results.size());
    EXPECT_EQ("D:\\jdk", results[0]->home);
    EXPECT_EQ(StringList{"A@D:\\jdk"}, system.verified);
    EXPECT_TRUE(system.hintsResolved.empty());
    EXPECT_EQ(0, system.driveLists);
    EXPECT_TRUE(system.walked.empty());
}

TEST_F(SearchTest, HintsOfFilesUpToTheFirstAskingForTheWalk) {
    TagFile& a = jvm("A", "bin\\java.exe");
    TagFile& b = jvm("B", "jre\\bin\\java.exe", true);
    TagFile& c = jvm("C", "java.exe");
    a.addValue("PLATFORM_HINT", "HKEY_LOCAL_MACHINE\\A\\Home");
    b.addValue("PLATFORM_HINT", "HKEY_LOCAL_MACHINE\\B\\Home");
    c.addValue("PLATFORM_HINT", "HKEY_LOCAL_MACHINE\\C\\Home");
    system.drives = {"C:", "D:"};
    system.files["C:\\"] = {"C:\\c\\java.exe"};
    system.valid = {{"C", "C:\\c"}};
    search.find(results);
    EXPECT_EQ((StringList{"HKEY_LOCAL_MACHINE\\A\\Home", "HKEY_LOCAL_MACHINE\\B\\Home"}), system.hintsResolved);
    EXPECT_EQ((StringList{"C:\\", "D:\\"}), system.walked);
    // C's executable takes part in the walk; its candidate waits for the end.
    ASSERT_EQ(1u, results.size());
    EXPECT_EQ("C:\\c", results[0]->home);
}

TEST_F(SearchTest, PathHintsEveryDriveInOrderHintsOuter) {
    TagFile& a = jvm("A", "bin\\java.exe");
    a.addValue("PATH_HINT", "\\java");
    a.addValue("PATH_HINT", "jdk");
    system.drives = {"C:", "E:"};
    search.find(results);
    EXPECT_TRUE(results.empty());
    EXPECT_EQ((StringList{"A@C:\\java", "A@E:\\java", "A@C:\\jdk", "A@E:\\jdk"}), system.verified);
    EXPECT_TRUE(system.walked.empty());
}

TEST_F(SearchTest, FileWithoutPropertiesSkipsItsHints) {
    TagFile& a = jvm("A", "bin\\java.exe");
    a.removeTag("JVM_PROPERTIES");
    a.addValue("PLATFORM_HINT", "HKEY_LOCAL_MACHINE\\A\\Home");
    a.addValue("PATH_HINT", "java");
    system.drives = {"C:"};
    search.find(results);
    EXPECT_TRUE(system.hintsResolved.empty());
    EXPECT_TRUE(system.verified.empty());
}

TEST_F(SearchTest, PlatformHintHomeIsVerified) {
    TagFile& a = jvm("A", "bin\\java.exe");
    a.addValue("PLATFORM_HINT", "");
    a.addValue("PLATFORM_HINT", "HKEY_LOCAL_MACHINE\\Missing\\Home");
    a.addValue("PLATFORM_HINT", "HKEY_LOCAL_MACHINE\\A\\Home");
    a.addValue("PATH_HINT", "java");
    system.registry["HKEY_LOCAL_MACHINE\\A\\Home"] = "D:\\a";
    system.valid = {{"A", "D:\\a"}};
    system.drives = {"C:"};
    search.find(results);
    ASSERT_EQ(1u, results.size());
    EXPECT_EQ(StringList{"A@D:\\a"}, system.verified);
}

TEST_F(SearchTest, WalkStopsAtFirstVerifiedCandidateOfFirstFile) {
    jvm("A", "bin\\java.exe", true);
    jvm("B", "java.exe");
    system.drives = {"C:", "D:"};
    system.files["C:\\"] = {"C:\\b\\java.exe", "C:\\bad\\bin\\java.exe", "C:\\a\\bin\\java.exe",
                            "C:\\late\\bin\\java.exe"};
    system.files["D:\\"] = {"D:\\a2\\bin\\java.exe"};
    system.valid = {{"A", "C:\\a"}, {"B", "C:\\b"}};
    search.find(results);
    ASSERT_EQ(1u, results.size());
    EXPECT_EQ("C:\\a", results[0]->home);
    // B's candidates are never tried; the failed A candidate is not kept, but
    // it is offered once per executable name it matches.
    EXPECT_EQ((StringList{"A@C:\\bad", "A@C:\\bad", "A@C:\\a"}), system.verified);
    EXPECT_EQ(StringList{"C:\\"}, system.walked);
}

TEST_F(SearchTest, SecondFileTriedOnlyAfterEveryDrive) {
    jvm("A", "bin\\java.exe", true);
    jvm("B", "java.exe");
    system.drives = {"C:", "D:"};
    system.files["C:\\"] = {"C:\\b\\java.exe", "C:\\b\\java.exe"};
    system.files["D:\\"] = {"D:\\b2\\java.exe"};
    system.valid = {{"B", "C:\\b"}};
    search.find(results);
    EXPECT_EQ((StringList{"C:\\", "D:\\"}), system.walked);
    ASSERT_EQ(1u, results.size());
    EXPECT_EQ("C:\\b", results[0]->home);
    // The home offered twice is verified once; the walk result stops the rest.
    EXPECT_EQ(StringList{"B@C:\\b"}, system.verified);
}

TEST_F(SearchTest, SearchAllVerifiesEveryCandidateInFileOrder) {
    jvm("A", "bin\\java.exe");
    jvm("B", "java.exe");
    system.drives = {"C:"};
    system.files["C:\\"] = {"C:\\j1\\bin\\java.exe", "C:\\j2\\java.exe", "C:\\j1\\bin\\java.exe",
                            "C:\\J3\\BIN\\JAVA.EXE"};
    system.valid = {{"A", "C:\\j1"}, {"B", "C:\\j1\\bin"}, {"B", "C:\\j2"}};
    search.searchAll(results);
    ASSERT_EQ(3u, results.size());
    EXPECT_EQ("C:\\j1", results[0]->home);
    EXPECT_EQ("C:\\j1\\bin", results[1]->home);
    EXPECT_EQ("C:\\j2", results[2]->home);
    // The upper-case file passed the filter but ends differently from both exes.
    EXPECT_EQ((StringList{"A@C:\\j1", "B@C:\\j1\\bin", "B@C:\\j2"}), system.verified);
}

TEST_F(SearchTest, CancelStopsUnverifiedCandidates) {
    jvm("A", "java.exe");
    system.drives = {"C:"};
    system.files["C:\\"] = {"C:\\j1\\java.exe"};
    system.cancelDuringWalk = true;
    system.valid = {{"A", "C:\\j1"}};
    search.searchAll(results);
    EXPECT_TRUE(results.empty());
    EXPECT_TRUE(system.verified.empty());
}

TEST_F(SearchTest, UnverifiedEntriesInOrderOfFirstCandidate) {
    TagFile& a = jvm("A", "bin\\java.exe");
    TagFile& b = jvm("B", "java.exe");
    const JvmFile viewA(a);
    JvmFile viewB(b);
    search.addUnverified(viewB, "C:\\x");
    search.addUnverified(*search.jvmFiles()[0], "C:\\y");
    search.addUnverified(viewB, "C:\\z");
    search.addUnverified(viewB, "C:\\x");
    search.addUnverified(viewB, "c:\\x");
    ASSERT_EQ(2u, search.unverified().size());
    EXPECT_EQ(&b, &search.unverified()[0].jvm->tagFile());
    EXPECT_EQ((StringList{"C:\\x", "C:\\z", "c:\\x"}), search.unverified()[0].homes);
    EXPECT_EQ(&viewA.tagFile(), &search.unverified()[1].jvm->tagFile());
    EXPECT_EQ(StringList{"C:\\y"}, search.unverified()[1].homes);
}

TEST_F(SearchTest, FileWithoutExeIsNeverACandidate) {
    jvm("A", "");
    jvm("B", "java.exe");
    system.drives = {"C:"};
    system.files["C:\\"] = {"C:\\j\\java.exe"};
    search.searchAll(results);
    EXPECT_EQ(StringList{"B@C:\\j"}, system.verified);
    EXPECT_EQ(StringList{"java.exe"}, system.names);
}

TEST_F(SearchTest, PatternHintsOfferEveryMatchNewestFirst) {
    TagFile& a = jvm("A", "bin\\java.exe");
    a.addValue("PLATFORM_HINT", "HKEY_LOCAL_MACHINE\\SW\\JDK\\17*\\JavaHome");
    a.addValue("PATH_HINT", "\\Java\\jdk-17.*");
    system.subkeys["HKEY_LOCAL_MACHINE\\SW\\JDK"] = {"17.0.9", "21", "17.0.12", "17"};
    system.registry["HKEY_LOCAL_MACHINE\\SW\\JDK\\17.0.9\\JavaHome"] = "D:\\jdk-17.0.9";
    system.registry["HKEY_LOCAL_MACHINE\\SW\\JDK\\17.0.12\\JavaHome"] = "D:\\jdk-17.0.12\\";
    // Two keys naming one home: verified once.
    system.registry["HKEY_LOCAL_MACHINE\\SW\\JDK\\17\\JavaHome"] = "d:\\JDK-17.0.12";
    system.drives = {"C:", "E:"};
    system.folders["C:\\Java"] = {"jdk-17.0.2", "jdk-21", "jdk-17.0.10"};
    system.folders["E:\\Java"] = {"jdk-17.0.11"};
    search.find(results);
    EXPECT_EQ((StringList{"HKEY_LOCAL_MACHINE\\SW\\JDK\\17.0.12\\JavaHome", "HKEY_LOCAL_MACHINE\\SW\\JDK\\17.0.9\\JavaHome",
                          "HKEY_LOCAL_MACHINE\\SW\\JDK\\17\\JavaHome"}),
              system.hintsResolved);
    EXPECT_EQ((StringList{"A@D:\\jdk-17.0.12\\", "A@D:\\jdk-17.0.9", "A@E:\\Java\\jdk-17.0.11",
                          "A@C:\\Java\\jdk-17.0.10", "A@C:\\Java\\jdk-17.0.2"}),
              system.verified);
}

TEST_F(SearchTest, PreferNewestOrdersAcrossHints) {
    TagFile& a = jvm("A", "bin\\java.exe");
    a.setValue("PREFER_NEWEST", "1");
    a.addValue("PLATFORM_HINT", "HKEY_LOCAL_MACHINE\\JavaSoft\\JDK\\*\\JavaHome");
    a.addValue("PLATFORM_HINT", "HKEY_LOCAL_MACHINE\\Azul\\zulu-*\\InstallationPath");
    a.addValue("PATH_HINT", "Java\\jdk-*");
    system.subkeys["HKEY_LOCAL_MACHINE\\JavaSoft\\JDK"] = {"17.0.9"};
    system.subkeys["HKEY_LOCAL_MACHINE\\Azul"] = {"zulu-21", "zulu-8"};
    system.registry["HKEY_LOCAL_MACHINE\\JavaSoft\\JDK\\17.0.9\\JavaHome"] = "C:\\o17";
    system.registry["HKEY_LOCAL_MACHINE\\Azul\\zulu-21\\InstallationPath"] = "C:\\z21";
    system.registry["HKEY_LOCAL_MACHINE\\Azul\\zulu-8\\InstallationPath"] = "C:\\z8";
    system.drives = {"C:"};
    system.folders["C:\\Java"] = {"jdk-11.0.2", "jdk-25"};
    system.valid = {{"A", "C:\\z21"}, {"A", "C:\\o17"}};
    search.find(results);
    ASSERT_EQ(1u, results.size());
    EXPECT_EQ("C:\\z21", results[0]->home);
    EXPECT_EQ((StringList{"A@C:\\Java\\jdk-25", "A@C:\\z21"}), system.verified);
}

TEST_F(SearchTest, EnvironmentAndPathCandidatesAfterTheHints) {
    TagFile& a = jvm("A", "bin\\java.exe");
    a.addValue("PATH_HINT", "java");
    a.addValue("ENV_HINT", "JAVA_HOME");
    a.addValue("ENV_HINT", "JDK_HOME");
    a.addValue("ENV_HINT", "UNSET");
    a.setValue("EXE_ON_PATH", "1");
    system.drives = {"C:"};
    system.environment["JAVA_HOME"] = "\"D:\\odd place\\jdk\"";
    system.environment["JDK_HOME"] = "D:\\odd place\\jdk\\";
    system.environment["PATH"] = "C:\\Windows;\"C:\\broken\\bin\";C:\\tools\\java.exe;C:\\good\\BIN\\;C:\\bin";
    system.failToStart = {"D:\\odd place\\jdk", "C:\\broken"};
    system.valid = {{"A", "C:\\good"}};
    search.find(results);
    ASSERT_EQ(1u, results.size());
    EXPECT_EQ("C:\\good", results[0]->home);
    // The hints first; a home named twice is tried once; one that cannot be
    // started is refused and the search goes on.
    EXPECT_EQ((StringList{"A@C:\\java", "A@D:\\odd place\\jdk", "A@C:\\broken", "A@C:\\good"}), system.verified);
}

TEST_F(SearchTest, VariablesAndPathOnlyWhenTheFileAsks) {
    TagFile& a = jvm("A", "bin\\java.exe");
    a.addValue("PLATFORM_HINT", "HKEY_LOCAL_MACHINE\\K\\1?\\V");
    a.addValue("PATH_HINT", "jdk-1?");
    system.environment["JAVA_HOME"] = "D:\\jdk";
    system.environment["PATH"] = "D:\\jdk\\bin";
    system.subkeys["HKEY_LOCAL_MACHINE\\K"] = {"17"};
    system.drives = {"C:"};
    system.folders["C:"] = {"jdk-17"};
    search.find(results);
    EXPECT_TRUE(results.empty());
    EXPECT_EQ((StringList{"HKEY_LOCAL_MACHINE\\K\\17\\V"}), system.hintsResolved);
    EXPECT_EQ(StringList{"A@C:\\jdk-17"}, system.verified);
}

// Where both registry views name a home for a hint, both are candidates: the
// launcher's own view's first, unless the file prefers the 64-bit one.
TEST(SearchRegistryViews, OrderOfTheHomesOfOneHint) {
    const auto b32 = RegistryView::Bits32;
    const auto b64 = RegistryView::Bits64;
    struct Case {
        const char* what;
        RegistryView own;    // the launcher's view: 32-bit, or the 64-bit flavour's
        const char* inOwn;   // the home the own view holds ("" none)
        const char* inOther; // the home the other view holds ("" none)
        bool prefer64Bit;
        const char* valid;   // the one home that verifies ("" none)
        StringList verified;
    };
    const Case cases[] = {
        {"own view only", b32, "C:\\x86", "", false, "", {"A@C:\\x86"}},
        {"other view only", b32, "", "C:\\x64", false, "", {"A@C:\\x64"}},
        {"own view only, tag", b32, "C:\\x86", "", true, "", {"A@C:\\x86"}},
        {"other view only, tag", b32, "", "C:\\x64", true, "", {"A@C:\\x64"}},
        {"neither view", b32, "", "", true, "", {}},
        {"both", b32, "C:\\x86", "C:\\x64", false, "", {"A@C:\\x86", "A@C:\\x64"}},
        {"both, own verifies", b32, "C:\\x86", "C:\\x64", false, "C:\\x86", {"A@C:\\x86"}},
        {"both, other after own fails", b32, "C:\\x86", "C:\\x64", false, "C:\\x64", {"A@C:\\x86", "A@C:\\x64"}},
        {"both, tag", b32, "C:\\x86", "C:\\x64", true, "", {"A@C:\\x64", "A@C:\\x86"}},
        {"both, tag, 64-bit verifies", b32, "C:\\x86", "C:\\x64", true, "C:\\x64", {"A@C:\\x64"}},
        {"both, tag, 32-bit after 64-bit fails", b32, "C:\\x86", "C:\\x64", true, "C:\\x86", {"A@C:\\x64", "A@C:\\x86"}},
        {"both name one home", b32, "C:\\jdk", "c:\\JDK\\", false, "", {"A@C:\\jdk"}},
        {"64-bit flavour, both", b64, "C:\\x64", "C:\\x86", false, "", {"A@C:\\x64", "A@C:\\x86"}},
        {"64-bit flavour, both, tag", b64, "C:\\x64", "C:\\x86", true, "", {"A@C:\\x64", "A@C:\\x86"}},
        {"64-bit flavour, other view only", b64, "", "C:\\x86", true, "", {"A@C:\\x86"}},
    };
    const String hint = "HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\JDK\\17\\JavaHome";
    for (const Case& c : cases) {
        FakeSearchSystem system;
        system.ownView = c.own;
        if (c.inOwn[0] != '\0') system.registry[hint] = c.inOwn;
        if (c.inOther[0] != '\0') system.otherRegistry[hint] = c.inOther;
        if (c.valid[0] != '\0') system.valid = {{"A", c.valid}};
        TagFile file;
        file.setValue("DESC", "A");
        file.setValue("JVM_EXE", "bin\\java.exe");
        file.setValue("JVM_PROPERTIES", "java.version=...");
        file.addValue("PLATFORM_HINT", hint);
        if (c.prefer64Bit) file.setValue("PREFER_64_BIT", "1");
        JvmFile jvm(file);
        const std::unique_ptr<JvmMatch> match = searchPlatformHints(jvm, "v.jar", "Verify", system);
        EXPECT_EQ(c.verified, system.verified) << c.what;
        EXPECT_EQ(String(c.valid), match ? match->home : String()) << c.what;
    }
}

// A pattern names several keys: newest key first, and each key's homes in
// the order of its views; the same for PREFER_NEWEST.
TEST_F(SearchTest, PatternKeysInBothViews) {
    for (const char* newest : {"0", "1"}) {
        system.verified.clear();
        results.clear();
        TagFile& a = jvm("A", "bin\\java.exe");
        a.setValue("PREFER_64_BIT", "1");
        a.setValue("PREFER_NEWEST", newest);
        a.addValue("PLATFORM_HINT", "HKEY_LOCAL_MACHINE\\JDK\\17.*\\JavaHome");
        system.subkeys["HKEY_LOCAL_MACHINE\\JDK"] = {"17.0.9", "17.0.12"};
        system.registry["HKEY_LOCAL_MACHINE\\JDK\\17.0.9\\JavaHome"] = "C:\\x86\\jdk-17.0.9";
        system.otherRegistry["HKEY_LOCAL_MACHINE\\JDK\\17.0.9\\JavaHome"] = "C:\\x64\\jdk-17.0.9";
        system.registry["HKEY_LOCAL_MACHINE\\JDK\\17.0.12\\JavaHome"] = "C:\\x86\\jdk-17.0.12";
        search.find(results);
        EXPECT_EQ((StringList{"A@C:\\x86\\jdk-17.0.12", "A@C:\\x64\\jdk-17.0.9", "A@C:\\x86\\jdk-17.0.9"}),
                  system.verified)
            << "PREFER_NEWEST " << newest;
        search.reset();
    }
}

// The log names the view of each registry home, on a line of its own after
// the line that was always written.
TEST(SearchRegistryViews, TheViewOfEachHomeIsLogged) {
    const String savedLogPath = logPath;
    const bool savedHeader = logHeaderWritten;
    logPath = ::testing::TempDir() + "search_views.log";
    std::remove(logPath.c_str());
    logHeaderWritten = true;
    FakeSearchSystem system;
    system.registry["HKEY_LOCAL_MACHINE\\K\\V"] = "C:\\x86";
    system.otherRegistry["HKEY_LOCAL_MACHINE\\K\\V"] = "C:\\x64";
    TagFile file;
    file.setValue("DESC", "A");
    file.setValue("JVM_EXE", "bin\\java.exe");
    file.setValue("JVM_PROPERTIES", "java.version=...");
    file.addValue("PLATFORM_HINT", "HKEY_LOCAL_MACHINE\\K\\V");
    JvmFile jvm(file);
    searchPlatformHints(jvm, "v.jar", "Verify", system);
    std::ifstream in(logPath.c_str(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::remove(logPath.c_str());
    logPath = savedLogPath;
    logHeaderWritten = savedHeader;
    EXPECT_EQ("Searching for A using platform hints\n"
              "Checking JVM at C:\\x86 which was resolved from platform hint HKEY_LOCAL_MACHINE\\K\\V\n"
              "   in the 32-bit registry view\n"
              "Checking JVM at C:\\x64 which was resolved from platform hint HKEY_LOCAL_MACHINE\\K\\V\n"
              "   in the 64-bit registry view\n",
              text.str());
}

}  // namespace

}  // namespace mg
