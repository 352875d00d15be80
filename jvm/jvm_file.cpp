#include "jvm/jvm_file.h"

#include "text/text.h"

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

String JvmMatch::writeJvmFile(TempFileMaker& files) const {
    String path = files.createTempFile();
    jvmFile->setJvmLocation(home, path, false);
    jvmFile->write(path);
    return path;
}

bool parseRequiredProperty(const String& value, RequiredProperty& out) {
    std::size_t eq = value.find('=');
    if (eq == NPOS) return false;
    out.name = value.substr(0, eq);
    out.expected = value.substr(eq + 1);
    trim(out.name);
    trim(out.expected);
    return true;
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
