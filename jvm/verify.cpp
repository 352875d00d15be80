#include "jvm/verify.h"

#include "base/log.h"
#include "system/child_process.h"
#include "text/text.h"
#include "ui/progress.h"

namespace mg {

const char* const VERIFY_MAGIC = "1739021872";

namespace {

bool hasBlank(const String& text) { return text.find_first_of(" \t") != String::npos; }

bool enclosedInQuotes(const String& text) {
    return text.size() >= 2 && text.front() == '"' && text.back() == '"';
}

// Progress steps: a missing executable costs 2, a verify run 6, so that a
// search over many homes moves the bar by what each candidate cost.
constexpr int MISSING_EXE_STEPS = 2;
constexpr int VERIFY_RUN_STEPS = 6;
// A verify run prints a few lines and ends; even a cold JVM on a slow
// machine does that within seconds. One that has not ended after this long
// never will, and would otherwise hold the launcher for good.
constexpr unsigned long VERIFY_TIME_LIMIT_MS = 120000;

VerifyRunner* verifyRunner = nullptr;

// The journal that verifications are noted in; a new one hides the one
// before it until it ends.
struct JournalEntry {
    String home;
    String outcome;
};
VerifyJournal* activeJournal = nullptr;
std::vector<JournalEntry> journalEntries;

}  // namespace

void setVerifyRunner(VerifyRunner* runner) { verifyRunner = runner; }

VerifyJournal::VerifyJournal() : previous_(activeJournal) {
    activeJournal = this;
    journalEntries.clear();
}

VerifyJournal::~VerifyJournal() {
    activeJournal = previous_;
    journalEntries.clear();
}

String VerifyJournal::summary() const {
    String text = "Candidates tried:";
    if (journalEntries.empty()) return text + " none";
    for (std::size_t i = 0; i < journalEntries.size(); ++i)
        text += (i == 0 ? " " : ", ") + journalEntries[i].home + " (" + journalEntries[i].outcome + ")";
    return text;
}

void recordVerifyOutcome(const JvmFile& jvm, const String& home, const String& outcome) {
    if (activeJournal == nullptr) return;
    const String description = jvm.description();
    journalEntries.push_back(JournalEntry{home, description.empty() ? outcome : description + ": " + outcome});
}

void VerifyClass::set(const String& classpath, const String& className) {
    classpath_ = classpath;
    className_ = className;
}

void VerifyClass::prepare(VerifySystem& system) {
    if (!classpath_.empty() || !className_.empty()) return;
    String path = system.extractVerifyArchives();
    if (path.empty()) return;
    classpath_ = "\"" + path + "\"";
    className_ = "\"Verify\"";
}

void VerifyClass::get(VerifySystem& system, String& classpath, String& className) {
    prepare(system);
    classpath = classpath_;
    className = className_;
}

String buildVerifyCommand(const JvmFile& jvm, const String& home, const String& verifyClasspath,
                          const String& verifyClassName, std::vector<RequiredProperty>& required) {
    // The executable is quoted when its path holds a blank: unquoted, the
    // system would first try to run "C:\Program.exe" for a home under
    // "C:\Program Files", whatever program lies there.
    // The home and the class path are places on the disk (a home found in
    // the registry, a verify archive in the temporary root): data, which a
    // "%", "@" or "#" in a folder name must not turn into a reference.
    String exe = home;
    appendBackslash(exe);
    exe = LiteralScope::protect(exe) + "@JVM_EXE@";
    const bool quote = hasBlank(home) || hasBlank(jvm.jvmExe());
    String command = quote ? "\"" + exe + "\"" : exe;
    command += " %CP%(";
    // A quoted class path becomes a triple-quoted argument, which the class
    // path function turns back into the path in one pair of quotes.
    if (enclosedInQuotes(verifyClasspath))
        command += "\"\"\"" + LiteralScope::protect(verifyClasspath.substr(1, verifyClasspath.size() - 2)) +
                   "\"\"\"";
    else
        command += LiteralScope::protect(verifyClasspath);
    command += ") " + verifyClassName;

    const TagFile& tags = jvm.tagFile();
    const std::size_t count = tags.valueCount("JVM_PROPERTIES");
    for (std::size_t i = 0; i < count; ++i) {
        const String value = tags.getValue("JVM_PROPERTIES", i);
        RequiredProperty property;
        if (!parseRequiredProperty(value, property)) {
            writeLog("Invalid JVM_PROPERTIES setting (" + value + ") in JVM File ", LOG_WARNING);
            continue;
        }
        required.push_back(property);
        command += " " + property.name;
    }
    return command;
}

bool checkVerifyOutput(const String& output, const std::vector<RequiredProperty>& required, String* reason) {
    String why;
    if (!reason) reason = &why;
    if (output.empty()) {
        *reason = "the verify run printed nothing";
        return false;
    }
    std::size_t pos = 0;
    String line;
    readLineAt(output, pos, line);
    if (line != VERIFY_MAGIC) {
        writeLog("Invalid magic value: " + line + "\n", LOG_ERROR);
        *reason = "the verify run printed " + line + " instead of the magic number";
        return false;
    }
    // A property the run did not report is not a match: output cut short
    // (a JVM that died after the magic line, a verify class that skips
    // arguments) must not pass a check it never answered.
    for (const RequiredProperty& property : required) {
        if (pos >= output.size()) {
            *reason = property.name + " was not reported";
            return false;
        }
        line.clear();
        readLineAt(output, pos, line);
        if (!propertySatisfied(property, line)) {
            *reason = property.name + " is " + line + ", wanted " + requirementText(property);
            return false;
        }
    }
    return true;
}

bool runVerify(JvmFile& jvm, const String& home, const String& verifyClasspath,
               const String& verifyClassName, String* reason) {
    String why;
    if (!reason) reason = &why;
    // First, whatever follows: the launch machinery reads it for JAVA_HOME.
    jvm.tagFile().setValue("JVM_HOME", home);
    LiteralScope literals;
    std::vector<RequiredProperty> required;
    const String command = buildVerifyCommand(jvm, home, verifyClasspath, verifyClassName, required);

    if (verifyRunner == nullptr) throw LauncherException("No verify runner is wired.");
    String output;
    {
        ChildWaitLimit limit(VERIFY_TIME_LIMIT_MS, true);
        try {
            output = verifyRunner->run(jvm, command);
        } catch (const ChildStopped& stopped) {
            writeLog("The verify run was stopped: " + stopped.message() + ".", LOG_WARNING);
            *reason = "the verify run was stopped";
            stepProgress(VERIFY_RUN_STEPS);
            return false;
        }
    }
    const bool result = checkVerifyOutput(output, required, reason);
    if (!result) writeLog("Rejected JVM at " + home + ": " + *reason, LOG_PLAIN);
    stepProgress(VERIFY_RUN_STEPS);
    return result;
}

std::unique_ptr<JvmMatch> verifyAt(JvmFile& jvm, const String& home, const String& verifyClasspath,
                                   const String& verifyClassName, VerifySystem& system) {
    const String exeName = jvm.jvmExe();
    if (exeName.empty() || home.empty()) return nullptr;

    DetailSaver savedDetail;
    const String description = jvm.description();
    setDetail(DETAIL_VERIFYING, description);

    String exe = home;
    appendBackslash(exe);
    exe += exeName;
    writeLog("Verifying JVM at " + exe + "\n   for JVM: " + description, LOG_PLAIN);

    if (!system.fileExists(exe)) {
        writeLog(exe + " does not exist", LOG_PLAIN);
        recordVerifyOutcome(jvm, home, exeName + " does not exist");
        stepProgress(MISSING_EXE_STEPS);
        return nullptr;
    }
    CachedVerification cached(jvm, exe, verifyClasspath, verifyClassName, system.verifyCacheStore());
    if (cached.passedBefore()) {
        // As a run would leave it: the launch reads JVM_HOME.
        jvm.tagFile().setValue("JVM_HOME", home);
        stepProgress(VERIFY_RUN_STEPS);
    } else {
        String reason;
        if (!runVerify(jvm, home, verifyClasspath, verifyClassName, &reason)) {
            recordVerifyOutcome(jvm, home, reason);
            return nullptr;
        }
        cached.rememberPass();
    }
    recordVerifyOutcome(jvm, home, "accepted");
    writeLog("Found matching JVM at " + home, LOG_PLAIN);
    return std::unique_ptr<JvmMatch>(new JvmMatch(home, jvm.tagFile()));
}

}  // namespace mg
