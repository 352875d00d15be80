// Process-wide settings. Each is set once, at start-up or by an option, before
// the code that reads it runs; see each owner for when.
#pragma once

#include <atomic>

#include "base/string.h"

namespace mg {

// Start-up (WinMain), before the worker starts.
extern bool useAnsiApi;     // the kernel is of the 9x family
extern bool traceEnabled;   // DBGWIN32TVX set to a non-empty value
extern String tracePath;

// Worker top level and -mg:orig.
extern String launcherPath;
extern String originalLauncherPath;
extern StringList allArgs;

// Log.
extern String logPath;
extern bool logHeaderWritten;

// Options.
extern bool silent;
extern bool originalGiven;
extern String javaHome;
extern bool javaConsole;
extern StringList passThroughArgs;

// Set by the progress dialog on the main thread, polled by the worker.
extern std::atomic<bool> cancelRequested;

}  // namespace mg
