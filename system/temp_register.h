// The register of temporary items and the disk-space rule: the parts of the
// temporary-item code that need no system calls.
#pragma once

#include <cstdint>

#include "base/lock.h"
#include "base/string.h"

namespace mg {

// An ordered list of paths shared by the worker (which registers items) and
// the main thread (which may run the clean-up pass at end of session), so
// every access is made under one lock.
class TempRegister {
public:
    void add(const String& path);
    // Removes the first entry equal to path ignoring ASCII letter case.
    void removeFirst(const String& path);
    // Copies the newest entry into path; false when the list is empty.
    bool last(String& path) const;
    // Removes the newest entry equal to path, if any. Together with last()
    // this lets the clean-up drop an entry only once it has been removed,
    // without holding the lock while it deletes.
    void removeLast(const String& path);
    StringList snapshot() const;
    void clear();

private:
    mutable Lock lock_;
    StringList paths_;
};

bool equalsIgnoringCase(const String& a, const String& b);

// The root whose free space decides whether dir has room: "X:\" for a
// directory written as "X:\..." (longer than three characters); otherwise
// empty, meaning the current drive (relative and UNC paths, a bare root).
String freeSpaceRoot(const String& dir);

// Whether byteCount bytes, rounded up to whole clusters, fit in freeClusters.
// Compared in clusters, so no product of the drive's figures can overflow. A
// negative count needs no room; a drive reporting no cluster size has none.
bool roomForBytes(std::int32_t byteCount, std::uint32_t sectorsPerCluster,
                  std::uint32_t bytesPerSector, std::uint32_t freeClusters);

// Why a name cannot be an extracted file's name in its directory.
enum class EntryNameFault {
    none,
    separator,  // a path separator (slash or backslash)
    colon,      // a drive or a stream
    noFile,     // only dots and blanks: the directory itself or its parent
    device,     // CON, NUL, COM1 ... with any extension: Windows opens the device
    character,  // a control byte or one of < > " | ? *, which Windows refuses
};
EntryNameFault entryNameFault(const String& name);

// Refuses an entry name that would place the extracted file outside the
// target directory, or that no file can have: see entryNameFault.
void checkEntryName(const String& name);

}  // namespace mg
