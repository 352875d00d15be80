// Command lines longer than the system starts: their arguments can go to a
// Java argument file ("@file", understood by Java 9 and later). Portable.
#pragma once

#include <cstddef>
#include <vector>

#include "base/string.h"

namespace mg {

// The longest command line CreateProcess takes, with its terminating zero;
// also the longest value of one environment variable.
constexpr std::size_t maxCommandLine = 32767;

inline bool fitsCommandLine(const String& commandLine) { return commandLine.size() < maxCommandLine; }

// One word of a command line: its text as the program's C runtime gives it
// back, and where it stands in the line.
struct CommandWord {
    String text;
    std::size_t begin;
    std::size_t end;
};

// The words as the Microsoft C runtime splits a command line (the rule
// LaunchScript::quoteArgument writes for); the first word, the program,
// ends at its closing quote or first blank.
std::vector<CommandWord> splitCommandWords(const String& commandLine);

// A command too long to start, rewritten: the program, then "@" and
// argumentFilePath (quoted when needed), then the words that still fit as
// written. fileText receives the moved words in Java's argument-file
// syntax. False when even the program and the file leave no room.
bool moveToArgumentFile(const String& commandLine, const String& argumentFilePath, String& shortCommand,
                        String& fileText, std::size_t& movedWords);

// Whether the JVM whose "release" file holds these lines reads argument
// files: its JAVA_VERSION is 9 or later ("1.8.0_392" is 8).
bool releaseSupportsArgumentFiles(const StringList& releaseLines);

}  // namespace mg
