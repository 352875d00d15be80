#include "system/temp_register.h"

#include "text/text.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace mg {

void TempRegister::add(const String& path) {
    LockGuard guard(lock_);
    paths_.push_back(path);
}

void TempRegister::removeFirst(const String& path) {
    LockGuard guard(lock_);
    auto it = std::find_if(paths_.begin(), paths_.end(),
                           [&](const String& p) { return equalsIgnoringCase(p, path); });
    if (it != paths_.end()) paths_.erase(it);
}

bool TempRegister::last(String& path) const {
    LockGuard guard(lock_);
    if (paths_.empty()) return false;
    path = paths_.back();
    return true;
}

void TempRegister::removeLast(const String& path) {
    LockGuard guard(lock_);
    for (auto it = paths_.rbegin(); it != paths_.rend(); ++it) {
        if (*it == path) {
            paths_.erase(std::next(it).base());
            return;
        }
    }
}

StringList TempRegister::snapshot() const {
    LockGuard guard(lock_);
    return paths_;
}

void TempRegister::clear() {
    LockGuard guard(lock_);
    paths_.clear();
}

bool equalsIgnoringCase(const String& a, const String& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

String freeSpaceRoot(const String& dir) {
    if (dir.size() > 3 && dir[1] == ':' && dir[2] == '\\') return dir.substr(0, 3);
    return String();
}

bool roomForBytes(std::int32_t byteCount, std::uint32_t sectorsPerCluster,
                  std::uint32_t bytesPerSector, std::uint32_t freeClusters) {
    if (byteCount <= 0) return true;
    std::uint64_t clusterSize = std::uint64_t(sectorsPerCluster) * bytesPerSector;
    if (clusterSize == 0) return false;
    std::uint64_t bytes = std::uint64_t(byteCount);
    std::uint64_t neededClusters = bytes / clusterSize + (bytes % clusterSize != 0 ? 1 : 0);
    return neededClusters <= freeClusters;
}

namespace {

// Windows opens these names as devices in every directory and with any
// extension ("nul.txt", "COM1 .jar"): an entry so named would be written to
// the device, not to a file.
bool namesDevice(const String& name) {
    std::size_t end = name.find('.');
    String base = name.substr(0, end == String::npos ? name.size() : end);
    std::size_t last = base.find_last_not_of(' ');
    base = last == String::npos ? String() : base.substr(0, last + 1);
    String upper;
    for (char c : base) upper.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    static const char* const DEVICES[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* device : DEVICES)
        if (upper == device) return true;
    return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
           upper[3] >= '1' && upper[3] <= '9';
}

}  // namespace

EntryNameFault entryNameFault(const String& name) {
    if (name.find_first_of("\\/") != String::npos) return EntryNameFault::separator;
    if (name.find(':') != String::npos) return EntryNameFault::colon;
    // A name of dots and blanks only ("", ".", "..", ".. ") is the directory
    // itself or its parent once Windows drops trailing dots and blanks.
    if (name.find_first_not_of(". ") == String::npos) return EntryNameFault::noFile;
    if (namesDevice(name)) return EntryNameFault::device;
    // A NUL byte is caught as a control byte before strchr, which would
    // match it with the list's terminator.
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("<>\"|?*", c) != nullptr)
            return EntryNameFault::character;
    }
    return EntryNameFault::none;
}

void checkEntryName(const String& name) {
    const String refusal = "Refusing to extract the embedded file \"" + name + "\": ";
    switch (entryNameFault(name)) {
    case EntryNameFault::none:
        return;
    case EntryNameFault::separator:
    case EntryNameFault::colon:
    case EntryNameFault::noFile:
        throw LauncherException(refusal + "its name must not hold a path, a drive or \"..\".");
    case EntryNameFault::device:
        throw LauncherException(refusal + "its name is a device's.");
    case EntryNameFault::character:
        throw LauncherException(refusal + "its name holds a control character or one of < > \" | ? *.");
    }
}

}  // namespace mg
