// JVM discovery's system side: the launcher's search, temporary items, launcher
// file and standard output.
#include <windows.h>
#include <shellapi.h>

#include "jvm/operations.h"

#include "payload/launcher_file.h"
#include "system/child_process.h"
#include "base/log.h"
#include "base/system_error.h"

namespace mg {

namespace {

class SystemJvmDiscovery : public JvmDiscoverySystem {
public:
    SystemJvmDiscovery(JvmSearch& search, TempItems& tempItems, LauncherFile& launcherFile)
        : search_(search), tempItems_(tempItems), launcherFile_(launcherFile) {}

    // The JVM files are taken from the launcher file when the search is
    // asked for, as the launch system takes the launch script.
    JvmSearch& search() override {
        search_.addNewJvmFiles(launcherFile_.jvmFiles());
        return search_;
    }
    TempItems& tempItems() override { return tempItems_; }
    const FileEntry* entryById(std::int32_t id) override { return launcherFile_.entryById(id); }

    // Raw bytes: the lines end with a single line feed.
    void print(const String& line) override { writeStandardOutput(line); }

    String jvmDownloadUrl() override {
        const TagFile* instructions = launcherFile_.instructions();
        return instructions ? instructions->getValue("JVM_DOWNLOAD_URL", 0) : String();
    }

    void openWebPage(const String& url) override {
        SHELLEXECUTEINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_FLAG_NO_UI;
        info.lpVerb = "open";
        info.lpFile = url.c_str();
        info.nShow = SW_SHOWNORMAL;
        // A browser that does not start leaves the run as it was.
        if (!::ShellExecuteExA(&info)) writeLog(systemErrorMessage("ShellExecuteEx", ::GetLastError()), LOG_WARNING);
    }

private:
    JvmSearch& search_;
    TempItems& tempItems_;
    LauncherFile& launcherFile_;
};

}  // namespace

std::unique_ptr<JvmDiscoverySystem> makeSystemJvmDiscovery(JvmSearch& search, TempItems& tempItems,
                                                           LauncherFile& launcherFile) {
    return std::make_unique<SystemJvmDiscovery>(search, tempItems, launcherFile);
}

}  // namespace mg
