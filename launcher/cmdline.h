// Splitting the process command line into arguments.
#pragma once

#include "base/string.h"

namespace mg {

struct CommandLine {
    int count = 0;
    StringList args;  // args[0] is the program path as written
};

// The Windows 9x rules: whitespace separates, double quotes group, and past
// the program path a backslash escapes a double quote. Empty arguments are
// dropped. Appends to out.
void splitAnsiCommandLine(const String& text, CommandLine& out);

// The process's own command line: the system's wide splitter on the NT
// family, the rules above on the 9x family (useAnsiApi). Windows only.
bool splitCommandLine(CommandLine& out);

}  // namespace mg
