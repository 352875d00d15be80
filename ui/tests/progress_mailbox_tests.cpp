#include "ui/progress_mailbox.h"

#include <gtest/gtest.h>

namespace mg {

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

    // A window that holds posts gets the changes meanwhile at its next take.
    EXPECT_TRUE(box.step(1));
    box.take(true);
    EXPECT_FALSE(box.putLine("held"));
    EXPECT_EQ("held", box.take().line);

    // A post that failed leaves the next change to post.
    EXPECT_TRUE(box.putLine(""));
    box.postFailed();
    EXPECT_TRUE(box.step(-150));  // clamped as the bar clamps
    u = box.take();
    EXPECT_TRUE(u.hasLine);
    EXPECT_EQ("", u.line);
    EXPECT_EQ(0, u.position);
}

}  // namespace

}  // namespace mg
