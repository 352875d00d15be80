#include "jvm/verify.h"

#include "launch/child_process.h"
#include "launch/launch_script.h"
#include "launcher/log.h"
#include "text/text.h"
#include "ui/progress.h"

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

}  // namespace

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

bool checkVerifyOutput(const String& output, const std::vector<RequiredProperty>& required) {
    if (output.empty()) return false;
    std::size_t pos = 0;
    String line;
    readLineAt(output, pos, line);
    if (line != VERIFY_MAGIC) {
        writeLog("Invalid magic value: " + line + "\n", LOG_ERROR);
        return false;
    }
    // A property the run did not report is not a match: output cut short
    // (a JVM that died after the magic line, a verify class that skips
    // arguments) must not pass a check it never answered.
    for (const RequiredProperty& property : required) {
        if (pos >= output.size()) return false;
        line.clear();
        readLineAt(output, pos, line);
        if (!propertyValueMatches(property.expected, line)) return false;
    }
    return true;
}

bool runVerify(JvmFile& jvm, const String& home, const String& verifyClasspath,
               const String& verifyClassName) {
    // First, whatever follows: the launch machinery reads it for JAVA_HOME.
    jvm.tagFile().setValue("JVM_HOME", home);
    LiteralScope literals;
    std::vector<RequiredProperty> required;
    const String command = buildVerifyCommand(jvm, home, verifyClasspath, verifyClassName, required);

    LaunchScript script(command, true, false);
    {
        ChildWaitLimit limit(VERIFY_TIME_LIMIT_MS, true);
        try {
            script.execute(jvm, nullptr, false);
        } catch (const ChildStopped& stopped) {
            writeLog("The verify run was stopped: " + stopped.message() + ".", LOG_WARNING);
            stepProgress(VERIFY_RUN_STEPS);
            return false;
        }
    }
    const bool result = checkVerifyOutput(script.standardOutput(), required);
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
        stepProgress(MISSING_EXE_STEPS);
        return nullptr;
    }
    if (!runVerify(jvm, home, verifyClasspath, verifyClassName)) return nullptr;
    writeLog("Found matching JVM at " + home, LOG_PLAIN);
    return std::unique_ptr<JvmMatch>(new JvmMatch(home, jvm.tagFile()));
}
