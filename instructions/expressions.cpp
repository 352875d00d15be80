#include "instructions/expressions.h"

#include "instructions/variables.h"
#include "text/text.h"

namespace mg {

namespace {

// A path's value stands in the text as a token until every pass is done:
// an at-sign in a folder name must not start a reference.
constexpr char PATH_START = '\x01';
constexpr char PATH_END = '\x02';

// One pass over text; returns whether anything was substituted.
bool expandPass(String& text, const String& context, const ErrorRaiser& errors, int& substitutions,
                StringList& paths) {
    bool substituted = false;
    std::size_t start = 0;
    for (;;) {
        std::size_t open = text.find('@', start);
        if (open == std::string::npos) return substituted;
        std::size_t close = text.find('@', open + 1);
        if (close == std::string::npos) errors.raiseError(context + " " + "Invalid variable specification.");
        if (close > open + 1) {
            VariableRef ref = VariableRef::parse(text.substr(open + 1, close - open - 1), context);
            String value = ref.valueText();
            if (ref.holdsPath() && value.find_first_of("@\x01") != NPOS) {
                paths.push_back(value);
                value = String(1, PATH_START) + toDecimal(static_cast<std::int32_t>(paths.size() - 1)) +
                        String(1, PATH_END);
            }
            if (++substitutions > MAX_SUBSTITUTIONS)
                errors.raiseError(context + " " + "Too many variable references expanded (more than " +
                                  toDecimal(MAX_SUBSTITUTIONS) + "). A variable may hold its own reference.");
            if (text.size() - (close + 1 - open) + value.size() > MAX_EXPANDED_LENGTH)
                errors.raiseError(context + " " + "Expanded text is longer than " +
                                  toDecimal(static_cast<std::int32_t>(MAX_EXPANDED_LENGTH)) + " characters.");
            text.replace(open, close + 1 - open, value);
            substituted = true;
        } else {
            text.erase(close, 1);
        }
        // Values are searched too: an at-sign inside one starts a reference.
        start = open + 1;
    }
}

}  // namespace

void expandReferences(String& text, const String& context, const ErrorRaiser& errors) {
    if (text.empty()) errors.raiseError(context + " " + "Empty expression.");
    int substitutions = 0;
    StringList paths;
    for (int pass = 1; expandPass(text, context, errors, substitutions, paths); ++pass) {
        if (pass >= MAX_EXPANSION_PASSES)
            errors.raiseError(context + " " + "Variable references still expand after " +
                              toDecimal(MAX_EXPANSION_PASSES) + " passes. A variable may hold its own reference.");
    }
    // Tokens are whole only where the passes made them; others stay text.
    for (std::size_t i = paths.size(); i-- > 0;) {
        const String token = String(1, PATH_START) + toDecimal(static_cast<std::int32_t>(i)) + String(1, PATH_END);
        std::size_t at = text.find(token);
        if (at != NPOS) text.replace(at, token.size(), paths[i]);
    }
}

std::int32_t evalNumber(const String& text, const String& context, const ErrorRaiser& errors) {
    String expanded(text);
    expandReferences(expanded, context, errors);
    std::int32_t value = 0;
    if (!scanLong(expanded, value)) errors.raiseError(context + "Invalid numeric expression (" + expanded + ")");
    return value;
}

std::int16_t evalShort(const String& text, const String& context, const ErrorRaiser& errors) {
    String expanded(text);
    expandReferences(expanded, context, errors);
    std::int16_t value = 0;
    if (!scanShort(expanded, value)) errors.raiseError(context + " Invalid numeric expression (" + expanded + ")");
    return value;
}

bool evalBoolean(const String& text, const String& context, const ErrorRaiser& errors) {
    std::int32_t value = evalNumber(text, context, errors);
    if (value != 0 && value != 1) errors.raiseError(context + " Invalid boolean value (" + text + ")");
    return value == 1;
}

String evalString(const String& text, const String& context, const ErrorRaiser& errors) {
    if (text.empty()) return String();
    String result;
    if (text[0] == '"') {
        std::size_t pos = 1;
        result = parseArgument(text, pos, true);
    } else {
        std::size_t pos = 0;
        result = parseArgument(text, pos, false);
    }
    expandReferences(result, context, errors);
    return result;
}

String readStringArgument(const String& statement, std::size_t& pos, const String& context,
                          const ErrorRaiser& errors) {
    String collected;
    std::size_t n = statement.size();
    if (pos >= n) return evalString(collected, context, errors);
    while (pos < n && isSpaceChar(statement[pos])) ++pos;
    bool quoted = pos < n && statement[pos] == '"';
    bool closed = false;
    if (quoted) collected.push_back(statement[pos++]);
    int quotes = 0;
    while (pos < n) {
        char c = statement[pos++];
        if (!quoted) {
            if (isSpaceChar(c)) break;
            collected.push_back(c);
            continue;
        }
        collected.push_back(c);
        if (c != '"') {
            quotes = 0;
            continue;
        }
        ++quotes;
        // An odd quote not followed by another ends the argument; doubled
        // quotes are kept as they are for evalString to undouble.
        if (quotes % 2 == 1 && (pos >= n || statement[pos] != '"')) {
            closed = true;
            break;
        }
    }
    if (quoted && !closed) throw LauncherException("Expected ending quote in " + collected + ":  " + context);
    return evalString(collected, context, errors);
}

}  // namespace mg
