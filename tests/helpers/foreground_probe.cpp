// Prints the title of the foreground window and whether it is minimised:
// "foreground=<title> iconic=<0|1>", for the end-to-end runs of
// SINGLE_INSTANCE.
#include <windows.h>

#include <cstdio>

int main() {
    HWND window = ::GetForegroundWindow();
    char title[256] = "";
    if (window != nullptr) ::GetWindowTextA(window, title, sizeof title);
    std::printf("foreground=%s iconic=%d\n", title, window != nullptr && ::IsIconic(window) ? 1 : 0);
    return 0;
}
