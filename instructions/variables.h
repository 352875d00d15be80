// The process-wide variables S1 to S10 and N1 to N5 that instruction
// programs and the JVM operations pass results through, and references to
// them as written in arguments (N1, s3, ...).
#pragma once

#include <cstdint>

#include "base/string.h"

namespace mg {

constexpr std::int32_t STRING_VARIABLE_COUNT = 10;
constexpr std::int32_t NUMERIC_VARIABLE_COUNT = 5;

// n is 1-based; any other number throws LauncherException.
String getStringVariable(std::int32_t n);
void setStringVariable(std::int32_t n, const String& value);
// For a path the launcher found or made (a JVM home, a JVM file): its value
// is data, never read for references when expanded.
void setPathVariable(std::int32_t n, const String& value);
std::int32_t getNumericVariable(std::int32_t n);
void setNumericVariable(std::int32_t n, std::int32_t value);

// Empties every variable, as at process start. The launcher itself never
// resets them; tests and the fuzzer start each case from a clean state.
void resetVariables();

// A parsed reference such as N1 or S10. The type letter is stored upper case.
struct VariableRef {
    char type = 'S';
    std::int32_t number = 1;

    // Throws LauncherException: context + " " + the reason.
    static VariableRef parse(const String& text, const String& context);

    // N in decimal, S as it is.
    String valueText() const;
    // Set by setPathVariable.
    bool holdsPath() const;

    // For N the value must read as a decimal number; throws
    // LauncherException context + " Invalid numeric expression in " + value.
    void assign(const String& value, const String& context) const;
};

}  // namespace mg
