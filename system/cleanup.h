// Removal of files and directory trees, and the launcher's removal of itself
// after -mg:orig (a batch file on the NT family, WinInit.Ini on the 9x family).
#pragma once

#include "system/walker.h"
#include "base/string.h"

namespace mg {

// Removes a file or a whole directory tree; nothing when path does not exist.
// Failures are logged as warnings ("Could not delete ..."); only a directory
// listing that fails midway throws.
void deletePath(const String& path);

// Removes one file or one empty directory, clearing a read-only flag first.
// False (and a warning in the log) when the system refused.
bool deleteEntry(const String& path);

// Removes a tree bottom-up. A directory whose removal failed is remembered,
// and none of its ancestors is attempted, so a locked file keeps exactly the
// directories on its path.
class TreeRemover : public DirectoryWalker {
public:
    TreeRemover() : DirectoryWalker(false) {}
    bool walk(const String& root) override;
    bool onFile(const String& path) override;
    void onDirectoryLink(const String& path) override;
    const StringList& failedDirectories() const { return failedDirectories_; }

private:
    StringList failedDirectories_;
};

// Schedules the removal of the running executable (launcherPath) and its
// directory once the launcher has ended. Failures are silent.
void removeSelf();

// While the system shuts down, a batch file started now would be ended with
// the session; with this set, the NT family schedules the removal for the
// next start instead (MoveFileEx), which needs the right to do so. Off
// unless the end-of-session handling sets it.
void setShutdownInProgress(bool inProgress);

}  // namespace mg
