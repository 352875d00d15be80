// Version order and name patterns for the JVM search: which of two version
// texts is newer, and which folder or registry key names a hint's `*` and `?`
// accept. Portable.
#pragma once

#include <functional>

#include "base/string.h"

namespace mg {

// Negative, zero or positive as a is older than, as new as, or newer than b.
// Runs of digits compare as numbers (17.0.10 after 17.0.9), runs of letters
// as text ignoring case, and a number is newer than text at the same place
// (17.0.1 after 17-ea). Other characters only separate. A text that starts
// with the legacy "1.x" numbering counts as x (1.8 before 9). With equal
// parts, the one with more parts is newer (17.0.1 after 17).
int compareVersions(const String& a, const String& b);

// The version part of a folder or key name: the text from its first digit
// (jdk-17.0.9.9-hotspot gives 17.0.9.9-hotspot, zulu-21 gives 21); empty
// when it holds none.
String versionPart(const String& name);

// Whether text holds `*` or `?`.
bool hasNamePattern(const String& text);

// Whether name matches pattern: `*` any run of characters, `?` one
// character, every other character itself with ASCII letters compared
// without regard to case (as Windows compares folder and key names).
bool matchesNamePattern(const String& pattern, const String& name);

// One concrete path a pattern path expanded to, and the version parts of the
// names its pattern components matched, joined by dots: what orders it.
struct PatternMatch {
    String path;
    String version;
};

// The names directly below a parent path (subfolders, subkeys).
using NameLister = std::function<StringList(const String& parent)>;

// Expands pattern, backslash-separated components below base (base empty:
// the first component starts the path), replacing each component that holds
// `*` or `?` by every name below its parent that matches it. The results are
// ordered newest first by their version; equal versions keep the lister's
// order.
std::vector<PatternMatch> expandPattern(const String& base, const String& pattern, const NameLister& list);

// Orders matches newest first by version; equal versions keep their order.
void sortNewestFirst(std::vector<PatternMatch>& matches);

}  // namespace mg
