#include <gtest/gtest.h>

#include "instructions/expressions.h"
#include "test_support.h"

namespace mg {

namespace {

const TestRaiser raiser;

// The values every row below sees.
class ExpressionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetVariables();
        setNumericVariable(1, 1);
        setNumericVariable(2, 42);
        setNumericVariable(3, 2);
        setStringVariable(1, "hello");
        setStringVariable(2, "=@N2@");      // a value holding a reference
        setStringVariable(4, "@N2@");       // its first at-sign is passed over
        setStringVariable(3, "a@@b");       // expands to a@b, then fails next pass
        setStringVariable(6, "@S6@@");      // reproduces its own reference every pass
        setStringVariable(7, "x@S7@");      // grows within one pass
        setStringVariable(8, String(40000, 'y'));
        setPathVariable(9, "C:\\a@b\\@N1@.jvm");  // a path found by the launcher: data
    }
};

struct Row {
    const char* text;
    Outcome outcome;
    const char* result;  // expanded text, or the error message
};

void checkRows(const Row* rows, std::size_t count, const char* context,
               String (*evaluate)(const String&, const char*)) {
    for (std::size_t i = 0; i < count; ++i) {
        const Row& r = rows[i];
        SCOPED_TRACE(r.text);
        String value;
        Ending e = capture([&] { value = evaluate(r.text, context); });
        EXPECT_EQ(e.outcome, r.outcome) << e.message;
        EXPECT_EQ(r.outcome == Outcome::Ok ? std::string(value) : e.message, r.result);
    }
}

String expand(const String& text, const char* context) {
    String copy(text);
    expandReferences(copy, context, raiser);
    return copy;
}

TEST_F(ExpressionsTest, ExpandReferences) {
    const Row rows[] = {
        {"@N1@", Outcome::Ok, "1"},
        {"LAUNCH @S9@ @N1@", Outcome::Ok, "LAUNCH C:\\a@b\\@N1@.jvm 1"},
        {"@n1@", Outcome::Ok, "1"},
        {"@s1@ world", Outcome::Ok, "hello world"},
        {"<@N1@@N2@>", Outcome::Ok, "<142>"},
        {"no references", Outcome::Ok, "no references"},
        {"a@@b", Outcome::Ok, "a@b"},
        {"@@", Outcome::Ok, "@"},
        {"@S2@", Outcome::Ok, "=42"},  // values are expanded again
        // The search resumes after the reference's first at-sign, which is
        // inside the inserted value, so a value that starts with a reference
        // leaves its closing at-sign unpaired.
        {"@S4@", Outcome::Raised, " Invalid variable specification."},
        {"@S 1@", Outcome::Ok, "hello"},
        // The at-sign left by @@ is read again once another pass runs.
        {"a@@b @N1@", Outcome::Raised, " Invalid variable specification."},
        {"@S3@", Outcome::Raised, " Invalid variable specification."},
        {"abc@", Outcome::Raised, " Invalid variable specification."},
        {"", Outcome::Raised, " Empty expression."},
        {"@S11@", Outcome::Launcher, " Variable number is invalid (11)"},
        {"@N6@", Outcome::Launcher, " Variable number is invalid (6)"},
        {"@X1@", Outcome::Launcher,
         " Invalid variable reference (X1). Must use N or S as the variable type, e.g. N2 or S1."},
        {"@N@", Outcome::Launcher, " Variable references must be at least 2 characters (e.g. N1 and S10)."},
        {"@S6@", Outcome::Raised,
         " Variable references still expand after 1000 passes. A variable may hold its own reference."},
        {"@S7@", Outcome::Raised,
         " Too many variable references expanded (more than 10000). A variable may hold its own reference."},
        {"@S8@@S8@", Outcome::Raised, " Expanded text is longer than 65536 characters."},
    };
    checkRows(rows, std::size(rows), "", expand);
}

TEST_F(ExpressionsTest, ContextPrefixesExpansionErrors) {
    const Row rows[] = {
        {"", Outcome::Raised, "ctx Empty expression."},
        {"@", Outcome::Raised, "ctx Invalid variable specification."},
        {"@Q1@", Outcome::Launcher,
         "ctx Invalid variable reference (Q1). Must use N or S as the variable type, e.g. N2 or S1."},
    };
    checkRows(rows, std::size(rows), "ctx", expand);
}

String number(const String& text, const char* context) { return toDecimal(evalNumber(text, context, raiser)); }
String shortNumber(const String& text, const char* context) { return toDecimal(evalShort(text, context, raiser)); }
String boolean(const String& text, const char* context) { return evalBoolean(text, context, raiser) ? "1" : "0"; }
String string(const String& text, const char* context) { return evalString(text, context, raiser); }

TEST_F(ExpressionsTest, EvalNumber) {
    const Row rows[] = {
        {"12abc", Outcome::Ok, "12"},
        {" -5", Outcome::Ok, "-5"},
        {"+7", Outcome::Ok, "7"},
        {"@N2@", Outcome::Ok, "42"},
        {"1@N2@", Outcome::Ok, "142"},
        {"70000", Outcome::Ok, "70000"},
        {"abc", Outcome::Raised, "Invalid numeric expression (abc)"},
        {"@S1@", Outcome::Raised, "Invalid numeric expression (hello)"},  // quotes the expanded text
        {"-", Outcome::Raised, "Invalid numeric expression (-)"},
        {"", Outcome::Raised, " Empty expression."},
    };
    checkRows(rows, std::size(rows), "", number);
    const Row withContext[] = {{"abc", Outcome::Raised, "ctxInvalid numeric expression (abc)"}};
    checkRows(withContext, std::size(withContext), "ctx", number);
}

TEST_F(ExpressionsTest, EvalShortWrapsToSixteenBits) {
    const Row rows[] = {
        {"70000", Outcome::Ok, "4464"},
        {"32767", Outcome::Ok, "32767"},
        {"32768", Outcome::Ok, "-32768"},
        {"-32769", Outcome::Ok, "32767"},
        {"@N2@", Outcome::Ok, "42"},
        {"x", Outcome::Raised, " Invalid numeric expression (x)"},
    };
    checkRows(rows, std::size(rows), "", shortNumber);
    const Row withContext[] = {{"x", Outcome::Raised, "ctx Invalid numeric expression (x)"}};
    checkRows(withContext, std::size(withContext), "ctx", shortNumber);
}

TEST_F(ExpressionsTest, EvalBooleanAcceptsOnlyZeroAndOne) {
    const Row rows[] = {
        {"0", Outcome::Ok, "0"},
        {"1", Outcome::Ok, "1"},
        {"@N1@", Outcome::Ok, "1"},
        {"1x", Outcome::Ok, "1"},
        {"2", Outcome::Raised, " Invalid boolean value (2)"},
        {"-1", Outcome::Raised, " Invalid boolean value (-1)"},
        {"@N3@", Outcome::Raised, " Invalid boolean value (@N3@)"},  // quotes the text as written
        {"yes", Outcome::Raised, "Invalid numeric expression (yes)"},
    };
    checkRows(rows, std::size(rows), "", boolean);
}

TEST_F(ExpressionsTest, EvalString) {
    const Row rows[] = {
        {"", Outcome::Ok, ""},
        {"hello world", Outcome::Ok, "hello"},
        {"\"hello world\"", Outcome::Ok, "hello world"},
        {"\"say \"\"hi\"\"\"", Outcome::Ok, "say \"hi\""},
        {"\"kept\" dropped", Outcome::Ok, "kept"},
        {"@S1@ more", Outcome::Ok, "hello"},
        {"\"@S1@ there\"", Outcome::Ok, "hello there"},
        {"a\"b", Outcome::Ok, "a\"b"},
        {"\"\"", Outcome::Raised, "ctx Empty expression."},
        {"\"open", Outcome::Launcher, "Expected double quote to end argument near 1"},
        {"@", Outcome::Raised, "ctx Invalid variable specification."},
    };
    checkRows(rows, std::size(rows), "ctx", string);
}

TEST_F(ExpressionsTest, ReadStringArgument) {
    struct ArgRow {
        const char* statement;
        std::size_t pos;
        Outcome outcome;
        const char* result;
        std::size_t posAfter;
    } rows[] = {
        {"LAUNCH a.jvm 0", 7, Outcome::Ok, "a.jvm", 13},
        {"LAUNCH    a.jvm", 7, Outcome::Ok, "a.jvm", 15},
        {"LAUNCH @S1@ 0", 7, Outcome::Ok, "hello", 12},
        {"LAUNCH \"C:\\My Files\\a.jvm\" 5", 7, Outcome::Ok, "C:\\My Files\\a.jvm", 26},
        {"LAUNCH \"a\"\"b\" 0", 7, Outcome::Ok, "a\"b", 13},
        {"LAUNCH \"a\"\"\" 0", 7, Outcome::Ok, "a\"", 12},
        {"LAUNCH \"\"\"\"", 7, Outcome::Ok, "\"", 11},
        {"LAUNCH", 7, Outcome::Ok, "", 7},    // past the end: empty, not expanded
        {"LAUNCH ", 7, Outcome::Ok, "", 7},
        {"LAUNCH \"\" 0", 7, Outcome::Raised, "ctx Empty expression.", 9},
        {"LAUNCH \"abc 0", 7, Outcome::Launcher, "Expected ending quote in \"abc 0:  ctx", 13},
        {"LAUNCH \"a\"\" 0", 7, Outcome::Launcher, "Expected ending quote in \"a\"\" 0:  ctx", 13},
    };
    for (const ArgRow& r : rows) {
        SCOPED_TRACE(r.statement);
        std::size_t pos = r.pos;
        String value;
        Ending e = capture([&] { value = readStringArgument(r.statement, pos, "ctx", raiser); });
        EXPECT_EQ(e.outcome, r.outcome) << e.message;
        EXPECT_EQ(r.outcome == Outcome::Ok ? std::string(value) : e.message, r.result);
        EXPECT_EQ(pos, r.posAfter);
    }
}

}  // namespace

}  // namespace mg
