// The server-backed lists: start-up fill, rebuilds on another client's changes, and the end
// of the program when the platform disconnects.
#include "support/editor_fixture.h"

#include <Xm/List.h>
#include <Xm/RowColumn.h>

#include <string>
#include <vector>

#include "app/globals.h"
#include "app/notifications.h"
#include "platform/qori.h"
#include "template/line_format.h"
#include "template/list_items.h"
#include "template/option_menus.h"
#include "template/text_view.h"
#include "ui/gui_utils.h"
#include "ui/widgets.h"

namespace {

std::vector<std::string> first_words(const std::vector<std::string>& items) {
    std::vector<std::string> words;
    for (const auto& l : items) words.push_back(lines::first_word(l));
    return words;
}

TEST_F(EditorTest, StartUpFillsTheFourListsInOrder) {
    start_editor();
    EXPECT_TRUE(gui::list_items(ol_list).empty());
    EXPECT_EQ((std::vector<std::string>{"Poll                      60", "default_rate              300"}),
              gui::list_items(pollrate_list));
    EXPECT_EQ((std::vector<std::string>{"Critical        4     red       ", "Major           3     orange    ",
                                        "Minor           2     yellow    ", "Normal          1     green     "}),
              gui::list_items(severity_list));
    EXPECT_EQ((std::vector<std::string>{"HighErrors", "LinkDown"}), gui::list_items(ct_condition_list));
    EXPECT_EQ((std::vector<std::string>{"Poll", "default_rate"}), menu_entries(se_pollrate_parent));
    EXPECT_EQ((std::vector<std::string>{"Critical", "Major", "Minor", "Normal"}), menu_entries(cs_severity_parent));
    EXPECT_EQ((std::vector<std::string>{"HighErrors", "LinkDown"}), menu_entries(condition_action_parent));
}

TEST_F(EditorTest, AnotherClientsChangesRebuildListsAndMenusInOrder) {
    start_editor();
    for (const char* name : {"b", "abc", "a", "ab"}) other->add_poll_rate({name, 5});
    other->add_severity({"Warning", 2, "purple"});
    dispatch();
    EXPECT_EQ((std::vector<std::string>{"Poll", "a", "ab", "abc", "b", "default_rate"}),
              first_words(gui::list_items(pollrate_list)))
        << "byte order, the shorter name first";
    EXPECT_EQ((std::vector<std::string>{"Poll", "a", "ab", "abc", "b", "default_rate"}), menu_entries(se_pollrate_parent));
    EXPECT_EQ(menu_entries(se_pollrate_parent), menu_entries(cs_pollrate_parent));
    EXPECT_EQ("Poll", gui::option_value(se_pollrate)) << "a rebuilt menu shows its first entry";
    EXPECT_EQ(XtParent(se_pollrate), state_edit_form);
    EXPECT_EQ(se_pollrate_label, XmOptionLabelGadget(se_pollrate));
    EXPECT_EQ(se_pollrate_option, XmOptionButtonGadget(se_pollrate));
    EXPECT_EQ("Poll Rate:", gui::label(se_pollrate_label));
    EXPECT_EQ(5u, gui::list_items(severity_list).size());
    EXPECT_EQ("Warning", first_words(gui::list_items(severity_list)).back());
    EXPECT_EQ(5u, menu_entries(se_severity_parent).size());
}

TEST_F(EditorTest, TheWidestLinesShowWholeInTheirWindows) {
    start_editor();
    other->add_poll_rate({std::string(25, 'p'), 32767});
    other->add_severity({std::string(15, 's'), 32767, std::string(10, 'c')});
    dispatch();
    for (auto [dialog, list] : {std::pair{te_pollrate_dialog, pollrate_list}, {te_severity_dialog, severity_list}}) {
        XtManageChild(dialog);
        gui::process_events();
        XmRenderTable font = nullptr;
        XmStringTable items = nullptr;
        int count = 0;
        Dimension width = 0, margin = 0, shadow = 0, highlight = 0;
        XtVaGetValues(list, XmNrenderTable, &font, XmNitems, &items, XmNitemCount, &count, XmNwidth, &width,
                      XmNlistMarginWidth, &margin, XmNshadowThickness, &shadow, XmNhighlightThickness, &highlight,
                      nullptr);
        int room = width - 2 * (margin + shadow + highlight);
        for (int i = 0; i < count; ++i)
            EXPECT_LE(XmStringWidth(font, items[i]), room) << XtName(list) << " line " << i + 1 << " is cut";
        XtUnmanageChild(dialog);
    }
}

TEST_F(EditorTest, ATemplateStoredElsewhereIsSelectedAndBecomesTheOneToOpen) {
    start_editor();
    varo::TemplateDef def;
    def.name = "zeta";
    def.descr = "last";
    def.states = {{"Ground", "g", "Normal", "Poll"}};
    other->insert_template(def);
    def.name = "alpha";
    def.descr = "first";
    other->insert_template(def);
    dispatch();
    std::vector<std::string> items = gui::list_items(ol_list);
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ("alpha                               first", items[0]);
    EXPECT_EQ((std::vector<int>{1}), gui::selected_positions(ol_list));
    EXPECT_STREQ("alpha", open_template);
    EXPECT_TRUE(XtIsSensitive(ol_ok_button));
    EXPECT_TRUE(XtIsSensitive(ol_delete_button));
}

TEST_F(EditorTest, ConditionChangesKeepTheConditionActionRule) {
    start_editor();
    other->add_condition({"Flapping", "up and down", "ifOperStatus != \"up\"\n"});
    dispatch();
    EXPECT_EQ((std::vector<std::string>{"Flapping", "HighErrors", "LinkDown"}), menu_entries(tran_condition_parent));
    EXPECT_FALSE(XtIsSensitive(condition_action_option)) << "the action menu does not read CONDITION";
    EXPECT_FALSE(XtIsSensitive(condition_action_label));

    gui::choose_option(tran_action, "CONDITION");
    other->delete_condition("Flapping");
    dispatch();
    EXPECT_EQ((std::vector<std::string>{"HighErrors", "LinkDown"}), menu_entries(condition_action_parent));
    EXPECT_TRUE(XtIsSensitive(condition_action_option));
}

// Menus are built when their window can be seen, and only from a list that changed.
TEST_F(EditorTest, AMenuOfAClosedWindowIsBuiltWhenTheWindowIsShown) {
    start_editor();
    gui::build_unseen_menus = false;  // find the menus as the program leaves them
    const std::vector<std::string> before{"HighErrors", "LinkDown"}, after{"Flapping", "HighErrors", "LinkDown"};
    other->add_condition({"Flapping", "up and down", "ifOperStatus != \"up\"\n"});
    dispatch();
    EXPECT_EQ(3u, gui::list_items(ct_condition_list).size()) << "the list itself is always current";
    EXPECT_EQ(before, menu_entries(tran_condition_parent)) << "the transition editor is closed";

    g2_win_show(te_transition_edit_dialog);
    gui::process_events();
    EXPECT_EQ(after, menu_entries(tran_condition_parent)) << "built as the window came up";
    EXPECT_EQ(after, menu_entries(condition_action_parent));
    EXPECT_EQ("Flapping", gui::option_value(tran_condition));
    EXPECT_FALSE(XtIsSensitive(condition_action_option)) << "the action menu does not read CONDITION";

    // Open: a refresh that changes nothing keeps the menu and its choice; a change behind the
    // first entry changes only the entries that differ; a new first entry rebuilds it. Either
    // way the menu then shows its first entry, as one built anew.
    gui::choose_option(tran_condition, "LinkDown");
    Widget menu = tran_condition;
    update_condition(nullptr, nullptr);
    EXPECT_EQ(menu, tran_condition);
    EXPECT_EQ("LinkDown", gui::option_value(tran_condition));
    other->add_condition({"Gone", "between", "ifOperStatus != \"up\"\n"});
    other->add_condition({"Zeta", "last", "ifOperStatus != \"up\"\n"});
    dispatch();
    other->delete_condition("Gone");
    dispatch();
    EXPECT_EQ((std::vector<std::string>{"Flapping", "HighErrors", "LinkDown", "Zeta"}), menu_entries(tran_condition_parent));
    EXPECT_EQ(menu, tran_condition) << "patched in place";
    EXPECT_EQ("Flapping", gui::option_value(tran_condition));
    EXPECT_FALSE(XtIsSensitive(condition_action_option)) << "the action menu still does not read CONDITION";
    other->delete_condition("Flapping");
    dispatch();
    EXPECT_EQ((std::vector<std::string>{"HighErrors", "LinkDown", "Zeta"}), menu_entries(tran_condition_parent));
    EXPECT_EQ("HighErrors", gui::option_value(tran_condition));
}

TEST_F(EditorTest, AddStringKeepsStrcmpOrder) {
    start_editor();
    set_list_lines(ct_condition_list, {});
    for (const char* line : {"b", "abc", "a", "ab", "B", "a"}) add_string(ct_condition_list, line);
    EXPECT_EQ((std::vector<std::string>{"B", "a", "a", "ab", "abc", "b"}), gui::list_items(ct_condition_list));
}

TEST_F(EditorTest, MakeItemVisibleScrollsOnlyWhenNeededAndSelects) {
    start_editor();
    std::vector<std::string> many;
    for (int i = 0; i < 60; ++i) many.push_back("c" + std::to_string(100 + i));
    set_list_lines(ct_condition_list, many);
    int visible = 0, top = 0;
    XtVaGetValues(ct_condition_list, XmNvisibleItemCount, &visible, nullptr);
    ASSERT_LT(visible, 50);

    make_item_visible(ct_condition_list, 50);
    XtVaGetValues(ct_condition_list, XmNtopItemPosition, &top, nullptr);
    EXPECT_EQ(50 - visible + 1, top) << "brought in as the bottom item";
    EXPECT_EQ(std::vector<int>{50}, gui::selected_positions(ct_condition_list));

    make_item_visible(ct_condition_list, top + 1);
    int after = 0;
    XtVaGetValues(ct_condition_list, XmNtopItemPosition, &after, nullptr);
    EXPECT_EQ(top, after) << "already in view: no scrolling";
    EXPECT_EQ(std::vector<int>{top + 1}, gui::selected_positions(ct_condition_list));

    make_item_visible(ct_condition_list, 3);
    XtVaGetValues(ct_condition_list, XmNtopItemPosition, &after, nullptr);
    EXPECT_EQ(3, after) << "above the view: made the top item";
}

TEST_F(EditorTest, DisconnectionEndsTheProgramWithStatusOne) {
    start_editor();
    EXPECT_EXIT(
        {
            _qor_dimons3g.raise("DISCONNECTED");
            dispatch();
            gui::Dialog d = gui::only_dialog();
            if (d.message != "Platform has disconnected") std::exit(3);
            gui::press(d.button(d.buttons.at(0)));
            std::exit(4);
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(
        {
            disconnected_cb(nullptr, nullptr);
            gui::process_events();
            gui::Dialog d = gui::only_dialog();
            gui::press(d.button(d.buttons.back()));
            std::exit(4);
        },
        ::testing::ExitedWithCode(1), "");
}

}  // namespace
