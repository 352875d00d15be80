// The instructions interpreter: statements of the INSTRUCTIONS tag, labels,
// jumps, and the commands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "instructions/expressions.h"
#include "instructions/operations.h"
#include "base/string.h"
#include "text/tagfile.h"

namespace mg {

// An error of a running program; the driver turns it into a LauncherException.
struct InstructionsException {
    String message;
    std::int32_t line;  // 1-based statement number
};

// The tag whose values are the statements.
extern const char* const INSTRUCTIONS_TAG;

class Instructions : public ErrorRaiser {
public:
    // All are kept by reference and must outlive the interpreter.
    Instructions(const TagFile& program, JvmCommands& jvm, LaunchCommands& launch);

    // Executes the program from its first statement. Throws
    // InstructionsException for an error in the program; a LauncherException
    // from an operation passes through. Ends early, without an error, when the
    // user cancels while the program is jumping (see cancelRequested).
    void run();

    // Index of the statement that defines label (references expanded).
    std::int32_t resolveLabel(const String& label);

    // Reads every statement once, in order, as run() reads it, without
    // running the program: a command's arguments are read and evaluated and
    // its operation called (give the interpreter commands that only look),
    // and a jump's label is resolved whatever the jump's value, without
    // jumping. A label that holds a variable reference is left alone: its
    // target is known only while the program runs. Each statement's error
    // goes to report, InstructionsException or LauncherException alike, and
    // the check goes on with the next statement. Variables change as SET
    // and the operations change them.
    void check(const std::function<void(std::int32_t statementIndex, const String& message)>& report);

    // Whether word names a command (exactly, upper case).
    static bool isCommandName(const String& word);

    // Throws InstructionsException (message, current statement number).
    [[noreturn]] void raiseError(const String& message) const final;

    std::int32_t statementIndex() const { return statementIndex_; }

private:
    void execute(const String& command, const String& statement, std::size_t pos);
    String requireWord(const String& statement, std::size_t& pos, const char* missingMessage) const;
    void jumpTo(const String& label);

    void initializeUi(const String& statement, std::size_t pos);
    void readUiFlags(const String& statement, std::size_t& pos, const String& command, bool& showUi,
                     bool& showFailureMessage);
    void findJvm(const String& statement, std::size_t pos);
    void verify(const String& statement, std::size_t pos);
    void installJvm(const String& statement, std::size_t pos);
    void launch(const String& statement, std::size_t pos);
    void internalLaunch(const String& statement, std::size_t pos);
    void executeLauncher(const String& statement, std::size_t pos);
    void gotoLabel(const String& statement, std::size_t pos);
    void jumpIfZero(const String& statement, std::size_t pos);
    void set(const String& statement, std::size_t pos);

    using Command = void (Instructions::*)(const String& statement, std::size_t pos);
    struct CommandEntry {
        const char* name;
        Command command;
    };
    static const CommandEntry commands_[];

    const TagFile& program_;
    JvmCommands& jvm_;
    LaunchCommands& launch_;
    std::int32_t statementIndex_ = 0;
    bool jumped_ = false;
    bool checking_ = false;
};

// Runs the program the way the driver does: an InstructionsException becomes
// the LauncherException "Error in instructions. " + message +
// " Line number (" + line + ")". Other exceptions pass through.
void runInstructions(Instructions& instructions);

}  // namespace mg
