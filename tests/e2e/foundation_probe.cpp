// A driver for a test build of the launcher: it records what the start-up
// code handed it, so end-to-end runs can check the platform family and the
// command-line splitting of the real WinMain.
//
// Writes to the file named by MG_PROBE_OUT: "useAnsiApi=<0|1>", then one
// "arg=<text>" line per argument. A first argument "--throw" makes it fail
// with a LauncherException carrying the second argument; a first argument
// "--orig" makes the run end with the launcher's self-removal, as -mg:orig
// does.
//
// With MG_PROBE_VERSION_LIE=98 set, the probe plays NT's Windows 98
// compatibility mode before WinMain runs: like the system's compatibility
// layer it redirects the program's import of GetVersionExA to a function
// that reports Windows 98, and leaves ntdll alone. The record then begins
// with "GetVersionExA platform=<id>", what that import now answers; without
// the line the redirection failed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "launcher/driver.h"
#include "base/settings.h"

namespace mg {

namespace {

BOOL WINAPI windows98VersionEx(OSVERSIONINFOA* info) {
    if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) return FALSE;
    DWORD size = info->dwOSVersionInfoSize;
    std::memset(info, 0, size);
    info->dwOSVersionInfoSize = size;
    info->dwMajorVersion = 4;
    info->dwMinorVersion = 10;
    info->dwBuildNumber = 2222;
    info->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    return TRUE;
}

// Points this module's import of dll!function at replacement.
bool redirectImport(const char* dll, const char* function, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return false;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        if (::lstrcmpiA(reinterpret_cast<char*>(base + d->Name), dll) != 0 || d->OriginalFirstThunk == 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<char*>(byName->Name), function) != 0) continue;
            DWORD old = 0;
            if (!::VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old)) return false;
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            ::VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            return true;
        }
    }
    return false;
}

const bool versionLie = [] {
    const char* lie = std::getenv("MG_PROBE_VERSION_LIE");
    return lie && std::strcmp(lie, "98") == 0 &&
           redirectImport("kernel32.dll", "GetVersionExA", reinterpret_cast<void*>(&windows98VersionEx));
}();

}  // namespace

int runDriver(const StringList& args) {
    if (const char* out = std::getenv("MG_PROBE_OUT")) {
        if (std::FILE* f = std::fopen(out, "w")) {
            if (versionLie) {
                OSVERSIONINFOA info = {};
                info.dwOSVersionInfoSize = sizeof info;
                std::fprintf(f, "GetVersionExA platform=%lu\n",
                             ::GetVersionExA(&info) ? static_cast<unsigned long>(info.dwPlatformId) : 0ul);
            }
            std::fprintf(f, "useAnsiApi=%d\n", useAnsiApi ? 1 : 0);
            for (const String& arg : args) std::fprintf(f, "arg=%s\n", arg.c_str());
            std::fclose(f);
        }
    }
    if (!args.empty() && args[0] == "--throw") throw LauncherException(args.size() > 1 ? args[1] : String("thrown"));
    if (!args.empty() && args[0] == "--orig") originalGiven = true;
    return 0;
}

}  // namespace mg
