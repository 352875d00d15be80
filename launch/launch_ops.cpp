#include "launch/launch_ops.h"

#include <cstdio>
#include <string>

#include "instructions/variables.h"
#include "base/front.h"
#include "base/log.h"
#include "base/settings.h"
#include "text/tagfile.h"
#include "text/text.h"
#include "ui/messages.h"
#include "ui/progress.h"

namespace mg {

namespace {

void setInstallResult(bool installed, const String& jvmFilePath) {
    setNumericVariable(1, installed ? 1 : 0);
    setPathVariable(1, installed ? jvmFilePath : String());
}

}  // namespace

// The cache's entry of the bundled JVM: the installer run in it.
class CachedInstall : public CacheFill {
public:
    CachedInstall(InstallAndLaunch& owner, const FileEntry& installer) : owner_(owner), installer_(installer) {}
    bool fill(const String& into, const String& final) override { return owner_.installInto(installer_, into, final); }

private:
    InstallAndLaunch& owner_;
    const FileEntry& installer_;
};

void InstallAndLaunch::initializeUi() {
    progressRequested = true;
    setStatus(STATUS_INITIALIZING);
    setDetail(DETAIL_NONE, String());
    showWindow();
}

void InstallAndLaunch::installJvm(std::int32_t mode) {
    setInstallResult(false, String());
    if (mode != 0) {
        showWindow();
        setStatus(STATUS_PREPARING);
    } else {
        hideAfter(0);
    }

    const FileEntry* installer = nullptr;
    for (std::int32_t i = 0; (installer = system_.entryAt(i)) != nullptr; ++i) {
        if (installer->type == FT_JVM_INSTALLER) break;
    }
    if (installer == nullptr) throw LauncherException(messageText(MSG_NO_INSTALLER));

    if (mode != 2) {
        String folder;
        CachedInstall install(*this, *installer);
        const CacheOutcome outcome = system_.cachedJvm(install, folder);
        if (outcome == CacheOutcome::Failed) return;
        if (outcome == CacheOutcome::Ready) {
            appendBackslash(folder);
            setInstallResult(true, folder + "jvm");
            return;
        }
    }

    String destination = mode == 2 ? chooseDirectory() : system_.tempItems().createTempDir();
    if (destination.empty()) {
        setInstallResult(false, String());
        return;
    }
    if (!installInto(*installer, destination, destination)) return;
    appendBackslash(destination);
    setInstallResult(true, destination + "jvm");
}

bool InstallAndLaunch::installInto(const FileEntry& installer, const String& into, const String& final) {
    String installerPath = system_.extractTo(installer, into);
    try {
        // Quoted when needed: a temporary path such as C:\Documents and
        // Settings\... would otherwise start C:\Documents.exe if one exists.
        system_.runProcess(quoteArgumentIfNeeded(installerPath), into, false, true, true);
    } catch (const LauncherException&) {
        // In a chosen directory nothing else would remove it.
        system_.tempItems().deletePath(installerPath);
        throw;
    }
    system_.tempItems().deletePath(installerPath);

    String jvmFilePath = into;
    appendBackslash(jvmFilePath);
    jvmFilePath += "jvm";
    if (!system_.tempItems().fileExists(jvmFilePath)) {
        writeLog("Invalid bundled JVM. Missing 'jvm' file.", LOG_ERROR);
        setRunExitCode(EXIT_NO_JVM);
        return false;
    }
    // The file names the folder the JVM will be used from.
    String finalJvmFile = final;
    appendBackslash(finalJvmFile);
    finalJvmFile += "jvm";
    TagFile jvmFile;
    jvmFile.load(jvmFilePath);
    jvmFile.setJvmLocation(final, finalJvmFile, true);
    jvmFile.write(jvmFilePath);
    return true;
}

String InstallAndLaunch::chooseDirectory() {
    if (silent) return String();
    return system_.browseForFolder();
}

void InstallAndLaunch::launch(JvmFile& jvmFile, LaunchScript& script, std::int16_t seconds) {
    if (seconds > 0) {
        setStatus(STATUS_RUNNING);
        setDetail(DETAIL_NONE, String());
    }
    hideAfter(seconds);
    if (consoleFront()) {
        const int exitCode = script.executeAttached(jvmFile, &context_.passThroughArgs);
        setRunExitCode(exitCode);
        writeLog("The application ended with exit code " + exitCodeText(static_cast<unsigned long>(exitCode)) + ".",
                 LOG_PLAIN);
        return;
    }
    unsigned long exitCode = 0;
    {
        ChildStartScope watch(context_.applicationWatch);
        exitCode = script.execute(jvmFile, &context_.passThroughArgs, context_.javaConsole);
    }
    writeLog("The application ended with exit code " + exitCodeText(exitCode) + ".", LOG_PLAIN);
    // An application that fails at once (a wrong main class, a missing
    // class path entry, options the JVM refuses) would otherwise vanish with
    // the window, its reason only in a log that may not exist.
    if (exitCode == 0) return;
    if (isWindowShown()) {
        showMessage(applicationFailureText(exitCode, script.errorTail()));
    } else if (failedAtStart(script) && !silent) {
        writeLog("The application failed within " + toDecimal(kStartFailureSeconds) +
                     " seconds of its start; the user is shown its error output.",
                 LOG_PLAIN);
        showMessage(applicationFailureText(exitCode, script.errorTail()));
    }
}

bool failedAtStart(const LaunchScript& script) {
    return script.startFailureMessage() && script.lastRunWroteErrors() &&
           script.lastRunMillis() < static_cast<std::uint32_t>(kStartFailureSeconds) * 1000;
}

void InstallAndLaunch::launchWithJvmFile(const String& jvmFilePath, std::int16_t seconds) {
    LaunchScript* script = system_.launchScript();
    if (script == nullptr) return;
    TagFile tagFile;
    tagFile.load(jvmFilePath);
    JvmFile jvmFile(tagFile);
    launch(jvmFile, *script, seconds);
}

void InstallAndLaunch::launchWithEmbeddedJvmFile(std::int32_t fileId, std::int16_t seconds) {
    LaunchScript* script = system_.launchScript();
    const FileEntry* entry = system_.entryById(fileId);
    if (script == nullptr || entry == nullptr || entry->type != FT_JVM_FILE || !entry->tagFile) {
        writeLog("Unable to launch the internal launch script with the internal JVM file. Either the launch "
                 "script or the JVM file is missing from the launcher.",
                 LOG_ERROR);
        setRunExitCode(EXIT_LAUNCHER_FAILED);
        return;
    }
    JvmFile jvmFile(*entry->tagFile);
    launch(jvmFile, *script, seconds);
}

void InstallAndLaunch::executeEmbeddedLauncher(std::int32_t position) {
    const FileEntry* entry = system_.entryAt(position);
    if (entry == nullptr || entry->type != FT_EMBEDDED_LAUNCHER) {
        writeLog("Unable to execute the embedded launcher.", LOG_ERROR);
        return;
    }
    // The second launcher removes this directory itself when it ends
    // (-mg:orig), so this launcher's clean-up must leave it alone, but only
    // once that launcher runs: a failed extraction or start leaves nobody else
    // to remove it.
    String directory = system_.tempItems().createTempDir();
    String secondLauncher = system_.extractTo(*entry, directory);
    system_.runProcess(embeddedLauncherCommand(secondLauncher, context_.launcherPath, context_.allArgs), directory,
                       true, false, false);
    system_.tempItems().unregisterTempDir(directory);
}

String exitCodeText(unsigned long exitCode) {
    String text = std::to_string(exitCode);
    // Exception codes (0xC0000005) read better in hexadecimal.
    // Written out by hand: printf would link the C library's whole
    // formatter into the launcher for this one number.
    if (exitCode >= 0x10000000UL) {
        char hex[2 * sizeof exitCode + 1];
        char* first = hex + sizeof hex - 1;
        *first = '\0';
        for (unsigned long rest = exitCode; rest != 0; rest >>= 4) *--first = "0123456789ABCDEF"[rest & 0xF];
        text += " (0x" + String(first) + ")";
    }
    return text;
}

String lastLines(const String& text, std::size_t maxLines, std::size_t maxChars) {
    // Walked backwards; blank lines say nothing and are left out.
    StringList lines;
    std::size_t total = 0;
    std::size_t end = text.size();
    while (end > 0 && lines.size() < maxLines && total < maxChars) {
        std::size_t newline = text.rfind('\n', end - 1);
        std::size_t begin = newline == NPOS ? 0 : newline + 1;
        String line = text.substr(begin, end - begin);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
        if (!line.empty()) {
            lines.insert(lines.begin(), line);
            total += line.size() + 1;
        }
        if (newline == NPOS) break;
        end = newline;
    }
    String result;
    for (const String& line : lines) result += (result.empty() ? "" : "\n") + line;
    if (result.size() > maxChars) result = "..." + result.substr(result.size() - maxChars);
    return result;
}

String applicationFailureText(unsigned long exitCode, const String& errorOutput) {
    String text = "The application ended with exit code " + exitCodeText(exitCode) + ".";
    String lines = lastLines(errorOutput, 12, 1500);
    if (!lines.empty()) text += "\n\n" + lines;
    return text;
}

String quoteArgumentIfNeeded(const String& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == NPOS) return argument;
    // quoteArgument gives the blank that separates it from what precedes.
    return LaunchScript::quoteArgument(argument).substr(1);
}

String embeddedLauncherCommand(const String& secondLauncher, const String& launcherPath,
                               const StringList& arguments) {
    String command = quoteArgumentIfNeeded(secondLauncher) + " -mg:orig " + quoteArgumentIfNeeded(launcherPath);
    for (const String& argument : arguments) command += " " + quoteArgumentIfNeeded(argument);
    return command;
}

}  // namespace mg
