// The editors' toolkit-free helpers: the checked number reader of the severity value and
// poll rate fields, normalising and quoting action operands, and the undo history (its
// bound, and what a change after an undo drops).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "template/action_operands.h"
#include "edit/number_reader.h"
#include "edit/undo_history.h"

TEST(NumberReader, ReadsOnlyDigitsWithinTheBounds) {
    const struct {
        const char* text;
        int value;  // 0: refused
    } cases[] = {
        {"1", 1},           {"32767", 32767},  {" 60 ", 60},     {"007", 7},
        {"0", 0},           {"", 0},           {"   ", 0},      {"32768", 0},
        {"4294967297", 0},  {"99999999999999999999999", 0},    {"-5", 0},
        {"+5", 0},          {"12abc", 0},      {"1 2", 0},      {"0x10", 0},
    };
    for (const auto& c : cases) {
        std::optional<int> got = read_number(c.text, 1, 32767);
        if (c.value)
            EXPECT_EQ(got, c.value) << '"' << c.text << '"';
        else
            EXPECT_FALSE(got) << '"' << c.text << "\" read as " << got.value_or(0);
    }
}

TEST(ActionOperands, WordsJoinedOneSpaceEachThenQuoted) {
    struct Case {
        std::string first, second;
        std::string first_field, second_field, first_quoted, second_quoted;
    };
    const std::vector<Case> cases = {
        {"ping  \t -c", "", "ping -c ", "", "\"ping -c \"", "\"\""},
        {" ops@example.org", " \t \n ", "ops@example.org ", "", "\"ops@example.org \"", "\"\""},
        {"run\nnow", "  a   b\tc ", "run now ", "a b c ", "\"run now \"", "\"a b c \""},
        // Only spaces, tabs and newlines separate words; other bytes stay as they are.
        {"a\rb\vc", "\"x\"", "a\rb\vc ", "\"x\" ", "\"a\rb\vc \"", "\"\"x\" \""},
        {"   ", "args", "", "args ", "\"\"", "\"args \""},
    };
    for (const Case& c : cases) {
        ActionOperands ops = normalise_operands(c.first, c.second);
        EXPECT_EQ(c.first_field, ops.first_field) << c.first;
        EXPECT_EQ(c.second_field, ops.second_field) << c.first;
        EXPECT_EQ(c.first_quoted, ops.first_quoted) << c.first;
        EXPECT_EQ(c.second_quoted, ops.second_quoted) << c.first;
        EXPECT_EQ(!c.first_field.empty(), ops.has_command()) << c.first;
    }
}

TEST(ActionOperands, LongOperandsAreMeasuredWholeNeverCut) {
    // 252 bytes joined: one space added, two quotes, 255 in all.
    std::string fits(252, 'x'), over(253, 'x');
    EXPECT_TRUE(normalise_operands(fits, fits).fits());
    EXPECT_FALSE(normalise_operands(over, "a").fits());
    EXPECT_FALSE(normalise_operands("a", over).fits());
    ActionOperands huge = normalise_operands(std::string(300, 'c'), "");
    EXPECT_EQ(std::string(300, 'c') + " ", huge.first_field);
    EXPECT_EQ(303u, huge.first_quoted.size());
}

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

