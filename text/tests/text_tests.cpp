#include <gtest/gtest.h>

#include "text/text.h"

namespace mg {

namespace {

TEST(Trim, RemovesOnlyTheFourWhitespaceCharacters) {
    struct Row { const char* in; const char* out; } rows[] = {
        {"  a b \t\r\n", "a b"}, {" \t\r\n", ""}, {"", ""}, {"\va\f", "\va\f"}, {"x", "x"},
    };
    for (const auto& r : rows) {
        String s(r.in);
        trim(s);
        EXPECT_EQ(s, r.out) << r.in;
    }
}

TEST(ReadLineAt, DropsCarriageReturnsAndAdvancesPastLineFeed) {
    String text("  one\r\n two \rx\nlast");
    std::size_t pos = 0;
    String a, b, c, d("kept");
    readLineAt(text, pos, a);
    EXPECT_EQ(a, "one");
    EXPECT_EQ(pos, 7u);
    readLineAt(text, pos, b);
    EXPECT_EQ(b, "two x");
    readLineAt(text, pos, c);
    EXPECT_EQ(c, "last");
    EXPECT_EQ(pos, text.size());
    readLineAt(text, pos, d);
    EXPECT_EQ(d, "kept");
}

TEST(NextWord, PositionsFollowTheSeparatorRule) {
    String text("GOTO\tDONE");
    std::size_t pos = 0;
    String w;
    EXPECT_TRUE(nextWord(text, pos, w));
    EXPECT_EQ(w, "GOTO");
    EXPECT_EQ(pos, 5u);
    EXPECT_TRUE(nextWord(text, pos, w));
    EXPECT_EQ(w, "DONE");
    EXPECT_EQ(pos, text.size() + 1);
    EXPECT_FALSE(nextWord(text, pos, w));
    EXPECT_EQ(w, "");
    EXPECT_EQ(pos, text.size());

    String vt("\v\fa\vb");
    pos = 0;
    EXPECT_TRUE(nextWord(vt, pos, w));
    EXPECT_EQ(w, "a");
}

TEST(ParseArgument, QuotedMode) {
    struct Row { const char* text; std::size_t pos; const char* result; std::size_t endPos; } rows[] = {
        {"ab\" x", 0, "ab", 3},
        {"a\"\"b\"", 0, "a\"b", NPOS},
        {"\"\"\"", 0, "\"", NPOS},
        {"x\"y", 0, "x", 2},
        {"\"", 0, "", NPOS},
    };
    for (const auto& r : rows) {
        std::size_t pos = r.pos;
        EXPECT_EQ(parseArgument(String(r.text), pos, true), r.result) << r.text;
        EXPECT_EQ(pos, r.endPos) << r.text;
    }
}

TEST(ParseArgument, UnterminatedQuotedArgumentsReportWhereTheSearchBegan) {
    struct Row { const char* text; const char* message; } rows[] = {
        {"abc", "Expected double quote to end argument near 0"},
        {"ab\"\"cd", "Expected double quote to end argument near 4"},
        {"ab\"\"", "Expected double quote to end argument near -1"},
    };
    for (const auto& r : rows) {
        std::size_t pos = 0;
        try {
            parseArgument(String(r.text), pos, true);
            ADD_FAILURE() << r.text;
        } catch (const LauncherException& e) {
            EXPECT_EQ(e.message(), r.message);
        }
    }
}

TEST(ParseArgument, UnquotedMode) {
    std::size_t pos = 2;
    EXPECT_EQ(parseArgument(String("a bcd\tx"), pos, false), "bcd");
    EXPECT_EQ(pos, 5u);
    pos = 0;
    EXPECT_EQ(parseArgument(String("word"), pos, false), "word");
    EXPECT_EQ(pos, NPOS);
}

TEST(SmallHelpers, EndsWithAppendBackslashToDecimal) {
    EXPECT_EQ(endsWith(String("java.exe"), String(".exe")), 4u);
    EXPECT_EQ(endsWith(String("exe"), String(".exe")), NPOS);
    String p("C:\\j");
    appendBackslash(p);
    EXPECT_EQ(p, "C:\\j\\");
    appendBackslash(p);
    EXPECT_EQ(p, "C:\\j\\");
    String e;
    appendBackslash(e);
    EXPECT_EQ(e, "");
    EXPECT_EQ(toDecimal(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(toDecimal(static_cast<std::int32_t>(NPOS)), "-1");
}

TEST(ToWideEscaped, DecodesEscapesAndCopiesTheRest) {
    EXPECT_EQ(toWideEscaped(String("caf\\u00e9")), u"caf\u00e9");
    EXPECT_EQ(toWideEscaped(String("\\uzzzzz")), u"\\uzzzzz");
    EXPECT_EQ(toWideEscaped(String("\\u12")), u"\\u12");
    // Fewer than four digits still consume the whole escape.
    EXPECT_EQ(toWideEscaped(String("\\u4zzzX")), u"\u0004X");
    std::u16string high = toWideEscaped(String("\xe9"));
    ASSERT_EQ(high.size(), 1u);
    EXPECT_EQ(high[0], 0xFFE9);
}

TEST(Scan, FollowsTheFormattedInputConversions) {
    struct Row { const char* text; bool ok; std::int32_t value; } rows[] = {
        {"12abc", true, 12}, {" -7", true, -7}, {"+3", true, 3}, {"abc", false, 0},
        {"", false, 0}, {"-", false, 0}, {"4294967297", true, 1},
    };
    for (const auto& r : rows) {
        std::int32_t v = 0;
        EXPECT_EQ(scanLong(String(r.text), v), r.ok) << r.text;
        if (r.ok) {
            EXPECT_EQ(v, r.value) << r.text;
        }
    }
    std::int16_t s = 0;
    EXPECT_TRUE(scanShort(String("70000"), s));
    EXPECT_EQ(s, 4464);
}

// What reaches the shell must be a web page, never a program, a file or a
// text that ends the browser's quoted argument.
TEST(IsWebAddress, OnlyHttpAndHttpsWithUriCharacters) {
    struct Row { const char* text; bool ok; } rows[] = {
        {"https://example.com/java", true},
        {"http://example.com:8080/get?v=21&os=win#x86", true},
        {"HTTPS://Example.com/%7Ejava", true},
        {"https://[::1]/", true},
        {"https://", false},
        {"https:///etc/passwd", false},
        {"ftp://example.com/", false},
        {"file:///C:/Windows/System32/calc.exe", false},
        {"C:\\Windows\\System32\\calc.exe", false},
        {"calc.exe", false},
        {"https:example.com", false},
        {"https://example.com/a b", false},
        {"https://example.com/\" \"C:\\x.exe", false},
        {"https://example.com/\\x", false},
        {"https://example.com/<x>", false},
        {"https://example.com/\xe4", false},
        {" https://example.com/", false},
        {"", false},
    };
    for (const auto& r : rows) EXPECT_EQ(isWebAddress(String(r.text)), r.ok) << r.text;
    EXPECT_FALSE(isWebAddress(String("https://a\0b", 11)));
}

TEST(String, OutOfRangePositionsRaiseRangeException) {
    String s("abc");
    EXPECT_THROW(s.substr(4), RangeException);
    EXPECT_THROW(s.at(3), RangeException);
    EXPECT_THROW(s.erase(5), RangeException);
    EXPECT_EQ(s.substr(3), "");
}

}  // namespace

}  // namespace mg
