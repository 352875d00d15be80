// Depth-first walk over every file below a directory, with hooks for the
// files and for directories to leave out. The exhaustive JVM search and the
// removal of temporary trees are built on it.
#pragma once

#include "base/string.h"

namespace mg {

class DirectoryWalker {
public:
    explicit DirectoryWalker(bool cancellable) : cancellable_(cancellable) {}
    virtual ~DirectoryWalker() = default;
    DirectoryWalker(const DirectoryWalker&) = delete;
    DirectoryWalker& operator=(const DirectoryWalker&) = delete;

    // Walks start and everything below it; true when some onFile returned
    // true. Throws LauncherException (the system's text) when a listing
    // fails after it started; a directory that cannot be listed is skipped.
    virtual bool walk(const String& start);
    // Called with each file's full path; true ends the walk.
    virtual bool onFile(const String& path) = 0;
    // True leaves dir (given with a trailing backslash) and its subtree out.
    virtual bool skipDirectory(const String& dir);
    // Called for a directory entry that is a reparse point (a symbolic link
    // or a junction). The walk never descends into one: what it points to is
    // not part of the tree. Base: nothing. (A link to a file is offered to
    // onFile like any file; removing it removes the link.)
    virtual void onDirectoryLink(const String& path);

    bool isCancelled() const;
    // Every directory taken up by the last walk, in the order taken: the
    // start as given, the others as parent + "\" + name.
    const StringList& visited() const { return visited_; }

protected:
    // One progress step per 100 files offered; a seam for tests.
    virtual void advanceProgress();

    StringList pending_;
    StringList visited_;

private:
    const bool cancellable_;
};

}  // namespace mg
