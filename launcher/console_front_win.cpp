// Linked into mglauncher-console.exe only.
#include <windows.h>

#include "base/front.h"
#include "base/settings.h"

namespace mg {

namespace {

// The application runs on the same console in the same process group, so it
// receives the event itself and decides what it means. The launcher must
// outlive it to remove its temporary files. Before the application runs, the
// event stops the launcher's own work the way the progress window's Cancel
// does.
BOOL WINAPI onConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    cancelRequested = true;
    return TRUE;
}

}  // namespace

void startConsoleFront() {
    front = Front::Console;
    ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

}  // namespace mg
