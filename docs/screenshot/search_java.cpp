// A java.exe for the screenshot in docs/progress-search.png
// (make-search-screenshot.sh): started by the launcher to verify its home, it
// waits until the launcher's progress dialog shows "Verifying", writes
// "x y width height" of the dialog and the status text to the file named by
// MG_SHOT_READY, waits until the file named by MG_SHOT_TAKEN exists (the
// screenshot is taken), and then answers as a Java 17 would, so the search
// succeeds. Every wait is bounded: it never keeps the launcher for ever.
// Started again for the launch (no visible dialog, ready file written), it
// only answers.
#include "../../tests/helpers/launcher_dialog.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace mg;

namespace {

bool exists(const char* path) { return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// The status line (control 1000); sent with a timeout, so a busy launcher
// cannot hold this program.
void statusText(HWND dialog, char* text, int size) {
    text[0] = '\0';
    HWND status = ::GetDlgItem(dialog, 1000);
    DWORD_PTR copied = 0;
    if (status)
        ::SendMessageTimeoutA(status, WM_GETTEXT, size, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 2000, &copied);
    text[size - 1] = '\0';
}

void waitForShot() {
    const char* ready = std::getenv("MG_SHOT_READY");
    const char* taken = std::getenv("MG_SHOT_TAKEN");
    if (!ready || !taken || exists(ready)) return;
    const DWORD launcher = launcher_dialog::parentProcessId();
    HWND dialog = nullptr;
    char text[512] = "";
    for (int i = 0; i < 200; ++i) {  // 20 s
        dialog = launcher_dialog::findDialog(launcher, true);
        if (dialog) {
            statusText(dialog, text, sizeof text);
            if (std::strstr(text, "Verifying")) break;
        }
        ::Sleep(100);
    }
    if (!dialog) return;
    // Let the dialog paint its last text before the picture.
    ::Sleep(500);
    RECT r;
    ::GetWindowRect(dialog, &r);
    char temp[MAX_PATH + 8];
    std::snprintf(temp, sizeof temp, "%s.tmp", ready);
    if (std::FILE* f = std::fopen(temp, "w")) {
        std::fprintf(f, "%ld %ld %ld %ld\n%s\n", r.left, r.top, r.right - r.left, r.bottom - r.top, text);
        std::fclose(f);
        ::MoveFileA(temp, ready);  // whole, or not at all
    }
    for (int i = 0; i < 600 && !exists(taken); ++i) ::Sleep(100);  // 60 s
}

}  // namespace

int main() {
    waitForShot();
    DWORD written = 0;
    // The verify class's answer: its magic number, then the value of the one
    // property the sample's JVM file asks for, as a Java 17 gives it.
    const char answer[] = "1739021872\r\n17\r\n";
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), answer, sizeof answer - 1, &written, nullptr);
    return 0;
}
