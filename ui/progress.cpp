#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "base/front.h"
#include "base/settings.h"
#include "text/text.h"
#include "ui/messages.h"
#include "ui/progress.h"
#include "ui/progress_mailbox.h"
#include "ui/progress_window.h"
#include "ui/progress_win.h"

namespace mg {

HWND progressDialog = nullptr;

namespace {

enum { HIDE_TIMER = 1, ANIMATION_TIMER = 2, UPDATE_TIMER = 3 };
// After an update from the worker the dialog waits this long before it shows
// the next one: each costs the main thread a repaint, and on a busy machine
// the repaints of thousands of steps would take the worker's processor time.
const UINT kUpdateMillis = 50;
const UINT kAnimationMillis = 100;
// Timers belong to the thread that owns the window, so the worker asks the
// dialog to start them; wParam carries the delay in seconds.
const UINT WM_MG_HIDE_AFTER = WM_APP + 1;
// The status line and the bar position waiting in the mailbox.
const UINT WM_MG_UPDATE = WM_APP + 2;

// A progress step must never wait for the window's thread: a message sent
// across threads waits until that thread has handled it, and an extraction
// or a walk takes thousands of steps. The worker leaves the latest line and
// position here and posts; the dialog's thread shows them.
ProgressMailbox mailbox;
// Set when the dialog is made, on its own thread, before any worker runs.
DWORD dialogThread = 0;
HWND initializedDialog = nullptr;
HWND initializedBar = nullptr;
// The caption as setCaption gave it (GetWindowText across threads would wait
// for the dialog's thread too); read as the status insert.
String captionText;

void showUpdate(HWND dialog, bool holdPosts = false) {
    ProgressMailbox::Update update = mailbox.take(holdPosts);
    if (update.hasLine) ::SetDlgItemTextA(dialog, IDC_STATUS, update.line.c_str());
    if (update.hasPosition)
        ::SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(update.position), 0);
}

// Shows at once on the dialog's own thread; from the worker, posts when no
// update is on its way.
void deliver(bool mustPost) {
    if (!progressDialog) {
        mailbox.postFailed();
    } else if (::GetCurrentThreadId() == dialogThread) {
        showUpdate(progressDialog);
    } else if (mustPost && !::PostMessageA(progressDialog, WM_MG_UPDATE, 0, 0)) {
        mailbox.postFailed();
    }
}

// Before a call that waits for the dialog anyway (showing, hiding, a message
// box, the caption): the dialog first shows what the worker last set, so
// those calls see the status line in the order the worker made them.
void flushUpdates() {
    if (mailbox.pending() && ::GetCurrentThreadId() != dialogThread && progressDialog)
        ::SendMessageA(progressDialog, WM_MG_UPDATE, 0, 0);
}

void onTimer(HWND dialog, UINT_PTR id) {
    if (id == HIDE_TIMER) {
        ::ShowWindow(dialog, SW_HIDE);
        ::KillTimer(dialog, ANIMATION_TIMER);
        ::KillTimer(dialog, HIDE_TIMER);
    } else if (id == UPDATE_TIMER) {
        ::KillTimer(dialog, UPDATE_TIMER);
        showUpdate(dialog);
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
    case WM_INITDIALOG: {
        ::SetDlgItemTextA(dialog, IDC_INTRO, loadStringText(IDS_INTRO).c_str());
        dialogThread = ::GetCurrentThreadId();
        initializedDialog = dialog;
        initializedBar = ::GetDlgItem(dialog, IDC_PROGRESS);
        mailbox.reset();
        char caption[512] = "";
        ::GetWindowTextA(dialog, caption, sizeof caption);
        captionText = caption;
        return TRUE;
    }
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
    case WM_MG_UPDATE:
        // The worker's later changes wait in the mailbox for the timer.
        showUpdate(dialog, true);
        ::SetTimer(dialog, UPDATE_TIMER, kUpdateMillis, nullptr);
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

String windowCaption() { return captionText; }

void showStatusLine(const String& line) { deliver(mailbox.putLine(line)); }

bool hasProgressBar() {
    if (!progressDialog) return false;
    return (progressDialog == initializedDialog ? initializedBar : ::GetDlgItem(progressDialog, IDC_PROGRESS)) !=
           nullptr;
}

void moveProgressBar(int n, bool relative) { deliver(relative ? mailbox.step(n) : mailbox.setPosition(n)); }

void showDialog() {
    flushUpdates();
    ::ShowWindow(progressDialog, SW_SHOWNORMAL);
}

void hideAfter(short seconds) {
    flushUpdates();
    ::EnableWindow(::GetDlgItem(progressDialog, IDC_CANCEL), FALSE);
    // A negative delay would become a timer of weeks; treat it as "now".
    if (seconds <= 0) {
        ::ShowWindow(progressDialog, SW_HIDE);
        return;
    }
    ::SendMessageA(progressDialog, WM_MG_HIDE_AFTER, static_cast<WPARAM>(seconds), 0);
}

namespace {

int messageBox(const String& text, UINT buttons) {
    if (consoleFront()) {
        writeStandardErrorLine(text);
        return IDNO;
    }
    flushUpdates();
    // A branded launcher's boxes carry its product's name.
    const String caption = loadStringText(IDS_MESSAGE_CAPTION);
    return ::MessageBoxA(progressDialog, text.c_str(), caption.empty() ? "Message" : caption.c_str(), buttons);
}

}  // namespace

void showMessageText(const String& text) { messageBox(text, MB_OK); }

bool askYesNoText(const String& text) { return messageBox(text, MB_YESNO) == IDYES; }

void setCaption(const String& text) {
    std::u16string wide = toWideEscaped(text);
    const wchar_t* w = reinterpret_cast<const wchar_t*>(wide.c_str());
    int length = ::WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return;
    std::string ansi(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, w, -1, &ansi[0], length, nullptr, nullptr);
    ::SetWindowTextA(progressDialog, ansi.c_str());
    // What the dialog now holds, as GetWindowText with a 512-byte buffer reads it.
    captionText.assign(ansi.c_str(), std::min<std::size_t>(std::strlen(ansi.c_str()), 511));
}

bool isWindowShown() { return progressDialog != nullptr && ::IsWindowVisible(progressDialog); }

}  // namespace mg
