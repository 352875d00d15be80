// Process entry: the main thread only pumps messages for the hidden main
// window and the progress dialog; one worker thread does the launcher's work.
#include <windows.h>
#include <commctrl.h>

#include "launcher/cmdline.h"
#include "launcher/dll_search_win.h"
#include "base/front.h"
#include "launcher/launcher.h"
#include "base/log.h"
#include "launcher/main_window.h"
#include "launcher/platform_family.h"
#include "base/settings.h"
#include "system/cleanup.h"
#include "system/temp.h"
#include "base/handles.h"
#include "base/system_error.h"
#include "ui/message_buffer.h"
#include "ui/messages.h"
#include "ui/progress.h"
#include "ui/progress_win.h"

namespace mg {

bool workerPending = true;

namespace {

String windowClassName;
HWND mainWindow = nullptr;
Handle workerThread;

// How long WinMain lets a worker that has asked for the end finish returning
// before it stops it.
const DWORD kWorkerExitMillis = 5000;

void startTrace() {
    char value[260];
    DWORD length = ::GetEnvironmentVariableA("DBGWIN32TVX", value, sizeof value);
    // A value too long for the buffer is not a usable path: no trace.
    if (length == 0 || length >= sizeof value) return;
    tracePath = String(value, length);
    traceEnabled = true;
    writeTrace("Launcher Started", true);
}

}  // namespace

DWORD WINAPI workerMain(LPVOID parameter) {
    // The window handle comes as the parameter: mainWindow is stored only
    // after CreateWindowExA returns, and a quick worker could be done first.
    HWND window = static_cast<HWND>(parameter);
    CommandLine commandLine;
    if (splitCommandLine(commandLine) && commandLine.count >= 1) {
        char path[260] = "";
        DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
        if (length >= sizeof path) length = sizeof path - 1;
        StringList args(commandLine.args.begin() + 1, commandLine.args.end());
        try {
            runLauncher(args, String(path, length));
        } catch (...) {
            // runLauncher reports every failure it knows; nothing may end the
            // process without the clean-up below.
        }
        try {
            cleanupPass();
        } catch (...) {
        }
    }
    ::PostMessageA(window, WM_DESTROY, 0, 0);
    return 0;
}

namespace {

LRESULT defaultProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return useAnsiApi ? ::DefWindowProcA(window, message, wParam, lParam)
                      : ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        mainWindow = window;
        // A repeated creation message must not orphan the first dialog.
        if (!progressDialog) {
            progressDialog = ::CreateDialogParamA(instanceHandle, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr,
                                                  progressDialogProc, 0);
            if (progressDialog) {
                ::ShowWindow(progressDialog, SW_HIDE);
                centerWindow(progressDialog);
            }
        }
        LRESULT result = ::DefWindowProcA(window, message, wParam, lParam);
        if (workerPending) {
            workerPending = false;
            DWORD id = 0;
            workerThread.reset(::CreateThread(nullptr, 0, workerMain, window, 0, &id));
            // Without a worker nobody would ever end the loop.
            if (!workerThread) ::PostMessageA(window, WM_DESTROY, 0, 0);
        }
        return result;
    }
    case WM_DESTROY:
        if (progressDialog && ::IsWindow(progressDialog)) ::DestroyWindow(progressDialog);
        progressDialog = nullptr;
        ::PostQuitMessage(0);
        return 0;
    case WM_ENDSESSION:
        // Only a session that really ends: after a cancelled shutdown the
        // launched application still needs its files. A batch file started
        // now would be ended with the session, so a self-removal waits for
        // the next start instead.
        if (wParam) {
            try {
                setShutdownInProgress(true);
                cleanupPass();
            } catch (...) {
            }
        }
        return 0;
    default:
        return defaultProcedure(window, message, wParam, lParam);
    }
}

namespace {

// The worker must not outlive WinMain: the runtime's exit code would run
// beside it. Normally it has posted the destroy message and is returning, so
// the wait is short; a worker still at work is stopped and waited for.
void stopWorker() {
    if (!workerThread) return;
    if (::WaitForSingleObject(workerThread.get(), kWorkerExitMillis) == WAIT_TIMEOUT) {
        ::TerminateThread(workerThread.get(), 0);
        ::WaitForSingleObject(workerThread.get(), INFINITE);
    }
    workerThread.reset();
}

}  // namespace

}  // namespace mg

using namespace mg;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#ifdef MG_CONSOLE_LAUNCHER
    startConsoleFront();
#endif
    restrictDllSearch();
    useAnsiApi = isWindows9xFamily(kernelPlatform(), win32Platform());
    startTrace();

    instanceHandle = instance;
    windowClassName = loadStringText(IDS_WINDOW_CLASS);

    // The dialog's progress bar is a common control.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);

    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = windowClassName.c_str();
    const char* failedCall = "RegisterClassEx";
    HWND window = nullptr;
    if (::RegisterClassExA(&windowClass)) {
        failedCall = "CreateWindowEx";
        window = ::CreateWindowExA(0, windowClassName.c_str(), "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    }
    if (!window) {
        // Nothing ran; the console launcher's caller must not read success,
        // and learns why on standard error (no display, a desktop it may not
        // use). The GUI launcher's box may well fail for the same reason.
        const unsigned long error = ::GetLastError();
        setRunExitCode(EXIT_LAUNCHER_FAILED);
        showMessage(loadStringText(IDS_NO_USER_INTERFACE) + systemErrorMessage(failedCall, error));
        return processExitCode();
    }
    mainWindow = window;
    ::ShowWindow(window, SW_HIDE);
    ::UpdateWindow(window);

    MSG message;
    for (;;) {
        BOOL got = useAnsiApi ? ::GetMessageA(&message, nullptr, 0, 0) : ::GetMessageW(&message, nullptr, 0, 0);
        // -1 is an error of the call itself; treat it as the end, not a message.
        if (got == 0 || got == -1) break;
        if (progressDialog && ::IsDialogMessageA(progressDialog, &message)) continue;
        ::TranslateMessage(&message);
        if (useAnsiApi)
            ::DispatchMessageA(&message);
        else
            ::DispatchMessageW(&message);
    }

    stopWorker();
    // The quit message carries 0; the GUI launcher's exit code is always 0,
    // the console launcher's tells how the run went.
    return processExitCode();
}
