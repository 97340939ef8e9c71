// The condition window: choosing a condition, Add, Modify and Delete against the server.
#include "support/editor_fixture.h"

#include <Xm/List.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/qori.h"
#include "support/store_fixture.h"
#include "ui/widgets.h"

namespace {

using Messages = std::vector<std::string>;

class ConditionEditTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        other->add_condition({"Alpha", "first", "a > 1\n"});
        other->add_condition({"Beta", "second", "b > 2\n"});
    }
    // List order: Alpha, Beta, HighErrors, LinkDown.
    void fields(const char* name, const char* descr, const char* code) {
        gui::type_text(ct_name_text, name);
        gui::type_text(ct_description_text, descr);
        gui::type_text(ct_condition_code, code);
    }
    std::vector<std::string> shown() {
        return {gui::text(ct_name_text), gui::text(ct_description_text), gui::text(ct_condition_code)};
    }
};

TEST_F(ConditionEditTest, SingleClickFillsNameAndDescriptionDoubleClickTheCodeToo) {
    start_editor();
    gui::type_text(ct_condition_code, "typed by hand");
    gui::select_list_pos(ct_condition_list, 1);
    EXPECT_EQ((Messages{"Alpha", "first", "typed by hand"}), shown());
    gui::activate_list_pos(ct_condition_list, 1);
    EXPECT_EQ((Messages{"Alpha", "first", "a > 1\n"}), shown());
    // Alpha's code must not stay beside Beta's name, where Modify would write it into Beta.
    gui::select_list_pos(ct_condition_list, 2);
    EXPECT_EQ((Messages{"Beta", "second", ""}), shown());
    gui::activate_list_pos(ct_condition_list, 2);
    EXPECT_EQ((Messages{"Beta", "second", "b > 2\n"}), shown());
    gui::select_list_pos(ct_condition_list, 2);
    EXPECT_EQ("b > 2\n", gui::text(ct_condition_code)) << "the same condition keeps its code";
}

TEST_F(ConditionEditTest, AddChecksBeforeCallingTheEngineAndShowsTheCheckersText) {
    start_editor();
    auto store = watch_writes();
    for (const char* code : {"", "  \n\t"}) {
        fields("Gamma", "third", code);
        gui::press(ct_add_button);
        EXPECT_EQ(Messages{"Missing condition code"}, gui::answer_all());
    }
    fields("Gamma", "", "g > 1");
    gui::press(ct_add_button);
    EXPECT_EQ(Messages{"Please enter a description."}, gui::answer_all());
    EXPECT_EQ(0, store->writes);

    fields("Gamma", "  third", "g > > 1");
    gui::press(ct_add_button);
    Messages said = gui::answer_all();
    ASSERT_EQ(1u, said.size());
    EXPECT_EQ("Add Condition Error: line 1, column 5: expected a value", said[0].substr(0, 55)) << said[0];
    EXPECT_EQ((Messages{"Gamma", "third", "g > > 1"}), shown()) << "what the user typed stays";
    EXPECT_FALSE(other->find_condition("Gamma"));
}

TEST_F(ConditionEditTest, AddedConditionIsScrolledIntoViewAndSelected) {
    for (int i = 0; i < 30; ++i) other->add_condition({"c" + std::to_string(10 + i), "", "x > 1"});
    start_editor();
    fields("zeta", "last one", "z > 1\n");
    gui::press(ct_add_button);
    EXPECT_EQ(Messages{}, gui::answer_all());
    EXPECT_EQ((varo::Condition{"zeta", "last one", "z > 1\n"}), other->find_condition("zeta"));
    std::vector<std::string> items = gui::list_items(ct_condition_list);
    ASSERT_EQ(35u, items.size());
    EXPECT_EQ("zeta", items.back());
    EXPECT_EQ(std::vector<int>{35}, gui::selected_positions(ct_condition_list));
    int top = 0, visible = 0;
    XtVaGetValues(ct_condition_list, XmNtopItemPosition, &top, XmNvisibleItemCount, &visible, nullptr);
    EXPECT_GE(top + visible - 1, 35);
    EXPECT_EQ((Messages{"zeta", "last one", "z > 1\n"}), shown());
    if (std::getenv("TARNWRIGHT_SCREENSHOTS")) {
        XtManageChild(ct_dialog);
        gui::type_text(ct_condition_code, "# down, or up and losing packets\nifOperStatus != \"up\"\n"
                                          "\tor ifInErrors > 100 and ifType in (6, 117)\n");
        gui::snap(condition_text_win, "condition_editor_editing.png");
    }
}

TEST_F(ConditionEditTest, ANameTheRefreshedListLacksSelectsNothing) {
    start_editor();
    auto store = watch_writes();
    // Another client deletes it right after it was added, before the list is refreshed.
    store->after_write = [](varo::Store& s) {
        if (s.find_condition("Ghost")) s.delete_condition("Ghost");
    };
    fields("Ghost", "short-lived", "g > 1");
    gui::press(ct_add_button);
    EXPECT_EQ(Messages{}, gui::answer_all());
    EXPECT_EQ((Messages{"Alpha", "Beta", "HighErrors", "LinkDown"}), gui::list_items(ct_condition_list));
    EXPECT_TRUE(gui::selected_positions(ct_condition_list).empty());
    EXPECT_EQ((Messages{"Ghost", "short-lived", "g > 1"}), shown());
}

TEST_F(ConditionEditTest, ModifyReplacesOrLeavesTheServerAsItWas) {
    store_template(testenv::sample_template("T"));  // uses LinkDown
    start_editor();
    gui::activate_list_pos(ct_condition_list, 4);
    gui::type_text(ct_description_text, "changed");
    gui::press(ct_modify_button);
    EXPECT_EQ(Messages{"Condition is being used in a template."}, gui::answer_all());
    const varo::Condition link_down = *other->find_condition("LinkDown");
    EXPECT_NE("changed", link_down.descr);

    fields("Nope", "d", "x > 1");
    gui::press(ct_modify_button);
    EXPECT_EQ(Messages{"Condition doesn't exist in the Varo.\nCreate new conditions by using the 'Add' button."},
              gui::answer_all());

    gui::activate_list_pos(ct_condition_list, 1);
    gui::type_text(ct_description_text, "new words");
    gui::type_text(ct_condition_code, "a >\n");
    gui::press(ct_modify_button);
    EXPECT_EQ(Messages{"Modify Condition Error: line 1, column 4: expected a value after '>'"}, gui::answer_all());
    EXPECT_EQ((varo::Condition{"Alpha", "first", "a > 1\n"}), other->find_condition("Alpha"));
    EXPECT_EQ((Messages{"Alpha", "new words", "a >\n"}), shown()) << "kept for correction";

    auto store = watch_writes();
    store->refuse_writes = true;
    gui::type_text(ct_condition_code, "a > 3\n");
    gui::press(ct_modify_button);
    Messages said = gui::answer_all();
    ASSERT_EQ(1u, said.size());
    EXPECT_EQ(0u, said[0].find("Modify Condition Error: ")) << said[0];
    EXPECT_EQ((varo::Condition{"Alpha", "first", "a > 1\n"}), other->find_condition("Alpha"));

    store->refuse_writes = false;
    gui::press(ct_modify_button);
    EXPECT_EQ(Messages{}, gui::answer_all());
    EXPECT_EQ((varo::Condition{"Alpha", "new words", "a > 3\n"}), other->find_condition("Alpha"));
    EXPECT_EQ(std::vector<int>{1}, gui::selected_positions(ct_condition_list));
    EXPECT_EQ((Messages{"Alpha", "new words", "a > 3\n"}), shown());
}

TEST_F(ConditionEditTest, DeleteConfirmsAndRefusesAConditionInUse) {
    store_template(testenv::sample_template("T"));
    start_editor();
    gui::activate_list_pos(ct_condition_list, 4);
    gui::press(ct_delete_button);
    gui::Dialog ask = gui::only_dialog();
    EXPECT_EQ("Condition 'LinkDown' will be removed from Varo.", ask.message);
    EXPECT_EQ(condition_text_win, XtParent(XtParent(ask.box)));
    gui::press(ask.button("OK"));
    EXPECT_EQ(Messages{"Cannot delete condition.\nIt is currently in use in a template.\nUsed by: T"}, gui::answer_all());
    EXPECT_EQ("Used by: T", gui::label(ct_used_by_label));
    EXPECT_TRUE(other->find_condition("LinkDown"));
    EXPECT_EQ("LinkDown", gui::text(ct_name_text));
    EXPECT_FALSE(gui::text(ct_condition_code).empty());

    gui::type_text(ct_name_text, "Nope");
    gui::press(ct_delete_button);
    EXPECT_EQ(Messages{"Condition doesn't exist."}, gui::answer_all());

    gui::activate_list_pos(ct_condition_list, 2);
    gui::press(ct_delete_button);
    gui::press(gui::only_dialog().button("Cancel"));
    EXPECT_TRUE(other->find_condition("Beta"));
    gui::press(ct_delete_button);
    gui::press(gui::only_dialog().button("OK"));
    EXPECT_EQ(Messages{}, gui::answer_all());
    EXPECT_FALSE(other->find_condition("Beta"));
    EXPECT_EQ((Messages{"", "", ""}), shown());
}

}  // namespace
