#include "system/walker.h"

#include <windows.h>

#include <cstring>

#include "base/settings.h"
#include "text/text.h"
#include "base/handles.h"
#include "ui/messages.h"
#include "ui/progress.h"

namespace mg {

bool DirectoryWalker::skipDirectory(const String&) { return false; }

void DirectoryWalker::onDirectoryLink(const String&) {}

bool DirectoryWalker::isCancelled() const { return cancellable_ && cancelRequested; }

void DirectoryWalker::advanceProgress() { stepProgress(1); }

bool DirectoryWalker::walk(const String& start) {
    pending_.clear();
    visited_.clear();
    pending_.push_back(start);
    bool result = false;
    long fileCount = 0;

    while (!pending_.empty() && !result && !isCancelled()) {
        String dir = pending_.back();
        pending_.pop_back();
        visited_.push_back(dir);
        appendBackslash(dir);
        if (skipDirectory(dir)) continue;

        WIN32_FIND_DATAA data;
        FindHandle listing(FindFirstFileA((dir + "*").c_str(), &data));
        if (!listing.valid()) continue;  // no access or vanished: skipped silently

        // One path buffer for the whole listing: a drive holds far more files
        // than directories, and a fresh string per file is most of the cost.
        String full;
        for (;;) {
            const char* name = data.cFileName;
            if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) {
                full.assign(dir).append(name);
                const DWORD attributes = data.dwFileAttributes;
                if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                    // A directory link or junction: its target lies anywhere
                    // (outside the tree, or above it, making a cycle).
                    onDirectoryLink(full);
                } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
                    pending_.push_back(full);
                } else {
                    result = onFile(full);
                    if (++fileCount % 100 == 0) advanceProgress();
                }
            }
            if (result || isCancelled()) break;
            if (!FindNextFileA(listing.get(), &data)) {
                DWORD error = GetLastError();
                if (error == ERROR_NO_MORE_FILES) break;
                throw LauncherException(systemErrorText(error));
            }
        }
    }
    return result;
}

}  // namespace mg
