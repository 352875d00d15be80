// The launch script's environment on Windows: the launcher's own environment
// block, the temporary items and extraction of payload/, and child processes.
#include <windows.h>

#include <vector>

#include "launch/child_process.h"
#include "launch/launch_script_env.h"
#include "payload/extract.h"
#include "payload/launcher_file.h"
#include "payload/temp.h"

namespace {

class WindowsLaunchEnvironment : public LaunchEnvironment {
public:
    bool readLines(const String& path, StringList& lines) override { return readTextFileLines(path, lines); }

    bool getVariable(const String& name, String& value) override {
        // The size first: values may be longer than any fixed buffer.
        DWORD needed = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
        if (needed == 0) return false;
        std::vector<char> buffer(needed + 1, '\0');
        DWORD length = GetEnvironmentVariableA(name.c_str(), buffer.data(), needed + 1);
        if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
        if (length > needed) return false;  // changed in between: treat as unset
        value.assign(buffer.data(), length);
        return true;
    }

    void setVariable(const String& name, const String& value) override {
        SetEnvironmentVariableA(name.c_str(), value.c_str());
    }

    String tempRoot() override { return getTempRoot(); }

    StringList extractClasspathArchives() override {
        String directory = createTempDir();
        StringList paths;
        LauncherFile& file = launcherFile();
        for (std::int32_t i = 0; i < file.entryCount(); ++i) {
            const FileEntry* entry = file.entryAt(i);
            if (entry != nullptr && entry->type == FT_CLASSPATH_ARCHIVE) paths.push_back(extractTo(*entry, directory));
        }
        return paths;
    }

    String applicationArchive() override { return ::applicationArchive(); }
    String applicationArchive(const String& fileName) override { return ::applicationArchive(fileName); }

    void runProcess(const String& commandLine, const String& workingDirectory, bool showConsole, bool capture,
                    String& output, String& error) override {
        ::runProcess(commandLine, workingDirectory, showConsole, capture, true, &output, &error);
    }

    int runAttached(const String& commandLine, const String& workingDirectory) override {
        return ::runAttached(commandLine, workingDirectory);
    }
};

}  // namespace

LaunchEnvironment& systemLaunchEnvironment() {
    static WindowsLaunchEnvironment environment;
    return environment;
}
