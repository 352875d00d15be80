#include "base/settings.h"

namespace mg {

bool useAnsiApi = false;
bool traceEnabled = false;
String tracePath;

String launcherPath;
String originalLauncherPath;
StringList allArgs;

String logPath;
bool logHeaderWritten = false;

bool silent = false;
bool originalGiven = false;
String javaHome;
bool javaConsole = false;
StringList passThroughArgs;

std::atomic<bool> cancelRequested{false};

}  // namespace mg
