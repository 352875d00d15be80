// Small line-based records the launcher writes for itself (the verify cache,
// the payload cache's completion records): a version line, one line per
// item and a closing line "END <count> <digest>", the digest covering
// everything before it, so that a record cut short or altered is refused as
// a whole. Portable.
#pragma once

#include <cstdint>

#include "base/string.h"

namespace mg {

// 64-bit FNV-1a of bytes, continuing from seed.
std::uint64_t fnv1a64(const String& bytes, std::uint64_t seed = 14695981039346656037ULL);

// 16 lower-case hexadecimal digits; an unsigned decimal.
String hex16(std::uint64_t value);
String unsignedDecimal(std::uint64_t value);

// Reads the decimal number at pos, up to the blank after it (pos moves past
// the blank); no sign, no overflow, no leading zeros but a lone 0.
bool readDecimal(const String& line, std::size_t& pos, std::uint64_t& out);
// Reads 16 lower-case hexadecimal digits at pos.
bool readHex16(const String& line, std::size_t pos, std::uint64_t& out);

// The record of versionLine and lines (each without its line feed).
String sealRecord(const char* versionLine, const StringList& lines);
// The lines of a whole record of that version; false (lines empty) for
// anything else.
bool openRecord(const String& text, const char* versionLine, StringList& lines);

}  // namespace mg
