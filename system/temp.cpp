#include "system/temp.h"

#include <windows.h>

#include "base/handles.h"
#include "base/lock.h"
#include "base/log.h"
#include "base/settings.h"
#include "system/cleanup.h"
#include "system/java_path.h"
#include "system/temp_register.h"
#include "ui/messages.h"

namespace mg {

namespace {

// The root is read by the end-of-session clean-up on the main thread too
// (the self-removal makes a temporary file), so it shares the registers' care.
Lock tempRootLock;
String tempRoot;
TempRegister tempDirs;
TempRegister tempFiles;

// GetTempFileNameA fails with access denied while another process holds the
// name it tried (virus scanners do); that clears within seconds, so 200 ms
// apart for up to 30 s, then the failure is reported like any other.
const int kAccessDeniedRetries = 150;
const DWORD kRetryIntervalMs = 200;

String uniqueTempName() {
    char name[MAX_PATH + 1];
    for (int attempt = 0;; ++attempt) {
        if (GetTempFileNameA(getTempRoot().c_str(), "LRE", 0, name) != 0) return String(name);
        DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED || attempt >= kAccessDeniedRetries)
            throwSystemError("GetTempFileName", error);
        Sleep(kRetryIntervalMs);
    }
}

}  // namespace

String getTempRoot() {
    LockGuard guard(tempRootLock);
    if (tempRoot.empty()) tempRoot = javaSafeTempRoot();
    return tempRoot;
}

void setTempRoot(const String& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        // Archives extracted there go on Java's command line.
        String usable = javaSafePath(path, "the temporary folder");
        LockGuard guard(tempRootLock);
        tempRoot = usable;
    }
}

String createTempDir() {
    String path = uniqueTempName();
    DeleteFileA(path.c_str());
    if (!CreateDirectoryA(path.c_str(), nullptr)) throwSystemError("CreateDirectory");
    tempDirs.add(path);
    return path;
}

String createTempFile() {
    String path = uniqueTempName();
    tempFiles.add(path);
    return path;
}

void registerTempFile(const String& path) { tempFiles.add(path); }
void unregisterTempFile(const String& path) { tempFiles.removeFirst(path); }
void unregisterTempDir(const String& path) { tempDirs.removeFirst(path); }
StringList registeredTempDirs() { return tempDirs.snapshot(); }
StringList registeredTempFiles() { return tempFiles.snapshot(); }

bool hasEnoughSpace(const String& dir, std::int32_t byteCount) {
    String root = freeSpaceRoot(dir);
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    // No root name asks about the drive of the current directory.
    if (!GetDiskFreeSpaceA(root.empty() ? nullptr : root.c_str(), &sectorsPerCluster, &bytesPerSector,
                           &freeClusters, &totalClusters))
        throwSystemError("GetDiskFreeSpace");
    return roomForBytes(byteCount, sectorsPerCluster, bytesPerSector, freeClusters);
}

bool fileExists(const String& path) {
    Handle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
    if (file.valid()) return true;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
    if (error == ERROR_SHARING_VIOLATION) return true;
    writeLog(systemErrorText(error), LOG_PLAIN);
    return false;
}

namespace {

// Newest first. An entry is dropped only after its removal returned, so a
// pass cut short by an enumeration error leaves it for the next pass; the
// lock is not held while deleting, because deleting steps the progress bar,
// which needs the main thread, which may itself be waiting in this pass.
void removeAll(TempRegister& items, const char* traceText) {
    String path;
    while (items.last(path)) {
        if (traceEnabled) writeTrace(traceText + path, true);
        deletePath(path);
        items.removeLast(path);
    }
}

}  // namespace

void cleanupPass() {
    removeAll(tempDirs, "Launcher: Deleting dir: ");
    removeAll(tempFiles, "Launcher: Deleting file: ");
    if (originalGiven) removeSelf();
}

bool fileStamp(const String& path, std::uint64_t& size, std::uint64_t& lastWrite) {
    if (path.find_first_of("*?") != String::npos) return false;
    WIN32_FIND_DATAA data;
    FindHandle found(::FindFirstFileA(path.c_str(), &data));
    if (!found || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    size = (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    lastWrite = (std::uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return true;
}

}  // namespace mg
