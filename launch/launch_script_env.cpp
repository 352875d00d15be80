#include "launch/launch_script_env.h"

#include <cstdio>

#include "text/text.h"

namespace mg {

namespace {
LaunchEnvironment* installed = nullptr;
}

void setLaunchEnvironment(LaunchEnvironment* environment) { installed = environment; }

LaunchEnvironment& launchEnvironment() {
    if (installed != nullptr) return *installed;
#ifdef _WIN32
    return systemLaunchEnvironment();
#else
    throw LauncherException("No launch environment has been set up.");
#endif
}

bool readTextFileLines(const String& path, StringList& lines) {
    lines.clear();
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) return false;
    while (!std::feof(file) && !std::ferror(file)) {
        String line;
        readLine(file, line);
        lines.push_back(line);
    }
    std::fclose(file);
    return true;
}

}  // namespace mg
