#include "text/record.h"

namespace mg {

namespace {
const char* const kEndWord = "END ";
}

std::uint64_t fnv1a64(const String& bytes, std::uint64_t seed) {
    std::uint64_t hash = seed;
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

String hex16(std::uint64_t value) {
    static const char digits[] = "0123456789abcdef";
    String out(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4) out[static_cast<std::size_t>(i)] = digits[value & 0xF];
    return out;
}

String unsignedDecimal(std::uint64_t value) {
    char digits[21];
    std::size_t at = sizeof digits;
    do {
        digits[--at] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return String(digits + at, sizeof digits - at);
}

bool readDecimal(const String& line, std::size_t& pos, std::uint64_t& out) {
    std::size_t end = line.find(' ', pos);
    if (end == String::npos || end == pos || end - pos > 20) return false;
    if (line[pos] == '0' && end - pos > 1) return false;
    std::uint64_t value = 0;
    for (std::size_t i = pos; i < end; ++i) {
        char c = line[i];
        if (c < '0' || c > '9') return false;
        std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
    }
    out = value;
    pos = end + 1;
    return true;
}

bool readHex16(const String& line, std::size_t pos, std::uint64_t& out) {
    if (pos + 16 > line.size()) return false;
    std::uint64_t value = 0;
    for (std::size_t i = pos; i < pos + 16; ++i) {
        char c = line[i];
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return false;
        value = value << 4 | static_cast<std::uint64_t>(digit);
    }
    out = value;
    return true;
}

String sealRecord(const char* versionLine, const StringList& lines) {
    String text = String(versionLine) + "\n";
    for (const String& line : lines) text += line + "\n";
    const std::uint64_t sum = fnv1a64(text);
    text += kEndWord + unsignedDecimal(lines.size()) + " " + hex16(sum) + "\n";
    return text;
}

bool openRecord(const String& text, const char* versionLine, StringList& lines) {
    lines.clear();
    StringList found;
    std::size_t pos = 0;
    bool versionSeen = false;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == String::npos) return false;  // cut short
        const String line = text.substr(pos, end - pos);
        const std::size_t lineStart = pos;
        pos = end + 1;
        if (!versionSeen) {
            if (line != versionLine) return false;
            versionSeen = true;
            continue;
        }
        if (line.compare(0, 4, kEndWord) == 0) {
            std::size_t at = 4;
            std::uint64_t count = 0, sum = 0;
            if (!readDecimal(line, at, count) || count != found.size()) return false;
            if (!readHex16(line, at, sum) || at + 16 != line.size()) return false;
            if (sum != fnv1a64(text.substr(0, lineStart))) return false;
            if (pos != text.size()) return false;  // nothing may follow
            lines = std::move(found);
            return true;
        }
        found.push_back(line);
    }
    return false;  // no closing line
}

}  // namespace mg
