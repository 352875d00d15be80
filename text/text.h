// Text helpers shared by the tag-file reader, the interpreter and the launch
// script: one quoting rule for every text format of the launcher.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/string.h"

namespace mg {

// The set trim and unquoted arguments use: space, tab, line feed, carriage return.
extern const char* const WHITESPACE;
// No position; prints as -1 as a signed decimal.
constexpr std::size_t NPOS = static_cast<std::size_t>(-1);

bool isSpaceChar(char c);

// Removes WHITESPACE from both ends, in place.
void trim(String& text);

// Appends to out the bytes up to the next line feed or the end of the stream,
// carriage returns dropped, line feed not kept; then trims out.
void readLine(std::FILE* stream, String& out);

// The same over a String; pos is left just after the line feed (or at the
// end). When pos is at or past the end, out is left as it was.
void readLineAt(const String& text, std::size_t& pos, String& out);

// Skips separators (WHITESPACE plus vertical tab and form feed) and returns
// the next word. pos ends one past the separator that ended the word, or at
// length + 1 when the word ran to the end; when no word is left, word is
// empty, pos stays at the end and false is returned.
bool nextWord(const String& text, std::size_t& pos, String& word);

// Reads one argument from pos. Quoted mode starts just after an opening
// double quote: a doubled quote stands for one, the closing quote ends it and
// pos moves past it (NPOS at the end). Unquoted mode reads up to WHITESPACE;
// pos becomes that character's index, or NPOS at the end.
// Throws LauncherException "Expected double quote to end argument near " + pos.
String parseArgument(const String& text, std::size_t& pos, bool quoted);

// Index at which suffix starts when text ends with it, else NPOS.
std::size_t endsWith(const String& text, const String& suffix);

// Appends one backslash to a non-empty path that does not end with one.
void appendBackslash(String& path);

// Signed 32-bit decimal, as %ld.
String toDecimal(std::int32_t n);

// UTF-16 copy with backslash-u-XXXX escapes decoded.
std::u16string toWideEscaped(const String& text);

// Reads a decimal number as the C %ld / %hd conversions do: leading white
// space and a sign allowed, stops at the first non-digit, at least one digit.
// Out-of-range values wrap as the conversion's assignment would.
bool scanLong(const String& text, std::int32_t& value);
bool scanShort(const String& text, std::int16_t& value);

// Lower case for ASCII letters only: file and registry names compare without
// regard to case, and the ANSI code page's other letters are left as they are.
inline char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether text is a web address the launcher may hand to the shell: http://
// or https:// (scheme in any case), a host, and only the characters URIs
// are made of. Anything else (a program, a file, a quote that ends the
// browser's argument) is refused.
bool isWebAddress(const String& text);

}  // namespace mg
