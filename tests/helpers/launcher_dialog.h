// Finds the progress dialog of the launcher that started this program: for
// the stand-in java.exe programs that act on the launcher's window while it
// verifies them (the tests' cancel_java, the docs' screenshot).
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

namespace mg {

namespace launcher_dialog {

inline DWORD parentProcessId() {
    DWORD self = ::GetCurrentProcessId();
    DWORD parent = 0;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == self) {
            parent = entry.th32ParentProcessID;
            break;
        }
    }
    ::CloseHandle(snapshot);
    return parent;
}

struct Search {
    DWORD processId;
    bool visibleOnly;
    HWND dialog;
};

inline BOOL CALLBACK findInWindow(HWND window, LPARAM parameter) {
    Search* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    char className[64] = "";
    ::GetClassNameA(window, className, sizeof className);
    if (owner == search->processId && std::strcmp(className, "#32770") == 0 &&
        (!search->visibleOnly || ::IsWindowVisible(window))) {
        search->dialog = window;
        return FALSE;
    }
    // The progress dialog may be a child of the launcher's main window.
    ::EnumChildWindows(window, findInWindow, parameter);
    return search->dialog == nullptr;
}

// The first dialog (class #32770) of the process, or null.
inline HWND findDialog(DWORD processId, bool visibleOnly) {
    if (processId == 0) return nullptr;
    Search search = {processId, visibleOnly, nullptr};
    ::EnumWindows(findInWindow, reinterpret_cast<LPARAM>(&search));
    return search.dialog;
}

}  // namespace launcher_dialog

}  // namespace mg
