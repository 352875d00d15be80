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

// The application archive, extracted (or, given a name, copied from beside
// the original launcher) into a temporary directory on first use; empty when
// there is none.
String applicationArchive();
String applicationArchive(const String& name);
// Forgets the application archive's path, as at start-up; for tests.
void forgetApplicationArchive();

}  // namespace mg
