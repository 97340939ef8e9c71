// Normalising and quoting the operands of a command or mail action.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edit/action_operands.h"

namespace {

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

}  // namespace
