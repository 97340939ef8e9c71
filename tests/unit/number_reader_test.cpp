// The checked reader of the severity value and poll rate fields.
#include <gtest/gtest.h>

#include "edit/number_reader.h"

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
