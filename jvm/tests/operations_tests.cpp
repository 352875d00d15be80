// The find, verify and search operations against a fake search system: the
// variables they set, what they print and what they throw.
#include "jvm/operations.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "instructions/variables.h"
#include "tests/support/fake_search_system.h"
#include "tests/support/fake_temp_items.h"
#include "base/front.h"
#include "base/settings.h"
#include "ui/host_ui.h"

namespace mg {

namespace {

class FakeDiscoverySystem : public JvmDiscoverySystem {
public:
    JvmSearch& search() override { return jvmSearch; }
    TempItems& tempItems() override { return files; }
    const FileEntry* entryById(std::int32_t id) override {
        auto it = entries.find(id);
        return it == entries.end() ? nullptr : &it->second;
    }
    void print(const String& line) override { output += line; }
    String jvmDownloadUrl() override { return downloadUrl; }
    void openWebPage(const String& url) override { opened.push_back(url); }

    FakeSearchSystem searchSystem;
    JvmSearch jvmSearch{searchSystem};
    FakeTempItems files{String(::testing::TempDir()) + "mg_ops_copy"};
    std::map<std::int32_t, FileEntry> entries;
    String output;
    String downloadUrl;
    StringList opened;
};

std::string readFile(const String& path) {
    std::ifstream in(path.c_str());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class OperationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetVariables();
        javaHome.clear();
        silent = true;
        jvm.setValue("DESC", "A");
        jvm.setValue("JVM_EXE", "bin\\java.exe");
        jvm.setValue("JVM_PROPERTIES", "java.version=17...");
        ops.jvmSearch.addJvmFile(jvm);
        ops.searchSystem.drives = {"C:"};
    }
    TagFile jvm;
    FakeDiscoverySystem ops;
};

TEST_F(OperationsTest, FindSetsVariablesAndWritesTheCopy) {
    jvm.addValue("PATH_HINT", "jdk");
    ops.searchSystem.valid = {{"A", "C:\\jdk"}};
    JvmDiscovery(ops).findJvm(false, false);
    EXPECT_EQ(1, getNumericVariable(1));
    EXPECT_EQ("C:\\jdk", getStringVariable(1));
    ASSERT_EQ(StringList{getStringVariable(2)}, ops.files.files);
    const std::string copy = readFile(getStringVariable(2));
    EXPECT_NE(std::string::npos, copy.find("C:\\jdk"));
    EXPECT_NE(std::string::npos, copy.find(getStringVariable(2)));
    EXPECT_TRUE(ops.files.keptFiles.empty());  // FIND_JVM's copy goes at exit
}

TEST_F(OperationsTest, FindWithoutMatchOrWithBadHiveLeavesVariablesEmpty) {
    setNumericVariable(1, 7);
    setStringVariable(1, "old");
    JvmDiscovery(ops).findJvm(false, true);
    EXPECT_EQ(0, getNumericVariable(1));
    EXPECT_EQ("", getStringVariable(1));
    EXPECT_EQ("", getStringVariable(2));

    jvm.addValue("PLATFORM_HINT", "BAD\\K\\V");
    try {
        JvmDiscovery(ops).findJvm(false, false);
        FAIL() << "no exception";
    } catch (const LauncherException& e) {
        EXPECT_EQ("bad hive", e.message());
    }
    EXPECT_EQ(0, getNumericVariable(1));
}

TEST(NoMatchingJvmText, NamesEachPartThatThereIs) {
    struct Row {
        StringList needs;
        const char* log;
        const char* url;
        const char* text;
    };
    const Row rows[] = {
        {{}, "", "", "No matching JVM was found."},
        {{"Java 21 or newer", "Java 17 runtime"}, "", "",
         "No matching JVM was found.\n\nThis application needs:\nJava 21 or newer\nJava 17 runtime"},
        {{}, "C:\\run.log", "https://example.com/java",
         "No matching JVM was found.\n\nThe log file has the details:\nC:\\run.log\n\n"
         "Download page:\nhttps://example.com/java"},
        {{"Java 21"}, "run.log", "https://example.com/%7Ejava",
         "No matching JVM was found.\n\nThis application needs:\nJava 21\n\nThe log file has the details:\n"
         "run.log\n\nDownload page:\nhttps://example.com/%7Ejava"},
    };
    for (const Row& row : rows) EXPECT_EQ(noMatchingJvmText(row.needs, row.log, row.url), row.text);
}

// The not-found message names what each JVM file asks for and offers the
// vendor's page where the box can ask; only a web address is ever opened.
TEST_F(OperationsTest, NotFoundMessageOffersTheDownloadPage) {
    TagFile second, third;
    second.setValue("DESC", "Java 17 runtime");
    third.setValue("DESC", "A");  // the same as the first file's: named once
    ops.jvmSearch.addJvmFile(second);
    ops.jvmSearch.addJvmFile(third);
    const String log = ::testing::TempDir() + "mg_ops_notfound.log";
    const String body = "No matching JVM was found.\n\nThis application needs:\nA\nJava 17 runtime\n\n"
                        "The log file has the details:\n" + log;
    const String page = "\n\nDownload page:\nhttps://example.com/java";
    const char* const badUrl = "C:\\Windows\\System32\\calc.exe";
    struct Row {
        const char* name;
        const char* url;
        bool silentRun;
        Front front;
        bool answerYes;
        String shown;  // empty: no message
        bool opened;
        const char* logged;  // a line the log must hold, or nullptr
    };
    const Row rows[] = {
        {"no page", "", false, Front::Window, true, body, false, nullptr},
        {"page, yes", "https://example.com/java", false, Front::Window, true,
         body + page + "\n\nOpen the download page now?", true,
         "Opening the JVM download page https://example.com/java"},
        {"page, no", "https://example.com/java", false, Front::Window, false,
         body + page + "\n\nOpen the download page now?", false, nullptr},
        {"not a web page", badUrl, false, Front::Window, true, body, false,
         "WARNING: JVM_DOWNLOAD_URL is not an http:// or https:// address; it is not offered: "
         "C:\\Windows\\System32\\calc.exe"},
        {"console", "https://example.com/java", false, Front::Console, true, body + page, false, nullptr},
        {"silent", "https://example.com/java", true, Front::Window, true, String(), false, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        hostui::reset();
        hostui::state().answerYes = row.answerYes;
        ops.downloadUrl = row.url;
        ops.opened.clear();
        silent = row.silentRun;
        front = row.front;
        logPath = log;
        std::remove(log.c_str());
        JvmDiscovery(ops).findJvm(false, true);
        front = Front::Window;
        logPath.clear();
        setRunExitCode(0);
        if (row.shown.empty()) {
            EXPECT_TRUE(hostui::state().messages.empty());
        } else {
            ASSERT_EQ(hostui::state().messages.size(), 1u);
            EXPECT_EQ(hostui::state().messages[0], row.shown);
        }
        EXPECT_EQ(ops.opened, row.opened ? StringList{row.url} : StringList{});
        std::ifstream in(log.c_str());
        std::stringstream text;
        text << in.rdbuf();
        // The log line of a search that found nothing stays as it was.
        EXPECT_NE(text.str().find("\nNo matching JVM was found.\n"), std::string::npos) << text.str();
        if (row.logged) EXPECT_NE(text.str().find(row.logged), std::string::npos) << text.str();
        std::remove(log.c_str());
    }
    silent = true;
}

TEST_F(OperationsTest, SearchActionOutput) {
    struct Case {
        const char* name;
        const char* hint;  // PLATFORM_HINT, resolving to C:\jdk when not BAD
        bool valid;
        bool kept;
    };
    const Case cases[] = {
        {"match", "HKEY_LOCAL_MACHINE\\K\\V", true, true},
        {"none", "HKEY_LOCAL_MACHINE\\K\\V", false, false},
        {"exception", "BAD\\K\\V", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        jvm.removeTag("PLATFORM_HINT");
        jvm.setValue("PLATFORM_HINT", c.hint);
        ops.searchSystem.registry["HKEY_LOCAL_MACHINE\\K\\V"] = "C:\\jdk";
        ops.searchSystem.valid.clear();
        if (c.valid) ops.searchSystem.valid = {{"A", "C:\\jdk"}};
        ops.output.clear();
        ops.files.keptFiles.clear();
        JvmDiscovery(ops).searchAction(false, false);
        if (String(c.name) == "match") {
            EXPECT_EQ("1\nC:\\jdk\n" + getStringVariable(2) + "\n", ops.output);
        } else if (String(c.name) == "none") {
            EXPECT_EQ("0\n", ops.output);
        } else {
            EXPECT_EQ("", ops.output);
        }
        EXPECT_EQ(c.kept, !ops.files.keptFiles.empty());
    }
}

TEST_F(OperationsTest, SearchAllPrintsEveryMatchWithItsOwnCopy) {
    ops.searchSystem.files["C:\\"] = {"C:\\j1\\bin\\java.exe", "C:\\j2\\bin\\java.exe"};
    ops.searchSystem.valid = {{"A", "C:\\j1"}, {"A", "C:\\j2"}};
    JvmDiscovery(ops).searchAllAction(false, false);
    ASSERT_EQ(2u, ops.files.files.size());
    const String& f1 = ops.files.files[0];
    const String& f2 = ops.files.files[1];
    EXPECT_EQ("2\nC:\\j1\n" + f1 + "\nC:\\j2\n" + f2 + "\n", ops.output);
    EXPECT_EQ(ops.files.files, ops.files.keptFiles);
    EXPECT_NE(std::string::npos, readFile(f1).find("C:\\j1"));
    EXPECT_EQ(std::string::npos, readFile(f1).find("C:\\j2"));
    EXPECT_NE(std::string::npos, readFile(f2).find(f2));

    ops.output.clear();
    ops.searchSystem.drives.clear();
    ops.searchSystem.files.clear();
    JvmDiscovery(ops).searchAllAction(false, false);
    EXPECT_EQ("0\n", ops.output);
}

TEST_F(OperationsTest, SearchAllFailurePrintsZeroAfterWhatWasPrinted) {
    class FailingDrives : public FakeSearchSystem {
        StringList listFixedDrives() override { throw LauncherException("No drives found on this system."); }
    };
    FailingDrives failing;
    JvmSearch search(failing);
    search.addJvmFile(jvm);
    struct Ops : FakeDiscoverySystem {
        JvmSearch* other = nullptr;
        JvmSearch& search() override { return *other; }
    } failingOps;
    failingOps.other = &search;
    JvmDiscovery(failingOps).searchAllAction(false, false);
    EXPECT_EQ("0\n", failingOps.output);
}

TEST_F(OperationsTest, VerifyByIdChecksTheEntry) {
    FileEntry script;
    script.type = FT_LAUNCH_SCRIPT;
    script.id = 7;
    script.name = "launch.txt";
    ops.entries.emplace(7, std::move(script));
    FileEntry unread;
    unread.type = FT_JVM_FILE;
    unread.id = 8;
    ops.entries.emplace(8, std::move(unread));
    struct Case {
        std::int32_t id;
        const char* message;
    };
    const Case cases[] = {
        {3, "Cannot verify jvm file at index 3 because it does not exist."},
        {7, "To verify a JVM, use an index of a jvm file. The index passed in was 7 which corresponds to the "
            "file named launch.txt"},
        {8, "The jvm file with file id 8 could not be read."},
    };
    for (const Case& c : cases) {
        try {
            JvmDiscovery(ops).verifyJvmById(false, false, c.id);
            ADD_FAILURE() << "no exception for " << c.id;
        } catch (const LauncherException& e) {
            EXPECT_EQ(c.message, e.message());
        }
    }
}

TEST_F(OperationsTest, VerifySetsN1AndS1) {
    ops.searchSystem.valid = {{"A", "C:\\good\\"}};
    struct Case {
        const char* home;       // given; empty means the file's JVM_HOME
        const char* jvmHome;
        std::int32_t n1;
        const char* s1;
    };
    const Case cases[] = {
        {"C:\\good\\", "", 1, "C:\\good\\"},
        {"C:\\bad", "", 0, ""},
        {"", "C:\\good\\", 1, "C:\\good\\"},
        {"", "", 0, ""},
    };
    for (const Case& c : cases) {
        resetVariables();
        jvm.setValue("JVM_HOME", c.jvmHome);
        JvmDiscovery(ops).verifyJvm(false, false, jvm, c.home);
        EXPECT_EQ(c.n1, getNumericVariable(1)) << c.home << "|" << c.jvmHome;
        EXPECT_EQ(c.s1, getStringVariable(1)) << c.home << "|" << c.jvmHome;
    }
}

}  // namespace

}  // namespace mg
