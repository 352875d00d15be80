// Helpers shared by the interpreter's tests: building programs, running them
// and describing how they ended.
#pragma once

#include <initializer_list>
#include <string>

#include "instructions/expressions.h"
#include "instructions/instructions.h"
#include "instructions/variables.h"
#include "text/tagfile.h"
#include "text/text.h"

namespace mg {

// How a run or an evaluation ended.
enum class Outcome { Ok, Raised, Launcher };

struct Ending {
    Outcome outcome = Outcome::Ok;
    std::string message;
    int line = 0;
};

// An error sink for evaluating outside a program: raised errors are thrown as
// InstructionsException with line 0, so tests can tell them from the
// LauncherExceptions of references and assignments.
class TestRaiser : public ErrorRaiser {
public:
    [[noreturn]] void raiseError(const String& message) const override {
        throw InstructionsException{message, 0};
    }
};

inline TagFile makeProgram(std::initializer_list<const char*> statements) {
    TagFile program;
    for (const char* s : statements) program.addValue(INSTRUCTIONS_TAG, s);
    return program;
}

template <class F> Ending capture(F f) {
    Ending e;
    try {
        f();
    } catch (const InstructionsException& x) {
        e.outcome = Outcome::Raised;
        e.message = x.message;
        e.line = x.line;
    } catch (const LauncherException& x) {
        e.outcome = Outcome::Launcher;
        e.message = x.message();
    }
    return e;
}

inline Ending runProgram(const TagFile& program, Operations& operations) {
    Instructions instructions(program, operations);
    return capture([&] { instructions.run(); });
}

}  // namespace mg
