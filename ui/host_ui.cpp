// Host build of messages and the progress window: the English string table
// (the same file the resource script compiles) and an in-memory dialog.
#include <cerrno>
#include <cstring>
#include <map>

#include "base/settings.h"
#include "text/text.h"
#include "ui/host_ui.h"
#include "ui/messages.h"
#include "ui/progress.h"
#include "ui/progress_mailbox.h"
#include "ui/progress_window.h"

namespace mg {

namespace {

// The table is UTF-8; LoadStringA gives ANSI (code page 1252) bytes, so
// two-byte sequences of Latin-1 characters (the "®" of string 31) are folded.
String toLatin1(const char* utf8) {
    String out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8); *p; ++p) {
        if ((p[0] & 0xE0) == 0xC0 && (p[1] & 0xC0) == 0x80 && p[0] <= 0xC3) {
            out += static_cast<char>(((p[0] & 0x1F) << 6) | (p[1] & 0x3F));
            ++p;
        } else {
            out += static_cast<char>(*p);
        }
    }
    return out;
}

const std::map<int, String>& englishTable() {
    static const std::map<int, String> table = [] {
        std::map<int, String> t;
#define MG_STRING(id, text) t[id] = toLatin1(text);
#include "resources/strings_en.inc"
#undef MG_STRING
        return t;
    }();
    return table;
}

void record(const String& call) { hostui::state().calls.push_back(call); }

}  // namespace

String loadStringText(int id) {
    auto it = englishTable().find(id);
    return it == englishTable().end() ? String() : it->second;
}

// The subset of FormatMessageA's rules the launcher's texts use: %1 to %99
// with an optional !s!, %% and %n; anything else is copied.
String formatText(const String& format, const StringList& inserts) {
    String out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c != '%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        char next = format[i + 1];
        if (next >= '1' && next <= '9') {
            int n = next - '0';
            i += 1;
            if (i + 1 < format.size() && format[i + 1] >= '0' && format[i + 1] <= '9') {
                n = n * 10 + (format[i + 1] - '0');
                i += 1;
            }
            if (format.compare(i + 1, 3, "!s!") == 0) i += 3;
            if (n <= static_cast<int>(inserts.size())) out += inserts[n - 1];
        } else if (next == '%') {
            out += '%';
            i += 1;
        } else if (next == 'n') {
            out += "\r\n";
            i += 1;
        } else {
            out += c;
        }
    }
    return out;
}

namespace hostui {

State& state() {
    static State s;
    return s;
}

void reset() {
    state() = State();
    resetStatusLine();
}

}  // namespace hostui

void recordCall(const char* name, const StringList& arguments) {
    String call = String(name) + "(";
    for (std::size_t i = 0; i < arguments.size(); ++i) call += (i > 0 ? ", " : "") + arguments[i];
    record(call + ")");
}

String windowCaption() { return hostui::state().caption; }

void showStatusLine(const String& line) { hostui::state().statusLine = line; }

bool hasProgressBar() { return hostui::state().hasProgressBar; }

void moveProgressBar(int n, bool relative) {
    int& position = hostui::state().progress;
    position = wrappedPosition(relative ? static_cast<long long>(position) + n : n);
}

void showDialog() { hostui::state().visible = true; }

void showMessageText(const String& text) { hostui::state().messages.push_back(text); }

bool askYesNoText(const String& text) {
    hostui::state().messages.push_back(text);
    return hostui::state().answerYes;
}

void hideAfter(short seconds) {
    record("hideAfter(" + toDecimal(seconds) + ")");
    hostui::state().hideSeconds = seconds;
    if (seconds <= 0) hostui::state().visible = false;
}

void setCaption(const String& text) {
    record("setCaption(" + text + ")");
    // Decoded like the dialog does; characters outside Latin-1 become '?'.
    String caption;
    for (char16_t c : toWideEscaped(text)) caption += c < 0x100 ? static_cast<char>(c) : '?';
    hostui::state().caption = caption;
}

bool isWindowShown() { return hostui::state().visible; }

}  // namespace mg
