// WinInit.Ini entries: on the 9x family the system deletes each file or empty
// directory named by a "NUL=<short path>" line of the [Rename] section at the
// next start.
#pragma once

#include <cstddef>
#include <utility>

#include "base/string.h"

namespace mg {

// Room insertWininitText may need beyond the old text and the entry lines.
constexpr std::size_t WININIT_SPARE = 10;

// Inserts lines (each followed by a line feed) at the start of the [Rename]
// section of the text in buffer, adding the section at the end when there is
// none. buffer holds oldLength bytes and has room for oldLength + the sum of
// the lines' lengths + 1 each + WININIT_SPARE. Returns the new length.
std::size_t insertWininitText(char* buffer, std::size_t oldLength, const StringList& lines);

class WininitWriter {
public:
    // The file is windowsDirectory + "\WinInit.Ini"; an empty directory means
    // the system's Windows directory.
    explicit WininitWriter(String windowsDirectory = String()) : windowsDirectory_(std::move(windowsDirectory)) {}

    // Adds "NUL=" + the short form of path; a path that does not exist needs
    // no entry, and one whose short form does not fit is written as given.
    void addDeleteEntry(const String& path);
    // Adds an entry line as it stands.
    void addLine(const String& line) { lines_.push_back(line); }
    // Writes the entries in one step; the Windows error code, 0 for success.
    // On success the entries are forgotten.
    unsigned long commit();

    const StringList& lines() const { return lines_; }

private:
    String windowsDirectory_;
    StringList lines_;
};

}  // namespace mg
