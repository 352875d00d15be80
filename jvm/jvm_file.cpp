#include "jvm/jvm_file.h"

#include "jvm/version.h"
#include "text/text.h"

namespace mg {

namespace {
const char* const kEllipsis = "...";
}

String JvmFile::jvmExe() const { return tagFile_->getValue("JVM_EXE", 0); }

String JvmFile::description() const { return tagFile_->getValue("DESC", 0); }

String JvmFile::resolveReference(const String& name) const {
    String value = tagFile_->getValue(name, 0);
    if (name == "JVM_HOME" && !value.empty() && value.back() == '\\') value.erase(value.size() - 1, 1);
    return value;
}

bool JvmFile::resolveReference(String& text, char delimiter, std::size_t start, std::size_t& end) {
    if (delimiter != '@') return false;
    String name = text.substr(start + 1, end - start - 1);
    // The home and the file's own path are places on the disk, found or
    // made by the launcher: data, never references.
    const bool location = name == "JVM_HOME" || name == "JVM_FILE";
    String value = resolveReference(name);
    text.replace(start, end - start + 1, location ? LiteralScope::protect(value) : value);
    return true;
}

String JvmMatch::writeJvmFile(TempItems& files) const {
    String path = files.createTempFile();
    jvmFile->setJvmLocation(home, path, false);
    jvmFile->write(path);
    return path;
}

bool parseRequiredProperty(const String& value, RequiredProperty& out) {
    const std::size_t at = value.find_first_of("=<>");
    if (at == NPOS) return false;
    std::size_t rest = at + 1;
    out.comparison = PropertyComparison::Text;
    if (value[at] != '=') {
        // No JVM has a property whose name ends in "<" or ">": such a value
        // can only mean a version range.
        const bool orEqual = rest < value.size() && value[rest] == '=';
        if (orEqual) ++rest;
        if (value[at] == '<')
            out.comparison = orEqual ? PropertyComparison::LessOrEqual : PropertyComparison::Less;
        else
            out.comparison = orEqual ? PropertyComparison::GreaterOrEqual : PropertyComparison::Greater;
    }
    out.name = value.substr(0, at);
    out.expected = value.substr(rest);
    trim(out.name);
    trim(out.expected);
    return true;
}

bool propertySatisfied(const RequiredProperty& property, const String& actual) {
    if (property.comparison == PropertyComparison::Text) return propertyValueMatches(property.expected, actual);
    // "null" (an unset property) and other words are no version.
    if (actual.empty() || actual[0] < '0' || actual[0] > '9') return false;
    const int order = compareVersions(actual, property.expected);
    switch (property.comparison) {
    case PropertyComparison::Less: return order < 0;
    case PropertyComparison::LessOrEqual: return order <= 0;
    case PropertyComparison::Greater: return order > 0;
    case PropertyComparison::GreaterOrEqual: return order >= 0;
    case PropertyComparison::Text: break;
    }
    return false;
}

String requirementText(const RequiredProperty& property) {
    switch (property.comparison) {
    case PropertyComparison::Less: return "<" + property.expected;
    case PropertyComparison::LessOrEqual: return "<=" + property.expected;
    case PropertyComparison::Greater: return ">" + property.expected;
    case PropertyComparison::GreaterOrEqual: return ">=" + property.expected;
    case PropertyComparison::Text: break;
    }
    return property.expected;
}

bool propertyValueMatches(const String& expected, const String& actual) {
    std::size_t prefix = endsWith(expected, kEllipsis);
    if (prefix == NPOS) return actual == expected;
    return actual.size() >= prefix && actual.compare(0, prefix, expected, 0, prefix) == 0;
}

String pathHintCandidate(const String& drive, const String& hint) {
    String relative = hint;
    if (!relative.empty() && relative[0] == '\\') relative.erase(0, 1);
    return drive + "\\" + relative;
}

bool parsePlatformHint(const String& hint, PlatformHint& out) {
    out = PlatformHint();
    if (hint.empty()) return false;
    std::size_t start = hint[0] == '\\' ? 1 : 0;
    std::size_t first = hint.find('\\', start);
    std::size_t last = hint.rfind('\\');
    if (first == NPOS) {
        out.hive = hint.substr(start);
        return true;
    }
    out.hive = hint.substr(start, first - start);
    out.keyWithValue = hint.substr(first + 1);
    out.valueName = hint.substr(last + 1);
    if (last > first) out.keyPath = hint.substr(first + 1, last - first - 1);
    out.complete = !out.keyPath.empty() && !out.valueName.empty();
    return true;
}

bool isKnownHive(const String& name) {
    static const char* const hives[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS",
                                        "HKEY_CLASSES_ROOT", "HKEY_CURRENT_CONFIG"};
    for (const char* hive : hives) {
        if (name == hive) return true;
    }
    return false;
}

}  // namespace mg
