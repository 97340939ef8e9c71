// The texts of the severity, poll-rate and condition windows, as the operators know them.
#include <gtest/gtest.h>

#include <vector>

#include "app/messages.h"

TEST(Messages, SeverityPollRateAndConditionTextsHaveTheirDefaults) {
    const struct {
        std::vector<int> numbers;
        const char* text;
    } expected[] = {
        {{201, 207, 216, 219, 224, 300, 305}, "Please enter a name."},
        {{202, 306}, "Missing or Invalid Severity"},
        {{203, 307}, "Please enter a color."},
        {{204}, "Delete severity failed"},
        {{205}, "Adding severity failed"},
        {{206}, "Severity does not exist in platform."},
        {{208}, "This will delete severity %s from Varo."},
        {{209}, "Missing Poll Rate name."},
        {{210, 301}, "Missing or Invalid Poll Rate."},
        {{211}, "Delete pollrate failed"},
        {{212, 303}, "QORI Error: Adding Poll Rate"},
        {{213}, "Poll rate does not exist in platform."},
        {{214}, "Delete pollrate from Varo?"},
        {{215}, "Couldn't load condition '%s'"},
        {{217, 221}, "Missing condition code"},
        {{218}, "Add Condition Error: %s"},
        {{220}, "Condition doesn't exist in the Varo.\nCreate new conditions by using the 'Add' button."},
        {{222}, "Condition is being used in a template."},
        {{223}, "Modify Condition Error: %s"},
        {{225}, "Condition doesn't exist."},
        {{226}, "Condition '%s' will be removed from Varo."},
        {{302}, "Add Failed: Poll Rate already exists."},
        {{304}, "Delete Pollrate Failed"},
        {{308}, "Add Failed: Severity already exists."},
        {{309}, "QORI Error: Adding severity failed"},
        {{310}, "QORI Error: Severity doesn't exist."},
        {{604}, "Cannot delete condition.\nIt is currently in use in a template."},
    };
    for (const auto& e : expected)
        for (int number : e.numbers) EXPECT_STREQ(e.text, default_message(2, number)) << "number " << number;
}
