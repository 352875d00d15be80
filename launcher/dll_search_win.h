// Where the process looks for DLLs loaded after its start.
#pragma once

#include <windows.h>

namespace mg {

// Keeps DLLs planted beside the launcher (a download folder) or in the
// current directory from being loaded in place of system ones. The static
// imports are resolved before this can run; it guards what is loaded later
// (by the shell's folder browser, COM, the common controls). Both calls are
// looked up because Windows 9x and old NT lack them.
inline void restrictDllSearch() {
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    if (!kernel) return;
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    using SetDllDirectoryWFn = BOOL(WINAPI*)(LPCWSTR);
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
    auto setDirectory = reinterpret_cast<SetDllDirectoryWFn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDllDirectoryW")));
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Drops the current directory from the search where the call above is
    // missing (XP SP1 and later without the 2011 update).
    if (setDirectory) setDirectory(L"");
}

}  // namespace mg
