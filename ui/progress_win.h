// The Windows side of the progress window: the dialog handle, its procedure
// and placement, used by WinMain.
#pragma once

#include <windows.h>

namespace mg {

enum {
    IDD_PROGRESS = 101,
    IDI_LAUNCHER = 104,
    IDC_STATUS = 1000,
    IDC_PROGRESS = 1001,
    IDC_CANCEL = 1003,
    IDC_INTRO = 1004
};

// Set by the main thread when it creates the dialog; read by the worker.
extern HWND progressDialog;

INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Centres the window on its owner (or the screen), size unchanged, no repaint.
void centerWindow(HWND window);

}  // namespace mg
