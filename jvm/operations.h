// The entry points of JVM discovery: FIND_JVM and VERIFY of the instructions
// program, and the SEARCH, SEARCH_ALL and VERIFY_JVM actions of input files.
// They report through N1 (found or valid), S1 (a home) and S2 (the path of a
// JVM file copy). Portable: what they need of the launcher comes through
// JvmOperationsSystem.
#pragma once

#include <cstdint>

#include "jvm/search.h"
#include "payload/file_entry.h"
#include "base/string.h"
#include "text/tagfile.h"

namespace mg {

class JvmOperationsSystem {
public:
    virtual ~JvmOperationsSystem() = default;
    virtual JvmSearch& search() = 0;
    // New registered temporary files for match copies.
    virtual TempFileMaker& tempFiles() = 0;
    // Unregisters a copy so that it stays on disk after the launcher exits.
    virtual void keepTempFile(const String& path) = 0;
    // The file index entry with that id, or null.
    virtual const FileEntry* entryById(std::int32_t id) = 0;
    // One line ("...\n") on the launcher's standard output.
    virtual void print(const String& line) = 0;
};

void findJvm(bool showUi, bool showFailMessage, JvmOperationsSystem& system);
void verifyJvmById(bool showUi, bool showFailMessage, std::int32_t fileId, JvmOperationsSystem& system);
// Verifies tagFile at home, or at its own JVM_HOME when home is empty.
void verifyJvm(bool showUi, bool showFailMessage, TagFile& tagFile, const String& home,
               JvmOperationsSystem& system);
void searchAction(bool showUi, bool showFailMessage, JvmOperationsSystem& system);
void searchAllAction(bool showUi, bool showFailMessage, JvmOperationsSystem& system);

#ifdef _WIN32
// The launcher's own: the process-wide search, temporary items, launcher
// file and the standard output handle.
JvmOperationsSystem& systemJvmOperations();
#endif

}  // namespace mg
