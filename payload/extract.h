// Copies of embedded files out of the launcher file.
#pragma once

#include "payload/file_entry.h"
#include "base/string.h"

namespace mg {

// Copies entry's bytes to directory\name (an empty directory means the
// current one) and returns that path. Checks free space first; each block is
// flushed and advances the progress bar; a cancel request stops the copy with
// "Canceled by the user." and leaves the partial file.
String extractTo(const FileEntry& entry, const String& directory);

// -mg:extract: writes every embedded file into the current directory and an
// "input.tag" that runs the same instructions from them.
void extractAll();

// The archives of that type (class-path or application), in index order:
// in the payload cache when the instructions ask for it (CACHE_FOLDER) and it
// can be used, else extracted into one new temporary directory.
StringList extractArchives(FileType type);
// The cache's folder of this payload's archives, filled on first use; empty
// when they go to temporary directories.
String cachedArchiveFolder();

// The application archive, extracted (or, given a name, copied from beside
// the original launcher) into a temporary directory on first use; empty when
// there is none.
String applicationArchive();
String applicationArchive(const String& name);
// Forgets the application archive's path and the cache's answer, as at
// start-up; for tests.
void forgetApplicationArchive();

}  // namespace mg
