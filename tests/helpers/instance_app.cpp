// A stand-in application with a window, for the end-to-end runs of
// SINGLE_INSTANCE: the launch script runs it as its "Java" executable.
// It appends "started <its pid> <launcher pid> <command line>" to the file
// named by MG_INSTANCE_LOG, shows the top-level window "Instance app"
// (minimised when MG_INSTANCE_MINIMISED is set) and runs until the file
// named by MG_INSTANCE_STOP exists.
#include "launcher_dialog.h"

#include <cstdio>
#include <cstdlib>

namespace {

const char* stopFile = nullptr;

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && stopFile != nullptr && ::GetFileAttributesA(stopFile) != INVALID_FILE_ATTRIBUTES)
        ::DestroyWindow(window);
    if (message == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    stopFile = std::getenv("MG_INSTANCE_STOP");
    if (const char* log = std::getenv("MG_INSTANCE_LOG")) {
        if (std::FILE* f = std::fopen(log, "a")) {
            std::fprintf(f, "started %lu %lu %s\n", ::GetCurrentProcessId(), mg::launcher_dialog::parentProcessId(),
                         ::GetCommandLineA());
            std::fclose(f);
        }
    }
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "InstanceApp";
    ::RegisterClassA(&windowClass);
    HWND window = ::CreateWindowA("InstanceApp", "Instance app", WS_OVERLAPPEDWINDOW, 100, 100, 400, 200, nullptr,
                                  nullptr, instance, nullptr);
    ::ShowWindow(window, std::getenv("MG_INSTANCE_MINIMISED") ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
    ::SetTimer(window, 1, 100, nullptr);
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return 0;
}
