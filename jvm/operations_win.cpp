// The JVM operations on the launcher's own search, temporary items, launcher
// file and standard output.
#include "jvm/operations.h"

#include <windows.h>

#include "payload/launcher_file.h"
#include "system/temp.h"

namespace mg {

namespace {

class SystemJvmOperations : public JvmOperationsSystem {
public:
    JvmSearch& search() override { return jvmSearch(); }
    TempFileMaker& tempFiles() override { return systemTempFiles(); }
    void keepTempFile(const String& path) override { unregisterTempFile(path); }
    const FileEntry* entryById(std::int32_t id) override { return launcherFile().entryById(id); }

    // Raw bytes: the lines end with a single line feed. A GUI program has no
    // console; whatever handle the caller gave it is used, and none is ignored.
    void print(const String& line) override {
        HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
        if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
};

}  // namespace

JvmOperationsSystem& systemJvmOperations() {
    static SystemJvmOperations system;
    return system;
}

}  // namespace mg
