#include "jvm/verify_cache.h"

#include "base/log.h"

namespace mg {

namespace {

const char* const kVersionLine = "MGVERIFYCACHE 1";
const char* const kEndWord = "END ";

String hex16(std::uint64_t value) {
    static const char digits[] = "0123456789abcdef";
    String out(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4) out[static_cast<std::size_t>(i)] = digits[value & 0xF];
    return out;
}

String decimal(std::uint64_t value) {
    char digits[21];
    std::size_t at = sizeof digits;
    do {
        digits[--at] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return String(digits + at, sizeof digits - at);
}

// Reads the decimal number at pos, up to the blank after it; no sign, no
// overflow, no leading zeros but a lone 0.
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

bool sameExecutable(const VerifyKey& a, const VerifyKey& b) {
    if (a.requirements != b.requirements || a.exePath.size() != b.exePath.size()) return false;
    for (std::size_t i = 0; i < a.exePath.size(); ++i) {
        char x = a.exePath[i], y = b.exePath[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// A path the format can hold: one line, no control bytes.
bool storablePath(const String& path) {
    if (path.empty()) return false;
    for (char c : path)
        if (static_cast<unsigned char>(c) < 0x20) return false;
    return true;
}

}  // namespace

std::uint64_t fnv1a64(const String& bytes, std::uint64_t seed) {
    std::uint64_t hash = seed;
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

String fileIdentity(std::uint64_t size, std::uint64_t digest) {
    return "file " + decimal(size) + " " + hex16(digest);
}

String requirementsText(const std::vector<RequiredProperty>& required, const String& className,
                        const String& classpathIdentity) {
    // Line ends separate the parts: no part holds one.
    String text;
    for (const RequiredProperty& property : required) text += "property " + property.name + "=" + property.expected + "\n";
    text += "class " + className + "\n";
    text += "classpath " + classpathIdentity + "\n";
    return text;
}

bool VerifyCache::parse(const String& text) {
    entries_.clear();
    std::vector<VerifyKey> entries;
    std::size_t pos = 0;
    bool versionSeen = false;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == String::npos) return false;  // cut short
        const String line = text.substr(pos, end - pos);
        const std::size_t lineStart = pos;
        pos = end + 1;
        if (!versionSeen) {
            if (line != kVersionLine) return false;
            versionSeen = true;
            continue;
        }
        if (line.compare(0, 4, kEndWord) == 0) {
            std::size_t at = 4;
            std::uint64_t count = 0, sum = 0;
            if (!readDecimal(line, at, count) || count != entries.size()) return false;
            if (!readHex16(line, at, sum) || at + 16 != line.size()) return false;
            if (sum != fnv1a64(text.substr(0, lineStart))) return false;
            if (pos != text.size()) return false;  // nothing may follow
            entries_ = std::move(entries);
            return true;
        }
        VerifyKey key;
        std::size_t at = 0;
        if (!readDecimal(line, at, key.size) || !readDecimal(line, at, key.lastWrite)) return false;
        if (!readHex16(line, at, key.requirements) || at + 16 >= line.size() || line[at + 16] != ' ') return false;
        key.exePath = line.substr(at + 17);
        if (!storablePath(key.exePath)) return false;
        entries.push_back(key);
    }
    return false;  // no closing line
}

String VerifyCache::format() const {
    String text = String(kVersionLine) + "\n";
    for (const VerifyKey& key : entries_)
        text += decimal(key.size) + " " + decimal(key.lastWrite) + " " + hex16(key.requirements) + " " + key.exePath +
                "\n";
    const std::uint64_t sum = fnv1a64(text);
    text += kEndWord + decimal(entries_.size()) + " " + hex16(sum) + "\n";
    return text;
}

bool VerifyCache::contains(const VerifyKey& key) const {
    for (const VerifyKey& entry : entries_)
        if (sameExecutable(entry, key) && entry.size == key.size && entry.lastWrite == key.lastWrite) return true;
    return false;
}

void VerifyCache::remember(const VerifyKey& key) {
    if (!storablePath(key.exePath)) return;
    for (std::size_t i = 0; i < entries_.size();) {
        if (sameExecutable(entries_[i], key))
            entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
    if (entries_.size() >= kMaxEntries) entries_.erase(entries_.begin());
    entries_.push_back(key);
}

CachedVerification::CachedVerification(const JvmFile& jvm, const String& exe, const String& verifyClasspath,
                                       const String& verifyClassName, VerifyCacheStore* store)
    : store_(nullptr), damageReported_(false) {
    if (store == nullptr || !jvm.tagFile().getBool("VERIFY_CACHE", false)) return;
    location_ = store->location();
    if (location_.empty()) {
        writeLog("The verify cache has no folder (neither LOCALAPPDATA nor APPDATA is set): " + exe +
                     " is verified and not remembered",
                 LOG_WARNING);
        return;
    }
    key_.exePath = exe;
    if (!store->stamp(exe, key_)) {
        writeLog("The size and time of " + exe + " cannot be read: it is verified and not remembered", LOG_WARNING);
        return;
    }
    // The same properties as the verify command asks for; invalid values are
    // reported by the command's building, not twice.
    std::vector<RequiredProperty> required;
    const TagFile& tags = jvm.tagFile();
    for (std::size_t i = 0; i < tags.valueCount("JVM_PROPERTIES"); ++i) {
        RequiredProperty property;
        if (parseRequiredProperty(tags.getValue("JVM_PROPERTIES", i), property)) required.push_back(property);
    }
    key_.requirements =
        fnv1a64(requirementsText(required, verifyClassName, store->classpathIdentity(verifyClasspath)));
    store_ = store;
}

VerifyCache CachedVerification::load() {
    VerifyCache cache;
    String text;
    if (store_->read(text) && !cache.parse(text) && !damageReported_) {
        damageReported_ = true;
        writeLog("The verify cache " + location_ + " is damaged; it is written anew", LOG_WARNING);
    }
    return cache;
}

bool CachedVerification::passedBefore() {
    if (store_ == nullptr || !load().contains(key_)) return false;
    writeLog("Using the cached verification result for " + key_.exePath + " (verify cache " + location_ +
                 "): the verify run is skipped",
             LOG_PLAIN);
    return true;
}

void CachedVerification::rememberPass() {
    if (store_ == nullptr) return;
    // Read again: another launcher may have added its entries meanwhile.
    VerifyCache cache = load();
    cache.remember(key_);
    String reason;
    if (store_->write(cache.format(), reason))
        writeLog("Remembered the verification of " + key_.exePath + " in the verify cache " + location_, LOG_PLAIN);
    else
        writeLog("The verify cache " + location_ + " could not be written: " + reason, LOG_WARNING);
}

}  // namespace mg
