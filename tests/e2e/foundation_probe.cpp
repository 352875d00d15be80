// A driver for a test build of the launcher: it records what the start-up
// code handed it, so end-to-end runs can check the platform family and the
// command-line splitting of the real WinMain.
//
// Writes to the file named by MG_PROBE_OUT: "useAnsiApi=<0|1>", then one
// "arg=<text>" line per argument. A first argument "--throw" makes it fail
// with a LauncherException carrying the second argument.
#include <cstdio>
#include <cstdlib>

#include "launcher/driver.h"
#include "base/settings.h"

namespace mg {

int runDriver(const StringList& args) {
    if (const char* out = std::getenv("MG_PROBE_OUT")) {
        if (std::FILE* f = std::fopen(out, "w")) {
            std::fprintf(f, "useAnsiApi=%d\n", useAnsiApi ? 1 : 0);
            for (const String& arg : args) std::fprintf(f, "arg=%s\n", arg.c_str());
            std::fclose(f);
        }
    }
    if (!args.empty() && args[0] == "--throw") throw LauncherException(args.size() > 1 ? args[1] : String("thrown"));
    return 0;
}

}  // namespace mg
