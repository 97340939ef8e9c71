// Severities, poll rates and conditions: written to the store at once.
#include <cstring>

#include "engine_fixture.h"

using Strings = std::vector<std::string>;

TEST_P(EngineTest, ConditionTextOutlivesItsDeletionAndADispatch) {
    ASSERT_TRUE(qori_condition_add("Hot", "too hot", "temperature > 40\n"));
    char descr[256];
    std::memset(descr, 'x', sizeof descr);
    DataUnit code = qori_condition_get("Hot", descr);
    EXPECT_STREQ(descr, "too hot");
    ASSERT_TRUE(qori_condition_delete("Hot"));
    dispatch_recursive(0);
    EXPECT_STREQ(code.c_str(), "temperature > 40\n");

    EXPECT_TRUE(qori_condition_get("Hot", descr).empty());
    EXPECT_STREQ(descr, "");

    // A description of the longest length fills the buffer exactly, terminated.
    std::string longest(255, 'y');
    ASSERT_TRUE(qori_condition_add("Wordy", longest.c_str(), "temperature > 1\n"));
    std::memset(descr, 'x', sizeof descr);
    qori_condition_get("Wordy", descr);
    EXPECT_EQ(std::string(descr), longest);
}
