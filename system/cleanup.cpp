#include "system/cleanup.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

#include "base/log.h"
#include "base/settings.h"
#include "system/temp.h"
#include "system/cleanup_rules.h"
#include "base/handles.h"
#include "ui/messages.h"
#include "system/wininit.h"

namespace mg {

bool deleteEntry(const String& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    bool directory = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    // A link's attributes may be its target's; changing them could reach
    // the target.
    bool link = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    if (!link && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        DWORD writable = attributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
        SetFileAttributesA(path.c_str(), writable ? writable : FILE_ATTRIBUTE_NORMAL);
    }
    BOOL removed = directory ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str());
    if (removed) return true;
    writeLog("Could not delete " + path + " :  " + systemErrorText(GetLastError()), LOG_WARNING);
    return false;
}

namespace {
bool removeDirectoryLink(const String& path);
}

void deletePath(const String& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    // A link is removed itself; the tree it points to is not ours.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        removeDirectoryLink(path);
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        TreeRemover remover;
        remover.walk(path);
    } else {
        deleteEntry(path);
    }
}

bool TreeRemover::onFile(const String& path) {
    deleteEntry(path);  // a failure is logged and keeps its directories
    return false;
}

namespace {

// Removes a directory link or junction itself. RemoveDirectory does that on
// Windows; Wine refuses it for a symbolic link whose target holds files, but
// deletes the link opened as itself (never its target: a reparse point is
// opened as the link, and no call here removes more than one entry).
bool removeDirectoryLink(const String& path) {
    if (RemoveDirectoryA(path.c_str())) return true;
    DWORD error = GetLastError();
    HANDLE link = CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_DELETE_ON_CLOSE,
                              nullptr);
    if (link != INVALID_HANDLE_VALUE) {
        CloseHandle(link);
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    }
    writeLog("Could not delete " + path + " :  " + systemErrorText(error), LOG_WARNING);
    return false;
}

}  // namespace

void TreeRemover::onDirectoryLink(const String& path) {
    // A link that stays behind keeps its directory, like a locked file.
    if (!removeDirectoryLink(path)) failedDirectories_.push_back(path);
}

bool TreeRemover::walk(const String& root) {
    failedDirectories_.clear();
    bool result = DirectoryWalker::walk(root);
    // Children were visited after their parents, so backwards is bottom-up
    // and the root comes last.
    for (auto it = visited().rbegin(); it != visited().rend(); ++it) {
        bool holdsFailure = false;
        for (const String& failed : failedDirectories_)
            if (holdsFailedPath(*it, failed)) holdsFailure = true;
        if (holdsFailure) continue;
        if (!deleteEntry(*it)) failedDirectories_.push_back(*it);
    }
    return result;
}

namespace {

std::atomic<bool> shutdownInProgress{false};

void removeAtNextStart(const String& executable, const String& directory) {
    if (traceEnabled) writeTrace("Launcher: Reboot in progress, using MoveFileEx to cleanup file: " + executable, true);
    MoveFileExA(executable.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    if (!directory.empty()) MoveFileExA(directory.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

void removeThroughWininit(const String& executable, const String& directory) {
    if (traceEnabled) writeTrace("Launcher: Writing to wininit.ini to cleanup", true);
    WininitWriter writer;
    writer.addDeleteEntry(executable);
    writer.addDeleteEntry(directory);
    writer.commit();  // nothing to be done about a failure this late
}

void removeThroughBatchFile(const String& executable, const String& directory) {
    String tempName;
    try {
        tempName = createTempFile();
    } catch (const LauncherException&) {
        return;
    }
    // The batch file deletes itself; no clean-up pass may touch it.
    unregisterTempFile(tempName);
    if (traceEnabled) writeTrace("Launcher: Cleanup batch file called: " + tempName, true);
    DeleteFileA(tempName.c_str());

    String batchFile = batchFileName(tempName);
    std::FILE* out = std::fopen(batchFile.c_str(), "w");
    if (!out) return;
    String text = batchFileText(executable, directory, batchFile, traceEnabled, tracePath);
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    // cmd reparses the command line it runs a batch file from: a temporary
    // root holding & or % would split or change a full path there. So cmd
    // runs in the batch file's folder and gets only its name, which is
    // "LRE", hexadecimal digits and ".bat". cmd comes from the system folder
    // by its full path, never from a search that passes the launcher's own.
    char system[MAX_PATH];
    UINT length = GetSystemDirectoryA(system, sizeof system);
    if (length == 0 || length >= sizeof system) return;
    String shell = String(system, length) + "\\cmd.exe";
    std::size_t slash = batchFile.find_last_of("\\/");
    String folder = slash == String::npos ? String() : batchFile.substr(0, slash + 1);
    String commandLine = "cmd /c " + batchFile.substr(slash == String::npos ? 0 : slash + 1);
    if (!CreateProcessA(shell.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED | IDLE_PRIORITY_CLASS, nullptr, folder.empty() ? nullptr : folder.c_str(),
                        &startup, &process))
        return;
    Handle processHandle(process.hProcess);
    Handle thread(process.hThread);
    // The launcher must finish before the batch gets the processor, or its
    // loop spins against an executable that is still in use.
    SetThreadPriority(thread.get(), THREAD_PRIORITY_IDLE);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    processHandle.reset();
    ResumeThread(thread.get());
}

}  // namespace

void setShutdownInProgress(bool inProgress) { shutdownInProgress = inProgress; }

void removeSelf() {
    const String executable = launcherPath;
    const String directory = executableDirectory(executable);
    if (useAnsiApi)
        removeThroughWininit(executable, directory);
    else if (shutdownInProgress)
        removeAtNextStart(executable, directory);
    else
        removeThroughBatchFile(executable, directory);
}

}  // namespace mg
