// Name and number fields refuse what they cannot hold while the user types or pastes.
#include "support/editor_fixture.h"

#include "edit/field_checks.h"
#include "ui/widgets.h"

namespace {

TEST(FieldChecks, NameAndNumberInsertions) {
    EXPECT_TRUE(name_insertion_allowed("report", 6));
    EXPECT_TRUE(name_insertion_allowed("", 0));
    for (const char* bad : {"a b", "\t", "x\n", "\v", "\f", "a\r"})
        EXPECT_FALSE(name_insertion_allowed(bad, std::string(bad).size())) << bad;
    EXPECT_TRUE(number_insertion_allowed("0123456789", 10));
    EXPECT_FALSE(number_insertion_allowed("12a", 3));
    EXPECT_FALSE(number_insertion_allowed("-1", 2));
    EXPECT_FALSE(number_insertion_allowed(" 1", 2));
}

TEST_F(EditorTest, TypingBlanksIntoANameFieldInsertsNothing) {
    start_editor();
    for (Widget field :
         {main_name, se_state_name, cs_name, severity_name, severity_color, pollrate_name, ct_name_text}) {
        gui::type_text(field, "report");
        gui::insert_text(field, " daily");
        EXPECT_EQ("report", gui::text(field)) << XtName(field);
        gui::type_text(field, "two words");
        EXPECT_EQ("report", gui::text(field)) << XtName(field);
    }
}

TEST_F(EditorTest, TypingANonDigitIntoANumberFieldInsertsNothing) {
    start_editor();
    for (Widget field : {severity_value, pollrate_value}) {
        gui::type_text(field, "42");
        gui::insert_text(field, "7x");
        EXPECT_EQ("42", gui::text(field)) << XtName(field);
        gui::insert_text(field, "7");
        EXPECT_EQ("427", gui::text(field)) << XtName(field);
    }
}

}  // namespace
