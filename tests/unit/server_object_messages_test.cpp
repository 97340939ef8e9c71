// The texts of the severity, poll-rate and condition windows, as the operators know them.
#include <gtest/gtest.h>

#include "app/messages.h"

TEST(Messages, SeverityPollRateAndConditionTextsHaveTheirDefaults) {
    const struct {
        int number;
        const char* text;
    } expected[] = {
        {201, "Please enter a name."},
        {202, "Missing or Invalid Severity"},
        {203, "Please enter a color."},
        {204, "Delete severity failed"},
        {205, "Adding severity failed"},
        {206, "Severity does not exist in platform."},
        {207, "Please enter a name."},
        {208, "This will delete severity %s from Varo."},
        {209, "Missing Poll Rate name."},
        {210, "Missing or Invalid Poll Rate."},
        {211, "Delete pollrate failed"},
        {212, "QORI Error: Adding Poll Rate"},
        {213, "Poll rate does not exist in platform."},
        {214, "Delete pollrate from Varo?"},
        {215, "Couldn't load condition '%s'"},
        {216, "Please enter a name."},
        {217, "Missing condition code"},
        {218, "Add Condition Error: %s"},
        {219, "Please enter a name."},
        {220, "Condition doesn't exist in the Varo.\nCreate new conditions by using the 'Add' button."},
        {221, "Missing condition code"},
        {222, "Condition is being used in a template."},
        {223, "Modify Condition Error: %s"},
        {224, "Please enter a name."},
        {225, "Condition doesn't exist."},
        {226, "Condition '%s' will be removed from Varo."},
        {300, "Please enter a name."},
        {301, "Missing or Invalid Poll Rate."},
        {302, "Add Failed: Poll Rate already exists."},
        {303, "QORI Error: Adding Poll Rate"},
        {304, "Delete Pollrate Failed"},
        {305, "Please enter a name."},
        {306, "Missing or Invalid Severity"},
        {307, "Please enter a color."},
        {308, "Add Failed: Severity already exists."},
        {309, "QORI Error: Adding severity failed"},
        {310, "QORI Error: Severity doesn't exist."},
        {604, "Cannot delete condition.\nIt is currently in use in a template."},
    };
    for (const auto& e : expected) EXPECT_STREQ(e.text, default_message(2, e.number)) << "number " << e.number;
}
