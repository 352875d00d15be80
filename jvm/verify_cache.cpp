#include "jvm/verify_cache.h"

#include "base/log.h"
#include "text/record.h"

namespace mg {

namespace {

const char* const kVersionLine = "MGVERIFYCACHE 1";

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

String fileIdentity(std::uint64_t size, std::uint64_t digest) {
    return "file " + unsignedDecimal(size) + " " + hex16(digest);
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
    StringList lines;
    if (!openRecord(text, kVersionLine, lines)) return false;
    std::vector<VerifyKey> entries;
    for (const String& line : lines) {
        VerifyKey key;
        std::size_t at = 0;
        if (!readDecimal(line, at, key.size) || !readDecimal(line, at, key.lastWrite)) return false;
        if (!readHex16(line, at, key.requirements) || at + 16 >= line.size() || line[at + 16] != ' ') return false;
        key.exePath = line.substr(at + 17);
        if (!storablePath(key.exePath)) return false;
        entries.push_back(key);
    }
    entries_ = std::move(entries);
    return true;
}

String VerifyCache::format() const {
    StringList lines;
    for (const VerifyKey& key : entries_)
        lines.push_back(unsignedDecimal(key.size) + " " + unsignedDecimal(key.lastWrite) + " " + hex16(key.requirements) + " " +
                        key.exePath);
    return sealRecord(kVersionLine, lines);
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
