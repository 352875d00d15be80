// The text-only rules of the clean-up: the self-removal batch file and the
// ancestor test of the tree removal. Portable, so they are tested natively.
#pragma once

#include "base/string.h"

namespace mg {

// E up to, not including, its last backslash; empty when it has none.
String executableDirectory(const String& executable);

// The batch file's name: tempName with the extension of its file name (from
// its last ".") replaced by ".bat", or ".bat" appended when it has none.
String batchFileName(const String& tempName);

// The lines of the batch file, each ending with a line feed: it deletes the
// executable as soon as that is no longer in use, then its directory (when
// given), then itself; with tracing, two echo lines append to the trace file.
String batchFileText(const String& executable, const String& directory, const String& batchFile,
                     bool tracing, const String& tracePath);

// Whether failedPath is directory itself or lies below it (letter case
// ignored), so that directory cannot be empty.
bool holdsFailedPath(const String& directory, const String& failedPath);

}  // namespace mg
