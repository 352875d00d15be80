// mgpack's own installation: the launchers, the ready JVM files and the
// verify archive that mgpack packs when the command line names none of its
// own. Portable: the Linux tool and mgpack.exe find them by one rule.
#pragma once

#include <functional>

#include "base/string.h"
#include "tools/pack.h"

namespace mg {

// The installation's folder for an mgpack at executable: share/marrowgate
// under the folder above the executable's own, as the archives
// (bin/mgpack), the zip (bin\mgpack.exe) and the package (/usr/bin/mgpack)
// lay it out. Empty when executable names no such folder.
String installedShareDir(const String& executable);

// The running mgpack's own file (/proc/self/exe, GetModuleFileNameW).
// Throws PackError when the system cannot say.
String ownExecutable();

// Fills in from the installation what the request leaves to it: no --stub
// (the GUI launcher), --stub console (the console launcher), a jvm-file
// given as a bare name that is no file (a ready JVM file, jvmfiles/NAME)
// and --file verify-archive default (verify.jar). A path that names an
// existing file is kept as it is. shareDir is asked only when one is
// needed. Throws PackError saying where it looked when a file is missing.
void useInstalledFiles(PackRequest& request, const std::function<String()>& shareDir);

}  // namespace mg
