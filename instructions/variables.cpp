#include "instructions/variables.h"

#include <cctype>

#include "text/text.h"

namespace mg {

namespace {

String stringVariables[STRING_VARIABLE_COUNT];
bool pathVariables[STRING_VARIABLE_COUNT];
std::int32_t numericVariables[NUMERIC_VARIABLE_COUNT];

void checkString(std::int32_t n) {
    if (n < 1 || n > STRING_VARIABLE_COUNT)
        throw LauncherException("Invalid string variable number: " + toDecimal(n));
}

void checkNumeric(std::int32_t n) {
    if (n < 1 || n > NUMERIC_VARIABLE_COUNT)
        throw LauncherException("Invalid numeric variable number: " + toDecimal(n));
}

}  // namespace

String getStringVariable(std::int32_t n) {
    checkString(n);
    return stringVariables[n - 1];
}

void setStringVariable(std::int32_t n, const String& value) {
    checkString(n);
    stringVariables[n - 1] = value;
    pathVariables[n - 1] = false;
}

void setPathVariable(std::int32_t n, const String& value) {
    setStringVariable(n, value);
    pathVariables[n - 1] = true;
}

std::int32_t getNumericVariable(std::int32_t n) {
    checkNumeric(n);
    return numericVariables[n - 1];
}

void setNumericVariable(std::int32_t n, std::int32_t value) {
    checkNumeric(n);
    numericVariables[n - 1] = value;
}

void resetVariables() {
    for (String& s : stringVariables) s.clear();
    for (bool& p : pathVariables) p = false;
    for (std::int32_t& n : numericVariables) n = 0;
}

VariableRef VariableRef::parse(const String& text, const String& context) {
    if (text.size() < 2)
        throw LauncherException(context + " " +
                                "Variable references must be at least 2 characters (e.g. N1 and S10).");
    char type = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    if (type != 'N' && type != 'S')
        throw LauncherException(context + " " + "Invalid variable reference (" + text +
                                "). Must use N or S as the variable type, e.g. N2 or S1.");
    String rest = text.substr(1);
    std::int32_t number = 0;
    std::int32_t highest = type == 'S' ? STRING_VARIABLE_COUNT : NUMERIC_VARIABLE_COUNT;
    if (!scanLong(rest, number) || number < 1 || number > highest)
        throw LauncherException(context + " " + "Variable number is invalid (" + rest + ")");
    VariableRef ref;
    ref.type = type;
    ref.number = number;
    return ref;
}

bool VariableRef::holdsPath() const { return type == 'S' && number >= 1 && number <= STRING_VARIABLE_COUNT && pathVariables[number - 1]; }

String VariableRef::valueText() const {
    if (type == 'N') return toDecimal(getNumericVariable(number));
    return getStringVariable(number);
}

void VariableRef::assign(const String& value, const String& context) const {
    if (type == 'N') {
        std::int32_t n = 0;
        if (!scanLong(value, n))
            throw LauncherException(context + " " + "Invalid numeric expression in " + value);
        setNumericVariable(number, n);
    } else {
        setStringVariable(number, value);
    }
}

}  // namespace mg
