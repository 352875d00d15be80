#include "text/text.h"

#include <cctype>
#include <cstring>

namespace mg {

const char* const WHITESPACE = " \t\n\r";

bool isSpaceChar(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

static bool isWordSeparator(char c) { return isSpaceChar(c) || c == '\v' || c == '\f'; }

void trim(String& text) {
    std::size_t first = text.find_first_not_of(WHITESPACE);
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    std::size_t last = text.find_last_not_of(WHITESPACE);
    text.erase(last + 1);
    text.erase(0, first);
}

void readLine(std::FILE* stream, String& out) {
    int c;
    while ((c = std::fgetc(stream)) != EOF && c != '\n') {
        if (c != '\r') out.push_back(static_cast<char>(c));
    }
    trim(out);
}

void readLineAt(const String& text, std::size_t& pos, String& out) {
    if (pos >= text.size()) return;
    while (pos < text.size()) {
        char c = text[pos++];
        if (c == '\n') break;
        if (c != '\r') out.push_back(c);
    }
    trim(out);
}

bool nextWord(const String& text, std::size_t& pos, String& word) {
    word.clear();
    std::size_t n = text.size();
    std::size_t i = pos;
    while (i < n && isWordSeparator(text[i])) ++i;
    if (i >= n) {
        pos = n;
        return false;
    }
    std::size_t start = i;
    while (i < n && !isWordSeparator(text[i])) ++i;
    word = text.substr(start, i - start);
    pos = i + 1;  // past the separator, or length + 1 at the end
    return true;
}

static LauncherException unterminated(std::size_t pos) {
    return LauncherException("Expected double quote to end argument near " +
                             toDecimal(static_cast<std::int32_t>(pos)));
}

String parseArgument(const String& text, std::size_t& pos, bool quoted) {
    String result;
    if (!quoted) {
        if (pos >= text.size()) {
            pos = NPOS;
            return result;
        }
        std::size_t end = text.find_first_of(WHITESPACE, pos);
        if (end == std::string::npos) {
            result = text.substr(pos);
            pos = NPOS;
        } else {
            result = text.substr(pos, end - pos);
            pos = end;
        }
        return result;
    }

    std::size_t q = pos < text.size() ? text.find('"', pos) : std::string::npos;
    if (q == std::string::npos) throw unterminated(pos);
    for (;;) {
        if (q + 1 >= text.size() || text[q + 1] != '"') {
            result.append(text.substr(pos, q - pos));
            pos = q + 1;
            if (pos >= text.size()) pos = NPOS;
            return result;
        }
        // A doubled quote: one literal quote, unless the pair ends the text.
        if (q + 2 >= text.size()) {
            pos = NPOS;
            throw unterminated(pos);
        }
        result.append(text.substr(pos, q + 1 - pos));
        pos = q + 2;
        q = text.find('"', pos);
        if (q == std::string::npos) throw unterminated(pos);
    }
}

std::size_t endsWith(const String& text, const String& suffix) {
    if (suffix.size() > text.size()) return NPOS;
    std::size_t start = text.size() - suffix.size();
    return text.compare(start, suffix.size(), suffix) == 0 ? start : NPOS;
}

void appendBackslash(String& path) {
    if (!path.empty() && path.back() != '\\') path.push_back('\\');
}

String toDecimal(std::int32_t n) { return String(std::to_string(n)); }

static int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::u16string toWideEscaped(const String& text) {
    std::u16string out;
    out.reserve(text.size() + 1);
    std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (c == '\\' && n - i > 5 && (text[i + 1] == 'u' || text[i + 1] == 'U')) {
            // Four characters read as %x would: leading blanks, then digits
            // until the first non-hex one, at least one digit.
            std::size_t j = i + 2, end = i + 6;
            while (j < end && std::isspace(static_cast<unsigned char>(text[j]))) ++j;
            unsigned value = 0;
            int digits = 0;
            while (j < end && hexValue(text[j]) >= 0) {
                value = value * 16 + static_cast<unsigned>(hexValue(text[j]));
                ++j;
                ++digits;
            }
            if (digits > 0) {
                out.push_back(static_cast<char16_t>(value));
                i += 5;
                continue;
            }
        }
        // Bytes are widened as signed characters.
        out.push_back(static_cast<char16_t>(static_cast<std::int16_t>(static_cast<signed char>(c))));
    }
    return out;
}

// Accumulates in unsigned 32 bits so that overflow wraps instead of being
// undefined, as the runtime's conversion does.
static bool scanDecimal(const String& text, std::uint32_t& value) {
    std::size_t i = 0, n = text.size();
    while (i < n && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint32_t v = 0;
    std::size_t digits = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
        v = v * 10u + static_cast<std::uint32_t>(text[i] - '0');
        ++i;
        ++digits;
    }
    if (digits == 0) return false;
    value = negative ? 0u - v : v;
    return true;
}

bool scanLong(const String& text, std::int32_t& value) {
    std::uint32_t v;
    if (!scanDecimal(text, v)) return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

bool scanShort(const String& text, std::int16_t& value) {
    std::uint32_t v;
    if (!scanDecimal(text, v)) return false;
    value = static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xFFFFu));
    return true;
}

namespace {
bool isAsciiAlphanumeric(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }
}  // namespace

bool isWebAddress(const String& text) {
    String scheme;
    for (std::size_t i = 0; i < text.size() && i < 8; ++i) scheme += lowerAscii(text[i]);
    const std::size_t host = scheme.compare(0, 7, "http://") == 0 ? 7 : scheme.compare(0, 8, "https://") == 0 ? 8 : 0;
    if (host == 0 || host >= text.size() || !(isAsciiAlphanumeric(text[host]) || text[host] == '[')) return false;
    // RFC 3986's unreserved and reserved characters and the percent sign.
    static const char allowed[] = "-._~:/?#[]@!$&'()*+,;=%";
    for (char c : text)
        if (!isAsciiAlphanumeric(c) && (c == '\0' || std::strchr(allowed, c) == nullptr)) return false;
    return true;
}

}  // namespace mg
