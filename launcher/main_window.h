// The hidden main window and the worker, for WinMain and its tests.
#pragma once

#include <windows.h>

namespace mg {

// Cleared when the worker is started, so a second creation message never
// starts a second one.
extern bool workerPending;

// Creation makes the hidden progress dialog and starts the worker; destroy
// closes the dialog and posts the quit message; end of session runs the
// clean-up pass.
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Splits the command line, runs the launcher, cleans up, then posts the
// destroy message to the window given as the parameter.
DWORD WINAPI workerMain(LPVOID window);

}  // namespace mg
