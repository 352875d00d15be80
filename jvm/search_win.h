// The system side of the JVM search: the registry reads behind platform
// hints and the list of fixed drives.
#pragma once

#include <windows.h>

#include "jvm/search.h"

namespace mg {

// The text of a registry value, up to its first NUL; the system's error code
// (0 on success). The value's registry type is not checked.
LONG readRegistryString(HKEY key, const String& valueName, String& out);

// The homes a platform hint names: the value, else the default value of the
// key formed by everything after the hive, read in the default registry view
// and in the other one (the 64-bit view for a 32-bit process on 64-bit
// Windows, the 32-bit view for a 64-bit build), in that order, each that can
// be read. Empty (with a warning) when neither can be read. Throws
// LauncherException for a hive not in the table.
ViewHomes resolvePlatformHint(const String& hint);

// Appends the fixed drives as "C:". Throws LauncherException when the system
// reports no drives.
void listFixedDrives(StringList& drives);

}  // namespace mg
