// The platform's half of the progress window. ui/progress_common.cpp keeps
// the logic of the calls in ui/progress.h for both platforms (silent mode,
// the console rules, the status line's state, the bar's arithmetic); these
// show its result: the dialog on Windows (progress.cpp), a stand-in that
// records on the host (host_ui.cpp).
#pragma once

#include "base/string.h"

#ifndef _WIN32
#include "text/text.h"
#endif

namespace mg {

// The caption as the status line's insert.
String windowCaption();
void showStatusLine(const String& line);
bool hasProgressBar();
// Moves the bar to (position + n) or n, wrapped as wrappedPosition does.
void moveProgressBar(int n, bool relative);
// Shows the dialog; silent mode and the console rules are applied already.
void showDialog();
// A message box, or standard error on the console front; not called when silent.
void showMessageText(const String& text);
// The Yes and No box; true for Yes. Not called when silent.
bool askYesNoText(const String& text);

// A new window's status line: no status, no detail.
void resetStatusLine();

// The calls as they arrive, before silent mode applies: the host stand-in
// records them for its tests; on Windows they compile to nothing.
#ifdef _WIN32
template <typename... Arguments>
void noteCall(const char*, const Arguments&...) {}
#else
void recordCall(const char* name, const StringList& arguments);
inline String callArgument(int n) { return toDecimal(n); }
inline String callArgument(const String& text) { return text; }
template <typename... Arguments>
void noteCall(const char* name, const Arguments&... arguments) {
    recordCall(name, {callArgument(arguments)...});
}
#endif

}  // namespace mg
