// JVM files: tag files that describe one acceptable kind of JVM (where its
// executable lies inside a home, where homes may be found, which system
// properties it must report). Portable: the registry and the disks are read
// by the search, which uses the hint parsers below.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>

#include "base/string.h"
#include "system/temp_items.h"
#include "text/reference_expander.h"
#include "text/tagfile.h"

namespace mg {

// A view of one JVM file. It does not own the TagFile (the launcher file or
// the caller that loaded it does); copies refer to the same TagFile. As a
// ReferenceExpander it answers the "@NAME@" references of commands built for
// this JVM.
class JvmFile : public ReferenceExpander {
public:
    explicit JvmFile(TagFile& tagFile) : tagFile_(&tagFile) {}

    TagFile& tagFile() const { return *tagFile_; }

    String jvmExe() const;        // JVM_EXE
    String description() const;  // DESC

    // Value 0 of tag, empty when absent; for JVM_HOME one trailing backslash
    // is dropped (C:\jdk\ gives C:\jdk, the drive root C:\ gives C:).
    String resolveReference(const String& name) const;

    // "@NAME@" only: the reference is replaced by resolveReference(NAME).
    bool resolveReference(String& text, char delimiter, std::size_t start,
                          std::size_t& end) override;

private:
    TagFile* tagFile_;
};

// A JVM home that passed verification, with the JVM file it satisfied.
struct JvmMatch {
    JvmMatch(String home, TagFile& jvmFile) : home(std::move(home)), jvmFile(&jvmFile) {}

    // Records the home and the copy's own path in the JVM file (JVM_HOME,
    // JVM_FILE, JVM_TEMP 0: this changes the shared TagFile), writes it to a
    // new temporary file and returns that file's path.
    String writeJvmFile(TempItems& files) const;

    String home;       // exactly as given to the verification
    TagFile* jvmFile;  // not owned
};

// How a required property's value is compared with the expected one: as
// text (exactly, or as a prefix with "..."), or by version order.
enum class PropertyComparison { Text, Less, LessOrEqual, Greater, GreaterOrEqual };

// One JVM_PROPERTIES value: a property name, "=", the expected value; or a
// name, one of "<", "<=", ">", ">=", and a version.
struct RequiredProperty {
    String name;
    String expected;
    PropertyComparison comparison = PropertyComparison::Text;
};

// Splits at the first "=", "<" or ">" (with "=" after "<" or ">" for "<=" and
// ">=") and trims both sides; false when there is none of them.
bool parseRequiredProperty(const String& value, RequiredProperty& out);

// Whether a JVM's value of the property satisfies it: propertyValueMatches
// for Text; otherwise the value must start with a digit and compare with the
// expected version as asked (version order of jvm/version.h).
bool propertySatisfied(const RequiredProperty& property, const String& actual);

// The requirement as a reader would write it: the operator and the version,
// or the expected text ("17", ">=17", "17...").
String requirementText(const RequiredProperty& property);

// Whether actual satisfies expected: exactly, or, when expected ends with
// "...", by beginning with the text before the "..." ("..." alone accepts
// anything). Case-sensitive.
bool propertyValueMatches(const String& expected, const String& actual);

// The candidate home for a PATH_HINT on a drive given as "C:": the drive, a
// backslash and the hint with one leading backslash removed.
String pathHintCandidate(const String& drive, const String& hint);

// A PLATFORM_HINT split at its backslashes: [\]HIVE\KEY\PATH\VALUE.
struct PlatformHint {
    String hive;          // first component
    String keyPath;       // between the first and the last backslash
    String valueName;     // after the last backslash
    String keyWithValue;  // everything after the hive: the key whose default
                          // value is read when valueName cannot be
    // Both a key path and a value name were present. A hint without them has
    // no sound reading: the search should report it rather than guess.
    bool complete = false;
};

// False for an empty hint; never throws for a malformed one.
bool parsePlatformHint(const String& hint, PlatformHint& out);

// The hive names a platform hint may start with, matched exactly.
bool isKnownHive(const String& name);

}  // namespace mg
