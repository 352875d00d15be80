// The search logic against a fake system: which homes are verified, in which
// order, and what ends a search.
#include "jvm/search.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

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

}  // namespace

}  // namespace mg
