#include <gtest/gtest.h>

#include "instructions/variables.h"
#include "test_support.h"

namespace mg {

namespace {

class VariablesTest : public ::testing::Test {
protected:
    void SetUp() override { resetVariables(); }
};

TEST_F(VariablesTest, TablesRejectNumbersOutsideTheirRange) {
    struct Row {
        bool numeric;
        std::int32_t n;
        const char* message;
    } rows[] = {
        {false, 0, "Invalid string variable number: 0"},
        {false, 11, "Invalid string variable number: 11"},
        {false, -1, "Invalid string variable number: -1"},
        {true, 0, "Invalid numeric variable number: 0"},
        {true, 6, "Invalid numeric variable number: 6"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.message);
        Ending get = capture([&] { r.numeric ? (void)getNumericVariable(r.n) : (void)getStringVariable(r.n); });
        Ending set = capture([&] { r.numeric ? setNumericVariable(r.n, 1) : setStringVariable(r.n, "x"); });
        for (const Ending& e : {get, set}) {
            EXPECT_EQ(e.outcome, Outcome::Launcher);
            EXPECT_EQ(e.message, r.message);
        }
    }
}

TEST_F(VariablesTest, EveryVariableHoldsItsOwnValue) {
    for (int n = 1; n <= STRING_VARIABLE_COUNT; ++n) setStringVariable(n, "s" + toDecimal(n));
    for (int n = 1; n <= NUMERIC_VARIABLE_COUNT; ++n) setNumericVariable(n, n * 10);
    for (int n = 1; n <= STRING_VARIABLE_COUNT; ++n) EXPECT_EQ(getStringVariable(n), "s" + toDecimal(n));
    for (int n = 1; n <= NUMERIC_VARIABLE_COUNT; ++n) EXPECT_EQ(getNumericVariable(n), n * 10);
    resetVariables();
    EXPECT_EQ(getStringVariable(10), "");
    EXPECT_EQ(getNumericVariable(5), 0);
}

TEST_F(VariablesTest, ParseReadsTypeAndNumberOrExplains) {
    struct Row {
        const char* text;
        char type;
        std::int32_t number;
        const char* message;  // nullptr when the reference is valid
    } rows[] = {
        {"N1", 'N', 1, nullptr},
        {"n1", 'N', 1, nullptr},
        {"s10", 'S', 10, nullptr},
        {"S 3", 'S', 3, nullptr},      // %ld skips leading blanks
        {"N2x", 'N', 2, nullptr},      // and stops at the first non-digit
        {"S+4", 'S', 4, nullptr},
        {"N", 0, 0, "ctx Variable references must be at least 2 characters (e.g. N1 and S10)."},
        {"", 0, 0, "ctx Variable references must be at least 2 characters (e.g. N1 and S10)."},
        {"X1", 0, 0, "ctx Invalid variable reference (X1). Must use N or S as the variable type, e.g. N2 or S1."},
        {"S11", 0, 0, "ctx Variable number is invalid (11)"},
        {"N6", 0, 0, "ctx Variable number is invalid (6)"},
        {"N0", 0, 0, "ctx Variable number is invalid (0)"},
        {"S-1", 0, 0, "ctx Variable number is invalid (-1)"},
        {"Sx", 0, 0, "ctx Variable number is invalid (x)"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        VariableRef ref;
        Ending e = capture([&] { ref = VariableRef::parse(r.text, "ctx"); });
        if (r.message) {
            EXPECT_EQ(e.outcome, Outcome::Launcher);
            EXPECT_EQ(e.message, r.message);
        } else {
            EXPECT_EQ(e.outcome, Outcome::Ok) << e.message;
            EXPECT_EQ(ref.type, r.type);
            EXPECT_EQ(ref.number, r.number);
        }
    }
}

TEST_F(VariablesTest, AssignAndReadBackAsText) {
    struct Row {
        const char* ref;
        const char* value;
        const char* readBack;  // nullptr when the assignment fails
    } rows[] = {
        {"S1", "  spaced value ", "  spaced value "},
        {"S2", "", ""},
        {"N1", "42", "42"},
        {"N2", " -7", "-7"},
        {"N3", "12abc", "12"},
        {"N5", "abc", nullptr},
        {"N5", "", nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.ref) + "=" + r.value);
        VariableRef ref = VariableRef::parse(r.ref, "");
        Ending e = capture([&] { ref.assign(r.value, "Invalid value"); });
        if (r.readBack) {
            EXPECT_EQ(e.outcome, Outcome::Ok) << e.message;
            EXPECT_EQ(ref.valueText(), r.readBack);
        } else {
            EXPECT_EQ(e.outcome, Outcome::Launcher);
            EXPECT_EQ(e.message, std::string("Invalid value Invalid numeric expression in ") + r.value);
            EXPECT_EQ(ref.valueText(), "0");  // unchanged
        }
    }
}

}  // namespace

}  // namespace mg
