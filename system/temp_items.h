// The temporary items and file checks that the layers above ask for, behind
// one interface so that their logic is tested with a fake
// (tests/support/fake_temp_items.h); the launcher wires the system's.
#pragma once

#include <memory>

#include "base/string.h"

namespace mg {

class TempItems {
public:
    virtual ~TempItems() = default;
    // A new empty file under the temporary root, registered for removal.
    virtual String createTempFile() = 0;
    // A new registered directory under the root, without a trailing backslash.
    virtual String createTempDir() = 0;
    // Forget an item so that it stays on disk after the launcher exits.
    virtual void unregisterTempFile(const String& path) = 0;
    virtual void unregisterTempDir(const String& path) = 0;
    virtual void deletePath(const String& path) = 0;
    // Whether path can be opened for reading; a file held without sharing
    // counts as existing.
    virtual bool fileExists(const String& path) = 0;
};

#ifdef _WIN32
// The registers of system/temp.h and the removal of system/cleanup.h.
std::unique_ptr<TempItems> makeSystemTempItems();
#endif

}  // namespace mg
