// The undo history without a toolkit: its bound, and what a change after an undo drops.
#include <gtest/gtest.h>

#include "edit/undo_history.h"

namespace {

TEST(UndoHistory, KeepsTheLastHundredStepsAndDropsTheRedoOnAChange) {
    UndoHistory<int> h;
    h.start(0);
    for (int i = 1; i <= 150; ++i) h.record(i);
    int undone = 0;
    while (h.can_undo()) h.undo(h.present()), ++undone;
    EXPECT_EQ(UndoHistory<int>::LIMIT, undone);
    EXPECT_EQ(50, h.present()) << "the oldest steps went first";

    EXPECT_EQ(51, h.redo(50));
    h.amend(500);  // typing on: the same step, no new one
    EXPECT_TRUE(h.can_redo());
    EXPECT_EQ(50, h.undo(500));
    EXPECT_EQ(500, h.redo(50)) << "the amended step comes back";

    h.record(7);
    EXPECT_FALSE(h.can_redo());
    EXPECT_EQ(500, h.undo(7));

    // A copy changed without a recorded step is what redo brings back.
    EXPECT_EQ(7, h.redo(500));
    EXPECT_EQ(500, h.undo(8));
    EXPECT_EQ(8, h.redo(500));

    h.start(42);
    EXPECT_FALSE(h.can_undo() || h.can_redo());
    EXPECT_EQ(42, h.present());
}

}  // namespace
