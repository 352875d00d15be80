#include "jvm/search.h"

#include "base/log.h"
#include "base/settings.h"
#include "text/text.h"
#include "ui/progress.h"

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
        const String hint = tags.getValue("PLATFORM_HINT", i);
        if (hint.empty()) continue;
        const String home = system.resolvePlatformHint(hint);
        if (home.empty()) continue;
        writeLog("Checking JVM at " + home + " which was resolved from platform hint " + hint);
        match = system.verifyAt(jvm, home, verifyClasspath, verifyClassName);
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
        const String hint = tags.getValue("PATH_HINT", i);
        for (std::size_t d = 0; d < drives.size() && !match; ++d) {
            const String candidate = pathHintCandidate(drives[d], hint);
            writeLog("Checking path hint " + candidate);
            match = system.verifyAt(jvm, candidate, verifyClasspath, verifyClassName);
        }
    }
    return match;
}

void JvmSearch::addJvmFile(TagFile& jvmFile) { jvmFiles_.push_back(std::unique_ptr<JvmFile>(new JvmFile(jvmFile))); }

void JvmSearch::setVerifyClass(const String& classpath, const String& className) {
    verifyClass_.set(classpath, className);
}

void JvmSearch::prepareVerifyClass() { verifyClass_.prepare(system_->verifySystem()); }

void JvmSearch::getVerifyClass(String& classpath, String& className) {
    verifyClass_.get(system_->verifySystem(), classpath, className);
}

void JvmSearch::find(JvmMatchList& results) {
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
            match_ = searchPlatformHints(jvm, classpath, className, *system_);
            if (!match_) match_ = searchPathHints(jvm, classpath, className, *system_);
        }
    }

    if (!match_ && searchAllSeen) {
        stopAtFirst_ = true;
        exhaustiveSearch(results);
    }
    if (match_) results.push_back(std::move(match_));
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
