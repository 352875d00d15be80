// How instruction arguments are evaluated: variable references between
// at-signs are expanded, then the text is read as a number, a 16-bit number,
// a boolean or a string. Every function takes a context message that prefixes
// its errors.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/string.h"

namespace mg {

// Where evaluation errors go. The interpreter implements it so that each
// error carries the number of the statement being executed.
class ErrorRaiser {
public:
    virtual ~ErrorRaiser() = default;
    [[noreturn]] virtual void raiseError(const String& message) const = 0;
};

// Limits on expansion. Legitimate arguments hold a handful of references; a
// variable whose value reproduces its own reference would otherwise expand
// for ever, and one that grows with each substitution would exhaust memory.
constexpr int MAX_EXPANSION_PASSES = 1000;
constexpr int MAX_SUBSTITUTIONS = 10000;
constexpr std::size_t MAX_EXPANDED_LENGTH = 65536;

// Replaces each reference such as @N1@ or @S2@ by the variable's value and
// each @@ by one at-sign, in passes until a pass substitutes nothing.
// Malformed references throw LauncherException (VariableRef::parse); an
// empty text, an unpaired at-sign and the limits above are raised.
void expandReferences(String& text, const String& context, const ErrorRaiser& errors);

// Expanded, then read as %ld reads (leading blanks, sign, digits up to the
// first other character).
std::int32_t evalNumber(const String& text, const String& context, const ErrorRaiser& errors);
// As evalNumber, read as %hd: out-of-range values wrap.
std::int16_t evalShort(const String& text, const String& context, const ErrorRaiser& errors);
// A number that must be 0 or 1.
bool evalBoolean(const String& text, const String& context, const ErrorRaiser& errors);
// Empty stays empty; a quoted text loses its quotes (doubled quotes become
// one, anything after the closing quote is dropped); an unquoted text is cut
// at its first blank. Then expanded.
String evalString(const String& text, const String& context, const ErrorRaiser& errors);

// Reads one possibly quoted argument of a statement from pos (left just after
// what was consumed) and returns its evalString. An unclosed quote throws
// LauncherException "Expected ending quote in " + text + ":  " + context.
String readStringArgument(const String& statement, std::size_t& pos, const String& context,
                          const ErrorRaiser& errors);

}  // namespace mg
