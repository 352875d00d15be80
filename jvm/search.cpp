#include "jvm/search.h"

#include <algorithm>

#include "base/log.h"
#include "base/stable_sort.h"
#include "base/settings.h"
#include "jvm/version.h"
#include "text/text.h"
#include "ui/progress.h"

namespace mg {

namespace {

bool equalsIgnoringAsciiCase(const String& a, std::size_t from, const String& b) {
    if (a.size() - from != b.size()) return false;
    for (std::size_t i = 0; i < b.size(); ++i) {
        if (lowerAscii(a[from + i]) != lowerAscii(b[i])) return false;
    }
    return true;
}

// Ends with exe (exactly) right after a backslash: the rest is the home.
bool endsWithExeAfterBackslash(const String& path, const String& exe) {
    if (exe.empty() || path.size() <= exe.size()) return false;
    const std::size_t at = path.size() - exe.size();
    return path[at - 1] == '\\' && path.compare(at, exe.size(), exe) == 0;
}


// A home to verify, the line that says where it came from, and the version
// its pattern matched (empty for a plain hint); for a registry home, a second
// line that names its view.
struct HintCandidate {
    String home;
    String logLine;
    String version;
    String viewLine;
};
using HintCandidates = std::vector<HintCandidate>;

// Homes compared as Windows does: ASCII letters without regard to case, one
// trailing backslash ignored.
bool sameHome(const String& a, const String& b) {
    const std::size_t la = a.size() - (!a.empty() && a.back() == '\\' ? 1 : 0);
    const std::size_t lb = b.size() - (!b.empty() && b.back() == '\\' ? 1 : 0);
    return la == lb && equalsIgnoringAsciiCase(a.substr(0, la), 0, b.substr(0, lb));
}

// Appends the candidates whose home is not there yet: two keys or two
// variables often name one home, and each verify run starts a JVM.
void addCandidates(HintCandidates& to, const HintCandidates& from) {
    for (const HintCandidate& candidate : from) {
        bool known = false;
        for (const HintCandidate& have : to) known = known || sameHome(have.home, candidate.home);
        if (!known) to.push_back(candidate);
    }
}

String unquoted(String text) {
    trim(text);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
    return text;
}

String joinNames(const std::vector<PatternMatch>& matches) {
    String text;
    for (const PatternMatch& m : matches) text += (text.empty() ? "" : ", ") + m.path;
    return text;
}

std::unique_ptr<JvmMatch> tryCandidates(JvmFile& jvm, const HintCandidates& candidates,
                                        const String& verifyClasspath, const String& verifyClassName,
                                        SearchSystem& system) {
    std::unique_ptr<JvmMatch> match;
    for (std::size_t i = 0; i < candidates.size() && !match; ++i) {
        writeLog(candidates[i].logLine);
        if (!candidates[i].viewLine.empty()) writeLog(candidates[i].viewLine);
        match = system.verifyAt(jvm, candidates[i].home, verifyClasspath, verifyClassName);
    }
    return match;
}

// PREFER_64_BIT: the JVM file would rather have a 64-bit JVM where both
// registry views name one.
bool prefers64Bit(const JvmFile& jvm) { return jvm.tagFile().getBool("PREFER_64_BIT", false); }

const char* viewName(RegistryView view) { return view == RegistryView::Bits64 ? "64-bit" : "32-bit"; }

// The homes one registry key names in its views, in the order they are
// tried. The launcher's own view comes first, as when only that view was
// read: an application with 32-bit native libraries may rely on finding the
// 32-bit JVM. With prefer64Bit the 64-bit view's home comes first. A home
// that both views name (a key both share) is one candidate.
HintCandidates viewCandidates(const ViewHomes& read, const String& hint, const String& version, bool prefer64Bit) {
    HintCandidates candidates;
    // Two passes keep each view's homes in their order.
    for (int pass = 0; pass < 2; ++pass) {
        for (const ViewHome& h : read) {
            const bool first = !prefer64Bit || h.view == RegistryView::Bits64;
            if (h.home.empty() || first != (pass == 0)) continue;
            addCandidates(candidates,
                          HintCandidates{HintCandidate{h.home, "Checking JVM at " + h.home + " which was resolved from platform hint " + hint,
                                                       version, String("   in the ") + viewName(h.view) + " registry view"}});
        }
    }
    return candidates;
}

// The homes a platform hint names. A plain hint is read as it always was;
// a hint with `*` or `?` in its key path names every matching key, newest
// first. Each key gives a home for each registry view that holds it.
HintCandidates platformHintCandidates(const String& hint, bool prefer64Bit, SearchSystem& system) {
    HintCandidates candidates;
    if (hint.empty()) return candidates;
    PlatformHint parts;
    parsePlatformHint(hint, parts);
    if (!parts.complete || !hasNamePattern(parts.keyPath) || !isKnownHive(parts.hive)) {
        // Also the unknown hive of a pattern: the system reports it.
        return viewCandidates(system.resolvePlatformHint(hint), hint, String(), prefer64Bit);
    }
    const std::vector<PatternMatch> keys = expandPattern(
        String(), parts.keyPath, [&](const String& parent) { return system.registrySubkeys(parts.hive, parent); });
    writeLog("Platform hint " + hint + (keys.empty() ? " matches no key" : " matches " + joinNames(keys)));
    for (const PatternMatch& key : keys) {
        const String concrete = parts.hive + "\\" + key.path + "\\" + parts.valueName;
        addCandidates(candidates,
                      viewCandidates(system.resolvePlatformHint(concrete), concrete, key.version, prefer64Bit));
    }
    return candidates;
}

// The homes a path hint names on the drives: a plain hint on every drive in
// order; a hint with `*` or `?` the folders that match, newest first.
HintCandidates pathHintCandidates(const String& hint, const StringList& drives, SearchSystem& system) {
    HintCandidates candidates;
    String relative = hint;
    if (!relative.empty() && relative[0] == '\\') relative.erase(0, 1);
    if (!hasNamePattern(relative)) {
        for (const String& drive : drives) {
            const String candidate = pathHintCandidate(drive, hint);
            candidates.push_back(HintCandidate{candidate, "Checking path hint " + candidate, String()});
        }
        return candidates;
    }
    std::vector<PatternMatch> folders;
    for (const String& drive : drives) {
        const std::vector<PatternMatch> found =
            expandPattern(drive, relative, [&](const String& parent) { return system.subdirectories(parent); });
        folders.insert(folders.end(), found.begin(), found.end());
    }
    sortNewestFirst(folders);
    writeLog("Path hint " + hint + (folders.empty() ? " matches no folder" : " matches " + joinNames(folders)));
    for (const PatternMatch& folder : folders)
        addCandidates(candidates, HintCandidates{HintCandidate{folder.path, "Checking path hint " + folder.path, folder.version}});
    return candidates;
}

// The folders of PATH that hold the executable; the home is the folder
// above the executable's own folders (C:\jdk for C:\jdk\bin and bin\java.exe).
HintCandidates pathVariableCandidates(const String& exe, SearchSystem& system) {
    HintCandidates candidates;
    const std::size_t slash = exe.rfind('\\');
    const String exeDir = slash == NPOS ? String() : "\\" + exe.substr(0, slash);
    const String path = system.environmentVariable("PATH");
    std::size_t start = 0;
    while (!exe.empty() && start <= path.size()) {
        std::size_t end = path.find(';', start);
        if (end == NPOS) end = path.size();
        String folder = unquoted(path.substr(start, end - start));
        start = end + 1;
        if (!folder.empty() && folder.back() == '\\') folder.erase(folder.size() - 1);
        if (folder.size() <= exeDir.size() || !equalsIgnoringAsciiCase(folder, folder.size() - exeDir.size(), exeDir))
            continue;
        const String home = folder.substr(0, folder.size() - exeDir.size());
        if (!system.verifySystem().fileExists(home + "\\" + exe)) continue;
        candidates.push_back(HintCandidate{home, "Checking JVM at " + home + " whose " + exe + " was found on the PATH", String()});
    }
    if (candidates.empty()) writeLog("No " + exe + " was found on the PATH");
    return candidates;
}

}  // namespace

bool matchesExeName(const String& path, const String& name) {
    if (name.empty() || path.size() < name.size()) return false;
    const std::size_t a = path.size() - name.size();
    if (!equalsIgnoringAsciiCase(path, a, name)) return false;
    return a == 0 || path[a - 1] == '\\';
}

bool isSkippedSearchDirectory(const String& dir, const String& skippedDir) {
    if (!skippedDir.empty() && dir.size() == skippedDir.size() && equalsIgnoringAsciiCase(dir, 0, skippedDir))
        return true;
    return dir.size() >= 9 && dir[1] == ':' && equalsIgnoringAsciiCase(dir.substr(3, 7), 0, "RECYCLE");
}

bool hasRequiredProperties(const JvmFile& jvm) {
    if (!jvm.tagFile().getValue("JVM_PROPERTIES", 0).empty()) return true;
    writeLog("Unable to verify " + jvm.tagFile().fileName() + " because the JVM_PROPERTIES tag was not specified.",
             LOG_WARNING);
    return false;
}

std::unique_ptr<JvmMatch> verifyAtJvmHome(JvmFile& jvm, const String& verifyClasspath,
                                          const String& verifyClassName, SearchSystem& system) {
    if (!hasRequiredProperties(jvm)) return nullptr;
    const String home = jvm.tagFile().getValue("JVM_HOME", 0);
    if (home.empty()) return nullptr;
    return system.verifyAt(jvm, home, verifyClasspath, verifyClassName);
}

std::unique_ptr<JvmMatch> searchPlatformHints(JvmFile& jvm, const String& verifyClasspath,
                                              const String& verifyClassName, SearchSystem& system) {
    if (!hasRequiredProperties(jvm)) return nullptr;
    const TagFile& tags = jvm.tagFile();
    const std::size_t count = tags.valueCount("PLATFORM_HINT");
    writeLog("Searching for " + jvm.description() + " using platform hints");
    std::unique_ptr<JvmMatch> match;
    for (std::size_t i = 0; i < count && !match; ++i) {
        // A plain hint is resolved only after the one before it was tried.
        const HintCandidates candidates =
            platformHintCandidates(tags.getValue("PLATFORM_HINT", i), prefers64Bit(jvm), system);
        match = tryCandidates(jvm, candidates, verifyClasspath, verifyClassName, system);
    }
    return match;
}

std::unique_ptr<JvmMatch> searchPathHints(JvmFile& jvm, const String& verifyClasspath,
                                          const String& verifyClassName, SearchSystem& system) {
    if (!hasRequiredProperties(jvm)) return nullptr;
    const TagFile& tags = jvm.tagFile();
    const std::size_t count = tags.valueCount("PATH_HINT");
    writeLog("Searching for " + jvm.description() + " using path hints");
    // Asked even without hints: a machine without drives is reported here.
    const StringList drives = system.listFixedDrives();
    std::unique_ptr<JvmMatch> match;
    for (std::size_t i = 0; i < count && !match; ++i) {
        const HintCandidates candidates = pathHintCandidates(tags.getValue("PATH_HINT", i), drives, system);
        match = tryCandidates(jvm, candidates, verifyClasspath, verifyClassName, system);
    }
    return match;
}

std::unique_ptr<JvmMatch> searchHintsNewestFirst(JvmFile& jvm, const String& verifyClasspath,
                                                 const String& verifyClassName, SearchSystem& system) {
    if (!hasRequiredProperties(jvm)) return nullptr;
    const TagFile& tags = jvm.tagFile();
    writeLog("Searching for " + jvm.description() + " using platform and path hints, newest first");
    HintCandidates all;
    const std::size_t platformCount = tags.valueCount("PLATFORM_HINT");
    for (std::size_t i = 0; i < platformCount; ++i)
        addCandidates(all, platformHintCandidates(tags.getValue("PLATFORM_HINT", i), prefers64Bit(jvm), system));
    const StringList drives = system.listFixedDrives();
    const std::size_t pathCount = tags.valueCount("PATH_HINT");
    for (std::size_t i = 0; i < pathCount; ++i)
        addCandidates(all, pathHintCandidates(tags.getValue("PATH_HINT", i), drives, system));
    stableSort(all, [](const HintCandidate& a, const HintCandidate& b) {
        return compareVersions(a.version, b.version) > 0;
    });
    return tryCandidates(jvm, all, verifyClasspath, verifyClassName, system);
}

std::unique_ptr<JvmMatch> searchEnvironmentHints(JvmFile& jvm, const String& verifyClasspath,
                                                 const String& verifyClassName, SearchSystem& system) {
    const TagFile& tags = jvm.tagFile();
    const std::size_t count = tags.valueCount("ENV_HINT");
    const bool onPath = tags.getBool("EXE_ON_PATH", false);
    if (count == 0 && !onPath) return nullptr;
    if (!hasRequiredProperties(jvm)) return nullptr;
    writeLog("Searching for " + jvm.description() + " using environment hints");
    HintCandidates candidates;
    for (std::size_t i = 0; i < count; ++i) {
        String name = tags.getValue("ENV_HINT", i);
        trim(name);
        if (name.empty()) continue;
        const String home = unquoted(system.environmentVariable(name));
        if (home.empty()) {
            writeLog("Environment variable " + name + " is not set");
            continue;
        }
        addCandidates(candidates, HintCandidates{HintCandidate{
                                      home, "Checking JVM at " + home + " which was named by environment variable " + name,
                                      String()}});
    }
    if (onPath) addCandidates(candidates, pathVariableCandidates(jvm.jvmExe(), system));
    std::unique_ptr<JvmMatch> match;
    for (const HintCandidate& candidate : candidates) {
        writeLog(candidate.logLine);
        // Whatever lies in these places was put there by hand: a java.exe
        // that does not start is one more JVM that does not fit.
        try {
            match = system.verifyAt(jvm, candidate.home, verifyClasspath, verifyClassName);
        } catch (const LauncherException& e) {
            writeLog("Rejected JVM at " + candidate.home + ": " + e.message());
            recordVerifyOutcome(jvm, candidate.home, e.message());
        }
        if (match) break;
    }
    return match;
}

void JvmSearch::addJvmFile(TagFile& jvmFile) { jvmFiles_.push_back(std::unique_ptr<JvmFile>(new JvmFile(jvmFile))); }

void JvmSearch::addNewJvmFiles(const std::vector<TagFile*>& loaded) {
    for (std::size_t i = jvmFiles_.size(); i < loaded.size(); ++i) addJvmFile(*loaded[i]);
}

void JvmSearch::setVerifyClass(const String& classpath, const String& className) {
    verifyClass_.set(classpath, className);
}

void JvmSearch::prepareVerifyClass() { verifyClass_.prepare(system_->verifySystem()); }

void JvmSearch::getVerifyClass(String& classpath, String& className) {
    verifyClass_.get(system_->verifySystem(), classpath, className);
}

void JvmSearch::find(JvmMatchList& results) {
    VerifyJournal journal;
    match_.reset();
    prepareVerifyClass();
    const String& classpath = verifyClass_.classpath();
    const String& className = verifyClass_.className();

    if (!javaHome.empty()) {
        writeLog("Checking user specified Java home directory => " + javaHome);
        for (std::size_t i = 0; i < jvmFiles_.size() && !match_; ++i)
            match_ = system_->verifyAt(*jvmFiles_[i], javaHome, classpath, className);
    }

    bool searchAllSeen = false;
    if (!match_) {
        writeLog("Initiating JVM search based on hints...");
        // The file that asks for the exhaustive search is the last whose
        // hints are tried.
        for (std::size_t i = 0; i < jvmFiles_.size() && !match_ && !searchAllSeen; ++i) {
            JvmFile& jvm = *jvmFiles_[i];
            searchAllSeen = jvm.tagFile().getBool("SEARCH_ALL", false);
            DetailSaver savedDetail;
            setDetail(DETAIL_SEARCHING_FOR, jvm.description());
            if (jvm.tagFile().getBool("PREFER_NEWEST", false)) {
                match_ = searchHintsNewestFirst(jvm, classpath, className, *system_);
            } else {
                match_ = searchPlatformHints(jvm, classpath, className, *system_);
                if (!match_) match_ = searchPathHints(jvm, classpath, className, *system_);
            }
            if (!match_) match_ = searchEnvironmentHints(jvm, classpath, className, *system_);
        }
    }

    if (!match_ && searchAllSeen) {
        stopAtFirst_ = true;
        exhaustiveSearch(results);
    }
    if (match_) results.push_back(std::move(match_));
    // One line a support desk can read: every home tried, and why it failed.
    if (results.empty()) writeLog(journal.summary());
}

void JvmSearch::searchAll(JvmMatchList& results) {
    match_.reset();
    prepareVerifyClass();
    stopAtFirst_ = false;
    exhaustiveSearch(results);
}

void JvmSearch::exhaustiveSearch(JvmMatchList& results) {
    unverified_.clear();
    StringList names;
    for (const auto& jvm : jvmFiles_) {
        const String exe = jvm->jvmExe();
        if (exe.empty()) continue;  // matches nothing
        bool seen = false;
        for (const String& name : names) seen = seen || name == exe;
        if (!seen) names.push_back(exe);
    }

    DetailSaver savedDetail;
    setDetail(DETAIL_SCANNING, String());
    writeLog("Beginning exhaustive search");
    const StringList drives = system_->listFixedDrives();
    for (const String& drive : drives) {
        if (system_->walkDrive(drive + "\\", names, *this)) break;
    }

    if (match_) return;
    writeLog("Processing unverified matches.\n");
    const String& classpath = verifyClass_.classpath();
    const String& className = verifyClass_.className();
    for (const Unverified& entry : unverified_) {
        for (const String& home : entry.homes) {
            if (cancelRequested) return;
            std::unique_ptr<JvmMatch> m = system_->verifyAt(*entry.jvm, home, classpath, className);
            if (!m) continue;
            results.push_back(std::move(m));
            if (stopAtFirst_) return;
        }
    }
}

bool JvmSearch::onCandidate(const String& path) {
    bool found = false;
    bool first = true;
    for (std::size_t i = 0; i < jvmFiles_.size() && !match_; ++i) {
        JvmFile& jvm = *jvmFiles_[i];
        const String exe = jvm.jvmExe();
        // The walker's filter ignores case and may have matched another
        // file's name; only an exact ending after a backslash leaves a home.
        if (endsWithExeAfterBackslash(path, exe)) {
            const String home = path.substr(0, path.size() - exe.size() - 1);
            if (first && stopAtFirst_) {
                // Only the most preferred JVM file is verified during the
                // walk; a failure here is not kept for later.
                match_ = system_->verifyAt(jvm, home, verifyClass_.classpath(), verifyClass_.className());
                found = match_ != nullptr;
            } else {
                addUnverified(jvm, home);
            }
        }
        first = false;
    }
    return found;
}

void JvmSearch::addUnverified(JvmFile& jvm, const String& home) {
    for (Unverified& entry : unverified_) {
        if (&entry.jvm->tagFile() != &jvm.tagFile()) continue;
        for (const String& known : entry.homes) {
            if (known == home) return;
        }
        entry.homes.push_back(home);
        return;
    }
    unverified_.push_back(Unverified{&jvm, StringList{home}});
}

void JvmSearch::reset() {
    jvmFiles_.clear();
    verifyClass_ = VerifyClass();
    match_.reset();
    stopAtFirst_ = false;
    unverified_.clear();
}

}  // namespace mg
