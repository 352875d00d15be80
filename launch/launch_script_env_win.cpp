// The launch script's environment on Windows: the launcher's own environment
// block, the temporary items and extraction of payload/, and child processes.
#include <windows.h>

#include <vector>

#include "system/child_process.h"
#include "launch/launch_script_env.h"
#include "payload/extract.h"
#include "system/java_path.h"
#include "payload/launcher_file.h"
#include "system/temp.h"
#include "ui/messages.h"

namespace mg {

namespace {

class SystemLaunchEnvironment : public LaunchEnvironment {
public:
    SystemLaunchEnvironment(LauncherFile& launcherFile, TempItems& tempItems)
        : launcherFile_(launcherFile), tempItems_(tempItems) {}

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
        // The system refuses what it cannot hold (a value beyond its limit);
        // the child must not start with a variable that silently differs.
        if (!SetEnvironmentVariableA(name.c_str(), value.c_str())) throwSystemError("SetEnvironmentVariable");
    }

    TempItems& tempItems() override { return tempItems_; }

    String tempRoot() override { return getTempRoot(); }

    StringList extractClasspathArchives() override { return extractArchives(FT_CLASSPATH_ARCHIVE); }

    std::uint64_t physicalMemoryMb() override {
        // GlobalMemoryStatusEx is missing on the 9x family and NT 4; the
        // older call saturates at 4 GB, which only machines that have the
        // newer one exceed.
        using StatusExCall = BOOL(WINAPI*)(LPMEMORYSTATUSEX);
        HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
        FARPROC proc = kernel == nullptr ? nullptr : ::GetProcAddress(kernel, "GlobalMemoryStatusEx");
        if (proc != nullptr) {
            MEMORYSTATUSEX status;
            ZeroMemory(&status, sizeof status);
            status.dwLength = sizeof status;
            if (reinterpret_cast<StatusExCall>(reinterpret_cast<void*>(proc))(&status))
                return status.ullTotalPhys / (1024 * 1024);
        }
        MEMORYSTATUS status;
        ZeroMemory(&status, sizeof status);
        status.dwLength = sizeof status;
        ::GlobalMemoryStatus(&status);
        return status.dwTotalPhys / (1024 * 1024);
    }

    String javaPath(const String& path, const char* what) override { return javaSafePath(path, what); }
    bool reachesJava(const String& text) override { return survivesSystemCodePage(text); }

    String applicationArchive() override { return mg::applicationArchive(); }
    String applicationArchive(const String& fileName) override { return mg::applicationArchive(fileName); }

    unsigned long runProcess(const String& commandLine, const String& workingDirectory, bool showConsole,
                             bool capture, OutputSink& sink) override {
        return mg::runProcess(commandLine, workingDirectory, showConsole, capture, true, &sink);
    }

    int runAttached(const String& commandLine, const String& workingDirectory) override {
        return mg::runAttached(commandLine, workingDirectory);
    }

    std::uint32_t milliseconds() override { return ::GetTickCount(); }

private:
    LauncherFile& launcherFile_;
    TempItems& tempItems_;
};

}  // namespace

std::unique_ptr<LaunchEnvironment> makeSystemLaunchEnvironment(LauncherFile& launcherFile, TempItems& tempItems) {
    return std::make_unique<SystemLaunchEnvironment>(launcherFile, tempItems);
}

}  // namespace mg
