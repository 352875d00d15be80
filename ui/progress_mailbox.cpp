#include "ui/progress_mailbox.h"

namespace mg {

int wrappedPosition(long long position) {
    long long p = position % 100;
    return p < 0 ? 0 : static_cast<int>(p);
}

ProgressMailbox::~ProgressMailbox() { delete line_.exchange(nullptr); }

// The values are stored before the flag is tested, and take clears the flag
// before it reads them: a change the window misses always finds the flag
// clear and posts again.
bool ProgressMailbox::changed() { return !posted_.exchange(true); }

bool ProgressMailbox::putLine(const String& line) {
    delete line_.exchange(new String(line));
    return changed();
}

bool ProgressMailbox::step(int n) {
    int old = position_.load();
    // The window's own animation steps from its thread too.
    while (!position_.compare_exchange_weak(old, wrappedPosition(static_cast<long long>(old) + n))) {
    }
    positionChanged_.store(true);
    return changed();
}

bool ProgressMailbox::setPosition(int n) {
    position_.store(wrappedPosition(n));
    positionChanged_.store(true);
    return changed();
}

void ProgressMailbox::postFailed() { posted_.store(false); }

ProgressMailbox::Update ProgressMailbox::take(bool holdPosts) {
    posted_.store(holdPosts);
    Update update;
    String* line = line_.exchange(nullptr);
    if (line != nullptr) {
        update.hasLine = true;
        update.line = std::move(*line);
        delete line;
    }
    update.hasPosition = positionChanged_.exchange(false);
    update.position = position_.load();
    return update;
}

void ProgressMailbox::reset() {
    delete line_.exchange(nullptr);
    position_.store(0);
    positionChanged_.store(false);
    posted_.store(false);
}

}  // namespace mg
