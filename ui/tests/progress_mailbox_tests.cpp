#include "ui/progress_mailbox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(ProgressMailbox, OnePostUntilTakenAndTheLatestValuesArrive) {
    ProgressMailbox box;
    EXPECT_TRUE(box.putLine("first"));
    EXPECT_FALSE(box.step(30));
    EXPECT_FALSE(box.putLine("second"));
    EXPECT_FALSE(box.step(80));  // 110 wraps to 10
    ProgressMailbox::Update u = box.take();
    EXPECT_TRUE(u.hasLine);
    EXPECT_EQ("second", u.line);
    EXPECT_TRUE(u.hasPosition);
    EXPECT_EQ(10, u.position);

    // Nothing new: nothing to show. A change after the take posts again.
    u = box.take();
    EXPECT_FALSE(u.hasLine);
    EXPECT_FALSE(u.hasPosition);
    EXPECT_TRUE(box.setPosition(199));
    u = box.take();
    EXPECT_FALSE(u.hasLine);
    EXPECT_EQ(99, u.position);

    // A post that failed leaves the next change to post.
    EXPECT_TRUE(box.putLine(""));
    box.postFailed();
    EXPECT_TRUE(box.step(-150));  // clamped as the bar clamps
    u = box.take();
    EXPECT_TRUE(u.hasLine);
    EXPECT_EQ("", u.line);
    EXPECT_EQ(0, u.position);
}

// A worker stepping and writing while the window's thread takes whenever a
// post arrives: the window ends with the worker's last line and position.
TEST(ProgressMailbox, TheWindowEndsWithTheWorkersLastState) {
    ProgressMailbox box;
    std::atomic<int> posts{0};
    std::atomic<bool> done{false};
    String shownLine;
    int shownPosition = 0;
    std::thread window([&] {
        int taken = 0;
        while (!done.load() || taken < posts.load()) {
            if (taken == posts.load()) {
                std::this_thread::yield();
                continue;
            }
            ++taken;
            ProgressMailbox::Update u = box.take();
            if (u.hasLine) shownLine = u.line;
            if (u.hasPosition) shownPosition = u.position;
        }
    });
    for (int i = 1; i <= 20000; ++i) {
        bool post = box.step(1);
        if (i % 7 == 0) post = box.putLine("step " + std::to_string(i)) || post;
        if (post) ++posts;
    }
    done = true;
    window.join();
    EXPECT_EQ("step 19999", shownLine);
    EXPECT_EQ(20000 % 100, shownPosition);
    EXPECT_LT(posts.load(), 20000);
}

}  // namespace
