// The progress window: a modeless dialog owned by the main thread, driven by
// the worker through these calls. In silent mode nothing is shown. Portable:
// on the host a stand-in records the calls (ui/host_ui.h).
#pragma once

#include "base/string.h"

namespace mg {

enum StatusKind {
    STATUS_INITIALIZING = 0,  // "Initializing %1!s!..."
    STATUS_SEARCHING = 1,     // "Searching for Java(tm) Virtual Machine..."
    STATUS_NOT_FOUND = 2,     // "Java(tm) Virtual Machine was not found. ..."
    STATUS_RUNNING = 3,       // "Running %1!s!..."
    STATUS_PREPARING = 4      // "Preparing Java(tm) Virtual Machine..."
};

enum DetailKind {
    DETAIL_NONE = 0,
    DETAIL_SEARCHING_FOR = 1,  // "Searching for %1!s!"
    DETAIL_SCANNING = 2,       // "Scanning disk(s) for a Java(tm) Virtual Machine..."
    DETAIL_VERIFYING = 3       // "Verifying %1!s!"
};

// The status line (control 1000) is "<status part> <detail part>", each part
// formatted with the dialog caption or the detail text as its insert.
void setStatus(int kind);
void setDetail(int kind, const String& text);

// Progress bar position: (position + n) mod 100, or n mod 100. Throw
// LauncherException (string 20) when the dialog has no progress bar.
void stepProgress(int n);
void setProgress(int n);

void showWindow();
// Hides the dialog now (0) or after the given seconds, moving the bar meanwhile.
void hideAfter(short seconds);
// A message box titled "Message" (a branded launcher's: its product name,
// string 41) with an OK button; nothing when silent.
void showMessage(const String& text);
// The same box with Yes and No; true when the user chose Yes. Silent: no box,
// and the answer is No. The console front has nobody to ask: it writes the
// text to standard error and answers No.
bool askYesNo(const String& text);
// The caption after decoding backslash-u escapes, in the ANSI code page.
void setCaption(const String& text);
bool isCancelRequested();
// Whether the window is on the screen now: shown and its hide time not yet
// come.
bool isWindowShown();

// Restores the detail line shown before it was made, when it goes out of scope.
class DetailSaver {
public:
    DetailSaver();
    ~DetailSaver();
    DetailSaver(const DetailSaver&) = delete;
    DetailSaver& operator=(const DetailSaver&) = delete;

private:
    int kind_;
    String text_;
};

// Top-left corner that centres a w x h window on its owner's rectangle, kept
// on the screen with a 10-pixel margin; or centred on the screen without an
// owner.
struct WindowPosition {
    int x;
    int y;
};
struct Rect {
    int left;
    int top;
    int right;
    int bottom;
};
WindowPosition centerPosition(const Rect& window, const Rect* owner, int screenWidth, int screenHeight);

}  // namespace mg
