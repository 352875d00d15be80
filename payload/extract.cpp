#include "payload/extract.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "base/file_ptr.h"
#include "base/path.h"
#include "base/settings.h"
#include "payload/cache.h"
#include "payload/launcher_file.h"
#include "system/temp.h"
#include "system/temp_register.h"
#include "text/tagfile.h"
#include "text/text.h"
#include "ui/messages.h"
#include "ui/progress.h"

namespace mg {

namespace {

using File = FilePtr;

// Large enough that tens of megabytes need only a few hundred blocks (one
// progress step each), small enough to stay below 64 KB.
const std::size_t kBlockSize = 0xEFFF;
const std::size_t kArchiveBlockSize = 4096;

String applicationArchivePath;
bool archiveCacheDecided = false;
String archiveCacheFolder;

LauncherException writeError(int error) {
    return LauncherException(messageText(MSG_WRITE_ERROR) + toDecimal(error) + messageText(MSG_DISK_SPACE));
}

// Closing writes what the runtime still buffers, so it can be the write that
// fails (a full disk); 0 when it did not.
int closeTarget(File& target) {
    if (!target) return 0;
    errno = 0;
    int failed = std::fclose(target.release());
    return failed ? (errno ? errno : EIO) : 0;
}

}  // namespace

String extractTo(const FileEntry& entry, const String& directory) {
    checkEntryName(entry.name);
    if (!hasEnoughSpace(directory, entry.length))
        throw LauncherException(messageText(MSG_WRITE_ERROR) + messageText(MSG_DISK_SPACE));

    String target = directory;
    appendBackslash(target);
    target += entry.name;

    File source(std::fopen(launcherPath.c_str(), "rb"));
    if (!source) throw LauncherException("Cannot open launcher file.");
    // Blocks go straight between our buffer and the files: the runtime's own
    // buffers would only split each block into more system calls.
    std::setvbuf(source.get(), nullptr, _IONBF, 0);
    const std::int64_t end = std::int64_t(entry.offset) + (entry.length > 0 ? entry.length : 0);
    bool seekFailed = entry.offset < 0 || std::fseek(source.get(), entry.offset, SEEK_SET) != 0;

    int error = 0;
    errno = 0;
    File output(std::fopen(target.c_str(), "wb"));
    if (!output) error = errno ? errno : EIO;
    if (output) std::setvbuf(output.get(), nullptr, _IONBF, 0);

    std::vector<char> buffer(kBlockSize);
    std::int64_t position = entry.offset;
    bool sourceEnded = seekFailed;
    while (position < end && !sourceEnded && error == 0 && !cancelRequested) {
        std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(kBlockSize, end - position));
        std::size_t got = std::fread(buffer.data(), 1, want, source.get());
        position += got;
        if (got < want) sourceEnded = true;
        errno = 0;
        if (std::fwrite(buffer.data(), 1, got, output.get()) < got) error = errno ? errno : EIO;
        // Unbuffered, so the flush has nothing left to write; should a runtime
        // buffer anyway, a flush that fails is as much a lost write as a short
        // fwrite.
        if (error == 0 && std::fflush(output.get()) != 0) error = errno ? errno : EIO;
        stepProgress(1);
    }
    source.reset();
    int closeError = closeTarget(output);
    if (error == 0) error = closeError;

    if (error != 0) throw writeError(error);
    if (cancelRequested) throw LauncherException(messageText(MSG_CANCELED));
    // An index that places the bytes beyond the end of the file would
    // otherwise leave a silently truncated copy.
    if (position < end)
        throw LauncherException("The launcher file ends inside the embedded file " + entry.name + ".");
    return target;
}

void extractAll() {
    TagFile input;
    input.setValue("ACTION", "RUN_INSTRUCTIONS");
    LauncherFile& file = launcherFile();
    for (int i = 0; i < file.entryCount(); ++i) {
        const FileEntry& entry = *file.entryAt(i);
        if (entry.type == FT_JVM_FILE)
            input.addValue("JVM", entry.name);
        else if (entry.type == FT_LAUNCH_SCRIPT)
            input.setValue("LAUNCHSCRIPT", entry.name);
        else if (entry.type == FT_INSTRUCTIONS)
            input.setValue("INSTRUCTIONS", entry.name);
        extractTo(entry, String());
    }
    input.write("input.tag");
}

namespace {

// The cache's entry of the archives: every class-path and application
// archive, by its name.
class ArchiveFill : public CacheFill {
public:
    bool fill(const String& into, const String&) override {
        LauncherFile& file = launcherFile();
        for (int i = 0; i < file.entryCount(); ++i) {
            const FileEntry& entry = *file.entryAt(i);
            if (entry.type == FT_CLASSPATH_ARCHIVE || entry.type == FT_APPLICATION_ARCHIVE) extractTo(entry, into);
        }
        return true;
    }
};

}  // namespace

String cachedArchiveFolder() {
    if (archiveCacheDecided) return archiveCacheFolder;
    archiveCacheDecided = true;
    ArchiveFill fill;
    cacheEntry(launcherFile().instructions(), "app", PAYLOAD_VERSION_TAG, "the application archives",
               "extracting them to a temporary folder", fill, archiveCacheFolder);
    return archiveCacheFolder;
}

StringList extractArchives(FileType type) {
    const String cached = cachedArchiveFolder();
    LauncherFile& file = launcherFile();
    // Made even when no entry follows: a short-lived empty directory, which
    // the clean-up removes.
    const String directory = cached.empty() ? createTempDir() : cached;
    StringList paths;
    for (int i = 0; i < file.entryCount(); ++i) {
        const FileEntry& entry = *file.entryAt(i);
        if (entry.type != type) continue;
        if (cached.empty()) {
            paths.push_back(extractTo(entry, directory));
        } else {
            String path = cached;
            appendBackslash(path);
            paths.push_back(path + entry.name);
        }
    }
    return paths;
}

String applicationArchive() {
    if (applicationArchivePath.empty()) {
        const StringList paths = extractArchives(FT_APPLICATION_ARCHIVE);
        if (!paths.empty()) applicationArchivePath = paths.back();
    }
    return applicationArchivePath;
}

String applicationArchive(const String& name) {
    if (!applicationArchivePath.empty()) return applicationArchivePath;

    String sourcePath = directoryPart(originalLauncherPath);
    appendBackslash(sourcePath);
    sourcePath += name;
    // The directory comes first, so an archive that is not there still
    // leaves the short-lived empty directory the clean-up removes.
    String target = createTempDir();
    File source(std::fopen(sourcePath.c_str(), "rb"));
    if (!source) return applicationArchivePath;  // no archive beside the launcher

    appendBackslash(target);
    target += lastComponent(name);
    errno = 0;
    File output(std::fopen(target.c_str(), "wb"));
    // Without a copy the launch would go on with an empty archive path.
    if (!output) throw writeError(errno ? errno : EIO);

    std::vector<char> buffer(kArchiveBlockSize);
    int error = 0;
    std::size_t got;
    while (error == 0 && (got = std::fread(buffer.data(), 1, buffer.size(), source.get())) > 0) {
        errno = 0;
        if (std::fwrite(buffer.data(), 1, got, output.get()) < got) error = errno ? errno : EIO;
    }
    int closeError = closeTarget(output);
    if (error == 0) error = closeError;
    if (error != 0) throw writeError(error);
    applicationArchivePath = target;
    return applicationArchivePath;
}

void forgetApplicationArchive() {
    applicationArchivePath.clear();
    archiveCacheDecided = false;
    archiveCacheFolder.clear();
}

}  // namespace mg
