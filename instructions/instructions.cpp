#include "instructions/instructions.h"

#include "instructions/variables.h"
#include "base/log.h"
#include "text/text.h"

namespace mg {

const char* const INSTRUCTIONS_TAG = "INSTRUCTIONS";

const Instructions::CommandEntry Instructions::commands_[] = {
    {"FIND_JVM", &Instructions::findJvm},
    {"GOTO", &Instructions::gotoLabel},
    {"ILAUNCH", &Instructions::internalLaunch},
    {"INITIALIZE_UI", &Instructions::initializeUi},
    {"INSTALL_JVM", &Instructions::installJvm},
    {"JMP0", &Instructions::jumpIfZero},
    {"LAUNCH", &Instructions::launch},
    {"SET", &Instructions::set},
    {"VERIFY", &Instructions::verify},
    {"EXECUTE_LAUNCHER", &Instructions::executeLauncher},
};

Instructions::Instructions(const TagFile& program, JvmCommands& jvm, LaunchCommands& launch)
    : program_(program), jvm_(jvm), launch_(launch) {}

void Instructions::run() {
    const std::int32_t count = static_cast<std::int32_t>(program_.valueCount(INSTRUCTIONS_TAG));
    statementIndex_ = 0;
    while (statementIndex_ < count) {
        String statement = program_.getValue(INSTRUCTIONS_TAG, static_cast<std::size_t>(statementIndex_));
        std::size_t pos = 0;
        String word;
        if (!nextWord(statement, pos, word)) raiseError("No command specified.");
        jumped_ = false;
        // Labels and comments do nothing when reached.
        if (word[0] != ':' && word != "//") execute(word, statement, pos);
        // Looping programs are allowed, so a jump is where a cancel from the
        // progress window must be noticed: no loop can bypass this check.
        if (jumped_ && launch_.cancelRequested()) {
            writeLog("Instructions stopped: the user cancelled.");
            return;
        }
        ++statementIndex_;
    }
}

void Instructions::check(const std::function<void(std::int32_t statementIndex, const String& message)>& report) {
    const std::int32_t count = static_cast<std::int32_t>(program_.valueCount(INSTRUCTIONS_TAG));
    checking_ = true;
    for (std::int32_t k = 0; k < count; ++k) {
        statementIndex_ = k;
        const String statement = program_.getValue(INSTRUCTIONS_TAG, static_cast<std::size_t>(k));
        try {
            std::size_t pos = 0;
            String word;
            if (!nextWord(statement, pos, word)) raiseError("No command specified.");
            if (word[0] != ':' && word != "//") execute(word, statement, pos);
        } catch (const InstructionsException& e) {
            report(k, e.message);
        } catch (const LauncherException& e) {
            report(k, e.message());
        }
    }
    checking_ = false;
    statementIndex_ = 0;
}

bool Instructions::isCommandName(const String& word) {
    for (const CommandEntry& entry : commands_)
        if (word == entry.name) return true;
    return false;
}

void Instructions::execute(const String& command, const String& statement, std::size_t pos) {
    for (const CommandEntry& entry : commands_) {
        if (command == entry.name) {
            (this->*entry.command)(statement, pos);
            return;
        }
    }
    raiseError("Invalid command (" + command + "). ");
}

std::int32_t Instructions::resolveLabel(const String& label) {
    String target = ":" + label;
    expandReferences(target, "Invalid label specified.", *this);
    if (target == ":")
        raiseError("Label " + label + " resolved to a blank string. Labels cannot be blank.");
    // The whole statement must equal the target, so a label line with a
    // further word never matches. The first statement can be a label too.
    const Tag* tag = program_.findTag(INSTRUCTIONS_TAG);
    std::int32_t count = tag ? static_cast<std::int32_t>(tag->values.size()) : 0;
    for (std::int32_t k = 0; k < count; ++k) {
        if (tag->values[static_cast<std::size_t>(k)] == target) return k;
    }
    raiseError("Label not found (" + label + ")");
}

void Instructions::raiseError(const String& message) const {
    throw InstructionsException{message, statementIndex_ + 1};
}

String Instructions::requireWord(const String& statement, std::size_t& pos, const char* missingMessage) const {
    String word;
    if (!nextWord(statement, pos, word)) raiseError(missingMessage);
    return word;
}

void Instructions::jumpTo(const String& label) {
    if (checking_) {
        if (label.find('@') == String::npos) resolveLabel(label);
        return;
    }
    statementIndex_ = resolveLabel(label);
    jumped_ = true;
}

void Instructions::initializeUi(const String&, std::size_t) { launch_.initializeUi(); }

// FIND_JVM and VERIFY both start with the same two flags; only the command
// name in their missing-argument texts differs.
void Instructions::readUiFlags(const String& statement, std::size_t& pos, const String& command, bool& showUi,
                               bool& showFailureMessage) {
    String word = requireWord(statement, pos,
                              ("The first argument to " + command +
                               " should be a 1 if the UI should be displayed or a 0 if the UI should be suppressed.")
                                  .c_str());
    showUi = evalBoolean(word, "", *this);
    word = requireWord(statement, pos,
                       ("The second argument to " + command +
                        " should be a 1 if a find failure message should be displayed in a UI or 0 if no message "
                        "should be displayed.")
                           .c_str());
    showFailureMessage = evalBoolean(word, "", *this);
}

void Instructions::findJvm(const String& statement, std::size_t pos) {
    bool showUi = false, showFailureMessage = false;
    readUiFlags(statement, pos, "FIND_JVM", showUi, showFailureMessage);
    jvm_.findJvm(showUi, showFailureMessage);
}

void Instructions::verify(const String& statement, std::size_t pos) {
    bool showUi = false, showFailureMessage = false;
    readUiFlags(statement, pos, "VERIFY", showUi, showFailureMessage);
    String word = requireWord(statement, pos, "The third argument to VERIFY should be the file index number of the jvm file.");
    std::int32_t fileIndex = evalNumber(word, "", *this);
    jvm_.verifyJvmById(showUi, showFailureMessage, fileIndex);
}

void Instructions::installJvm(const String& statement, std::size_t pos) {
    const char* message = "The first argument to INSTALL_JVM should be a 0, 1 or 2.";
    String word = requireWord(statement, pos, message);
    std::int32_t mode = evalNumber(word, "", *this);
    if (mode < 0 || mode > 2) raiseError(message);
    launch_.installJvm(mode);
}

void Instructions::launch(const String& statement, std::size_t pos) {
    String jvmFileName = readStringArgument(statement, pos, "Invalid jvm file name specified in LAUNCH.", *this);
    String word = requireWord(statement, pos,
                              "The second argument to LAUNCH should be the number of seconds to display the UI "
                              "during the launch.");
    std::int16_t seconds = evalShort(word, "", *this);
    launch_.launchWithJvmFile(jvmFileName, seconds);
}

// Shared by ILAUNCH and EXECUTE_LAUNCHER, which report a missing index alike.
static const char* const MISSING_FILE_INDEX =
    "The first argument to ILAUNCH should be the file index number of the jvm file.";

void Instructions::internalLaunch(const String& statement, std::size_t pos) {
    String word = requireWord(statement, pos, MISSING_FILE_INDEX);
    std::int32_t fileIndex = evalNumber(word, "", *this);
    word = requireWord(statement, pos,
                       "The second argument to ILAUNCH should be the number of seconds to display the UI during the "
                       "launch.");
    std::int16_t seconds = evalShort(word, "", *this);
    launch_.launchWithEmbeddedJvmFile(fileIndex, seconds);
}

void Instructions::executeLauncher(const String& statement, std::size_t pos) {
    String word = requireWord(statement, pos, MISSING_FILE_INDEX);
    std::int32_t fileIndex = evalNumber(word, "", *this);
    launch_.executeEmbeddedLauncher(fileIndex);
}

void Instructions::gotoLabel(const String& statement, std::size_t pos) {
    String label = requireWord(statement, pos, "The GOTO command requires a label as its only argument.");
    jumpTo(label);
}

void Instructions::jumpIfZero(const String& statement, std::size_t pos) {
    String word;
    nextWord(statement, pos, word);  // an absent value reports " Empty expression."
    std::int32_t value = evalNumber(word, "The second argument to JMP0 must be numeric.", *this);
    String label = requireWord(statement, pos, "JMP0 requires a jump label as its second argument.");
    if (value == 0 || checking_) jumpTo(label);
}

void Instructions::set(const String& statement, std::size_t pos) {
    String rest;
    if (pos < statement.size()) rest = statement.substr(pos);
    trim(rest);
    std::size_t equals = rest.find('=');
    if (equals == std::string::npos) raiseError("SET statement is missing =.");
    String left = rest.substr(0, equals);
    String right = rest.substr(equals + 1);
    trim(left);
    trim(right);
    try {
        VariableRef ref = VariableRef::parse(left, "Invalid variable specified on left hand side of SET statement.");
        String value = evalString(right, "Invalid expression specified for SET command", *this);
        ref.assign(value, "Invalid value specified for SET command");
    } catch (const LauncherException& e) {
        raiseError(e.message());
    }
}

void runInstructions(Instructions& instructions) {
    try {
        instructions.run();
    } catch (const InstructionsException& e) {
        throw LauncherException("Error in instructions. " + e.message + " Line number (" + toDecimal(e.line) + ")");
    }
}

}  // namespace mg
