// Adding, changing and deleting states from the state editor and the configure-states
// dialog, and the diagram's placeholder states.
#include "support/editor_fixture.h"
#include "support/edit_dialogs.h"

#include <Xm/List.h>
#include <Xm/TextF.h>

#include <string>
#include <vector>

#include "diagram/diagram_object.h"
#include "edit/callbacks.h"
#include "platform/qori.h"
#include "template/text_view.h"
#include "template/template_model.h"
#include "ui/widgets.h"

namespace {

// Puts text into a name field as a paste past the keystroke filter would, blanks and all.
void put(Widget field, const std::string& text) {
    XtRemoveCallback(field, XmNmodifyVerifyCallback, verify_no_space, nullptr);
    XmTextFieldSetString(field, const_cast<char*>(text.c_str()));
    XtAddCallback(field, XmNmodifyVerifyCallback, verify_no_space, nullptr);
}

std::vector<std::string> state_names() {
    std::vector<std::string> names;
    Qor_StateQueue q;
    if (qor_handle.get_statesq(q))
        for (Qor_State s = q.deq(); s.is_valid(); s = q.deq()) names.push_back(s.name());
    return names;
}

std::string status() { return gui::label(main_message_label); }

varo::TemplateDef chain_template() {
    varo::TemplateDef def;
    def.name = "chain";
    def.descr = "three states";
    def.states = {{"A", "first", "Normal", "Poll"}, {"B", "second", "Minor", "Poll"}, {"C", "third", "Major", "Poll"}};
    def.transitions = {{"A", "B", "LinkDown", {}}, {"A", "B", "HighErrors", {}}, {"B", "C", "LinkDown", {}}};
    return def;
}

int state_objects() {
    int n = 0;
    for (std::size_t i = 0; i < object_list.size(); ++i) n += object_list.at(i)->type == StateObject;
    return n;
}

TEST_F(EditorTest, AddingAStateTakesTheNameFirstWordOrRefusesIt) {
    start_editor();
    XtManageChild(state_edit_dialog);
    gui::choose_option(se_severity, "Normal");
    const std::string long_name(64, 'n');
    struct Case {
        std::string name, descr;
        std::vector<std::string> dialogs;  // in the order they came up
        std::string stored;                // "" when nothing may be added
        std::string descr_after;
    };
    const std::vector<Case> cases = {
        {"  Up  ", "  \t link up  ", {}, "Up", "link up  "},
        {"two words", "d", {"White space is not allowed in name.", "Please enter a name."}, "", "d"},
        {" \t ", "d", {"Please enter a name."}, "", "d"},
        {long_name, "long", {}, long_name, "long"},
        {"Blank", "   ", {"Please enter a description."}, "", "   "},
        {"Up", "again", {"Adding state failed"}, "", "again"},
    };
    std::vector<std::string> expected = {"Ground"};
    for (const Case& c : cases) {
        modified = 0;
        put(se_state_name, c.name);
        gui::type_text(se_description_name, c.descr);
        gui::press(state_edit_add_button);
        EXPECT_EQ(c.dialogs, gui::dialog_messages()) << c.name;
        gui::dismiss_messages();
        EXPECT_EQ(c.descr_after, gui::text(se_description_name)) << c.name;
        if (c.stored.empty()) {
            EXPECT_EQ(0, modified) << c.name;
            continue;
        }
        expected.push_back(c.stored);
        EXPECT_EQ(c.stored, gui::text(se_state_name));
        EXPECT_EQ(1, modified);
        EXPECT_EQ("Current Template: Noname...modified", status());
        EXPECT_EQ(status(), gui::label(sd_message_label));
    }
    EXPECT_EQ(expected, state_names());
    EXPECT_STREQ("link up  ", qor_handle.find_state("Up").descr());
    // Every view follows: the list, the state menus, the text view and the diagram.
    ASSERT_EQ(3u, gui::list_items(state_edit_list).size());
    EXPECT_EQ("Up              Normal          Poll", gui::list_items(state_edit_list)[1]);
    EXPECT_EQ(expected, menu_entries(tran_to_state_parent));
    EXPECT_EQ(expected, gui::list_items(main_text_list));
    EXPECT_NE(nullptr, find_by_name(long_name.c_str()));
}

TEST_F(EditorTest, ModifyChangesPollRateAndSeverityButNeverTheDescription) {
    store_template(chain_template());
    start_editor("chain");
    XtManageChild(state_edit_dialog);
    gui::select_list_pos(state_edit_list, 2);
    EXPECT_EQ("B", gui::text(se_state_name));
    EXPECT_EQ("second", gui::text(se_description_name));
    EXPECT_EQ("Minor", gui::label(se_severity_option));

    gui::choose_option(se_pollrate, "default_rate");
    gui::choose_option(se_severity, "Major");
    gui::type_text(se_description_name, "ignored");
    gui::press(state_edit_modify_button);
    EXPECT_TRUE(gui::message_dialogs().empty());
    Qor_State b = qor_handle.find_state("B");
    EXPECT_STREQ("default_rate", b.poll_rate());
    EXPECT_STREQ("Major", b.severity());
    EXPECT_STREQ("second", b.descr());
    EXPECT_EQ("B               Major           default_rate", gui::list_items(state_edit_list).at(1));
    EXPECT_EQ("orange", find_by_name("B")->color);
    EXPECT_EQ("Current Template: chain...modified", status());
    gui::snap_window(state_edit_win, "state_editor.png");

    // Refusals change nothing and say so, without claiming a modification.
    modified = 0;
    set_status("unchanged");
    put(se_state_name, "Nope");
    gui::press(state_edit_modify_button);
    EXPECT_EQ(std::vector<std::string>{"State doesn't exist."}, gui::dialog_messages());
    gui::dismiss_messages();
    // A server without poll rates leaves its menu at "(none)": no state may take that.
    XmListDeleteAllItems(pollrate_list);
    build_se_pollrate();
    EXPECT_EQ("(none)", gui::option_value(se_pollrate));
    put(se_state_name, "B");
    gui::choose_option(se_severity, "Normal");
    gui::press(state_edit_modify_button);
    EXPECT_EQ(std::vector<std::string>{"Modifying state failed"}, gui::dialog_messages());
    gui::dismiss_messages();
    EXPECT_STREQ("Major", qor_handle.find_state("B").severity()) << "half a Modify was applied";
    EXPECT_STREQ("default_rate", qor_handle.find_state("B").poll_rate());
    EXPECT_EQ(0, modified);
    EXPECT_EQ("unchanged", status());
}

TEST_F(EditorTest, DeletingAStateTakesTheTransitionsThatEnterIt) {
    store_template(chain_template());
    start_editor("chain");
    XtManageChild(state_edit_dialog);
    ASSERT_NE(nullptr, find_transition("A", "B"));

    // Refused: a name the template does not have, checked before anything is touched.
    put(se_state_name, "Nope");
    gui::press(state_edit_delete_button);
    EXPECT_EQ("State 'Nope' will be deleted from chain", gui::only_message().message);
    gui::press(gui::only_message().button("OK"));
    EXPECT_EQ(std::vector<std::string>{"Delete State Failed"}, gui::dialog_messages());
    gui::dismiss_messages();
    EXPECT_EQ((std::vector<std::string>{"A", "B", "C"}), state_names());
    EXPECT_EQ(2, find_transition("A", "B")->num_conditions);
    EXPECT_EQ(0, modified);

    put(se_state_name, "B");
    gui::type_text(se_description_name, "second");
    gui::press(state_edit_delete_button);
    EXPECT_EQ("State 'B' will be deleted from chain", gui::only_message().message);
    gui::press(gui::only_message().button("OK"));
    EXPECT_TRUE(gui::message_dialogs().empty());
    EXPECT_EQ((std::vector<std::string>{"A", "C"}), state_names());
    EXPECT_EQ((std::vector<std::string>{"A", "C"}), gui::list_items(main_text_list));
    EXPECT_EQ(nullptr, find_transition("A", "B"));
    EXPECT_EQ(nullptr, find_by_name("B"));
    EXPECT_EQ("", gui::text(se_state_name));
    EXPECT_EQ("", gui::text(se_description_name));
    EXPECT_EQ(2u, gui::list_items(state_edit_list).size());
    EXPECT_EQ(1, modified);
    EXPECT_EQ("Current Template: chain...modified", status());
}

TEST_F(EditorTest, PlaceholdersGoByDeleteWithoutANameAndByClose) {
    varo::TemplateDef def = chain_template();
    def.states.push_back({"NoName", "a real state of that name", "Normal", "Poll"});
    store_template(def);
    start_editor("chain");
    XtManageChild(cs_template);
    const int placed = num_states;
    // What placing states in the diagram leaves: two placeholders, one joined to A.
    create_state_object("NoName", "black");
    create_state_object("NoName", "black");
    create_transition_object("A", "NoName", "None");
    ASSERT_EQ(6, state_objects());

    gui::type_text(cs_name, "");
    gui::press(cs_delete);
    EXPECT_TRUE(gui::message_dialogs().empty()) << "an empty name asks nothing";
    EXPECT_EQ(5, state_objects());
    EXPECT_EQ(placed + 1, num_states);

    XtManageChild(cs_template);
    gui::press(cs_close);
    EXPECT_EQ(4, state_objects()) << "the template's own NoName stays";
    EXPECT_EQ(placed, num_states);
    EXPECT_NE(nullptr, find_by_name("NoName"));
    EXPECT_EQ(4u, state_names().size());

    // Without a real one, the last placeholder takes its transitions along, and the count
    // never drops below zero.
    qori_state_delete(qor_handle, "NoName");
    load_template();
    const std::size_t objects = object_list.size();
    create_state_object("NoName", "black");
    create_transition_object("A", "NoName", "None");
    num_states = 0;
    XtManageChild(cs_template);
    gui::press(cs_close);
    EXPECT_EQ(nullptr, find_by_name("NoName"));
    EXPECT_EQ(nullptr, find_transition("A", "NoName"));
    EXPECT_EQ(objects, object_list.size());
    EXPECT_EQ(0, num_states);
}

TEST_F(EditorTest, ConfigureStatesAddsModifiesAndDeletes) {
    start_editor();
    XtManageChild(cs_template);
    gui::type_text(cs_name, "Down");
    gui::type_text(cs_description, "link down");
    gui::choose_option(cs_severity, "Major");
    gui::snap_window(configure_states, "configure_state.png");
    gui::press(cs_apply);
    EXPECT_STREQ("Major", qor_handle.find_state("Down").severity());

    XtManageChild(cs_template);
    gui::choose_option(cs_severity, "Critical");
    gui::press(cs_modify);
    EXPECT_STREQ("Critical", qor_handle.find_state("Down").severity());

    XtManageChild(cs_template);
    gui::press(cs_delete);
    EXPECT_EQ("State 'Down' will be deleted from Noname", gui::only_message().message);
    gui::press(gui::only_message().button("OK"));
    EXPECT_EQ(std::vector<std::string>{"Ground"}, state_names());
    EXPECT_EQ("", gui::text(cs_name));
}

}  // namespace
