#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "jvm/jvm_file.h"
#include "tests/support/fake_temp_items.h"

#ifdef _WIN32
#include "system/temp.h"
#endif

namespace mg {

namespace {

TEST(JvmFileReferences, ValuesAndTheHomeRule) {
    const struct {
        const char* tag;
        const char* value;  // null: tag absent
        const char* expected;
    } rows[] = {
        {"JVM_HOME", "D:\\java\\", "D:\\java"},
        {"JVM_HOME", "D:\\java", "D:\\java"},
        {"JVM_HOME", "C:\\", "C:"},
        {"JVM_HOME", "C:\\jdk\\\\", "C:\\jdk\\"},  // only one backslash goes
        {"JVM_HOME", "/opt/jdk/", "/opt/jdk/"},
        {"JVM_HOME", nullptr, ""},
        {"JVM_EXE", "bin\\", "bin\\"},            // no other tag is altered
        {"CUSTOM", "value", "value"},
        {"CUSTOM", nullptr, ""},
        {"jvm_home", "C:\\x\\", "C:\\x\\"},       // names are case-sensitive
    };
    for (const auto& row : rows) {
        TagFile tags;
        if (row.value != nullptr) tags.setValue(row.tag, row.value);
        JvmFile jvm(tags);
        EXPECT_EQ(jvm.resolveReference(String(row.tag)), row.expected) << row.tag << " = " << (row.value ? row.value : "(absent)");
    }
}

TEST(JvmFileReferences, ExpandAllWithAt) {
    TagFile tags;
    tags.setValue("JVM_HOME", "C:\\jdk\\");
    tags.setValue("JVM_EXE", "bin\\java.exe");
    tags.setValue("SELF", "@SELF@");
    tags.setValue("NEXT", "@JVM_EXE@");
    JvmFile jvm(tags);
    EXPECT_EQ(jvm.jvmExe(), "bin\\java.exe");
    EXPECT_EQ(jvm.expandAll("@JVM_HOME@\\@JVM_EXE@ -cp x", '@'), "C:\\jdk\\bin\\java.exe -cp x");
    EXPECT_EQ(jvm.expandAll("[@NEXT@]", '@'), "[bin\\java.exe]");
    EXPECT_EQ(jvm.expandAll("user@@host", '@'), "user@host");
    // Other delimiters are left alone rather than looping.
    EXPECT_EQ(jvm.expandAll("%JVM_EXE% #JVM_EXE#", '%'), "%JVM_EXE% #JVM_EXE#");
    EXPECT_EQ(jvm.expandAll("#JVM_EXE#", '#'), "#JVM_EXE#");
    EXPECT_THROW(jvm.expandAll("@SELF@", '@'), LauncherException);
}

TEST(JvmFileReferences, CopiesShareTheTagFile) {
    TagFile tags;
    JvmFile a(tags);
    JvmFile b = a;
    tags.setValue("DESC", "Java 17");
    EXPECT_EQ(b.description(), "Java 17");
    EXPECT_EQ(&b.tagFile(), &tags);
    EXPECT_EQ(JvmFile(tags).jvmExe(), "");
}

TEST(RequiredProperties, Parsing) {
    const struct {
        const char* value;
        bool valid;
        const char* name;
        const char* expected;
    } rows[] = {
        {"java.version=1.3...", true, "java.version", "1.3..."},
        {"java.vendor= X ", true, "java.vendor", "X"},
        {"  a.b  =  c=d = ", true, "a.b", "c=d ="},
        {"empty=", true, "empty", ""},
        {"=x", true, "", "x"},
        {"no equals", false, "", ""},
        {"", false, "", ""},
    };
    for (const auto& row : rows) {
        RequiredProperty p;
        EXPECT_EQ(parseRequiredProperty(row.value, p), row.valid) << row.value;
        if (!row.valid) continue;
        EXPECT_EQ(p.name, row.name) << row.value;
        EXPECT_EQ(p.expected, row.expected) << row.value;
    }
}

TEST(RequiredProperties, Matching) {
    const struct {
        const char* expected;
        const char* actual;
        bool matches;
    } rows[] = {
        {"1.3...", "1.3", true},
        {"1.3...", "1.3.0", true},
        {"1.3...", "1.3.1_02", true},
        {"1.3...", "1.2.2", false},
        {"1.3...", "1.", false},
        {"...", "", true},
        {"...", "anything", true},
        {"X", "X", true},
        {"X", "x", false},          // case matters
        {"X", "X ", false},
        {"1...3", "1...3", true},   // "..." elsewhere is literal
        {"1...3", "123", false},
        {"", "", true},
        {"", "1", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(propertyValueMatches(row.expected, row.actual), row.matches) << row.expected << " vs " << row.actual;
    }
}

TEST(Hints, PathHintCandidates) {
    const struct {
        const char* drive;
        const char* hint;
        const char* expected;
    } rows[] = {
        {"C:", "\\java", "C:\\java"},
        {"C:", "java", "C:\\java"},
        {"D:", "\\\\java", "D:\\\\java"},  // only one leading backslash is removed
        {"C:", "Program Files\\Java\\jre", "C:\\Program Files\\Java\\jre"},
        {"C:", "", "C:\\"},
    };
    for (const auto& row : rows) EXPECT_EQ(pathHintCandidate(row.drive, row.hint), row.expected) << row.hint;
}

TEST(Hints, PlatformHints) {
    const struct {
        const char* hint;
        bool parsed;
        const char* hive;
        const char* keyPath;
        const char* valueName;
        const char* keyWithValue;
        bool complete;
    } rows[] = {
        {"\\HKEY_LOCAL_MACHINE\\K\\V", true, "HKEY_LOCAL_MACHINE", "K", "V", "K\\V", true},
        {"HKEY_LOCAL_MACHINE\\K\\V", true, "HKEY_LOCAL_MACHINE", "K", "V", "K\\V", true},
        {"HKEY_CURRENT_USER\\Software\\Vendor\\JRE\\Home", true, "HKEY_CURRENT_USER",
         "Software\\Vendor\\JRE", "Home", "Software\\Vendor\\JRE\\Home", true},
        {"hkey_local_machine\\K\\V", true, "hkey_local_machine", "K", "V", "K\\V", true},
        {"HKEY_USERS\\V", true, "HKEY_USERS", "", "V", "V", false},      // no key part
        {"HKEY_USERS", true, "HKEY_USERS", "", "", "", false},          // no backslash at all
        {"\\", true, "", "", "", "", false},
        {"HKEY_USERS\\K\\", true, "HKEY_USERS", "K", "", "K\\", false},
        {"", false, "", "", "", "", false},
    };
    for (const auto& row : rows) {
        PlatformHint h;
        EXPECT_EQ(parsePlatformHint(row.hint, h), row.parsed) << row.hint;
        EXPECT_EQ(h.hive, row.hive) << row.hint;
        EXPECT_EQ(h.keyPath, row.keyPath) << row.hint;
        EXPECT_EQ(h.valueName, row.valueName) << row.hint;
        EXPECT_EQ(h.keyWithValue, row.keyWithValue) << row.hint;
        EXPECT_EQ(h.complete, row.complete) << row.hint;
    }
    for (const char* hive : {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS", "HKEY_CLASSES_ROOT",
                             "HKEY_CURRENT_CONFIG"}) {
        EXPECT_TRUE(isKnownHive(hive)) << hive;
    }
    for (const char* hive : {"hkey_local_machine", "HKLM", "", "HKEY_DYN_DATA"}) EXPECT_FALSE(isKnownHive(hive)) << hive;
}

std::string readFile(const String& path) {
    std::ifstream in(path);  // text mode, as the copy is written
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(JvmMatchCopies, EachCopyHoldsItsOwnHomeAndPath) {
    TagFile tags;
    tags.setValue("DESC", "Test JVM");
    tags.setValue("JVM_EXE", "bin\\java.exe");
    tags.setValue("JVM_HOME", "C:\\old");
    FakeTempItems files("jvm_file_match_");

    JvmMatch first("C:\\jdk1\\", tags);
    JvmMatch second("D:\\jdk2", tags);
    String path1 = first.writeJvmFile(files);
    String path2 = second.writeJvmFile(files);
    EXPECT_EQ(path1, "jvm_file_match_1.tmp");
    EXPECT_EQ(path2, "jvm_file_match_2.tmp");

    // The shared TagFile holds the last write; each file its own.
    EXPECT_EQ(tags.getValue("JVM_HOME"), "D:\\jdk2");
    EXPECT_EQ(tags.getValue("JVM_FILE"), path2);
    EXPECT_EQ(tags.getValue("JVM_TEMP"), "0");
    for (const auto& expect : {std::make_pair(path1, String("C:\\jdk1\\")), std::make_pair(path2, String("D:\\jdk2"))}) {
        TagFile copy;
        copy.load(expect.first);
        EXPECT_EQ(copy.getValue("JVM_HOME"), expect.second);
        EXPECT_EQ(copy.getValue("JVM_FILE"), expect.first);
        EXPECT_EQ(copy.getValue("JVM_TEMP"), "0");
        EXPECT_EQ(copy.getValue("DESC"), "Test JVM");
    }
    EXPECT_NE(readFile(path1).find("JVM_HOME:  C:\\jdk1\\\n"), std::string::npos) << readFile(path1);
}

}  // namespace

namespace {

TEST(DocumentedJvmFiles, Runtime17) {
    TagFile tags;
    tags.load(String(MG_EXAMPLES_DIR) + "/jvm/runtime17.jvm");
    JvmFile jvm(tags);
    EXPECT_EQ(jvm.description(), "Java 17 runtime");
    EXPECT_EQ(jvm.jvmExe(), "bin\\java.exe");
    EXPECT_TRUE(tags.getBool("SEARCH_ALL", false));
    EXPECT_EQ(jvm.resolveReference(String("CLASSPATH")), "-classpath ");

    ASSERT_EQ(tags.valueCount("JVM_PROPERTIES"), 2u);
    RequiredProperty version, vendor;
    ASSERT_TRUE(parseRequiredProperty(tags.getValue("JVM_PROPERTIES", 0), version));
    ASSERT_TRUE(parseRequiredProperty(tags.getValue("JVM_PROPERTIES", 1), vendor));
    EXPECT_EQ(version.name, "java.specification.version");
    EXPECT_TRUE(propertyValueMatches(version.expected, "17"));
    EXPECT_FALSE(propertyValueMatches(version.expected, "17.0"));
    EXPECT_TRUE(propertyValueMatches(vendor.expected, "Any Vendor"));

    EXPECT_EQ(pathHintCandidate("C:", tags.getValue("PATH_HINT", 0)), "C:\\Program Files\\Java\\runtime17");
    EXPECT_EQ(pathHintCandidate("D:", tags.getValue("PATH_HINT", 1)), "D:\\java");

    PlatformHint machine, user;
    ASSERT_TRUE(parsePlatformHint(tags.getValue("PLATFORM_HINT", 0), machine));
    ASSERT_TRUE(parsePlatformHint(tags.getValue("PLATFORM_HINT", 1), user));
    EXPECT_TRUE(isKnownHive(machine.hive));
    EXPECT_EQ(machine.keyPath, "SOFTWARE\\ExampleVendor\\Runtime\\17");
    EXPECT_EQ(machine.valueName, "JavaHome");
    EXPECT_EQ(user.hive, "HKEY_CURRENT_USER");
    EXPECT_EQ(user.keyWithValue, "Software\\ExampleVendor\\Runtime\\Home");
}

TEST(DocumentedJvmFiles, ClassPathVariable) {
    TagFile tags;
    tags.load(String(MG_EXAMPLES_DIR) + "/jvm/classpath-variable.jvm");
    tags.setValue("JVM_HOME", "C:\\jre11\\");
    JvmFile jvm(tags);
    EXPECT_EQ(jvm.expandAll(jvm.resolveReference(String("JVM_CLASSPATH")), '@'), "C:\\jre11\\lib\\classes.zip");
    EXPECT_EQ(tags.getValue("USE_CP_ENV_VAR"), "1");
    EXPECT_EQ(pathHintCandidate("C:", tags.getValue("PATH_HINT")), "C:\\jre11");
}

}  // namespace

#ifdef _WIN32
namespace {

TEST(JvmMatchCopies, SystemCopyIsARegisteredTemporaryFile) {
    TagFile tags;
    tags.setValue("JVM_EXE", "bin\\java.exe");
    JvmMatch match("C:\\jdk", tags);
    String path = match.writeJvmFile(*makeSystemTempItems());
    EXPECT_EQ(path.find(getTempRoot()), 0u) << path;
    StringList registered = registeredTempFiles();
    EXPECT_NE(std::find(registered.begin(), registered.end(), path), registered.end());
    TagFile copy;
    copy.load(path);
    EXPECT_EQ(copy.getValue("JVM_HOME"), "C:\\jdk");
    EXPECT_EQ(copy.getValue("JVM_FILE"), path);
    unregisterTempFile(path);
    std::remove(path.c_str());
}

}  // namespace
#endif

}  // namespace mg
