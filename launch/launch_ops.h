// The install and launch commands: INITIALIZE_UI, INSTALL_JVM, LAUNCH,
// ILAUNCH and EXECUTE_LAUNCHER. Portable: the payload, temporary items,
// child processes and the folder browser are reached through
// InstallAndLaunchSystem, so the rules are tested on the host with a fake.
#pragma once

#include <cstdint>
#include <memory>

#include "instructions/operations.h"
#include "launch/launch_script.h"
#include "payload/cache.h"
#include "payload/file_entry.h"
#include "base/string.h"
#include "system/temp_items.h"

namespace mg {

class InstallAndLaunchSystem {
public:
    virtual ~InstallAndLaunchSystem() = default;

    // The file index of the running launcher; null when there is no such entry.
    virtual const FileEntry* entryAt(std::int32_t position) = 0;
    virtual const FileEntry* entryById(std::int32_t id) = 0;
    // The run's one launch script; null when neither the launcher file nor
    // an input file supplied one.
    virtual LaunchScript* launchScript() = 0;

    // Where installers and second launchers are extracted to.
    virtual TempItems& tempItems() = 0;
    virtual String extractTo(const FileEntry& entry, const String& directory) = 0;
    // With the payload cache on (CACHE_FOLDER), the folder of the bundled
    // JVM installed there, installed through install when it is not complete
    // yet (see cacheEntry). Off by default.
    virtual CacheOutcome cachedJvm(CacheFill& install, String& folder) {
        (void)install;
        (void)folder;
        return CacheOutcome::Off;
    }

    // Starts commandLine in directory; with wait, blocks until it ended and
    // throws LauncherException when it could not be started or waited for.
    virtual void runProcess(const String& commandLine, const String& directory, bool showConsole,
                            bool capture, bool wait) = 0;

    // The folder the user picks for a JVM; empty when cancelled. Never asked
    // when silent.
    virtual String browseForFolder() = 0;
};

// What the launch commands take from the launcher's own command line.
struct LaunchContext {
    String launcherPath;         // this launcher, for the second launcher's -mg:orig
    StringList allArgs;          // every argument this launcher was given
    StringList passThroughArgs;  // what goes on to the application
    bool javaConsole = false;    // the application gets a console window
    ChildStartWatch* applicationWatch = nullptr;  // told the application's process id
};

class InstallAndLaunch : public LaunchCommands {
public:
    // Both are kept by reference and must outlive the commands.
    InstallAndLaunch(InstallAndLaunchSystem& system, const LaunchContext& context)
        : system_(system), context_(context) {}

    void initializeUi() override;
    // mode 0 and 1: into a new temporary directory, 0 with the progress
    // window hidden; 2: into a directory the user chooses. Sets N1 and S1.
    void installJvm(std::int32_t mode) override;
    void launchWithJvmFile(const String& jvmFilePath, std::int16_t seconds) override;
    void launchWithEmbeddedJvmFile(std::int32_t fileId, std::int16_t seconds) override;
    void executeEmbeddedLauncher(std::int32_t position) override;

    // The destination for mode 2: empty without a dialog when silent.
    String chooseDirectory();

private:
    void launch(JvmFile& jvmFile, LaunchScript& script, std::int16_t seconds);
    // Runs the installer in into for a JVM that will live in final (the
    // same folder, or the cache's entry it is renamed to); false (logged)
    // when it left no JVM file.
    bool installInto(const FileEntry& installer, const String& into, const String& final);
    friend class CachedInstall;

    InstallAndLaunchSystem& system_;
    const LaunchContext& context_;
};

// An exit code in decimal, with its hexadecimal form for exception codes.
String exitCodeText(unsigned long exitCode);
// The last maxLines lines of text that are not blank, joined with line
// feeds, their line ends trimmed; at most maxChars characters of them.
String lastLines(const String& text, std::size_t maxLines, std::size_t maxChars);
// What the user is told when the application ended with an error while the
// progress window was up, or at start-up: the exit code and the end of its
// error output.
String applicationFailureText(unsigned long exitCode, const String& errorOutput);

// An application that ends within this many seconds of its start failed to
// start, when it ended with an error and wrote to its standard error.
constexpr std::int32_t kStartFailureSeconds = 10;
// Whether the script's last run was such a failure (whatever its exit code)
// and the script wants it reported (START_FAILURE_MESSAGE).
bool failedAtStart(const LaunchScript& script);

// One argument as the Windows argument rule needs it: unchanged unless it
// holds a blank, a tab or a double quote (or is empty, which would vanish),
// then enclosed in double quotes with quotes and the backslashes before them
// escaped.
String quoteArgumentIfNeeded(const String& argument);

// The second launcher's command line: its path, "-mg:orig" and this
// launcher's path, then every argument this launcher was given.
String embeddedLauncherCommand(const String& secondLauncher, const String& launcherPath,
                               const StringList& arguments);

#ifdef _WIN32
class LauncherFile;
// The running launcher's payload and the real system; its launch script
// runs in environment.
std::unique_ptr<InstallAndLaunchSystem> makeSystemInstallAndLaunch(LauncherFile& launcherFile,
                                                                   LaunchEnvironment& environment,
                                                                   TempItems& tempItems);
#endif

}  // namespace mg
