// Host stand-in for the progress window: records what the launcher asked of
// it, so host tests can check the calls and the resulting status line.
#pragma once

#include <vector>

#include "base/string.h"

namespace mg {

namespace hostui {

struct State {
    std::vector<String> calls;     // e.g. "setStatus(1)", "showMessage(text)"
    std::vector<String> messages;  // texts of message boxes shown
    String caption;
    String statusLine;             // what control 1000 would display
    int progress = 0;
    bool visible = false;
    bool hasProgressBar = true;    // false: progress calls throw as without a bar
    short hideSeconds = -1;        // last hideAfter delay, -1 when never called
    bool answerYes = false;        // what the user answers a Yes and No box
};

State& state();
// Forgets the calls and restores a fresh dialog (and the status-line state).
void reset();

}  // namespace hostui

}  // namespace mg
