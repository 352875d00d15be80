// A stand-in Java executable for the end-to-end run of a cancelled search:
// started by the launcher to verify a candidate home, it closes the
// launcher's progress dialog (as the user's Cancel does), waits until the
// dialog has handled that, and exits without printing anything, so that the
// candidate fails verification. With MG_CANCEL_JAVA_HANG set it then never
// ends, as a hung JVM would not.
// Exit status 0 when it reached the dialog, 3 when it found none.
#include "launcher_dialog.h"

#include <cstdio>
#include <cstdlib>

using namespace mg;

int main() {
    const DWORD launcher = launcher_dialog::parentProcessId();
    HWND dialog = launcher_dialog::findDialog(launcher, false);
    if (dialog == nullptr) {
        std::fprintf(stderr, "cancel_java: no dialog of process %lu\n", launcher);
        return 3;
    }
    DWORD_PTR result = 0;
    // Sent, not posted: when this returns, the launcher has seen the request.
    ::SendMessageTimeoutA(dialog, WM_CLOSE, 0, 0, SMTO_NORMAL, 60000, &result);
    if (std::getenv("MG_CANCEL_JAVA_HANG")) ::Sleep(INFINITE);
    return 0;
}
