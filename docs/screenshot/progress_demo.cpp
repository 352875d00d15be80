// Shows the real progress dialog with a moving bar and status line, for the
// screenshot in docs/progress-window.png (see make-screenshot.sh).
//
//   progress_demo [READY-FILE]
// Once the bar has moved, writes "x y width height" of the dialog to
// READY-FILE; ends by itself after a few more seconds.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "ui/progress.h"
#include "ui/progress_win.h"

using namespace mg;

namespace {
const char* readyFile = nullptr;
int ticks = 0;

void CALLBACK onTick(HWND, UINT, UINT_PTR, DWORD) {
    ++ticks;
    if (ticks == 1) setDetail(DETAIL_VERIFYING, "C:\\Program Files\\Java\\jre1.8.0_202");
    if (ticks == 4 && readyFile) {
        RECT r;
        ::GetWindowRect(progressDialog, &r);
        if (std::FILE* f = std::fopen(readyFile, "w")) {
            std::fprintf(f, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
            std::fclose(f);
        }
    }
    if (ticks == 12) ::PostQuitMessage(0);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc > 1) readyFile = __argv[1];
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    progressDialog =
        ::CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, progressDialogProc, 0);
    if (!progressDialog) return 1;
    setCaption("Demo Application \\u2013 Setup");
    centerWindow(progressDialog);
    showWindow();
    setStatus(STATUS_SEARCHING);
    setProgress(20);
    // The hide timer's companion moves the bar by 5 every 100 ms.
    hideAfter(30);
    ::SetTimer(nullptr, 0, 500, onTick);

    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (::IsDialogMessageA(progressDialog, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    ::DestroyWindow(progressDialog);
    return 0;
}
