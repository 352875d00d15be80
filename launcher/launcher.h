// The worker's top level: the settings of a run and the driver under the
// handler that reports what ended it.
#pragma once

#include "base/string.h"

namespace mg {

// Sets launcherPath, originalLauncherPath and allArgs, then runs the driver.
// Returns 0, or 1 after an error was shown (unless silent) and logged.
int runLauncher(const StringList& args, const String& path);

}  // namespace mg
