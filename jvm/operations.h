// The entry points of JVM discovery: FIND_JVM and VERIFY of the instructions
// program, and the SEARCH, SEARCH_ALL and VERIFY_JVM actions of input files.
// They report through N1 (found or valid), S1 (a home) and S2 (the path of a
// JVM file copy). Portable: what they need of the launcher comes through
// JvmDiscoverySystem.
#pragma once

#include <cstdint>
#include <memory>

#include "instructions/operations.h"
#include "jvm/search.h"
#include "payload/file_entry.h"
#include "base/string.h"
#include "text/tagfile.h"

namespace mg {

class JvmDiscoverySystem {
public:
    virtual ~JvmDiscoverySystem() = default;
    virtual JvmSearch& search() = 0;
    // Where match copies are written, and unregistered to stay on disk.
    virtual TempItems& tempItems() = 0;
    // The file index entry with that id, or null.
    virtual const FileEntry* entryById(std::int32_t id) = 0;
    // One line ("...\n") on the launcher's standard output.
    virtual void print(const String& line) = 0;
    // The instructions program's JVM_DOWNLOAD_URL as written; empty without one.
    virtual String jvmDownloadUrl() = 0;
    // Opens a web page (isWebAddress) in the user's browser.
    virtual void openWebPage(const String& url) = 0;
};

// What the user is told when no JVM was found: "No matching JVM was found.",
// then, each only when there is one, what the JVM files ask for (their DESC,
// one a line), where the log is, and the download page.
String noMatchingJvmText(const StringList& needs, const String& logFile, const String& downloadUrl);

class JvmDiscovery : public JvmCommands {
public:
    explicit JvmDiscovery(JvmDiscoverySystem& system) : system_(system) {}

    void findJvm(bool showUi, bool showFailMessage) override;
    void verifyJvmById(bool showUi, bool showFailMessage, std::int32_t fileId) override;
    // Verifies tagFile at home, or at its own JVM_HOME when home is empty.
    void verifyJvm(bool showUi, bool showFailMessage, TagFile& tagFile, const String& home);
    void searchAction(bool showUi, bool showFailMessage);
    void searchAllAction(bool showUi, bool showFailMessage);

private:
    // The not-found message, offering the download page where there is one.
    void tellNoMatchingJvm();

    JvmDiscoverySystem& system_;
};

#ifdef _WIN32
class LauncherFile;
// The launcher's own: the search it is given, temporary items, launcher
// file and the standard output handle.
std::unique_ptr<JvmDiscoverySystem> makeSystemJvmDiscovery(JvmSearch& search, TempItems& tempItems,
                                                           LauncherFile& launcherFile);
#endif

}  // namespace mg
