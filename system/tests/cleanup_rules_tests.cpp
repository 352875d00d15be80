#include <gtest/gtest.h>

#include <vector>

#include "system/cleanup_rules.h"
#include "system/wininit.h"

namespace mg {

namespace {

TEST(BatchFile, LinesFollowTracingAndDirectory) {
    const String e = "C:\\t\\LRE1.tmp\\app.exe", d = "C:\\t\\LRE1.tmp", b = "C:\\t\\LRE2.bat", t = "C:\\trace.txt";
    struct Row {
        const char* what;
        String directory;
        bool tracing;
        const char* text;
    } rows[] = {
        {"plain", d, false,
         ":Repeat\n"
         "del \"C:\\t\\LRE1.tmp\\app.exe\"\n"
         "if exist \"C:\\t\\LRE1.tmp\\app.exe\" goto Repeat\n"
         "rmdir /q \"C:\\t\\LRE1.tmp\"\n"
         "del \"C:\\t\\LRE2.bat\"\n"},
        {"no directory", "", false,
         ":Repeat\n"
         "del \"C:\\t\\LRE1.tmp\\app.exe\"\n"
         "if exist \"C:\\t\\LRE1.tmp\\app.exe\" goto Repeat\n"
         "del \"C:\\t\\LRE2.bat\"\n"},
        {"tracing", d, true,
         ":Repeat\n"
         "@echo Deleting C:\\t\\LRE1.tmp\\app.exe from within batch file. >> C:\\trace.txt\n"
         "del \"C:\\t\\LRE1.tmp\\app.exe\"\n"
         "if exist \"C:\\t\\LRE1.tmp\\app.exe\" goto Repeat\n"
         "rmdir /q \"C:\\t\\LRE1.tmp\"\n"
         "del \"C:\\t\\LRE2.bat\"\n"
         "@echo Deleted batch file C:\\t\\LRE2.bat from within batch file. >> C:\\trace.txt\n"},
    };
    for (const Row& r : rows) EXPECT_EQ(batchFileText(e, r.directory, b, r.tracing, t), r.text) << r.what;
}

// Paths with characters cmd gives a meaning: in quotes only % is doubled; in
// the unquoted echo text every special character is escaped.
TEST(BatchFile, PathsWithCharactersOfTheShellStayOnePath) {
    const String e = "C:\\a b&c^d%e%\\LRE1.tmp\\app.exe", d = "C:\\a b&c^d%e%\\LRE1.tmp",
                 b = "C:\\t(1)|\\LRE2.bat";
    struct Row {
        const char* what;
        String trace;
        const char* text;
    } rows[] = {
        {"trace path with a blank", "C:\\my trace.txt",
         ":Repeat\n"
         "@echo Deleting C:\\a b^&c^^d%%e%%\\LRE1.tmp\\app.exe from within batch file. >> \"C:\\my trace.txt\"\n"
         "del \"C:\\a b&c^d%%e%%\\LRE1.tmp\\app.exe\"\n"
         "if exist \"C:\\a b&c^d%%e%%\\LRE1.tmp\\app.exe\" goto Repeat\n"
         "rmdir /q \"C:\\a b&c^d%%e%%\\LRE1.tmp\"\n"
         "del \"C:\\t(1)|\\LRE2.bat\"\n"
         "@echo Deleted batch file C:\\t^(1^)^|\\LRE2.bat from within batch file. >> \"C:\\my trace.txt\"\n"},
        {"trace path with & and %", "C:\\x&y%z.txt",
         ":Repeat\n"
         "@echo Deleting C:\\a b^&c^^d%%e%%\\LRE1.tmp\\app.exe from within batch file. >> \"C:\\x&y%%z.txt\"\n"
         "del \"C:\\a b&c^d%%e%%\\LRE1.tmp\\app.exe\"\n"
         "if exist \"C:\\a b&c^d%%e%%\\LRE1.tmp\\app.exe\" goto Repeat\n"
         "rmdir /q \"C:\\a b&c^d%%e%%\\LRE1.tmp\"\n"
         "del \"C:\\t(1)|\\LRE2.bat\"\n"
         "@echo Deleted batch file C:\\t^(1^)^|\\LRE2.bat from within batch file. >> \"C:\\x&y%%z.txt\"\n"},
    };
    for (const Row& r : rows) EXPECT_EQ(batchFileText(e, d, b, true, r.trace), r.text) << r.what;
}

TEST(BatchFile, NameReplacesTheExtensionOfTheFileName) {
    struct Row {
        const char* temp;
        const char* batch;
    } rows[] = {
        {"C:\\t\\LRE1A.tmp", "C:\\t\\LRE1A.bat"},
        {"C:\\t\\LRE1A", "C:\\t\\LRE1A.bat"},
        {"C:\\t.d\\LRE1A", "C:\\t.d\\LRE1A.bat"},  // a dot in a directory is no extension
        {"C:\\t\\a.b.tmp", "C:\\t\\a.b.bat"},
    };
    for (const Row& r : rows) EXPECT_EQ(batchFileName(r.temp), r.batch) << r.temp;
}

TEST(BatchFile, ExecutableDirectoryIsTheTextBeforeTheLastBackslash) {
    EXPECT_EQ(executableDirectory("C:\\t\\LRE1.tmp\\app.exe"), "C:\\t\\LRE1.tmp");
    EXPECT_EQ(executableDirectory("C:\\app.exe"), "C:");
    EXPECT_EQ(executableDirectory("app.exe"), "");
}

TEST(TreeRemoval, OnlyTheDirectoryAndItsAncestorsHoldAFailure) {
    struct Row {
        const char* directory;
        const char* failed;
        bool holds;
    } rows[] = {
        {"C:\\t\\a", "C:\\t\\a\\b", true},
        {"C:\\t\\a", "C:\\t\\a", true},
        {"C:\\T\\A", "c:\\t\\a\\b", true},
        {"C:\\t", "C:\\t\\a\\b", true},
        {"C:\\t\\", "C:\\t\\a", true},
        {"C:\\t\\a", "C:\\t\\ab", false},  // a sibling sharing the prefix
        {"C:\\t\\a\\b", "C:\\t\\a", false},
        {"C:\\t\\x", "C:\\t\\a", false},
    };
    for (const Row& r : rows) EXPECT_EQ(holdsFailedPath(r.directory, r.failed), r.holds) << r.directory << " " << r.failed;
}

String insertInto(const String& old, const StringList& lines) {
    std::size_t room = old.size() + WININIT_SPARE;
    for (const String& l : lines) room += l.size() + 1;
    std::vector<char> buffer(room, '\0');
    std::copy(old.begin(), old.end(), buffer.begin());
    std::size_t n = insertWininitText(buffer.data(), old.size(), lines);
    EXPECT_LE(n, room);
    return String(buffer.data(), n);
}

TEST(Wininit, EntriesGoAtTheStartOfTheRenameSection) {
    const StringList entries = {"NUL=C:\\T\\LRE1~1.EXE", "NUL=C:\\T\\LRE1~1.TMP"};
    const String both = "NUL=C:\\T\\LRE1~1.EXE\nNUL=C:\\T\\LRE1~1.TMP\n";
    struct Row {
        const char* what;
        String old;
        String expected;
    } rows[] = {
        {"empty file", "", "[Rename]\n" + both},
        {"no section", "[boot]\nshell=x\n", "[boot]\nshell=x\n[Rename]\n" + both},
        {"no section, last line open", "[boot]\nshell=x", "[boot]\nshell=x\n[Rename]\n" + both},
        {"section first", "[Rename]\nNUL=C:\\OLD\n", "[Rename]\n" + both + "NUL=C:\\OLD\n"},
        {"section in the middle", "[a]\nx=1\n[Rename]\nNUL=C:\\OLD\n[b]\n",
         "[a]\nx=1\n[Rename]\n" + both + "NUL=C:\\OLD\n[b]\n"},
        {"section line with CR LF", "[Rename]\r\nNUL=C:\\OLD\r\n", "[Rename]\r\n" + both + "NUL=C:\\OLD\r\n"},
        {"section last without line feed", "[a]\n[Rename]", "[a]\n[Rename]\n" + both},
        {"section name is case-sensitive", "[rename]\n", "[rename]\n[Rename]\n" + both},
    };
    for (const Row& r : rows) EXPECT_EQ(insertInto(r.old, entries), r.expected) << r.what;
}

}  // namespace

}  // namespace mg
