#include <windows.h>
#include <commctrl.h>

#include <string>

#include "launcher/front.h"
#include "launcher/settings.h"
#include "text/text.h"
#include "ui/messages.h"
#include "ui/progress.h"
#include "ui/progress_state.h"
#include "ui/progress_win.h"

HWND progressDialog = nullptr;

namespace {

enum { HIDE_TIMER = 1, ANIMATION_TIMER = 2 };
const UINT kAnimationMillis = 100;
// Timers belong to the thread that owns the window, so the worker asks the
// dialog to start them; wParam carries the delay in seconds.
const UINT WM_MG_HIDE_AFTER = WM_APP + 1;

void refreshStatus() {
    char caption[512] = "";
    ::GetWindowTextA(progressDialog, caption, sizeof caption);
    String status = statusPart(caption);
    ::SetDlgItemTextA(progressDialog, IDC_STATUS, status.c_str());
    String line = joinStatusLine(status, detailPart());
    ::SetDlgItemTextA(progressDialog, IDC_STATUS, line.c_str());
}

HWND progressBar() {
    HWND bar = progressDialog ? ::GetDlgItem(progressDialog, IDC_PROGRESS) : nullptr;
    if (!bar) throw LauncherException(loadStringText(IDS_NO_PROGRESS_BAR));
    return bar;
}

void onTimer(HWND dialog, UINT_PTR id) {
    if (id == HIDE_TIMER) {
        ::ShowWindow(dialog, SW_HIDE);
        ::KillTimer(dialog, ANIMATION_TIMER);
        ::KillTimer(dialog, HIDE_TIMER);
    } else if (id == ANIMATION_TIMER) {
        // Nothing may escape into the system's dispatcher.
        try {
            stepProgress(5);
        } catch (...) {
        }
    }
}

// The console launcher's messages. On a console the text goes through the wide
// call so that it shows in the ANSI code page it is written in, whatever the
// console's own code page; to a file or pipe the bytes go as they are.
void writeStandardErrorLine(const String& text) {
    HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
    const String line = text + "\r\n";
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(error, &mode)) {
        int length = ::MultiByteToWideChar(CP_ACP, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(length), L'\0');
        ::MultiByteToWideChar(CP_ACP, 0, line.data(), static_cast<int>(line.size()), &wide[0], length);
        if (::WriteConsoleW(error, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr)) return;
    }
    ::WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        ::SetDlgItemTextA(dialog, IDC_INTRO, loadStringText(IDS_INTRO).c_str());
        return TRUE;
    case WM_CLOSE:
        // The dialog stays; the worker sees the request and winds down.
        cancelRequested = true;
        return TRUE;
    case WM_COMMAND:
        // Enter and Escape arrive here too (IDOK, IDCANCEL); they do nothing,
        // so a stray key neither hides the window nor cancels the run.
        if (LOWORD(wParam) == IDC_CANCEL) cancelRequested = true;
        return TRUE;
    case WM_TIMER:
        onTimer(dialog, wParam);
        return TRUE;
    case WM_MG_HIDE_AFTER:
        ::SetTimer(dialog, HIDE_TIMER, static_cast<UINT>(wParam) * 1000, nullptr);
        ::SetTimer(dialog, ANIMATION_TIMER, kAnimationMillis, nullptr);
        return TRUE;
    default:
        return FALSE;
    }
}

void centerWindow(HWND window) {
    RECT wr;
    if (!::GetWindowRect(window, &wr)) return;
    Rect windowRect = {wr.left, wr.top, wr.right, wr.bottom};
    HWND owner = ::GetWindow(window, GW_OWNER);
    Rect ownerRect{};
    bool hasOwner = false;
    RECT orc;
    if (owner && ::GetWindowRect(owner, &orc)) {
        ownerRect = {orc.left, orc.top, orc.right, orc.bottom};
        hasOwner = true;
    }
    WindowPosition p = centerPosition(windowRect, hasOwner ? &ownerRect : nullptr, ::GetSystemMetrics(SM_CXSCREEN),
                                      ::GetSystemMetrics(SM_CYSCREEN));
    ::MoveWindow(window, p.x, p.y, wr.right - wr.left, wr.bottom - wr.top, FALSE);
}

void setStatus(int kind) {
    if (silent) return;
    statusStringId = statusStringIdFor(kind);
    if (statusStringId > 0)
        refreshStatus();
    else
        ::SetDlgItemTextA(progressDialog, IDC_STATUS, "");
}

void setDetail(int kind, const String& text) {
    if (silent) return;
    detailStringId = detailStringIdFor(kind);
    if (detailStringId > 0) {
        detailKind = kind;
        detailText = text;
        refreshStatus();
    } else {
        detailKind = 0;
    }
}

void stepProgress(int n) {
    if (silent) return;
    HWND bar = progressBar();
    int position = static_cast<int>(::SendMessageA(bar, PBM_GETPOS, 0, 0));
    ::SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>((position + n) % 100), 0);
}

void setProgress(int n) {
    if (silent) return;
    ::SendMessageA(progressBar(), PBM_SETPOS, static_cast<WPARAM>(n % 100), 0);
}

void showWindow() {
    // The console launcher shows the window only when the run asked for it.
    if (silent || (consoleFront() && !progressRequested)) {
        hideAfter(0);
        return;
    }
    ::ShowWindow(progressDialog, SW_SHOWNORMAL);
}

void hideAfter(short seconds) {
    ::EnableWindow(::GetDlgItem(progressDialog, IDC_CANCEL), FALSE);
    // A negative delay would become a timer of weeks; treat it as "now".
    if (seconds <= 0) {
        ::ShowWindow(progressDialog, SW_HIDE);
        return;
    }
    ::SendMessageA(progressDialog, WM_MG_HIDE_AFTER, static_cast<WPARAM>(seconds), 0);
}

void showMessage(const String& text) {
    if (silent) return;
    if (consoleFront()) {
        writeStandardErrorLine(text);
        return;
    }
    ::MessageBoxA(progressDialog, text.c_str(), "Message", MB_OK);
}

void setCaption(const String& text) {
    std::u16string wide = toWideEscaped(text);
    const wchar_t* w = reinterpret_cast<const wchar_t*>(wide.c_str());
    int length = ::WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return;
    std::string ansi(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, w, -1, &ansi[0], length, nullptr, nullptr);
    ::SetWindowTextA(progressDialog, ansi.c_str());
}

bool isCancelRequested() { return cancelRequested; }
