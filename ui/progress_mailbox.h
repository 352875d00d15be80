// Hands the progress window's latest status line and bar position from the
// worker to the window's thread without waiting for that thread: the worker
// stores the latest values and posts one update message when none is on its
// way; the window takes whatever is latest when the message arrives. Updates
// in between coalesce, and the last one always reaches the window.
// Portable: the window calls are the caller's.
#pragma once

#include <atomic>

#include "base/string.h"

namespace mg {

// A progress bar position: mod 100, and never below 0 as the bar clamps.
int wrappedPosition(long long position);

class ProgressMailbox {
public:
    ProgressMailbox() = default;
    ~ProgressMailbox();
    ProgressMailbox(const ProgressMailbox&) = delete;
    ProgressMailbox& operator=(const ProgressMailbox&) = delete;

    // Each returns true when the caller must post the update message (none
    // is on its way).
    bool putLine(const String& line);
    // The position becomes (position + n) mod 100, or n mod 100; as the
    // progress bar clamps, never below 0.
    bool step(int n);
    bool setPosition(int n);
    // The update message could not be posted: the next change posts again.
    void postFailed();
    int position() const { return position_.load(); }

    // On the window's thread: what changed since the last take. With
    // holdPosts the worker keeps from posting (its changes wait here) until
    // the next take without it, which a window uses to show at most a few
    // updates a second.
    struct Update {
        bool hasLine = false;
        String line;
        bool hasPosition = false;
        int position = 0;
    };
    Update take(bool holdPosts = false);
    // Whether a change waits for take.
    bool pending() const { return posted_.load(); }
    // A new window: position 0, nothing waiting.
    void reset();

private:
    bool changed();

    std::atomic<String*> line_{nullptr};
    std::atomic<int> position_{0};
    std::atomic<bool> positionChanged_{false};
    std::atomic<bool> posted_{false};
};

}  // namespace mg
