#include "system/single_instance.h"

#include "text/text.h"

namespace mg {

bool validInstanceName(const String& name) {
    if (name.empty() || name.size() > 64) return false;
    for (char c : name) {
        const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit && c != '.' && c != '-' && c != '_') return false;
    }
    return true;
}

String instanceObjectName(const String& name, const String& user, unsigned long session, const String& desktop,
                          bool localNamespace) {
    String text = localNamespace ? "Local\\MarrowgateInstance-" : "MarrowgateInstance-";
    const std::size_t prefix = text.size();
    text += name;
    text += '-';
    text += user;
    text += '-';
    text += toDecimal(static_cast<std::int32_t>(session));
    text += '-';
    text += desktop;
    // A backslash past the namespace would name another one.
    for (std::size_t i = prefix; i < text.size(); ++i)
        if (text[i] == '\\') text[i] = '_';
    return text;
}

}  // namespace mg
