// The log (-mg:log, LOGFILE) and the developer trace (DBGWIN32TVX). Neither
// ever fails: a file that cannot be opened simply receives nothing.
#pragma once

#include <cstddef>

#include "base/string.h"

namespace mg {

enum LogLevel { LOG_PLAIN = 0, LOG_WARNING = 1, LOG_ERROR = 2 };

// One record: prefix by level, the text, a line end. The first record of the
// process is preceded by a separator line.
void writeLog(const String& text, int level = LOG_PLAIN);

// Appends bytes to the log as they are, without prefix or line end: part of
// one record that arrives in pieces (a child's output, streamed). A run of
// appends followed by a writeLog("") gives the bytes writeLog(all) gives.
void appendLog(const char* data, std::size_t size);

// Appends text, and a line end when asked, to the trace file.
void writeTrace(const String& text, bool lineEnd = true);

}  // namespace mg
