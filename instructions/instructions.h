// The instructions interpreter: statements of the INSTRUCTIONS tag, labels,
// jumps, and the commands.
#pragma once

#include <cstddef>
#include <cstdint>

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
    // Both are kept by reference and must outlive the interpreter.
    Instructions(const TagFile& program, Operations& operations);

    // Executes the program from its first statement. Throws
    // InstructionsException for an error in the program; a LauncherException
    // from an operation passes through. Ends early, without an error, when the
    // user cancels while the program is jumping (see cancelRequested).
    void run();

    // Index of the statement that defines label (references expanded).
    std::int32_t resolveLabel(const String& label);

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
    Operations& operations_;
    std::int32_t statementIndex_ = 0;
    bool jumped_ = false;
};

// Runs the program the way the driver does: an InstructionsException becomes
// the LauncherException "Error in instructions. " + message +
// " Line number (" + line + ")". Other exceptions pass through.
void runInstructions(Instructions& instructions);

}  // namespace mg
