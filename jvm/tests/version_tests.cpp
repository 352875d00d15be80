// Version order, name patterns and their expansion: what decides which
// installed JVM a hint offers first.
#include "jvm/version.h"

#include <gtest/gtest.h>

#include <map>

#include "jvm/jvm_file.h"

namespace mg {

namespace {

int sign(int n) { return (n > 0) - (n < 0); }

TEST(VersionOrder, Pairs) {
    struct Row {
        const char* a;
        const char* b;
        int order;
    };
    const Row rows[] = {
        {"17.0.10", "17.0.9", 1},
        {"jdk-21", "jdk-17", 1},
        {"1.8", "9", -1},
        {"9", "11", -1},
        {"11", "17.0.2", -1},
        {"17.0.2", "17.0.10", -1},
        {"1.8.0_392", "1.8", 1},
        {"1.8.0_392", "8.0.392.8", -1},
        {"17", "17.0.1", -1},
        {"17", "17", 0},
        {"017", "17", 0},
        {"17.0.9.9-hotspot", "17.0.9.9-HOTSPOT", 0},
        {"17.0.1", "17-ea", 1},
        {"99999999999999999999", "99999999999999999998", 1},
        {"", "1", -1},
        {"1", "", 1},
        {"1.", "1", 0},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.order, sign(compareVersions(r.a, r.b))) << r.a << " vs " << r.b;
        EXPECT_EQ(-r.order, sign(compareVersions(r.b, r.a))) << r.b << " vs " << r.a;
    }
}

TEST(VersionOrder, VersionPart) {
    EXPECT_EQ("17.0.9.9-hotspot", versionPart("jdk-17.0.9.9-hotspot"));
    EXPECT_EQ("21", versionPart("zulu-21"));
    EXPECT_EQ("1.8.0_392", versionPart("jre1.8.0_392"));
    EXPECT_EQ("", versionPart("hotspot"));
}

TEST(NamePattern, Matches) {
    struct Row {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Row rows[] = {
        {"17.*", "17.0.9", true},      {"17.*", "17", false},          {"17*", "17", true},
        {"17*", "170", true},          {"jdk-17.*-hotspot", "jdk-17.0.9.9-hotspot", true},
        {"jdk-17.*-hotspot", "jdk-17.0.9.9-openj9", false},            {"JDK-1?", "jdk-17", true},
        {"jdk-1?", "jdk-1", false},    {"*", "", true},                 {"?", "", false},
        {"a*b*c", "abxbc", true},      {"a*b*c", "acb", false},         {"zulu-*", "zulu-8-jre", true},
        {"plain", "PLAIN", true},      {"plain", "plainer", false},
    };
    for (const Row& r : rows) EXPECT_EQ(r.matches, matchesNamePattern(r.pattern, r.name)) << r.pattern << " " << r.name;
    // Many stars against a long name that fails at its end: answered at once.
    EXPECT_FALSE(matchesNamePattern("*a*a*a*a*a*a*a*a*a*a*b", String(255, 'a')));
}

TEST(NamePattern, ExpandNewestFirst) {
    std::map<String, StringList> tree = {
        {"C:\\Java", {"jdk-17.0.9", "jdk-21", "jdk-17.0.12", "jre-17.0.20", "jdk-17.0.12x"}},
        {"C:\\Java\\jdk-17.0.12", {"bin"}},
    };
    auto list = [&](const String& parent) { return tree.count(parent) ? tree[parent] : StringList(); };
    const std::vector<PatternMatch> found = expandPattern("C:", "Java\\jdk-17.*", list);
    ASSERT_EQ(3u, found.size());
    EXPECT_EQ("C:\\Java\\jdk-17.0.12x", found[0].path);
    EXPECT_EQ("C:\\Java\\jdk-17.0.12", found[1].path);
    EXPECT_EQ("C:\\Java\\jdk-17.0.9", found[2].path);
    // A literal component below a pattern is appended whether it exists or not;
    // the registry or the verify run says whether it is there.
    const std::vector<PatternMatch> below = expandPattern("C:", "Java\\jdk-2*\\bin", list);
    ASSERT_EQ(1u, below.size());
    EXPECT_EQ("C:\\Java\\jdk-21\\bin", below[0].path);
    EXPECT_EQ("21", below[0].version);
    EXPECT_TRUE(expandPattern("C:", "Nowhere\\*", list).empty());
}

TEST(VersionRange, ParseAndCompare) {
    struct Row {
        const char* requirement;
        const char* actual;
        bool satisfied;
    };
    const Row rows[] = {
        {"java.specification.version>=11", "1.8", false},
        {"java.specification.version>=11", "11", true},
        {"java.specification.version>=11", "17", true},
        {"java.specification.version>11", "11", false},
        {"java.specification.version<22", "21", true},
        {"java.specification.version<22", "22", false},
        {"java.specification.version<=21", "21", true},
        {"java.version >= 17.0.2", "17.0.10", true},
        {"java.version>=17.0.10", "17.0.9", false},
        {"java.version>=1.8", "null", false},
        {"java.version>=1.8", "", false},
        {"java.specification.version=17", "17", true},
        {"java.version=17...", "17.0.9", true},
    };
    for (const Row& r : rows) {
        RequiredProperty p;
        ASSERT_TRUE(parseRequiredProperty(r.requirement, p)) << r.requirement;
        EXPECT_EQ(r.satisfied, propertySatisfied(p, r.actual)) << r.requirement << " " << r.actual;
    }
    RequiredProperty p;
    ASSERT_TRUE(parseRequiredProperty(" java.version <= 21 ", p));
    EXPECT_EQ("java.version", p.name);
    EXPECT_EQ("<=21", requirementText(p));
    ASSERT_TRUE(parseRequiredProperty("a=b>=c", p));
    EXPECT_EQ("a", p.name);
    EXPECT_EQ("b>=c", requirementText(p));
}

}  // namespace

}  // namespace mg
