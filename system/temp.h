// Temporary directories and files of a run: the temporary root and its
// -mg:tempdir override, creation and registration of items, the disk-space
// test, and the final removal pass.
#pragma once

#include <cstdint>

#include "base/string.h"

namespace mg {

// The directory under which temporary items are made; filled from the
// system's temporary path (ending with a backslash) on first use.
String getTempRoot();
// -mg:tempdir: taken only when path names an existing directory.
void setTempRoot(const String& path);

// A new empty directory under the root, registered for removal; returned
// without a trailing backslash. Throws "GetTempFileName failed  ==>  " + text.
String createTempDir();
// A new empty file under the root, registered for removal. Throws like
// createTempDir when the system cannot make a name.
String createTempFile();
void registerTempFile(const String& path);
// Forget an item (first entry equal ignoring case) so that it stays on disk.
void unregisterTempFile(const String& path);
void unregisterTempDir(const String& path);
// Copies of the registers, oldest first.
StringList registeredTempDirs();
StringList registeredTempFiles();

// Whether the drive of dir has room for byteCount bytes. Throws
// "GetDiskFreeSpace failed  ==>  " + text when the query fails.
bool hasEnoughSpace(const String& dir, std::int32_t byteCount);

// Whether path can be opened for reading; a file another program holds
// without sharing counts as existing.
bool fileExists(const String& path);

// A file's size and last-write stamp as FindFirstFile reports them (on every
// Windows, 95 included); false for a directory, a wildcard or no file.
bool fileStamp(const String& path, std::uint64_t& size, std::uint64_t& lastWrite);

// Removes every registered temporary item, newest first, and (after -mg:orig)
// schedules the launcher's own removal. Safe to call more than once and from
// both threads.
void cleanupPass();

}  // namespace mg
