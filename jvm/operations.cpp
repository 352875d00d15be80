#include "jvm/operations.h"

#include <algorithm>

#include "instructions/variables.h"
#include "base/front.h"
#include "base/log.h"
#include "base/settings.h"
#include "text/text.h"
#include "ui/messages.h"
#include "ui/progress.h"

namespace mg {

namespace {

void prepareWindow(bool showUi) {
    if (showUi) {
        setStatus(STATUS_SEARCHING);
        showWindow();
    } else {
        hideAfter(0);
    }
}

String decimal(long n) { return toDecimal(n); }

}  // namespace

void JvmDiscovery::findJvm(bool showUi, bool showFailMessage) {
    writeLog("Finding a JVM");
    prepareWindow(showUi);
    setStringVariable(1, String());
    setStringVariable(2, String());
    setNumericVariable(1, 0);
    try {
        JvmMatchList results;
        system_.search().find(results);
        if (results.empty()) {
            const String text = messageText(MSG_NO_MATCHING_JVM);
            writeLog(text);
            setRunExitCode(EXIT_NO_JVM);
            if (showFailMessage && !cancelRequested) tellNoMatchingJvm();
            return;
        }
        const JvmMatch& match = *results.front();
        const String file = match.writeJvmFile(system_.tempItems());
        writeLog("Matching JVM home is " + match.home);
        writeLog("Matching JVM file is " + file);
        setPathVariable(1, match.home);
        setPathVariable(2, file);
        setNumericVariable(1, 1);
    } catch (const LauncherException& e) {
        const String text = messageText(MSG_NO_MATCHING_JVM) + " " + e.message();
        writeLog(text, LOG_ERROR);
        if (showFailMessage) showMessage(text);
        // The variables keep the values of a search that found nothing.
        setStringVariable(1, String());
        setStringVariable(2, String());
        setNumericVariable(1, 0);
        throw LauncherException(e.message());
    }
}

void JvmDiscovery::tellNoMatchingJvm() {
    StringList needs;
    for (const auto& jvm : system_.search().jvmFiles()) {
        const String desc = jvm->tagFile().getValue("DESC", 0);
        if (!desc.empty() && std::find(needs.begin(), needs.end(), desc) == needs.end()) needs.push_back(desc);
    }
    String url = system_.jvmDownloadUrl();
    if (!url.empty() && !isWebAddress(url)) {
        // Only a web page may reach the shell, never a program or a file.
        writeLog("JVM_DOWNLOAD_URL is not an http:// or https:// address; it is not offered: " + url, LOG_WARNING);
        url.clear();
    }
    const String text = noMatchingJvmText(needs, logPath, url);
    // The console launcher prints the page; nobody there answers a question.
    if (url.empty() || consoleFront()) {
        showMessage(text);
        return;
    }
    if (askYesNo(text + "\n\n" + loadStringText(IDS_OPEN_DOWNLOAD_PAGE))) {
        writeLog("Opening the JVM download page " + url);
        system_.openWebPage(url);
    }
}

String noMatchingJvmText(const StringList& needs, const String& logFile, const String& downloadUrl) {
    String text = messageText(MSG_NO_MATCHING_JVM);
    if (!needs.empty()) {
        text += "\n\n" + loadStringText(IDS_APPLICATION_NEEDS);
        for (const String& need : needs) text += "\n" + need;
    }
    // Paths and addresses on lines of their own: a box wraps only at blanks.
    if (!logFile.empty()) text += "\n\n" + loadStringText(IDS_LOG_FILE) + "\n" + logFile;
    if (!downloadUrl.empty()) text += "\n\n" + loadStringText(IDS_DOWNLOAD_PAGE) + "\n" + downloadUrl;
    return text;
}

void JvmDiscovery::verifyJvmById(bool showUi, bool showFailMessage, std::int32_t fileId) {
    prepareWindow(showUi);
    const FileEntry* entry = system_.entryById(fileId);
    if (entry == nullptr)
        throw LauncherException("Cannot verify jvm file at index " + decimal(fileId) + " because it does not exist.");
    if (entry->type != FT_JVM_FILE)
        throw LauncherException("To verify a JVM, use an index of a jvm file. The index passed in was " +
                                decimal(fileId) + " which corresponds to the file named " + entry->name);
    if (!entry->tagFile)
        throw LauncherException("The jvm file with file id " + decimal(fileId) + " could not be read.");
    verifyJvm(showUi, showFailMessage, *entry->tagFile, String());
}

void JvmDiscovery::verifyJvm(bool showUi, bool showFailMessage, TagFile& tagFile, const String& home) {
    setNumericVariable(1, 0);
    if (showUi) setDetail(DETAIL_VERIFYING, tagFile.getValue("DESC", 0));
    JvmFile view(tagFile);
    String classpath;
    String className;
    JvmSearch& search = system_.search();
    search.getVerifyClass(classpath, className);
    std::unique_ptr<JvmMatch> match = home.empty()
                                          ? verifyAtJvmHome(view, classpath, className, search.system())
                                          : search.system().verifyAt(view, home, classpath, className);
    if (match) {
        const String verified = tagFile.getValue("JVM_HOME", 0);
        setNumericVariable(1, 1);
        setPathVariable(1, verified);
        writeLog("After VERIFY, the jvm home is " + verified);
        return;
    }
    setRunExitCode(EXIT_NO_JVM);
    if (showFailMessage) showMessage(messageText(MSG_JVM_INVALID));
    writeLog("In VERIFY, the jvm is invalid.");
}

void JvmDiscovery::searchAction(bool showUi, bool showFailMessage) {
    try {
        findJvm(showUi, showFailMessage);
        const std::int32_t n = getNumericVariable(1);
        system_.print(decimal(n) + "\n");
        if (n != 0) {
            const String file = getStringVariable(2);
            system_.print(getStringVariable(1) + "\n");
            system_.print(file + "\n");
            system_.tempItems().unregisterTempFile(file);
        }
    } catch (const LauncherException&) {
        // findJvm has logged it; the caller reads no output as a failure.
    } catch (...) {
        writeLog("Unexpected failure in search.", LOG_ERROR);
    }
}

void JvmDiscovery::searchAllAction(bool showUi, bool showFailMessage) {
    writeLog("Finding all matching JVMs");
    prepareWindow(showUi);
    try {
        JvmMatchList results;
        system_.search().searchAll(results);
        system_.print(decimal(static_cast<long>(results.size())) + "\n");
        for (const auto& match : results) {
            const String file = match->writeJvmFile(system_.tempItems());
            system_.tempItems().unregisterTempFile(file);
            system_.print(match->home + "\n");
            system_.print(file + "\n");
        }
    } catch (const LauncherException& e) {
        const String text = messageText(MSG_SEARCH_ALL_FAILED) + e.message();
        writeLog(text, LOG_ERROR);
        if (showFailMessage) showMessage(text);
        system_.print("0\n");
    }
}

}  // namespace mg
