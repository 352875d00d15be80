#include "payload/cache.h"

#include <cstring>

#include "text/record.h"

namespace mg {

const char* const CACHE_FOLDER_TAG = "CACHE_FOLDER";
const char* const PAYLOAD_VERSION_TAG = "PAYLOAD_VERSION";
const char* const INSTALLER_VERSION_TAG = "INSTALLER_VERSION";
const char* const CACHE_RECORD_NAME = "mgcache.txt";

namespace {

const char* const kRecordVersion = "MGCACHE 1";

// A plain file or folder name: no separators, drive colons, wildcards,
// control bytes or names made of dots only (".", ".."), and not empty.
bool plainName(const String& name) {
    if (name.empty() || name.find_first_not_of('.') == String::npos) return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr) return false;
    return true;
}

// Each '\'-separated part is a plain name; at most maxParts of them.
bool plainPath(const String& path, std::size_t maxParts) {
    std::size_t start = 0, parts = 0;
    for (;;) {
        std::size_t end = path.find('\\', start);
        if (!plainName(path.substr(start, end == String::npos ? String::npos : end - start)) || ++parts > maxParts)
            return false;
        if (end == String::npos) return true;
        start = end + 1;
    }
}

}  // namespace

String formatCacheRecord(const std::vector<CachedFile>& files) {
    StringList lines;
    for (const CachedFile& file : files) lines.push_back(unsignedDecimal(file.size) + " " + unsignedDecimal(file.time) + " " + file.name);
    return sealRecord(kRecordVersion, lines);
}

bool parseCacheRecord(const String& text, std::vector<CachedFile>& files) {
    files.clear();
    StringList lines;
    if (!openRecord(text, kRecordVersion, lines)) return false;
    std::vector<CachedFile> found;
    for (const String& line : lines) {
        CachedFile file;
        std::size_t at = 0;
        if (!readDecimal(line, at, file.size) || !readDecimal(line, at, file.time)) return false;
        file.name = line.substr(at);
        // The names are only looked at, but never outside the entry.
        if (!plainPath(file.name, 64)) return false;
        found.push_back(file);
    }
    files = std::move(found);
    return true;
}

String cacheFolderProblem(const String& value) {
    if (value.empty()) return "it is empty";
    if (!plainPath(value, 4))
        return "use one to four plain folder names joined by '\\' (no drive, no '..', no '/', no wildcards)";
    return String();
}

bool validCacheVersion(const String& version) {
    std::uint64_t unused = 0;
    return version.size() == 16 && readHex16(version, 0, unused);
}

String cacheEntryName(const char* kind, const String& version) { return String(kind) + "-" + version; }

bool staleCacheItem(const String& name, const String& currentApp, const String& currentJvm) {
    if (name.compare(0, 4, "app-") != 0 && name.compare(0, 4, "jvm-") != 0) return false;
    return name != currentApp && name != currentJvm;
}

}  // namespace mg
