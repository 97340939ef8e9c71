// Severities, poll rates and conditions: written to the store at once.
#include <cstring>

#include "engine_fixture.h"

using Strings = std::vector<std::string>;

TEST_P(EngineTest, SeveritiesAndPollRatesAreCheckedAndWritten) {
    EXPECT_FALSE(qori_severity_add("Warm", 0, "pink"));
    EXPECT_FALSE(qori_severity_add("Warm", 32768, "pink"));
    EXPECT_FALSE(qori_severity_add("a b", 5, "pink"));
    EXPECT_FALSE(qori_severity_add("Normal", 5, "pink")) << "exists";
    EXPECT_NE(std::string(qori_error_str).find("already exists"), std::string::npos) << qori_error_str;
    ASSERT_TRUE(qori_severity_add("Warm", 32767, "pink")) << qori_error_str;
    EXPECT_FALSE(qori_severity_add("Cool", 1, ""));
    EXPECT_FALSE(qori_severity_add("Cool", 1, "light blue"));
    ASSERT_TRUE(qori_severity_add("Cool", 1, "LightBlue")) << qori_error_str;
    Qor_Severity warm = qorSeverity_Create("Warm");
    EXPECT_EQ(warm.value(), 32767);
    EXPECT_STREQ(warm.color(), "pink");
    EXPECT_STREQ(other_client()->find_severity("Warm")->color.c_str(), "pink");
    EXPECT_FALSE(qorSeverity_Create("Hot").is_valid());
    EXPECT_STREQ(qorSeverity_Create("Hot").color(), "");
    EXPECT_TRUE(qori_severity_delete("Warm"));
    EXPECT_FALSE(qori_severity_delete("Warm"));
    EXPECT_FALSE(qorSeverity_Find("Warm").is_valid());
    EXPECT_TRUE(warm.is_valid() && warm.value() == 32767) << "a snapshot outlives the object";

    EXPECT_FALSE(qori_pollrate_add("Fast", 0));
    EXPECT_FALSE(qori_pollrate_add("Fast", 40000));
    EXPECT_FALSE(qori_pollrate_add("Poll", 5));
    ASSERT_TRUE(qori_pollrate_add("Fast", 1));
    EXPECT_EQ(qorPollRate_Find("Fast").rate(), 1);
    EXPECT_EQ(Qor_PollRate(qorSeverity_Find("Normal")).is_valid(), false) << "a severity is no poll rate";
    EXPECT_TRUE(qori_pollrate_delete("Fast"));
    EXPECT_FALSE(qori_pollrate_delete("Fast"));
    EXPECT_FALSE(qori_pollrate_delete(""));
}

TEST_P(EngineTest, ConditionsAreCheckedAndGuardedWhileTemplatesUseThem) {
    ASSERT_TRUE(qori_condition_add("Cold", "too cold", "temperature < 5\n")) << qori_error_str;
    EXPECT_FALSE(qori_condition_add("Cold", "again", "temperature < 5\n"));
    EXPECT_FALSE(qori_condition_add("Bad", "d", "temperature < < 5\n"));
    EXPECT_NE(std::string(qori_error_str).find("line"), std::string::npos) << "the checker's position: "
                                                                            << qori_error_str;
    EXPECT_FALSE(qori_condition_add("Long", std::string(256, 'd').c_str(), "x > 1\n"));
    EXPECT_FALSE(qorCond_Find("Bad").is_valid());

    Qor_Defn t = grounded("uses_cold");
    ASSERT_TRUE(qori_transition_add(t, "Ground", "Ground", "Cold", nullptr, nullptr, nullptr));
    EXPECT_TRUE(qori_condition_delete("LinkDown")) << "only stored templates hold a condition";
    ASSERT_TRUE(qori_template_store(t, "uses_cold", "d"));
    EXPECT_FALSE(qori_condition_delete("Cold"));
    EXPECT_NE(std::string(qori_error_str).find("used"), std::string::npos) << qori_error_str;
    EXPECT_FALSE(qori_condition_delete("Nope"));
}

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

TEST_P(EngineTest, ReplaceIsOneChangeOrNone) {
    // The checker's place comes first, whatever the length of the name.
    std::string long_name(QORI_NAME_MAX, 'c');
    EXPECT_FALSE(qori_condition_add(long_name.c_str(), "d", "ifInErrors > > 100\n"));
    EXPECT_EQ(std::string(qori_error_str).rfind("line 1, column 14: expected a value", 0), 0u) << qori_error_str;
    ASSERT_TRUE(qori_condition_add("Hot", "too hot", "temperature > 40\n"));
    EXPECT_FALSE(qori_condition_replace("Hot", "hotter", "temperature >\n"));
    EXPECT_EQ(std::string(qori_error_str).rfind("line 1, column", 0), 0u) << qori_error_str;
    EXPECT_FALSE(qori_pollrate_replace("Nope", 5));
    EXPECT_EQ(qori_error_kind, QORI_REFUSED_NOT_FOUND);

    auto other = other_client();
    EXPECT_EQ(other->find_condition("Hot")->code, "temperature > 40\n");
    ASSERT_TRUE(qori_severity_replace("Minor", 7, "pink"));
    ASSERT_TRUE(qori_pollrate_replace("Poll", 30));
    ASSERT_TRUE(qori_condition_replace("Hot", "hotter", "temperature > 50\n"));
    EXPECT_EQ(other->find_severity("Minor"), (varo::Severity{"Minor", 7, "pink"}));
    EXPECT_EQ(qorPollRate_Find("Poll").rate(), 30);
    EXPECT_EQ(other->find_condition("Hot"), (varo::Condition{"Hot", "hotter", "temperature > 50\n"}));
}
