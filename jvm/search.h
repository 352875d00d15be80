// The JVM search: the user's Java home, the JVM files' registry and path
// hints, and the exhaustive walk over the fixed drives. Every candidate home
// is verified; nothing is accepted on its name alone. Portable: the registry,
// the drives, the walk and the verify runs are reached through SearchSystem,
// which the launcher implements with the system (search_win.cpp) and tests
// replace with a fake.
#pragma once

#include <memory>
#include <vector>

#include "jvm/jvm_file.h"
#include "jvm/verify.h"
#include "base/string.h"
#include "text/tagfile.h"

namespace mg {

class JvmSearch;

// The registry views of 64-bit Windows: 32-bit programs see the 32-bit one
// (WOW6432Node) unless they ask for the other. 32-bit Windows has the 32-bit
// view alone.
enum class RegistryView { Bits32, Bits64 };

// The home that one registry view holds for a platform hint.
struct ViewHome {
    RegistryView view;
    String home;
};
using ViewHomes = std::vector<ViewHome>;

// What the search needs from the system.
class SearchSystem {
public:
    virtual ~SearchSystem() = default;
    // The verify class setting's defaults (the embedded verify archive).
    virtual VerifySystem& verifySystem() = 0;
    // A match when jvm's executable lies in home and its verify run passes.
    virtual std::unique_ptr<JvmMatch> verifyAt(JvmFile& jvm, const String& home,
                                               const String& verifyClasspath,
                                               const String& verifyClassName) = 0;
    // The homes a platform hint names, one for each registry view that holds
    // it, the launcher's own view first (the other is read on 64-bit Windows
    // only); empty when no view holds it, the system's reason logged. Which
    // home is tried first is the search's choice, not the system's. Throws
    // LauncherException for a hive not in the table.
    virtual ViewHomes resolvePlatformHint(const String& hint) = 0;
    // The fixed drives as "C:", in the system's order. Throws
    // LauncherException when the system reports no drives at all.
    virtual StringList listFixedDrives() = 0;
    // Walks root (such as C:\) with the search walker for names; true when
    // search.onCandidate ended the walk.
    virtual bool walkDrive(const String& root, const StringList& names, JvmSearch& search) = 0;
    // The names of the subkeys of keyPath under hive (a hive name of the
    // table), in every registry view a platform hint is read in; empty when
    // the key cannot be opened.
    virtual StringList registrySubkeys(const String& hive, const String& keyPath) = 0;
    // The names of the folders directly in dir (such as C:\Program Files);
    // empty when it cannot be listed.
    virtual StringList subdirectories(const String& dir) = 0;
    // An environment variable of the launcher as it was started (the verify
    // runs change JAVA_HOME); empty when it is not set.
    virtual String environmentVariable(const String& name) = 0;
};

// The search walker's name filter: path ends with name, ASCII letters
// compared without regard to case, and the name starts the path or follows a
// backslash (C:\x\bin\java.exe matches bin\java.exe; C:\xbin\java.exe does not).
bool matchesExeName(const String& path, const String& name);

// Whether the search walker leaves dir (ending with a backslash) out: the
// temporary root (skippedDir, with a backslash), ignoring case, and the
// recycle folders directly under a drive root (X:\RECYCLE...).
bool isSkippedSearchDirectory(const String& dir, const String& skippedDir);

// The first step of the hint searches: false, with a warning, when the JVM
// file's first JVM_PROPERTIES value is empty.
bool hasRequiredProperties(const JvmFile& jvm);

// The hint searches and the JVM file's own JVM_HOME, each after that check.
std::unique_ptr<JvmMatch> verifyAtJvmHome(JvmFile& jvm, const String& verifyClasspath,
                                          const String& verifyClassName, SearchSystem& system);
std::unique_ptr<JvmMatch> searchPlatformHints(JvmFile& jvm, const String& verifyClasspath,
                                              const String& verifyClassName, SearchSystem& system);
std::unique_ptr<JvmMatch> searchPathHints(JvmFile& jvm, const String& verifyClasspath,
                                          const String& verifyClassName, SearchSystem& system);
// With PREFER_NEWEST: the candidates of every platform and path hint,
// tried together, newest first by the version their patterns matched.
std::unique_ptr<JvmMatch> searchHintsNewestFirst(JvmFile& jvm, const String& verifyClasspath,
                                                 const String& verifyClassName, SearchSystem& system);
// ENV_HINT (variables whose value is a JVM home) and EXE_ON_PATH (the
// folders of PATH that hold the executable); none when the file has
// neither. A candidate whose executable cannot be started is refused and
// the search goes on.
std::unique_ptr<JvmMatch> searchEnvironmentHints(JvmFile& jvm, const String& verifyClasspath,
                                                 const String& verifyClassName, SearchSystem& system);

using JvmMatchList = std::vector<std::unique_ptr<JvmMatch>>;

class JvmSearch {
public:
    explicit JvmSearch(SearchSystem& system) : system_(&system) {}
    virtual ~JvmSearch() = default;
    JvmSearch(const JvmSearch&) = delete;
    JvmSearch& operator=(const JvmSearch&) = delete;

    // Appends a view of jvmFile (not owned); the order of the calls is the
    // order of preference.
    void addJvmFile(TagFile& jvmFile);
    // Appends the files of loaded beyond those it holds: loaded is a list
    // that only grows, such as the launcher file's JVM files.
    void addNewJvmFiles(const std::vector<TagFile*>& loaded);
    SearchSystem& system() { return *system_; }
    const std::vector<std::unique_ptr<JvmFile>>& jvmFiles() const { return jvmFiles_; }

    // The verify class setting: an input file's, or the defaults.
    void setVerifyClass(const String& classpath, const String& className);
    void prepareVerifyClass();
    void getVerifyClass(String& classpath, String& className);

    // The full search: appends at most one match.
    void find(JvmMatchList& results);
    // Every JVM on the fixed drives that some JVM file accepts.
    void searchAll(JvmMatchList& results);
    void exhaustiveSearch(JvmMatchList& results);

    // Called by the walker for each file that matches an executable name;
    // true ends the walk.
    virtual bool onCandidate(const String& path);
    // Keeps home for jvm, once, for verification after the walk.
    void addUnverified(JvmFile& jvm, const String& home);

    struct Unverified {
        JvmFile* jvm;
        StringList homes;
    };
    const std::vector<Unverified>& unverified() const { return unverified_; }
    void setStopAtFirst(bool stop) { stopAtFirst_ = stop; }
    const JvmMatch* match() const { return match_.get(); }

    // Back to the state at start-up; for tests.
    void reset();

private:
    SearchSystem* system_;
    std::vector<std::unique_ptr<JvmFile>> jvmFiles_;
    VerifyClass verifyClass_;
    std::unique_ptr<JvmMatch> match_;
    bool stopAtFirst_ = false;
    std::vector<Unverified> unverified_;
};

#ifdef _WIN32
// The search on the system's registry, drives and files, verifying with verify.
std::unique_ptr<SearchSystem> makeSystemSearch(VerifySystem& verify);
#endif

}  // namespace mg
