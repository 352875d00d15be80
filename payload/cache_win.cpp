// The payload cache's folders: where the application's cache lies, using a
// complete entry, filling one beside it and renaming it into place (so that
// no launcher ever sees a half-written entry), and removing older entries
// once no launcher holds them.
#include <windows.h>

#include <vector>

#include "base/handles.h"
#include "base/log.h"
#include "base/path.h"
#include "base/system_error.h"
#include "base/settings.h"
#include "payload/cache.h"
#include "system/cleanup.h"
#include "system/java_path.h"
#include "system/temp.h"
#include "text/text.h"
#include "ui/messages.h"
#include "ui/progress.h"

namespace mg {

namespace {

// A record lists a few files, an installed JVM some thousands; anything far
// larger is not one of ours.
const DWORD kMaxRecordBytes = 8 << 20;

String inFolder(const String& folder, const String& name) {
    String path = folder;
    appendBackslash(path);
    return path + name;
}

bool exists(const String& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Every file below an entry being filled, its record aside, as the record
// lists them.
class EntryLister : public DirectoryWalker {
public:
    explicit EntryLister(const String& root) : DirectoryWalker(false), prefix_(root.size() + 1) {}
    bool onFile(const String& path) override {
        CachedFile file;
        file.name = path.substr(prefix_);
        if (file.name == CACHE_RECORD_NAME) return false;
        complete = fileStamp(path, file.size, file.time);
        files.push_back(file);
        return !complete;
    }
    // A link in an entry would be followed by a later check.
    void onDirectoryLink(const String&) override { complete = false; }

    std::vector<CachedFile> files;
    bool complete = true;

private:
    std::size_t prefix_;
};

// Opens the entry's record and, when every file it lists is there with its
// size and stamp, keeps it open for the rest of the run: other launchers
// then cannot remove the entry. Otherwise reason says what is wrong (empty
// when there is no entry at all).
bool holdEntry(const String& folder, String& reason) {
    reason.clear();
    Handle record(::CreateFileA(inFolder(folder, CACHE_RECORD_NAME).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!record) {
        if (exists(folder)) reason = "its completion record is missing";
        return false;
    }
    DWORD size = ::GetFileSize(record.get(), nullptr);
    String text(size == INVALID_FILE_SIZE || size > kMaxRecordBytes ? 0 : size, '\0');
    DWORD got = 0;
    std::vector<CachedFile> files;
    if (text.empty() || !::ReadFile(record.get(), &text[0], size, &got, nullptr) || got != size ||
        !parseCacheRecord(text, files)) {
        reason = "its completion record is damaged";
        return false;
    }
    for (const CachedFile& file : files) {
        CachedFile now;
        if (!fileStamp(inFolder(folder, file.name), now.size, now.time)) {
            reason = file.name + " is missing";
            return false;
        }
        if (now.size != file.size || now.time != file.time) {
            reason = file.name + " has changed";
            return false;
        }
    }
    record.release();  // held until the process ends
    return true;
}

// The application's cache folder, made when missing; empty with a reason
// when it cannot be used.
String cacheRoot(const TagFile& program, String& reason) {
    const String value = program.getValue(CACHE_FOLDER_TAG);
    reason = cacheFolderProblem(value);
    if (!reason.empty()) {
        reason = "CACHE_FOLDER " + value + ": " + reason;
        return String();
    }
    String path = javaSafeLocalAppData();
    if (path.empty() || !survivesSystemCodePage(value)) {
        reason = "the local application data folder, or CACHE_FOLDER, has no name that Java can open";
        return String();
    }
    for (std::size_t start = 0, end = 0; end != String::npos; start = end + 1) {
        end = value.find('\\', start);
        path = inFolder(path, value.substr(start, end == String::npos ? end : end - start));
        if (!::CreateDirectoryA(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
            reason = path + ": " + systemErrorMessage("CreateDirectory", ::GetLastError());
            return String();
        }
    }
    return path;
}

// Removes an entry unless a launcher holds its record (deleting the record
// fails while one does); false when one does.
bool removeUnheld(const String& item) {
    // A link is removed itself (deletePath), never anything inside it.
    const DWORD attributes = ::GetFileAttributesA(item.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        !::DeleteFileA(inFolder(item, CACHE_RECORD_NAME).c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        return false;
    deletePath(item);
    return true;
}

// Removes the entries of other payload and installer versions, and what
// interrupted launches left, unless a launcher holds them.
void sweep(const String& root, const TagFile& program) {
    static bool swept = false;
    if (swept) return;
    swept = true;
    const String app = cacheEntryName("app", program.getValue(PAYLOAD_VERSION_TAG));
    const String jvm = cacheEntryName("jvm", program.getValue(INSTALLER_VERSION_TAG));
    StringList stale;
    WIN32_FIND_DATAA data;
    FindHandle found(::FindFirstFileA(inFolder(root, "*").c_str(), &data));
    if (found) {
        do {
            // A link is not ours to look into.
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && staleCacheItem(data.cFileName, app, jvm))
                stale.push_back(inFolder(root, data.cFileName));
        } while (::FindNextFileA(found.get(), &data));
    }
    for (const String& item : stale) {
        if (!removeUnheld(item))
            writeLog("Cache: kept the entry " + item + ", which a running launcher uses", LOG_PLAIN);
        else if (!exists(item))
            writeLog("Cache: removed the unused entry " + item, LOG_PLAIN);
    }
}

// One log line: "Cache <verb> for <what>: <detail>".
void note(const char* verb, const char* what, const String& detail, LogLevel level = LOG_PLAIN) {
    writeLog(String("Cache ") + verb + " for " + what + ": " + detail, level);
}

// Fills into through fill, records what it holds, and renames it to entry.
// Empty when done, else why not; a cancel passes through.
String fillEntry(const String& into, const String& entry, CacheFill& fill, bool& refused) {
    if (!::CreateDirectoryA(into.c_str(), nullptr))
        return into + ": " + systemErrorMessage("CreateDirectory", ::GetLastError());
    // Created first and held while filling: it marks the folder as in use.
    Handle record(::CreateFileA(inFolder(into, CACHE_RECORD_NAME).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    String reason;
    if (!record) {
        reason = systemErrorMessage("CreateFile", ::GetLastError());
    } else {
        try {
            refused = !fill.fill(into, entry);
            EntryLister lister(into);
            if (!refused) lister.walk(into);
            const String text = formatCacheRecord(lister.files);
            DWORD written = 0;
            if (!lister.complete)
                reason = "a file of it cannot be read";
            else if (!refused && (!::WriteFile(record.get(), text.data(), static_cast<DWORD>(text.size()), &written,
                                               nullptr) ||
                                  written != text.size()))
                reason = systemErrorMessage("WriteFile", ::GetLastError());
        } catch (const LauncherException& e) {
            // A full disk falls back to the temporary folder (which may have
            // room); a cancel ends the run as before.
            if (cancelRequested) {
                record.reset();
                deletePath(into);
                throw;
            }
            reason = e.message();
        }
        record.reset();
        if (reason.empty() && !refused && ::MoveFileA(into.c_str(), entry.c_str())) return reason;
    }
    // Refused, failed, or another launch renamed its own copy into place first.
    deletePath(into);
    return reason.empty() && !refused ? entry + " cannot be put in place" : reason;
}

}  // namespace

CacheOutcome cacheEntry(const TagFile* program, const char* kind, const char* versionTag, const char* what,
                        const char* fallback, CacheFill& fill, String& folder) {
    if (program == nullptr || program->findTag(CACHE_FOLDER_TAG) == nullptr) return CacheOutcome::Off;
    String reason;
    const String root = cacheRoot(*program, reason);
    const String version = program->getValue(versionTag);
    String entry;
    if (!root.empty() && !validCacheVersion(version)) reason = String("the launcher carries no ") + versionTag;
    if (reason.empty()) {
        sweep(root, *program);
        entry = inFolder(root, cacheEntryName(kind, version));
        if (holdEntry(entry, reason)) {
            note("used", what, entry);
            folder = entry;
            return CacheOutcome::Ready;
        }
        const String damage = reason;
        const String into = entry + ".tmp" + toDecimal(static_cast<std::int32_t>(::GetCurrentProcessId()));
        deletePath(into);  // left by an interrupted launch with the same process id
        if (!damage.empty() && !removeUnheld(entry)) {
            reason = entry + " is damaged (" + damage + ") and a running launcher uses it";
        } else {
            bool refused = false;
            reason = fillEntry(into, entry, fill, refused);
            if (refused) return CacheOutcome::Failed;
            String held;
            if (holdEntry(entry, held)) {
                // Filled here, or by another launch at the same time.
                note(!reason.empty() ? "used" : damage.empty() ? "filled" : "repaired", what,
                     damage.empty() ? entry : entry + " (" + damage + ")");
                folder = entry;
                return CacheOutcome::Ready;
            }
            if (reason.empty()) reason = entry + " changed while it was put in place";
        }
    }
    // The reason last: a system's text ends the line.
    note("bypassed", what, String(fallback) + ", since " + reason, LOG_WARNING);
    return CacheOutcome::Bypassed;
}

bool clearCache(const TagFile* program) {
    if (program == nullptr || program->findTag(CACHE_FOLDER_TAG) == nullptr) return false;
    const String value = program->getValue(CACHE_FOLDER_TAG);
    const String base = javaSafeLocalAppData();
    String text;
    if (base.empty() || !cacheFolderProblem(value).empty()) {
        text = "The application's cache folder cannot be found: nothing was removed.";
    } else {
        const String path = inFolder(base, value);
        if (!exists(path)) {
            text = "The application's cache " + path + " is already empty.";
        } else {
            deletePath(path);
            text = exists(path) ? "The application's cache " + path +
                                      " was removed, except for files in use: close the application and try again."
                                : "The application's cache " + path + " was removed.";
            // The vendor's folders above it go too, once empty.
            for (String parent = directoryPart(path); parent.size() > base.size(); parent = directoryPart(parent))
                ::RemoveDirectoryA(parent.c_str());
        }
    }
    writeLog(text, LOG_PLAIN);
    showMessage(text);
    return true;
}

}  // namespace mg
