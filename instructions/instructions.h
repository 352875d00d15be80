// The instructions interpreter: statements of the INSTRUCTIONS tag, labels,
// jumps, and the commands.
#pragma once

#include <cstdint>

#include "instructions/operations.h"
#include "text/string.h"
#include "text/tagfile.h"

// An error of a running program; the driver turns it into a LauncherException.
struct InstructionsException {
    String message;
    std::int32_t line;  // 1-based statement number
};

class Instructions {
public:
    Instructions(const TagFile& program, Operations& operations);
    void run();
    std::int32_t resolveLabel(const String& label);
    [[noreturn]] void raiseError(const String& message) const;

private:
    const TagFile& program_;
    Operations& operations_;
    std::int32_t statementIndex_ = 0;
};
