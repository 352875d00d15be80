// The payload cache, asked for by CACHE_FOLDER in the instructions: the
// application's archives extracted once per payload version, and the
// bundled JVM installed once per installer, in a folder of the user's local
// application data instead of a fresh temporary folder on every launch.
// Portable: the tags, the completion record and the naming rules; the
// folders themselves are the Windows side's (cache_win.cpp).
#pragma once

#include <cstdint>
#include <vector>

#include "base/string.h"
#include "text/tagfile.h"

namespace mg {

// The instructions' tags: the vendor's folder, and the versions mgpack
// writes beside it (a digest of the archives, and one of the installer).
extern const char* const CACHE_FOLDER_TAG;
extern const char* const PAYLOAD_VERSION_TAG;
extern const char* const INSTALLER_VERSION_TAG;
// The completion record inside every entry; while a launcher uses an entry
// it holds this file open, which keeps other launchers from removing it.
extern const char* const CACHE_RECORD_NAME;

// One file of an entry as the file system reported it when the entry was
// complete: its path below the entry, size and last-write stamp.
struct CachedFile {
    std::uint64_t size = 0;
    std::uint64_t time = 0;
    String name;
};

String formatCacheRecord(const std::vector<CachedFile>& files);
// False (files empty) for a text that is not one whole record, or names a
// file outside its entry.
bool parseCacheRecord(const String& text, std::vector<CachedFile>& files);

// Why value cannot name a cache folder below the local application data
// folder, or empty: one to four plain names joined by '\'.
String cacheFolderProblem(const String& value);
// Whether version is as mgpack writes it: 16 lower-case hexadecimal digits.
bool validCacheVersion(const String& version);
// The entry's folder name: "app-<version>" (archives) or "jvm-<version>".
String cacheEntryName(const char* kind, const String& version);
// Whether the cache's folder name is one of the launcher's entries (or one
// being filled or set aside) other than the two in use by this payload.
bool staleCacheItem(const String& name, const String& currentApp, const String& currentJvm);

// What a launch does with the cache.
enum class CacheOutcome {
    Off,       // no CACHE_FOLDER: everything as without the cache
    Bypassed,  // asked for but unusable (logged): the temporary folder
    Ready,     // the entry is complete and held for this run
    Failed,    // the filling said no (fill returned false); nothing is kept
};

// What fills an entry: writes its files into the folder into, for an entry
// that will be used as final; false when it has nothing to keep (logged).
class CacheFill {
public:
    virtual bool fill(const String& into, const String& final) = 0;

protected:
    ~CacheFill() = default;
};

#ifdef _WIN32
// The entry of kind ("app" or "jvm") for the version in the program's tag
// versionTag, used when complete, else filled: fill writes the entry's
// files into a folder beside it, which is renamed into place once they are
// all there and recorded. folder is the entry's folder when Ready. what names the
// contents in the log ("the application archives"); fallback says what
// happens instead ("extracting them to the temporary folder").
CacheOutcome cacheEntry(const TagFile* program, const char* kind, const char* versionTag, const char* what,
                        const char* fallback, CacheFill& fill, String& folder);

// -mg:clearcache: removes the application's cache folder, telling the user.
// False when the program has no CACHE_FOLDER (the option is then an
// ordinary argument).
bool clearCache(const TagFile* program);
#endif

}  // namespace mg
