#include "tools/check.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <system_error>

#include "base/file_ptr.h"
#include "base/path.h"
#include "instructions/instructions.h"
#include "instructions/operations.h"
#include "instructions/variables.h"
#include "jvm/jvm_file.h"
#include "launch/launch_script.h"
#include "launch/launch_script_env.h"
#include "payload/cache.h"
#include "payload/index_format.h"
#include "system/single_instance.h"
#include "system/temp_items.h"
#include "text/tagfile.h"
#include "text/text.h"
#include "tools/pe_image.h"
#include "tools/pe_resources.h"

namespace mg {

namespace {

namespace fs = std::filesystem;

const char* const STUB_ADVICE = "the stub must be mglauncher.exe or mglauncher-console.exe";
// Our launchers are a few hundred kilobytes; a stub this large is read no
// further than this, which still holds any launcher's headers and resources.
constexpr std::int64_t MAX_STUB_READ = 64LL * 1024 * 1024;
constexpr std::uint16_t RT_RCDATA_ID = 10;
constexpr std::uint16_t SUBSYSTEM_CONSOLE = 3;

const char* const INSTRUCTIONS_TAGS[] = {"DESC",         "INSTRUCTIONS",    "JVM_DOWNLOAD_URL", "SINGLE_INSTANCE",
                                         "CACHE_FOLDER", "PAYLOAD_VERSION", "INSTALLER_VERSION"};
const char* const LAUNCH_SCRIPT_TAGS[] = {"COMMAND", "DISPLAY_CONSOLE", "AUTO_SET_WORKING_DIR", "DESC", "ARCHIVE",
                                          "START_FAILURE_MESSAGE"};
const char* const JVM_FILE_TAGS[] = {"DESC",         "JVM_EXE",       "JVM_HOME",       "PATH_HINT",
                                     "PLATFORM_HINT", "JVM_PROPERTIES", "SEARCH_ALL",    "JVM_FILE",
                                     "JVM_TEMP",     "CLASSPATH",     "JVM_CLASSPATH",  "USE_CP_ENV_VAR",
                                     "CP_ENV_VAR",   "SYSTEM",        "SYSTEM_SEPARATOR", "CLASSPATH_SEPARATOR",
                                     "ENV_HINT",     "EXE_ON_PATH",   "PREFER_NEWEST",  "PREFER_64_BIT",
                                     "VERIFY_CACHE"};
const char* const JVM_FILE_FLAGS[] = {"SEARCH_ALL", "EXE_ON_PATH", "PREFER_NEWEST", "PREFER_64_BIT", "VERIFY_CACHE"};
const char* const INPUT_FILE_TAGS[] = {"LOGFILE",         "INSTRUCTIONS",     "LAUNCHSCRIPT",     "VERIFY_CLASSPATH",
                                       "VERIFY_CLASS_NAME", "UI_TITLE",       "JVM",              "SHOW_PROGRESS",
                                       "SHOW_FAIL_MSG",   "ACTION",           "VERIFY_JVM_FILE",  "VERIFY_JVM_HOME",
                                       "INSTALL_JVM_EXE", "INSTALL_JVM_DEST"};
const char* const ACTIONS[] = {"RUN_INSTRUCTIONS", "SEARCH", "SEARCH_ALL", "VERIFY_JVM", "INSTALL_JVM"};

template <std::size_t N> bool among(const String& name, const char* const (&names)[N]) {
    for (const char* n : names)
        if (name == n) return true;
    return false;
}

template <std::size_t N> String listed(const char* const (&names)[N]) {
    String text;
    for (std::size_t i = 0; i < N; ++i) text += (i == 0 ? "" : i + 1 == N ? " and " : ", ") + String(names[i]);
    return text;
}

String errnoText() { return std::strerror(errno); }

// The messages of the launcher's own code end with a blank where the
// launcher appends more; a finding ends with its text.
String trimmed(String text) {
    trim(text);
    return text;
}

bool isNumber(const String& value) {
    std::int16_t n;
    return scanShort(value, n);
}

// A value line such as "PLATFORM_HINT:": the name of a tag and its colon,
// read as one more value because the tag before it lacks its "/:".
bool looksLikeTagLine(const String& value) {
    if (value.size() < 3 || value.back() != ':') return false;
    String name = value.substr(0, value.size() - 1);
    trim(name);
    if (name.size() < 2 || !((name[0] >= 'A' && name[0] <= 'Z') || name[0] == '_')) return false;
    for (char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
}

// The findings of one file, kept apart so that each file's come out
// together and by line.
class Report {
public:
    explicit Report(String file) : file_(std::move(file)) {}
    void error(std::int32_t line, const String& message) { add(Severity::error, line, message); }
    void warning(std::int32_t line, const String& message) { add(Severity::warning, line, message); }
    void add(Severity severity, std::int32_t line, const String& message) {
        Finding f;
        f.severity = severity;
        f.file = file_;
        f.line = line;
        f.message = message;
        // The command is built once per JVM file: the same finding comes
        // back for each.
        if (!seen_.insert(formatFinding(f)).second) return;
        findings_.push_back(std::move(f));
    }
    void appendTo(std::vector<Finding>& out) {
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const Finding& a, const Finding& b) { return a.line < b.line; });
        out.insert(out.end(), findings_.begin(), findings_.end());
    }

private:
    String file_;
    std::vector<Finding> findings_;
    std::set<String> seen_;
};

// The launch script's view of the system while a command is built for the
// check: no side files, no environment, and the archives the package carries.
class CheckEnvironment : public LaunchEnvironment {
public:
    CheckEnvironment(StringList classpathArchives, String applicationArchiveName)
        : classpathArchives_(std::move(classpathArchives)),
          applicationArchiveName_(std::move(applicationArchiveName)) {}

    bool classpathUsed = false;
    bool applicationArchiveUsed = false;
    void reset() { classpathUsed = applicationArchiveUsed = false; }

    bool readLines(const String&, StringList& lines) override {
        lines.clear();
        return false;
    }
    bool getVariable(const String&, String& value) override {
        value.clear();
        return false;
    }
    void setVariable(const String&, const String&) override {}
    String tempRoot() override { return "C:\\Temp\\"; }
    StringList extractClasspathArchives() override {
        classpathUsed = true;
        StringList paths;
        for (const String& name : classpathArchives_) paths.push_back("C:\\Temp\\LRE1.tmp\\" + name);
        return paths;
    }
    String applicationArchive() override {
        applicationArchiveUsed = true;
        return applicationArchiveName_.empty() ? String() : "C:\\Temp\\LRE2.tmp\\" + applicationArchiveName_;
    }
    String applicationArchive(const String& fileName) override {
        return "C:\\Temp\\LRE2.tmp\\" + lastComponent(fileName);
    }
    TempItems& tempItems() override { throw LauncherException("No temporary items while checking."); }
    unsigned long runProcess(const String&, const String&, bool, bool, OutputSink&) override {
        throw LauncherException("Nothing runs while checking.");
    }
    int runAttached(const String&, const String&) override { throw LauncherException("Nothing runs while checking."); }
    std::uint32_t milliseconds() override { return 0; }

private:
    StringList classpathArchives_;
    String applicationArchiveName_;
};

// A line of a file as the tag-file parser reads it.
String lineOfFile(const PackageFile& file, std::int32_t line) {
    FilePtr f(std::fopen(file.path.c_str(), "rb"));
    if (!f || std::fseek(f.get(), file.offset, SEEK_SET) != 0) return String();
    String text;
    for (std::int32_t n = 1; n <= line; ++n) {
        int c = std::fgetc(f.get());
        if (c == EOF) return String();
        std::ungetc(c, f.get());
        text.clear();
        readLine(f.get(), text);
    }
    return text;
}

// Where a tag file's tags and values were read, and what its parse noted
// besides the tags, as the parser tells them.
class ReadPlaces : public ParseObserver {
public:
    struct Ignored {
        std::int32_t line;
        String tagName;
        String text;
    };
    std::vector<Ignored> ignored;
    std::int32_t errorLine = 0;
    String errorReason;

    void tagRemoved(const String& name) override { places_.erase(name); }
    void valueRead(const String& name, std::int32_t tagLine, std::int32_t valueLine) override {
        Place& place = places_[name];
        if (place.values.empty()) place.tag = tagLine;
        place.values.push_back(valueLine);
    }
    void textIgnored(const String& name, std::int32_t line, const String& text) override {
        ignored.push_back(Ignored{line, name, text});
    }
    void syntaxError(std::int32_t line, const String& reason) override {
        errorLine = line;
        errorReason = reason;
    }

    // The line of a tag's name, of one of its values; 0 for a tag not read.
    std::int32_t tagLine(const String& name) const {
        auto it = places_.find(name);
        return it == places_.end() ? 0 : it->second.tag;
    }
    std::int32_t lineOf(const String& name, std::size_t index = 0) const {
        auto it = places_.find(name);
        return it == places_.end() || index >= it->second.values.size() ? 0 : it->second.values[index];
    }

private:
    struct Place {
        std::int32_t tag = 0;
        std::vector<std::int32_t> values;
    };
    std::map<String, Place> places_;
};

struct CheckedFile {
    const PackageFile* file;
    std::unique_ptr<TagFile> tags;  // a tag file that parsed
    std::unique_ptr<Report> report;
    std::unique_ptr<ReadPlaces> places = std::make_unique<ReadPlaces>();
};

class Checker;

// Stands in for the JVM and launch operations while the interpreter reads a
// program: each call is compared with what the package carries.
class LookingCommands : public JvmCommands, public LaunchCommands {
public:
    LookingCommands(const Checker& checker, const ReadPlaces& places, Report& report)
        : checker_(checker), places_(places), report_(report) {}
    void setInterpreter(const Instructions& interpreter) { interpreter_ = &interpreter; }

    void findJvm(bool, bool) override;
    void verifyJvmById(bool, bool, std::int32_t fileId) override;
    void initializeUi() override {}
    void installJvm(std::int32_t) override;
    void launchWithJvmFile(const String&, std::int16_t seconds) override;
    void launchWithEmbeddedJvmFile(std::int32_t fileId, std::int16_t seconds) override;
    void executeEmbeddedLauncher(std::int32_t position) override;
    bool cancelRequested() override { return false; }

private:
    std::int32_t line() const {
        return places_.lineOf(INSTRUCTIONS_TAG, static_cast<std::size_t>(interpreter_->statementIndex()));
    }
    void launchScriptNeeded(const char* command);
    void hideTime(const char* command, std::int16_t seconds);

    const Checker& checker_;
    const ReadPlaces& places_;
    Report& report_;
    const Instructions* interpreter_ = nullptr;
};

class Checker {
public:
    explicit Checker(const Package& package) : package_(package) {}

    std::vector<Finding> run();
    std::vector<Finding> runStubOnly() {
        std::vector<Finding> findings;
        Report report(package_.stubShown);
        checkStub(report);
        report.appendTo(findings);
        return findings;
    }

    // What the package carries, for the commands' checks.
    const PackageFile* entryById(std::int32_t id) const {
        for (const PackageFile& f : package_.files)
            if (f.id == id) return &f;
        return nullptr;
    }
    const PackageFile* entryAt(std::int32_t position) const {
        if (position < 0 || static_cast<std::size_t>(position) >= package_.files.size()) return nullptr;
        return &package_.files[static_cast<std::size_t>(position)];
    }
    bool carries(FileType type) const {
        for (const PackageFile& f : package_.files)
            if (f.type == type) return true;
        return false;
    }
    bool hasJvmFiles() const { return carries(FT_JVM_FILE) || inputJvmFiles_; }
    // Parsed or not: one that does not parse has its own finding.
    bool hasLaunchScript() const {
        for (const CheckedFile& c : files_)
            if (c.file->type == FT_LAUNCH_SCRIPT) return true;
        return false;
    }
    // Whether a failed start-up can still be seen after the window hides:
    // the console launcher prints it, a console window shows it, and the GUI
    // launcher reports it unless the launch script says
    // START_FAILURE_MESSAGE: 0.
    bool startupFailureVisible() const {
        if (package_.stub == StubKind::consoleLauncher) return true;
        const TagFile* script = launchScript();
        return script == nullptr || script->getBool("DISPLAY_CONSOLE", false) ||
               script->getBool("START_FAILURE_MESSAGE", true);
    }

private:
    const TagFile* launchScript() const {
        for (const CheckedFile& c : files_)
            if (c.file->type == FT_LAUNCH_SCRIPT && c.tags) return c.tags.get();
        return nullptr;
    }
    void checkStub(Report& report) const;
    void checkEntries(Report& report);
    bool parse(CheckedFile& checked);
    void checkTagText(CheckedFile& checked, bool unknownTagIsError, const char* const* known, std::size_t knownCount);
    void checkInstructions(CheckedFile& checked);
    void checkLaunchScript(CheckedFile& checked);
    void checkJvmFile(CheckedFile& checked);
    void checkInputFile(CheckedFile& checked);
    void addInputReferences(const TagFile& input, std::vector<PackageFile>& extra);
    bool referencedByLaunchScripts(const String& name) const;

    const Package& package_;
    std::vector<CheckedFile> files_;
    bool verifyClassGiven_ = false;
    bool inputJvmFiles_ = false;
    bool inputInstructions_ = false;
};

void LookingCommands::findJvm(bool, bool) {
    if (!checker_.hasJvmFiles())
        report_.error(line(), "FIND_JVM, but the package carries no JVM file: no JVM can be found");
}

void LookingCommands::verifyJvmById(bool, bool, std::int32_t fileId) {
    const PackageFile* entry = checker_.entryById(fileId);
    if (entry == nullptr || entry->type != FT_JVM_FILE)
        report_.error(line(),
                      "VERIFY names the file id " + toDecimal(fileId) + ", which is no JVM file of the package");
}

void LookingCommands::installJvm(std::int32_t) {
    if (!checker_.carries(FT_JVM_INSTALLER))
        report_.error(line(), "INSTALL_JVM, but the package carries no JVM installer: the launcher stops with "
                              "\"No JVM installer was included in the launcher.\"");
}

void LookingCommands::launchScriptNeeded(const char* command) {
    if (!checker_.hasLaunchScript())
        report_.error(line(), String(command) + ", but the package carries no launch script: it launches nothing");
}

void LookingCommands::hideTime(const char* command, std::int16_t seconds) {
    if (seconds == 0 && !checker_.startupFailureVisible())
        report_.warning(line(), String(command) + " hides the progress window at once (0 seconds) and the launch "
                                                  "script sets START_FAILURE_MESSAGE: 0: an application that fails at "
                                                  "start-up then ends without a message; a few seconds keep the "
                                                  "window up to report it");
}

void LookingCommands::launchWithJvmFile(const String&, std::int16_t seconds) {
    launchScriptNeeded("LAUNCH");
    hideTime("LAUNCH", seconds);
}

void LookingCommands::launchWithEmbeddedJvmFile(std::int32_t fileId, std::int16_t seconds) {
    launchScriptNeeded("ILAUNCH");
    const PackageFile* entry = checker_.entryById(fileId);
    if (entry == nullptr || entry->type != FT_JVM_FILE)
        report_.error(line(),
                      "ILAUNCH names the file id " + toDecimal(fileId) + ", which is no JVM file of the package");
    hideTime("ILAUNCH", seconds);
}

void LookingCommands::executeEmbeddedLauncher(std::int32_t position) {
    const PackageFile* entry = checker_.entryAt(position);
    if (entry == nullptr || entry->type != FT_EMBEDDED_LAUNCHER)
        report_.error(line(), "EXECUTE_LAUNCHER names the position " + toDecimal(position) +
                                  ", which holds no embedded launcher");
}

void Checker::checkStub(Report& report) const {
    String reason;
    switch (package_.stub) {
    case StubKind::guiLauncher:
    case StubKind::consoleLauncher:
        if (package_.stubKeepsSymbols)
            report.warning(0, "the launcher keeps its symbols (a -debug build): ship the stripped mglauncher.exe "
                              "or mglauncher-console.exe");
        return;
    case StubKind::zipArchive:
        reason = "it is a jar or zip file";
        break;
    case StubKind::notWindowsProgram:
        reason = "it is no Windows program";
        break;
    case StubKind::otherProgram:
        reason = "it is a Windows program without the launcher's MGLAUNCHER resource";
        break;
    }
    report.error(0, "not a Marrowgate launcher (" + reason + "); " + STUB_ADVICE);
}

void Checker::checkEntries(Report& report) {
    if (!package_.hasIndex) {
        report.error(0, "carries no file index: it is no packed launcher");
        return;
    }
    if (!package_.indexProblem.empty())
        report.error(0, "the file index cannot be read: " + package_.indexProblem);
    const PackageFile* firstInstructions = nullptr;
    const PackageFile* firstLaunchScript = nullptr;
    for (std::size_t i = 0; i < package_.files.size(); ++i) {
        const PackageFile& f = package_.files[i];
        String problem = entryNameProblem(f.name);
        if (!problem.empty())
            report.error(0, "the entry name '" + f.name + "' " + problem + ": the launcher cannot extract it");
        if (f.type == FT_INSTRUCTIONS && firstInstructions)
            report.warning(0, f.shown + " is a second instructions program: the launcher runs only the first, " +
                                  firstInstructions->shown);
        if (f.type == FT_LAUNCH_SCRIPT && firstLaunchScript)
            report.warning(0, f.shown + " is a second launch script: the launcher uses only the first, " +
                                  firstLaunchScript->shown);
        if (f.type == FT_INSTRUCTIONS && !firstInstructions) firstInstructions = &f;
        if (f.type == FT_LAUNCH_SCRIPT && !firstLaunchScript) firstLaunchScript = &f;
        if (f.type == FT_JVM_FILE) {
            const PackageFile* first = entryById(f.id);
            if (first != &f)
                report.warning(0, "the JVM file " + f.shown + " has the id " + toDecimal(f.id) + " of " +
                                      first->shown + " before it: VERIFY and ILAUNCH find only the first");
        }
    }
    if (!firstInstructions && !inputInstructions_)
        report.warning(0, "no instructions program: started without an input file, the launcher does nothing");
}

bool Checker::parse(CheckedFile& checked) {
    const PackageFile& file = *checked.file;
    Report& report = *checked.report;
    FilePtr f(std::fopen(file.path.c_str(), "rb"));
    if (!f) {
        report.error(0, "cannot be read: " + errnoText());
        return false;
    }
    auto tags = std::make_unique<TagFile>();
    ReadPlaces& places = *checked.places;
    try {
        tags->parse(f.get(), file.shown, file.offset, file.length, RegionEnd::valuesStopAtEnd, &places);
    } catch (const LauncherException& e) {
        if (places.errorReason.empty()) {
            // Not the format's own syntax error: an unclosed quote, a region
            // that cannot be read. It concerns the line being read.
            report.error(tags->lineCount(), e.message());
            return false;
        }
        String message = places.errorReason;
        String line = lineOfFile(file, places.errorLine);
        if (!line.empty() && line[0] == '#') message += " Tag files have no comment lines.";
        report.error(places.errorLine, message);
        return false;
    }
    checked.tags = std::move(tags);
    return true;
}

// What every kind of tag file shares: unknown tags, text after a closing
// quote, and value lists that run on into the next tag for want of "/:".
void Checker::checkTagText(CheckedFile& checked, bool unknownTagIsError, const char* const* known,
                           std::size_t knownCount) {
    const TagFile& tags = *checked.tags;
    const ReadPlaces& places = *checked.places;
    Report& report = *checked.report;
    for (const Tag& tag : tags.tags()) {
        const std::int32_t tagLine = places.tagLine(tag.name);
        bool isKnown = false;
        for (std::size_t i = 0; i < knownCount; ++i) isKnown = isKnown || tag.name == known[i];
        if (!isKnown) {
            String message = "unknown tag " + tag.name;
            if (!tag.name.empty() && tag.name[0] == '#') message += " (tag files have no comment lines)";
            if (unknownTagIsError)
                report.error(tagLine, message);
            else if (!referencedByLaunchScripts(tag.name))
                report.warning(tagLine, message + ": no launch script reads it");
        }
        for (std::size_t i = 0; i < tag.values.size(); ++i) {
            const std::int32_t line = places.lineOf(tag.name, i);
            if (line == tagLine || !looksLikeTagLine(tag.values[i])) continue;
            report.error(line, "'" + tag.values[i] + "' is read as a value of " + tag.name + " (line " +
                                   toDecimal(tagLine) + "): the /: that ends " + tag.name +
                                           " is missing before it");
            break;
        }
    }
    for (const ReadPlaces::Ignored& ignored : places.ignored) {
        // COMMAND's own check says it as an error.
        if (checked.file->type == FT_LAUNCH_SCRIPT && ignored.tagName == "COMMAND") continue;
        report.warning(ignored.line, "the text after the closing quote is ignored: " + trimmed(ignored.text));
    }
}

void Checker::checkInstructions(CheckedFile& checked) {
    const TagFile& program = *checked.tags;
    Report& report = *checked.report;
    checkTagText(checked, true, INSTRUCTIONS_TAGS, std::size(INSTRUCTIONS_TAGS));
    if (program.findTag("JVM_DOWNLOAD_URL") && !isWebAddress(program.getValue("JVM_DOWNLOAD_URL")))
        report.error(checked.places->lineOf("JVM_DOWNLOAD_URL"),
                     "JVM_DOWNLOAD_URL " + program.getValue("JVM_DOWNLOAD_URL") +
                         " is not an http:// or https:// address: the launcher does not offer it");
    if (program.findTag("SINGLE_INSTANCE") != nullptr && !validInstanceName(program.getValue("SINGLE_INSTANCE")))
        report.error(checked.places->tagLine("SINGLE_INSTANCE"),
                     "SINGLE_INSTANCE " + program.getValue("SINGLE_INSTANCE") +
                         ": the name must be 1 to 64 letters, digits, '.', '-' or '_'");
    if (program.findTag(CACHE_FOLDER_TAG) != nullptr && !cacheFolderProblem(program.getValue(CACHE_FOLDER_TAG)).empty())
        report.error(checked.places->tagLine(CACHE_FOLDER_TAG),
                     "CACHE_FOLDER " + program.getValue(CACHE_FOLDER_TAG) + ": " +
                         cacheFolderProblem(program.getValue(CACHE_FOLDER_TAG)) +
                         "; the launcher would extract to the temporary folder");
    if (program.findTag(INSTRUCTIONS_TAG) == nullptr) {
        report.warning(0, "no INSTRUCTIONS: the program does nothing");
        return;
    }
    const ReadPlaces& places = *checked.places;
    LookingCommands commands(*this, places, report);
    Instructions interpreter(program, commands, commands);
    commands.setInterpreter(interpreter);
    resetVariables();
    interpreter.check([&](std::int32_t k, const String& message) {
        const String statement = program.getValue(INSTRUCTIONS_TAG, static_cast<std::size_t>(k));
        String text = trimmed(message);
        std::size_t pos = 0;
        String word;
        nextWord(statement, pos, word);
        String upper = word;
        for (char& c : upper)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (upper != word && Instructions::isCommandName(upper) && !Instructions::isCommandName(word))
            text += " Commands are upper case: " + upper + ".";
        report.error(places.lineOf(INSTRUCTIONS_TAG, static_cast<std::size_t>(k)), text);
    });
    resetVariables();
    // A jump compares the whole statement with ":" and the label.
    const Tag* statements = program.findTag(INSTRUCTIONS_TAG);
    for (std::size_t k = 0; k < statements->values.size(); ++k) {
        const String& statement = statements->values[k];
        std::size_t pos = 0;
        String word, more;
        if (nextWord(statement, pos, word) && word[0] == ':' && nextWord(statement, pos, more))
            report.warning(places.lineOf(INSTRUCTIONS_TAG, k),
                           "the label " + word + " is followed by more words: no jump finds it");
    }
}

bool Checker::referencedByLaunchScripts(const String& name) const {
    for (const CheckedFile& c : files_) {
        if (!c.tags || c.file->type != FT_LAUNCH_SCRIPT) continue;
        for (const Tag& tag : c.tags->tags())
            for (const String& value : tag.values)
                if (value.find(name) != String::npos) return true;
    }
    return false;
}

void Checker::checkLaunchScript(CheckedFile& checked) {
    const TagFile& script = *checked.tags;
    Report& report = *checked.report;
    checkTagText(checked, true, LAUNCH_SCRIPT_TAGS, std::size(LAUNCH_SCRIPT_TAGS));
    const ReadPlaces& places = *checked.places;
    const std::int32_t commandLine = places.lineOf("COMMAND");
    const std::int32_t archiveLine = places.lineOf("ARCHIVE");
    bool commandCut = false;
    for (const ReadPlaces::Ignored& ignored : places.ignored) {
        if (ignored.tagName != "COMMAND") continue;
        report.error(ignored.line, "the text after the closing quote is ignored: " + trimmed(ignored.text) +
                                       " (quote COMMAND as a whole, each quote in it doubled)");
        commandCut = true;
    }
    for (const char* flag : {"DISPLAY_CONSOLE", "AUTO_SET_WORKING_DIR", "START_FAILURE_MESSAGE"}) {
        if (script.findTag(flag) && !isNumber(script.getValue(flag)))
            report.warning(places.lineOf(flag), String(flag) + " is not a number: the default is used");
    }
    const String command = script.getValue("COMMAND");
    if (command.empty()) {
        report.error(commandLine, "no COMMAND: the launch has no command to run");
        return;
    }
    if (!commandCut && command.compare(0, 10, "@JVM_HOME@") == 0)
        report.warning(commandLine, "the Java executable's path is not in double quotes: a JVM home with a blank "
                                    "(C:\\Program Files\\...) splits it");

    StringList classpathArchives;
    String applicationArchiveName;
    for (const PackageFile& f : package_.files) {
        if (f.type == FT_CLASSPATH_ARCHIVE) classpathArchives.push_back(f.name);
        if (f.type == FT_APPLICATION_ARCHIVE) applicationArchiveName = f.name;
    }
    // The command is built with each JVM file of the package, as a launch
    // would build it: COMMAND alone, then ARCHIVE alone, so that an error
    // points at the tag it comes from.
    std::vector<TagFile> jvmFiles;
    for (const CheckedFile& c : files_)
        if (c.tags && c.file->type == FT_JVM_FILE) jvmFiles.push_back(*c.tags);
    if (jvmFiles.empty()) jvmFiles.emplace_back();
    const String archive = script.getValue("ARCHIVE");
    CheckEnvironment environment(classpathArchives, applicationArchiveName);
    bool classpathCalled = false, commandFailed = false;
    bool applicationFromCommand = false, applicationFromArchive = false;
    std::set<String> archiveErrors;
    for (TagFile& jvmTags : jvmFiles) {
        JvmFile jvm(jvmTags);
        TagFile commandOnly = script;
        commandOnly.removeTag("ARCHIVE");
        environment.reset();
        try {
            LaunchScript(commandOnly, true, &environment).buildCommand(jvm);
        } catch (const LauncherException& e) {
            String message = e.message();
            const String prefix = "Launch script error: ";
            if (message.compare(0, prefix.size(), prefix) == 0) message.erase(0, prefix.size());
            report.error(commandLine, trimmed(message));
            commandFailed = true;
        }
        classpathCalled = classpathCalled || environment.classpathUsed;
        applicationFromCommand = applicationFromCommand || environment.applicationArchiveUsed;
        if (archive.empty()) continue;
        TagFile archiveOnly;
        archiveOnly.setValue("COMMAND", "%CP%()");
        archiveOnly.setValue("ARCHIVE", archive);
        environment.reset();
        try {
            LaunchScript(archiveOnly, true, &environment).buildCommand(jvm);
        } catch (const LauncherException& e) {
            String message = e.message();
            const String prefix = "Launch script error: ";
            if (message.compare(0, prefix.size(), prefix) == 0) message.erase(0, prefix.size());
            archiveErrors.insert(trimmed(message));
        }
        applicationFromArchive = applicationFromArchive || environment.applicationArchiveUsed;
    }
    if (!archive.empty() && !classpathCalled && !commandFailed) {
        report.warning(archiveLine, "ARCHIVE is never used: COMMAND has no %CP%() call");
    } else if (!archive.empty()) {
        for (const String& message : archiveErrors) report.error(archiveLine, message);
        if (applicationFromArchive && applicationArchiveName.empty())
            report.error(archiveLine, "%APPLICATION_ARCHIVE%() in ARCHIVE, but the package carries no application "
                                      "archive: the class path gets an empty entry");
    }
    if (applicationFromCommand && applicationArchiveName.empty())
        report.error(commandLine, "%APPLICATION_ARCHIVE%() in COMMAND, but the package carries no application "
                                  "archive: the command gets an empty path");
    if (!classpathArchives.empty() && !classpathCalled && !commandFailed)
        report.warning(commandLine, "the package carries class-path archives, which only %CP%() puts on the class "
                                    "path, and COMMAND has no %CP%() call");
}

void Checker::checkJvmFile(CheckedFile& checked) {
    const TagFile& jvm = *checked.tags;
    const ReadPlaces& places = *checked.places;
    Report& report = *checked.report;
    checkTagText(checked, false, JVM_FILE_TAGS, std::size(JVM_FILE_TAGS));
    if (jvm.getValue("JVM_EXE").empty())
        report.error(places.lineOf("JVM_EXE"), "no JVM_EXE: this JVM file matches no JVM");

    const Tag* properties = jvm.findTag("JVM_PROPERTIES");
    if (properties == nullptr || properties->values[0].empty()) {
        report.warning(places.tagLine("JVM_PROPERTIES"),
                       "no JVM_PROPERTIES: the searches skip this JVM file, since a JVM is accepted by its properties");
    } else {
        for (std::size_t i = 0; i < properties->values.size(); ++i) {
            // Where the list ran on into the next tag, its own finding says so.
            if (looksLikeTagLine(properties->values[i])) break;
            RequiredProperty required;
            if (!parseRequiredProperty(properties->values[i], required))
                report.error(places.lineOf("JVM_PROPERTIES", i),
                             "'" + properties->values[i] +
                                 "' is no requirement (name=value, or a range such as name>=17): the launcher "
                                 "ignores it");
        }
        if (!verifyClassGiven_)
            report.error(places.tagLine("JVM_PROPERTIES"),
                         "JVM_PROPERTIES sets requirements, but the package carries no verify archive: no JVM passes "
                         "verification (the log says \"the verify run printed nothing\")");
    }
    if (const Tag* hints = jvm.findTag("PLATFORM_HINT")) {
        for (std::size_t i = 0; i < hints->values.size(); ++i) {
            if (looksLikeTagLine(hints->values[i])) break;
            PlatformHint hint;
            if (!parsePlatformHint(hints->values[i], hint)) continue;
            const std::int32_t line = places.lineOf("PLATFORM_HINT", i);
            if (!isKnownHive(hint.hive))
                report.error(line, "unknown hive " + hint.hive +
                                       " (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_USERS, HKEY_CLASSES_ROOT or "
                                       "HKEY_CURRENT_CONFIG): the search stops here with an error");
            else if (!hint.complete)
                report.warning(line, "a platform hint needs a key and a value name: the search skips it as invalid");
        }
    }
    for (const char* flag : JVM_FILE_FLAGS)
        if (jvm.findTag(flag) && !isNumber(jvm.getValue(flag)))
            report.warning(places.lineOf(flag), String(flag) + " is not a number: the default is used");
    if (jvm.getValue("USE_CP_ENV_VAR") == "1" && jvm.getValue("CP_ENV_VAR").empty())
        report.error(places.lineOf("USE_CP_ENV_VAR"),
                     "USE_CP_ENV_VAR is 1 but CP_ENV_VAR names no variable: the class path is lost");
}

void Checker::checkInputFile(CheckedFile& checked) {
    const TagFile& input = *checked.tags;
    const ReadPlaces& places = *checked.places;
    Report& report = *checked.report;
    checkTagText(checked, true, INPUT_FILE_TAGS, std::size(INPUT_FILE_TAGS));
    const String action = input.getValue("ACTION");
    const std::int32_t actionLine = places.lineOf("ACTION");
    if (action.empty())
        report.error(0, "no ACTION: the launcher stops with \"Invalid action in input file: \"");
    else if (!among(action, ACTIONS))
        report.error(actionLine, "unknown ACTION " + action + " (" + listed(ACTIONS) + ")");
    auto pair = [&](const char* forAction, const char* a, const char* b) {
        if (action == forAction && (input.getValue(a).empty() || input.getValue(b).empty()))
            report.error(actionLine, String(forAction) + " needs both " + a + " and " + b);
    };
    pair("VERIFY_JVM", "VERIFY_JVM_FILE", "VERIFY_JVM_HOME");
    pair("INSTALL_JVM", "INSTALL_JVM_EXE", "INSTALL_JVM_DEST");
    if (input.getValue("VERIFY_CLASSPATH").empty() != input.getValue("VERIFY_CLASS_NAME").empty())
        report.warning(places.lineOf(input.findTag("VERIFY_CLASSPATH") ? "VERIFY_CLASSPATH" : "VERIFY_CLASS_NAME"),
                       "VERIFY_CLASSPATH and VERIFY_CLASS_NAME count only together: this one is ignored");
    for (const char* flag : {"SHOW_PROGRESS", "SHOW_FAIL_MSG"})
        if (input.findTag(flag) && !isNumber(input.getValue(flag)))
            report.warning(places.lineOf(flag), String(flag) + " is not a number: it reads as no");
    if (!input.findTag("LOGFILE"))
        report.warning(0, "no LOGFILE: the log stops at this input file");
}

// The tag files an input file names are read in place of the embedded ones,
// from where they are when the check runs.
void Checker::addInputReferences(const TagFile& input, std::vector<PackageFile>& extra) {
    auto add = [&](const String& path, FileType type) {
        if (path.empty()) return;
        PackageFile f;
        f.type = type;
        f.id = -1;
        f.name = lastComponent(path);
        f.shown = path;
        f.path = path;
        f.offset = 0;
        f.length = -1;
        extra.push_back(f);
    };
    add(input.getValue(INSTRUCTIONS_TAG), FT_INSTRUCTIONS);
    add(input.getValue("LAUNCHSCRIPT"), FT_LAUNCH_SCRIPT);
    for (std::size_t i = 0; i < input.valueCount("JVM"); ++i) add(input.getValue("JVM", i), FT_JVM_FILE);
}

std::vector<Finding> Checker::run() {
    std::vector<Finding> findings;
    Report stubReport(package_.stubShown);
    checkStub(stubReport);
    stubReport.appendTo(findings);

    // Input files first: what they name and give counts for the package.
    std::vector<PackageFile> inputs, referenced;
    for (const String& path : package_.inputFiles) {
        PackageFile f;
        f.type = FT_INSTRUCTIONS;
        f.name = lastComponent(path);
        f.shown = path;
        f.path = path;
        f.length = -1;
        inputs.push_back(f);
    }
    std::vector<CheckedFile> inputFiles;
    for (const PackageFile& f : inputs) {
        CheckedFile c{&f, nullptr, std::make_unique<Report>(f.shown)};
        if (parse(c)) {
            const TagFile& input = *c.tags;
            verifyClassGiven_ = verifyClassGiven_ || (!input.getValue("VERIFY_CLASSPATH").empty() &&
                                                      !input.getValue("VERIFY_CLASS_NAME").empty());
            inputJvmFiles_ = inputJvmFiles_ || input.valueCount("JVM") > 0;
            inputInstructions_ = inputInstructions_ || !input.getValue(INSTRUCTIONS_TAG).empty();
            addInputReferences(input, referenced);
        }
        inputFiles.push_back(std::move(c));
    }
    verifyClassGiven_ = verifyClassGiven_ || carries(FT_VERIFY_ARCHIVE);

    for (const PackageFile& f : package_.files)
        files_.push_back(CheckedFile{&f, nullptr, std::make_unique<Report>(f.shown)});
    for (const PackageFile& f : referenced) {
        std::error_code ec;
        if (!fs::is_regular_file(fs::path(std::string(f.path)), ec)) {
            Report note(f.shown);
            note.warning(0, "cannot be read here: not checked");
            note.appendTo(findings);
            continue;
        }
        files_.push_back(CheckedFile{&f, nullptr, std::make_unique<Report>(f.shown)});
    }
    for (CheckedFile& c : files_)
        if (c.file->type <= FT_LAUNCH_SCRIPT) parse(c);
    for (CheckedFile& c : files_) {
        if (!c.tags) continue;
        if (c.file->type == FT_INSTRUCTIONS) checkInstructions(c);
        if (c.file->type == FT_JVM_FILE) checkJvmFile(c);
        if (c.file->type == FT_LAUNCH_SCRIPT) checkLaunchScript(c);
    }
    for (CheckedFile& c : inputFiles) {
        if (c.tags) checkInputFile(c);
        c.report->appendTo(findings);
    }
    for (CheckedFile& c : files_) c.report->appendTo(findings);

    Report packageReport(package_.shown);
    checkEntries(packageReport);
    packageReport.appendTo(findings);
    // A file an input file names may be the embedded one's extracted copy,
    // under the same name: its findings are said once.
    std::vector<Finding> once;
    std::set<String> seen;
    for (const Finding& f : findings)
        if (seen.insert(formatFinding(f)).second) once.push_back(f);
    return once;
}

// Reads at most limit bytes from the start of a file.
std::string readStart(std::FILE* f, std::int64_t length) {
    std::string bytes(static_cast<std::size_t>(std::max<std::int64_t>(0, std::min(length, MAX_STUB_READ))), '\0');
    if (std::fseek(f, 0, SEEK_SET) != 0) return std::string();
    bytes.resize(std::fread(&bytes[0], 1, bytes.size(), f));
    return bytes;
}

std::int64_t fileLength(std::FILE* f) {
    if (std::fseek(f, 0, SEEK_END) != 0) return -1;
    return std::ftell(f);
}

}  // namespace

String formatFinding(const Finding& finding) {
    String text = finding.file;
    if (finding.line > 0) text += ":" + toDecimal(finding.line);
    text += finding.severity == Severity::error ? ": error: " : ": warning: ";
    return text + finding.message;
}

StubKind stubKind(const std::string& image) {
    if (image.compare(0, 4, "PK\x03\x04") == 0) return StubKind::zipArchive;
    try {
        PeImage pe(image);
        for (const Resource& r : readResources(image)) {
            if (r.type.id == RT_RCDATA_ID && r.type.text.empty() && r.name.text == u"MGLAUNCHER" &&
                r.data.compare(0, 19, "Marrowgate launcher") == 0) {
                const std::size_t subsystem = pe.optionalHeader + 68;
                const bool console = subsystem + 2 <= image.size() && getLE16(image, subsystem) == SUBSYSTEM_CONSOLE;
                return console ? StubKind::consoleLauncher : StubKind::guiLauncher;
            }
        }
    } catch (const PackError&) {
        return image.compare(0, 2, "MZ") == 0 ? StubKind::otherProgram : StubKind::notWindowsProgram;
    }
    return StubKind::otherProgram;
}

bool keepsSymbols(const std::string& image) {
    try {
        const PeImage pe(image);
        // The COFF header's symbol count, 20 bytes before the optional header.
        return pe.optionalHeader >= 8 && getLE32(image, pe.optionalHeader - 8) != 0;
    } catch (const PackError&) {
        return false;
    }
}

Package packageOfLauncher(const String& path) {
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f) throw PackError{std::string("cannot read ") + std::string(path) + ": " + std::strerror(errno)};
    Package package;
    package.shown = path;
    package.stubShown = path;
    const std::int64_t size = fileLength(f.get());
    std::vector<std::unique_ptr<FileEntry>> entries;
    try {
        package.hasIndex = readFileIndex(f.get(), entries);
    } catch (const LauncherException& e) {
        package.indexProblem = e.message();
    }
    // The stub ends where the first embedded file or the index begins.
    std::int64_t stubEnd = size;
    if (package.hasIndex) {
        long end = trailerEnd(f.get());
        if (end >= TRAILER_SIZE && std::fseek(f.get(), end - TRAILER_SIZE, SEEK_SET) == 0) {
            try {
                stubEnd = std::min<std::int64_t>(stubEnd, readU32BE(f.get(), ""));
            } catch (const LauncherException&) {
            }
        }
    }
    for (const auto& e : entries) {
        if (e->offset >= 0) stubEnd = std::min<std::int64_t>(stubEnd, e->offset);
        PackageFile file;
        file.type = e->type;
        file.id = e->id;
        file.name = e->name;
        // A finding must name its file even when the index gives no name.
        file.shown = e->name.empty() ? "(entry " + toDecimal(static_cast<std::int32_t>(package.files.size())) + ")"
                                     : e->name;
        file.path = path;
        file.offset = e->offset;
        file.length = e->length;
        package.files.push_back(file);
    }
    const std::string stub = readStart(f.get(), stubEnd);
    package.stub = stubKind(stub);
    package.stubKeepsSymbols = keepsSymbols(stub);
    return package;
}

Package packageOfRequest(const PackRequest& request) {
    Package package;
    package.shown = request.output;
    package.stubShown = request.stub;
    FilePtr stub(std::fopen(request.stub.c_str(), "rb"));
    if (!stub) throw PackError{std::string("cannot read ") + std::string(request.stub) + ": " + std::strerror(errno)};
    const std::string image = readStart(stub.get(), fileLength(stub.get()));
    package.stub = stubKind(image);
    package.stubKeepsSymbols = keepsSymbols(image);
    for (std::size_t i = 0; i < request.files.size(); ++i) {
        const PackFile& r = request.files[i];
        PackageFile file;
        file.type = static_cast<FileType>(r.type);
        file.id = r.idGiven ? r.id : static_cast<std::int32_t>(i);
        file.name = r.nameGiven ? r.name : lastComponent(r.path);
        file.shown = r.path;
        file.path = r.path;
        file.offset = 0;
        file.length = -1;
        package.files.push_back(file);
    }
    return package;
}

std::vector<Finding> checkPackage(const Package& package) { return Checker(package).run(); }

std::vector<Finding> checkStub(const Package& package) { return Checker(package).runStubOnly(); }

std::size_t countOf(const std::vector<Finding>& findings, Severity severity) {
    return static_cast<std::size_t>(std::count_if(findings.begin(), findings.end(),
                                                  [&](const Finding& f) { return f.severity == severity; }));
}

String findingSummary(const std::vector<Finding>& findings) {
    const std::size_t errors = countOf(findings, Severity::error);
    const std::size_t warnings = countOf(findings, Severity::warning);
    return toDecimal(static_cast<std::int32_t>(errors)) + (errors == 1 ? " error, " : " errors, ") +
           toDecimal(static_cast<std::int32_t>(warnings)) + (warnings == 1 ? " warning" : " warnings");
}

}  // namespace mg
