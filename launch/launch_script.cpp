#include "launch/launch_script.h"

#include <cstdio>

#include "base/log.h"
#include "base/settings.h"
#include "launch/argument_file.h"
#include "launch/captured_output.h"
#include "launch/max_heap.h"
#include "text/text.h"

namespace mg {

namespace {

const char* const kFunctions[] = {"REPLACE",       "RUNTIME_SYSTEMPROP", "RUNTIME_JAVAARGS",
                                  "SYSTEMPROP",    "CP",                 "IF_EXISTS",
                                  "LAUNCHER_FILE", "LAUNCHER_DIR",       "APPLICATION_ARCHIVE",
                                  "TEMP_DIR",      "MAXHEAP"};

bool isFunction(const String& name) {
    for (const char* f : kFunctions) {
        if (name == f) return true;
    }
    return false;
}

void skipWhitespace(const String& text, std::size_t& pos) {
    while (pos < text.size() && isSpaceChar(text[pos])) ++pos;
}

[[noreturn]] void raiseNear(const char* message, std::size_t position, const String& text) {
    raiseScriptError(String(message) + " (near character " +
                         toDecimal(static_cast<std::int32_t>(position)) + ")",
                     text);
}

// Reads "(" [arg {"," arg}] [","] ")" from pos, with quoted arguments.
// Returns the index of the last character of the list: its ")", or the
// closing quote of an argument that ends the text.
std::size_t parseArgumentList(const String& text, std::size_t pos, StringList& args) {
    std::size_t scan = pos;
    skipWhitespace(text, pos);
    if (pos >= text.size() || text[pos] != '(') raiseNear("Expected left parenthesis.", scan, text);
    ++pos;
    for (;;) {
        scan = pos;
        skipWhitespace(text, pos);
        if (pos < text.size() && text[pos] == ')') return pos;
        if (pos >= text.size() || text[pos] != '"') raiseNear("Expected string arg.", scan, text);
        std::size_t after = pos + 1;
        args.push_back(parseArgument(text, after, true));
        if (after == NPOS) return text.size() - 1;
        pos = after;
        scan = pos;
        skipWhitespace(text, pos);
        if (pos < text.size() && text[pos] == ')') return pos;
        if (pos >= text.size() || text[pos] != ',') raiseNear("Expected right parenthesis.", scan, text);
        ++pos;
    }
}

void requireCount(const StringList& args, std::size_t count, const char* message, const String& text) {
    if (args.size() != count) raiseScriptError(message, text);
}

// Environment-mode class path entries lose one enclosing quote at each end:
// the variable holds the plain list, not command-line words.
String stripQuotes(String entry) {
    if (!entry.empty() && entry[0] == '"') entry.erase(0, 1);
    if (!entry.empty() && entry.back() == '"') entry.erase(entry.size() - 1, 1);
    return entry;
}

// A function's result is held to the bound of the expansion itself before it
// is built: one that repeats an @-expanded value (REPLACE at every match, a
// side file naming the same tag on each line) could otherwise take all the
// memory there is before the expansion's own check ever runs.
void checkResultLength(std::size_t length, const char* function, const String& text) {
    if (length <= ReferenceExpander::maxExpandedLength) return;
    raiseScriptError(String(function) + " function result exceeds " +
                         toDecimal(static_cast<std::int32_t>(ReferenceExpander::maxExpandedLength)) +
                         " characters.",
                     text.substr(0, 1000));
}

// Joins the non-empty parts with one blank, as they are made.
class Joiner {
public:
    Joiner(const char* function, const String& text) : function_(function), text_(text) {}
    void add(const String& part) {
        if (part.empty()) return;
        checkResultLength(result_.size() + (result_.empty() ? 0 : 1) + part.size(), function_, text_);
        if (!result_.empty()) result_ += " ";
        result_ += part;
    }
    const String& result() const { return result_; }

private:
    const char* function_;
    const String& text_;
    String result_;
};

// Clears the JVM file context however the build ends.
class JvmFileScope {
public:
    JvmFileScope(JvmFile*& slot, JvmFile& jvmFile) : slot_(slot) { slot_ = &jvmFile; }
    ~JvmFileScope() { slot_ = nullptr; }
    JvmFileScope(const JvmFileScope&) = delete;
    JvmFileScope& operator=(const JvmFileScope&) = delete;

private:
    JvmFile*& slot_;
};

}  // namespace

LaunchScript::LaunchScript(const TagFile& script, bool captureOutput, LaunchEnvironment* environment)
    : command_(script.getValue("COMMAND")),
      captureOutput_(captureOutput),
      displayConsole_(script.getBool("DISPLAY_CONSOLE", false)),
      autoSetWorkingDir_(script.getBool("AUTO_SET_WORKING_DIR", true)),
      startFailureMessage_(script.getBool("START_FAILURE_MESSAGE", true)),
      useEmbeddedClasspath_(true),
      description_(script.getValue("DESC")),
      archive_(script.getValue("ARCHIVE")),
      environment_(environment) {}

LaunchScript::LaunchScript(const String& command, bool captureOutput, bool useEmbeddedClasspath,
                           LaunchEnvironment* environment)
    : command_(command),
      captureOutput_(captureOutput),
      useEmbeddedClasspath_(useEmbeddedClasspath),
      environment_(environment) {}

LaunchEnvironment& LaunchScript::environment() {
    return environment_ != nullptr ? *environment_ : launchEnvironment();
}

String LaunchScript::jvmValue(const char* tag) const {
    return jvmFile_ != nullptr ? jvmFile_->tagFile().getValue(tag, 0) : String();
}

String LaunchScript::expandAt(const String& text) {
    return jvmFile_ != nullptr ? jvmFile_->expandAll(text, '@') : text;
}

String LaunchScript::sideFilePath(const String& launcherPath, const String& suffix) {
    std::size_t dot = launcherPath.rfind('.');
    std::size_t separator = launcherPath.find_last_of("/\\");
    // Only a dot in the file name itself starts an extension; one in a
    // directory name (C:\app.d\run) must not cut the path there.
    if (dot != NPOS && separator != NPOS && separator < dot) return launcherPath.substr(0, dot) + suffix;
    return launcherPath + suffix;
}

String LaunchScript::quoteArgument(const String& argument) {
    String quoted(" \"");
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            // Backslashes before a quote are doubled and the quote escaped.
            quoted.append(backslashes * 2 + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        backslashes = 0;
        quoted += c;
    }
    // Before the closing quote they are doubled too; elsewhere kept as they are.
    quoted.append(backslashes * 2, '\\');
    quoted += "\"";
    return quoted;
}

StringList LaunchScript::sideFileLines(const char* suffix) {
    StringList lines;
    if (!environment().readLines(sideFilePath(originalLauncherPath, suffix), lines)) lines.clear();
    return lines;
}

bool LaunchScript::resolveReference(String& text, char delimiter, std::size_t start, std::size_t& end) {
    String name = text.substr(start + 1, end - start - 1);
    if (delimiter == '#') {
        String value;
        if (!environment().getVariable(name, value)) value.clear();
        text.replace(start, end - start + 1, LiteralScope::protect(value));
        return true;
    }
    if (delimiter != '%') return false;

    if (!isFunction(name)) raiseScriptError("Invalid function name (" + name + ").", text);
    StringList args;
    std::size_t last = parseArgumentList(text, end + 1, args);
    String result = callFunction(name, args, text);
    text.replace(start, last - start + 1, result);
    end = last;
    return true;
}

String LaunchScript::callFunction(const String& name, const StringList& args, const String& text) {
    if (name == "REPLACE") {
        requireCount(args, 3, "REPLACE function requires 3 arguments.", text);
        // The search text only matches; paths in it are compared as text.
        String find = LiteralScope::resolve(expandAt(args[0]));
        String with = expandAt(args[1]);
        const String& subject = args[2];
        if (find.empty()) return subject;
        // Built in one pass (a replace in place per match is quadratic); the
        // search resumes after each match, so an inserted text is never
        // searched again.
        String result;
        std::size_t from = 0;
        for (std::size_t pos = subject.find(find); pos != NPOS; pos = subject.find(find, from)) {
            checkResultLength(result.size() + (pos - from) + with.size(), "REPLACE", text);
            result.append(subject.data() + from, pos - from);
            result += with;
            from = pos + find.size();
        }
        checkResultLength(result.size() + (subject.size() - from), "REPLACE", text);
        result.append(subject.data() + from, subject.size() - from);
        return result;
    }
    if (name == "RUNTIME_SYSTEMPROP") {
        requireCount(args, 0, "RUNTIME_SYSTEMPROP function takes no arguments.", text);
        return runtimeSystemProperties(text);
    }
    if (name == "RUNTIME_JAVAARGS") {
        requireCount(args, 0, "RUNTIME_JAVAARGS function takes no arguments.", text);
        return runtimeJavaArguments(text);
    }
    if (name == "SYSTEMPROP") {
        requireCount(args, 2, "SYSTEMPROP function requires 2 arguments.", text);
        return systemProperty(args[0], args[1]);
    }
    if (name == "CP") return classPath(args, text);
    if (name == "IF_EXISTS") {
        requireCount(args, 2, "IF_EXISTS function requires 2 arguments.", text);
        if (jvmFile_ == nullptr || jvmFile_->tagFile().getValue(args[0], 0).empty()) return String();
        return expandAt(args[1]);
    }
    if (name == "LAUNCHER_FILE") {
        requireCount(args, 0, "LAUNCHER_FILE function takes 0 arguments.", text);
        return LiteralScope::protect(environment().javaPath(launcherPath, "the launcher"));
    }
    if (name == "LAUNCHER_DIR") {
        requireCount(args, 0, "LAUNCHER_DIR function takes 0 arguments.", text);
        std::size_t separator = originalLauncherPath.find_last_of("/\\");
        return separator == NPOS ? String()
                                 : LiteralScope::protect(environment().javaPath(
                                       originalLauncherPath.substr(0, separator), "the launcher's folder"));
    }
    if (name == "APPLICATION_ARCHIVE") {
        if (args.size() > 1) raiseScriptError("APPLICATION_ARCHIVE function takes 0 or 1 arguments.", text);
        return LiteralScope::protect(args.empty() ? environment().applicationArchive()
                                                  : environment().applicationArchive(args[0]));
    }
    if (name == "MAXHEAP") return maxHeap(args, text);
    // TEMP_DIR: the only name left.
    requireCount(args, 0, "TEMP_DIR function takes 0 arguments.", text);
    String root = environment().tempRoot();
    if (!root.empty() && root.back() == '\\') root.erase(root.size() - 1, 1);
    return LiteralScope::protect(root);
}

String LaunchScript::maxHeap(const StringList& args, const String& text) {
    MaxHeapRequest request;
    if (const char* error = parseMaxHeap(args, request)) raiseScriptError(error, text);
    const bool jvm32Bit = jvmFile_ != nullptr && requires32BitJvm(jvmFile_->tagFile());
    String reason;
    const std::uint32_t heap = chooseMaxHeap(request, environment().physicalMemoryMb(), jvm32Bit, reason);
    String option = "-Xmx";
    option += toDecimal(static_cast<std::int32_t>(heap));
    option += "m";
    reason.insert(0, "MAXHEAP: ");
    reason += ": ";
    reason += option;
    writeLog(reason, LOG_PLAIN);
    return option;
}

String LaunchScript::systemProperty(const String& name, const String& value) {
    return jvmValue("SYSTEM") + name + jvmValue("SYSTEM_SEPARATOR") + expandAt(value);
}

String LaunchScript::runtimeSystemProperties(const String& text) {
    Joiner properties("RUNTIME_SYSTEMPROP", text);
    for (const String& line : sideFileLines(".sp")) {
        std::size_t eq = line.find('=');
        if (eq == NPOS) continue;
        properties.add(systemProperty(line.substr(0, eq), line.substr(eq + 1)));
    }
    return properties.result();
}

String LaunchScript::runtimeJavaArguments(const String& text) {
    Joiner arguments("RUNTIME_JAVAARGS", text);
    for (const String& line : sideFileLines(".ja")) arguments.add(expandAt(line));
    return arguments.result();
}

String LaunchScript::classPath(const StringList& args, const String& text) {
    // The archive value is expanded inside this call; a CP call in it would
    // start this call again, without end.
    if (expandingArchive_) raiseScriptError("The ARCHIVE value must not call the CP function.", text);

    const bool environmentMode = jvmValue("USE_CP_ENV_VAR") == "1";
    const String separator = jvmValue("CLASSPATH_SEPARATOR");
    String path;
    auto append = [&](const String& entry) {
        if (entry.empty()) return;
        if (!path.empty()) path += separator;
        path += entry;
    };

    for (const String& line : sideFileLines(".cp1")) append(line);
    append(jvmValue("JVM_CLASSPATH"));
    for (const String& line : sideFileLines(".cp")) append(line);
    for (const String& arg : args) append(environmentMode ? stripQuotes(arg) : arg);

    expandingArchive_ = true;
    String archive;
    try {
        archive = expandAll(archive_, '%');
    } catch (...) {
        expandingArchive_ = false;
        throw;
    }
    expandingArchive_ = false;
    append(environmentMode ? stripQuotes(archive) : archive);

    if (useEmbeddedClasspath_) {
        // A blank in the temporary folder's name would split the class path
        // into two arguments; Java joins the quoted pieces of one word again.
        // A variable's value takes no quotes.
        for (const String& extracted : environment().extractClasspathArchives()) {
            const bool quote = !environmentMode && extracted.find(' ') != String::npos;
            append(LiteralScope::protect(quote ? "\"" + extracted + "\"" : extracted));
        }
    }
    for (const String& line : sideFileLines(".cp2")) append(line);

    if (!environmentMode) return path.empty() ? String() : jvmValue("CLASSPATH") + path;

    // The variable never passes through the command's "@" and "#" passes, so
    // it gets them here: entries like @JVM_HOME@\lib\classes.zip must reach
    // the child expanded in either mode.
    if (jvmFile_ != nullptr) path = jvmFile_->expandAll(path, '@');
    path = LiteralScope::resolve(expandAll(path, '#'));

    String variable = jvmValue("CP_ENV_VAR");
    // Cut to what the system holds, the class path would silently lose its
    // last entries.
    if (!variable.empty() && path.size() >= maxCommandLine)
        throw LauncherException("The class path is " + toDecimal(static_cast<std::int32_t>(path.size())) +
                                " characters long; the environment variable " + variable + " holds at most " +
                                toDecimal(static_cast<std::int32_t>(maxCommandLine - 1)) + ".");
    if (variable.empty()) {
        writeLog("If USE_CP_ENV_VAR is set to 1 in the jvm file, then the jvm file should also define CP_ENV_VAR.",
                 LOG_ERROR);
    } else {
        environment().setVariable(variable, path);
        writeLog("Set env var " + variable + " to " + path + "\n", LOG_PLAIN);
    }
    return String();
}

String LaunchScript::buildCommand(JvmFile& jvmFile) {
    JvmFileScope scope(jvmFile_, jvmFile);
    LiteralScope literals;
    String text = expandAll(command_, '%');
    text = jvmFile.expandAll(text, '@');
    return LiteralScope::resolve(expandAll(text, '#'));
}

String LaunchScript::buildCommand(JvmFile& jvmFile, const StringList& extraArguments) {
    String text = buildCommand(jvmFile);
    for (const String& argument : extraArguments) text += quoteArgument(argument);
    return text;
}

String LaunchScript::prepare(JvmFile& jvmFile, const StringList* extraArguments, String& directory) {
    String text = extraArguments != nullptr ? buildCommand(jvmFile, *extraArguments) : buildCommand(jvmFile);

    directory.clear();
    if (autoSetWorkingDir_) {
        std::size_t separator = launcherPath.rfind('\\');
        if (separator != NPOS) directory = environment().javaPath(launcherPath.substr(0, separator), "the working directory");
    }
    // Java's launcher reads its arguments in the system code page: nothing
    // can bring it other characters, so the log says where that happens.
    if (extraArguments != nullptr)
        for (const String& argument : *extraArguments)
            if (!environment().reachesJava(argument))
                writeLog("The argument " + argument +
                             " holds characters the system code page cannot represent: a Java application may "
                             "receive them as '?'",
                         LOG_WARNING);
    writeLog("Executing launch script command: " + text +
                 (directory.empty() ? String(" in current working directory")
                                    : " in working directory " + directory),
             LOG_PLAIN);

    environment().setVariable("JAVA_HOME", jvmFile.tagFile().getValue("JVM_HOME", 0));
    if (!fitsCommandLine(text)) text = shortenCommand(text, jvmFile);
    return text;
}

int LaunchScript::executeAttached(JvmFile& jvmFile, const StringList* extraArguments) {
    String directory;
    const String text = prepare(jvmFile, extraArguments, directory);
    return environment().runAttached(text, directory);
}

unsigned long LaunchScript::execute(JvmFile& jvmFile, const StringList* extraArguments, bool consoleFlag) {
    String directory;
    const String text = prepare(jvmFile, extraArguments, directory);

    const bool console = displayConsole_ || consoleFlag;
    const bool capture = !console && captureOutput_;
    LoggedOutput output(standardOutput_, errorOutput_, capture && !logPath.empty(),
                        [this] { return environment().tempItems().createTempFile(); });
    unsigned long exitCode = 0;
    const std::uint64_t errorBefore = errorOutput_.total();
    const std::uint32_t start = environment().milliseconds();
    try {
        exitCode = environment().runProcess(text, directory, console, capture, output);
    } catch (...) {
        output.finishIfStarted();
        throw;
    }
    // Unsigned: right across the tick count's wrap after 49.7 days too.
    lastRunMillis_ = environment().milliseconds() - start;
    if (capture) output.finish();
    lastRunWroteErrors_ = errorOutput_.total() != errorBefore;
    return exitCode;
}

String LaunchScript::shortenCommand(const String& command, JvmFile& jvmFile) {
    const String length = toDecimal(static_cast<std::int32_t>(command.size()));
    const String limit = toDecimal(static_cast<std::int32_t>(maxCommandLine));
    String home = jvmFile.tagFile().getValue("JVM_HOME", 0);
    appendBackslash(home);
    StringList release;
    if (!environment().readLines(home + "release", release) || !releaseSupportsArgumentFiles(release))
        throw LauncherException("The command line is " + length + " characters long; Windows starts none longer than " +
                                limit + ", and this JVM (before Java 9) cannot read its arguments from a file.");
    // The file is registered, so the clean-up removes it after the run.
    const String path = environment().tempItems().createTempFile();
    String shortCommand, fileText;
    std::size_t moved = 0;
    if (!moveToArgumentFile(command, path, shortCommand, fileText, moved))
        throw LauncherException("The command line is " + length + " characters long; Windows starts none longer than " +
                                limit + ", even with its arguments in a file.");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const bool written = file && std::fwrite(fileText.data(), 1, fileText.size(), file) == fileText.size();
    if (file && std::fclose(file) != 0) file = nullptr;
    if (!written || !file) throw LauncherException("The argument file " + path + " could not be written.");
    writeLog("The command line is " + length + " characters long, more than Windows starts (" + limit + "); its first " +
                 toDecimal(static_cast<std::int32_t>(moved)) + " arguments go through the argument file " + path + ".",
             LOG_PLAIN);
    return shortCommand;
}

String ScriptVerifyRunner::run(JvmFile& jvm, const String& command) {
    LaunchScript script(command, true, false, environment_);
    script.execute(jvm, nullptr, false);
    return script.standardOutput();
}

}  // namespace mg
