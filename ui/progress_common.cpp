// The logic of the progress window's calls, one for the Windows dialog and
// the host stand-in; each platform shows the result (ui/progress_window.h).
#include "base/front.h"
#include "base/settings.h"
#include "ui/messages.h"
#include "ui/progress.h"
#include "ui/progress_window.h"

namespace mg {

namespace {

int statusStringId = -1;  // -1: none
int detailStringId = -1;  // -1: none
int detailKind = 0;       // 0: none
String detailText;

int statusStringIdFor(int kind) {
    switch (kind) {
    case STATUS_INITIALIZING: return 2;
    case STATUS_SEARCHING: return 3;
    case STATUS_NOT_FOUND: return 6;
    case STATUS_RUNNING: return 5;
    case STATUS_PREPARING: return 4;
    default: return -1;
    }
}

int detailStringIdFor(int kind) {
    switch (kind) {
    case DETAIL_SEARCHING_FOR: return 7;
    case DETAIL_SCANNING: return 25;
    case DETAIL_VERIFYING: return 26;
    default: return -1;
    }
}

String statusPart(const String& caption) {
    if (statusStringId <= 0) return String();
    return formatStringText(statusStringId, {caption});
}

String detailPart() {
    if (detailStringId <= 0) return String();
    return formatStringText(detailStringId, {detailText});
}

// "<status part> <detail part>": the space is always there.
String statusLine() {
    return formatText("%1!s! %2!s!", {statusPart(windowCaption()), detailPart()});
}

void requireProgressBar() {
    if (!hasProgressBar()) throw LauncherException(loadStringText(IDS_NO_PROGRESS_BAR));
}

}  // namespace

void resetStatusLine() {
    statusStringId = -1;
    detailStringId = -1;
    detailKind = 0;
    detailText.clear();
}

void setStatus(int kind) {
    noteCall("setStatus", kind);
    if (silent) return;
    statusStringId = statusStringIdFor(kind);
    showStatusLine(statusStringId > 0 ? statusLine() : String());
}

void setDetail(int kind, const String& text) {
    noteCall("setDetail", kind, text);
    if (silent) return;
    detailStringId = detailStringIdFor(kind);
    if (detailStringId > 0) {
        detailKind = kind;
        detailText = text;
        showStatusLine(statusLine());
    } else {
        detailKind = 0;
    }
}

void stepProgress(int n) {
    noteCall("stepProgress", n);
    if (silent) return;
    requireProgressBar();
    moveProgressBar(n, true);
}

void setProgress(int n) {
    noteCall("setProgress", n);
    if (silent) return;
    requireProgressBar();
    moveProgressBar(n, false);
}

void showWindow() {
    noteCall("showWindow");
    // The console launcher shows the window only when the run asked for it.
    if (silent || (consoleFront() && !progressRequested)) {
        hideAfter(0);
        return;
    }
    showDialog();
}

void showMessage(const String& text) {
    noteCall("showMessage", text);
    if (silent) return;
    showMessageText(text);
}

bool askYesNo(const String& text) {
    noteCall("askYesNo", text);
    if (silent) return false;
    return askYesNoText(text);
}

bool isCancelRequested() { return cancelRequested; }

DetailSaver::DetailSaver() : kind_(detailKind), text_(detailText) {}

DetailSaver::~DetailSaver() {
    // Runs during unwinding too: a failed refresh must not end the process.
    try {
        setDetail(kind_, text_);
    } catch (...) {
    }
}

WindowPosition centerPosition(const Rect& window, const Rect* owner, int screenWidth, int screenHeight) {
    const int w = window.right - window.left;
    const int h = window.bottom - window.top;
    if (!owner) return {(screenWidth - w) / 2, (screenHeight - h) / 2};
    const int ow = owner->right - owner->left;
    const int oh = owner->bottom - owner->top;
    int x = owner->left + ow / 2 - w / 2;
    int y = owner->top + oh / 2 - h / 2;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    if (x >= screenWidth - w - 10) x = screenWidth - w - 10;
    if (y >= screenHeight - h - 10) y = screenHeight - h - 10;
    return {x, y};
}

}  // namespace mg
