// A stand-in Java executable for the end-to-end run of a cancelled search:
// started by the launcher to verify a candidate home, it closes the
// launcher's progress dialog (as the user's Cancel does), waits until the
// dialog has handled that, and exits without printing anything, so that the
// candidate fails verification. With MG_CANCEL_JAVA_HANG set it then never
// ends, as a hung JVM would not.
// Exit status 0 when it reached the dialog, 3 when it found none.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

DWORD parentProcessId() {
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
    HWND dialog;
};

BOOL CALLBACK findDialog(HWND window, LPARAM parameter);

bool isDialogOf(HWND window, DWORD processId) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    char className[64] = "";
    ::GetClassNameA(window, className, sizeof className);
    return owner == processId && std::strcmp(className, "#32770") == 0;
}

BOOL CALLBACK findDialog(HWND window, LPARAM parameter) {
    Search* search = reinterpret_cast<Search*>(parameter);
    if (isDialogOf(window, search->processId)) {
        search->dialog = window;
        return FALSE;
    }
    // The progress dialog may be a child of the launcher's main window.
    ::EnumChildWindows(window, findDialog, parameter);
    return search->dialog == nullptr;
}

}  // namespace

int main() {
    Search search = {parentProcessId(), nullptr};
    if (search.processId != 0) ::EnumWindows(findDialog, reinterpret_cast<LPARAM>(&search));
    if (search.dialog == nullptr) {
        std::fprintf(stderr, "cancel_java: no dialog of process %lu\n", search.processId);
        return 3;
    }
    DWORD_PTR result = 0;
    // Sent, not posted: when this returns, the launcher has seen the request.
    ::SendMessageTimeoutA(search.dialog, WM_CLOSE, 0, 0, SMTO_NORMAL, 60000, &result);
    if (std::getenv("MG_CANCEL_JAVA_HANG")) ::Sleep(INFINITE);
    return 0;
}
