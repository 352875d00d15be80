// JVM discovery's system side: the launcher's search, temporary items, launcher
// file and standard output.
#include "jvm/operations.h"

#include "payload/launcher_file.h"
#include "system/child_process.h"
#include "system/temp.h"

namespace mg {

namespace {

class SystemJvmDiscovery : public JvmDiscoverySystem {
public:
    SystemJvmDiscovery(JvmSearch& search, TempFileMaker& tempFiles, LauncherFile& launcherFile)
        : search_(search), tempFiles_(tempFiles), launcherFile_(launcherFile) {}

    // The JVM files are taken from the launcher file when the search is
    // asked for, as the launch system takes the launch script.
    JvmSearch& search() override {
        search_.addNewJvmFiles(launcherFile_.jvmFiles());
        return search_;
    }
    TempFileMaker& tempFiles() override { return tempFiles_; }
    void keepTempFile(const String& path) override { unregisterTempFile(path); }
    const FileEntry* entryById(std::int32_t id) override { return launcherFile_.entryById(id); }

    // Raw bytes: the lines end with a single line feed.
    void print(const String& line) override { writeStandardOutput(line); }

private:
    JvmSearch& search_;
    TempFileMaker& tempFiles_;
    LauncherFile& launcherFile_;
};

}  // namespace

std::unique_ptr<JvmDiscoverySystem> makeSystemJvmDiscovery(JvmSearch& search, TempFileMaker& tempFiles,
                                                           LauncherFile& launcherFile) {
    return std::make_unique<SystemJvmDiscovery>(search, tempFiles, launcherFile);
}

}  // namespace mg
