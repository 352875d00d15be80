// The install and launch operations on the running launcher: its payload,
// the temporary-item register, child processes and the shell's folder
// browser.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <memory>

#include "system/child_process.h"
#include "launch/launch_ops.h"
#include "payload/extract.h"
#include "payload/launcher_file.h"
#include "base/handles.h"
#include "ui/messages.h"
#include "ui/progress_win.h"

namespace mg {

namespace {

// COM for the folder browser, for the duration of one dialog.
class ComScope {
public:
    ComScope() : initialized_(SUCCEEDED(::CoInitialize(nullptr))) {}
    ~ComScope() {
        if (initialized_) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialized_;
};

class SystemInstallAndLaunch : public InstallAndLaunchSystem {
public:
    SystemInstallAndLaunch(LauncherFile& launcherFile, LaunchEnvironment& environment, TempItems& tempItems)
        : launcherFile_(launcherFile), environment_(environment), tempItems_(tempItems) {}

    const FileEntry* entryAt(std::int32_t position) override { return launcherFile_.entryAt(position); }
    const FileEntry* entryById(std::int32_t id) override { return launcherFile_.entryById(id); }

    // Built on first use from the tag file the launcher file holds, then
    // kept: its captured output accumulates over the run's launches.
    LaunchScript* launchScript() override {
        const TagFile* tagFile = launcherFile_.launchScript();
        if (tagFile == nullptr) return nullptr;
        if (!script_ || scriptSource_ != tagFile) {
            script_ = std::make_unique<LaunchScript>(*tagFile, true, &environment_);
            scriptSource_ = tagFile;
        }
        return script_.get();
    }

    TempItems& tempItems() override { return tempItems_; }
    String extractTo(const FileEntry& entry, const String& directory) override {
        return mg::extractTo(entry, directory);
    }
    CacheOutcome cachedJvm(CacheFill& install, String& folder) override {
        return cacheEntry(launcherFile_.instructions(), "jvm", INSTALLER_VERSION_TAG, "the bundled JVM",
                          "installing it into a temporary folder", install, folder);
    }

    void runProcess(const String& commandLine, const String& directory, bool showConsole, bool capture,
                    bool wait) override {
        // An installer's output is not shown anywhere; it is only drained so
        // that the installer never blocks on a full pipe.
        String output;
        String error;
        // Both are setup programs of a kind: one that asks for elevation is
        // started through the shell's prompt.
        mg::runProcess(commandLine, directory, showConsole, capture, wait, capture ? &output : nullptr,
                     capture ? &error : nullptr, true);
    }

    String browseForFolder() override {
        ComScope com;
        String title = loadStringText(IDS_CHOOSE_JVM_DIR);
        char displayName[MAX_PATH] = {};
        BROWSEINFOA info = {};
        info.hwndOwner = progressDialog;
        info.pszDisplayName = displayName;
        info.lpszTitle = title.c_str();
        info.ulFlags = BIF_DONTGOBELOWDOMAIN;
        ShellMemory items(::SHBrowseForFolderA(&info));
        if (!items) return String();
        char path[MAX_PATH] = {};
        if (!::SHGetPathFromIDListA(static_cast<LPCITEMIDLIST>(items.get()), path)) return String();
        return String(path);
    }

private:
    LauncherFile& launcherFile_;
    LaunchEnvironment& environment_;
    TempItems& tempItems_;
    std::unique_ptr<LaunchScript> script_;
    const TagFile* scriptSource_ = nullptr;
};

}  // namespace

std::unique_ptr<InstallAndLaunchSystem> makeSystemInstallAndLaunch(LauncherFile& launcherFile,
                                                                   LaunchEnvironment& environment,
                                                                   TempItems& tempItems) {
    return std::make_unique<SystemInstallAndLaunch>(launcherFile, environment, tempItems);
}

}  // namespace mg
