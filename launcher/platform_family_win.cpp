#include <windows.h>

#include "launcher/platform_family.h"

namespace mg {

PlatformReport kernelPlatform() {
    PlatformReport report;
    // Never loaded here: NT maps ntdll into every process, and a 9x system
    // that has a file of that name has no RtlGetVersion in it.
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    if (!ntdll) return report;
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto rtlGetVersion =
        reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")));
    if (!rtlGetVersion) return report;
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (rtlGetVersion(&info) != 0) return report;  // not STATUS_SUCCESS
    report.answered = true;
    report.platformId = info.dwPlatformId;
    return report;
}

PlatformReport win32Platform() {
    PlatformReport report;
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!::GetVersionExA(&info)) return report;
    report.answered = true;
    report.platformId = info.dwPlatformId;
    return report;
}

}  // namespace mg
