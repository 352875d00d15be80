#include "launcher/actions.h"

#include <cstdio>
#include <memory>

#include "base/file_ptr.h"
#include "base/front.h"
#include "base/log.h"
#include "base/settings.h"
#include "instructions/variables.h"
#include "payload/launcher_file.h"
#include "text/text.h"
#include "ui/messages.h"
#include "ui/progress.h"

namespace mg {

const char* const LAUNCHER_VERSION = "1.56";

namespace {

// N1 as the verify operation left it.
std::int32_t verifyResult() { return getNumericVariable(1); }

class Driver {
public:
    explicit Driver(DriverActions& actions) : actions_(actions) {}

    void run(const StringList& args) {
        originalGiven = false;
        setProgress(0);
        for (std::size_t i = 0; i < args.size(); ++i) {
            const String& arg = args[i];
            bool hasValue = i + 1 < args.size();
            if (arg == "-mg:log") {
                if (hasValue)
                    logPath = args[++i];
                else
                    showMessage(messageText(MSG_LOG_NAME_MISSING));
            } else if (arg == "-mg:orig") {
                if (hasValue) {
                    originalLauncherPath = args[++i];
                    originalGiven = true;
                } else {
                    showMessage("Missing original launcher file name.");
                }
            } else if (arg == "-mg:tempdir") {
                if (hasValue) actions_.setTempRoot(args[++i]);
            } else if (arg == "-mg:silent") {
                silent = true;
            } else if (arg == "-mg:javahome") {
                if (hasValue) javaHome = args[++i];
            } else if (arg == "-mg:extract") {
                extract();
                runInstructions_ = false;
            } else if (arg == "-mg:in") {
                if (hasValue) {
                    inputFile(args[++i]);
                } else {
                    showMessage(messageText(MSG_INPUT_NAME_MISSING));
                    runInstructions_ = false;
                }
            } else if (arg == "-mg:version") {
                showMessage(LAUNCHER_VERSION);
                runInstructions_ = false;
            } else if (arg == "-mg:javaconsole") {
                javaConsole = true;
            } else if (arg == "-mg:clearcache" && clearCacheAt_ == kNone) {
                // An ordinary argument unless the program has a cache: known
                // only once the index is read, after the options.
                clearCacheAt_ = passThroughArgs.size();
                passThroughArgs.push_back(arg);
            } else {
                passThroughArgs.push_back(arg);
            }
        }
        if (runInstructions_) {
            loadIndex(true);
            if (clearCacheAt_ != kNone && actions_.clearCache(launcherFile().instructions())) {
                passThroughArgs.erase(passThroughArgs.begin() + static_cast<std::ptrdiff_t>(clearCacheAt_));
                return;
            }
            runInstructions();
            setProgress(100);
        }
    }

private:
    void loadIndex(bool withContents) {
        if (launcherFile().indexLoaded()) return;
        try {
            launcherFile().loadIndex(withContents);
        } catch (const LauncherException& e) {
            throw LauncherException(messageText(MSG_INDEX_LOAD) + e.message());
        }
    }

    void runInstructions() {
        const TagFile* program = launcherFile().instructions();
        if (program) actions_.runProgram(*program);
    }

    void extract() {
        loadIndex(false);
        try {
            actions_.extractAll();
        } catch (const LauncherException& e) {
            throw LauncherException(messageText(MSG_EXTRACT_FAILED) + e.message());
        }
        setProgress(100);
    }

    void inputFile(const String& given) {
        TagFile input;
        try {
            readInputFile(given, input);
        } catch (const LauncherException& e) {
            showMessage(messageText(MSG_INPUT_FILE_LOAD) + e.message());
            throw LauncherException(e.message());
        }
        try {
            launcherFile().loadInputReferences(input);
        } catch (const LauncherException& e) {
            showMessage(e.message());
            throw;
        }
        loadIndex(true);

        bool showProgress = input.getBool("SHOW_PROGRESS", false);
        bool showFailure = input.getBool("SHOW_FAIL_MSG", false);
        if (showProgress) progressRequested = true;
        if (showProgress || showFailure) {
            showWindow();
            if (showProgress) setProgress(0);
        } else {
            hideAfter(0);
        }
        perform(input, showProgress, showFailure);
    }

    void readInputFile(const String& given, TagFile& input) {
        String path = given;
        if (path.empty()) throw LauncherException(messageText(MSG_INPUT_FILE_OPEN));
        if (path[0] == '"') path.erase(0, 1);
        if (!path.empty() && path.back() == '"') path.erase(path.size() - 1);
        FilePtr stream(std::fopen(path.c_str(), "r"));
        if (!stream) throw LauncherException(messageText(MSG_INPUT_FILE_OPEN));
        writeLog("Loading input file " + given);
        input.parse(stream.get(), given, 0, -1);
        // Absent means empty: an input file without LOGFILE ends the log here.
        logPath = input.getValue("LOGFILE");
    }

    void perform(const TagFile& input, bool showProgress, bool showFailure) {
        String action = input.getValue("ACTION");
        runInstructions_ = action == "RUN_INSTRUCTIONS";
        if (action == "RUN_INSTRUCTIONS") return;
        if (action == "SEARCH") {
            actions_.search(showProgress, showFailure);
            setProgress(100);
        } else if (action == "SEARCH_ALL") {
            actions_.searchAll(showProgress, showFailure);
            setProgress(100);
        } else if (action == "VERIFY_JVM") {
            verifyJvm(input, showProgress, showFailure);
        } else if (action == "INSTALL_JVM") {
            installJvm(input);
            setProgress(100);
        } else {
            String text = messageText(MSG_INVALID_ACTION) + action;
            showMessage(text);
            throw LauncherException(text);
        }
    }

    void verifyJvm(const TagFile& input, bool showProgress, bool showFailure) {
        String file = input.getValue("VERIFY_JVM_FILE");
        String home = input.getValue("VERIFY_JVM_HOME");
        if (file.empty() || home.empty()) {
            writeLog("TO execute the VERIFY_JVM action, you must also provide values in the input file for "
                     "VERIFY_JVM_FILE and VERIFY_JVM_HOME.",
                     LOG_ERROR);
            return;
        }
        TagFile jvmFile;
        jvmFile.load(file);
        actions_.verifyJvm(showProgress, showFailure, jvmFile, home);
        actions_.writeOutput(toDecimal(verifyResult()) + "\n");
        setProgress(100);
    }

    void installJvm(const TagFile& input) {
        String program = input.getValue("INSTALL_JVM_EXE");
        String dest = input.getValue("INSTALL_JVM_DEST");
        if (program.empty() || dest.empty()) return;
        actions_.runInstaller(program, dest);
        String path = dest;
        appendBackslash(path);
        path += "jvm";
        TagFile jvmFile;
        jvmFile.load(path);
        jvmFile.setJvmLocation(dest, path, false);
        jvmFile.write(path);
        actions_.writeOutput(path + "\n");
    }

    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    DriverActions& actions_;
    bool runInstructions_ = true;
    std::size_t clearCacheAt_ = kNone;
};

}  // namespace

int runDriverWith(const StringList& args, DriverActions& actions) {
    Driver(actions).run(args);
    return 0;
}

}  // namespace mg
