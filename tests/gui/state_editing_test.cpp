// States added, changed and deleted from the state editor and the configure-states dialog,
// and the diagram's placeholder states.
#include "support/editor_fixture.h"

#include <Xm/List.h>

#include <string>
#include <vector>

#include "diagram/diagram_object.h"
#include "template/template_model.h"
#include "template/text_view.h"
#include "ui/widgets.h"

namespace {

using Texts = std::vector<std::string>;

Texts state_names() {
    Texts names;
    Qor_StateQueue q;
    if (qor_handle.get_statesq(q))
        for (Qor_State s = q.deq(); s.is_valid(); s = q.deq()) names.push_back(s.name());
    return names;
}

std::string status() { return gui::label(main_message_label); }

int state_objects() {
    int n = 0;
    for (std::size_t i = 0; i < object_list.size(); ++i) n += object_list.at(i)->type == StateObject;
    return n;
}

class StateEditTest : public EditorTest {
protected:
    void open_chain() {
        varo::TemplateDef def;
        def.name = "chain";
        def.states = {{"A", "first", "Normal", "Poll"}, {"B", "second", "Minor", "Poll"}, {"C", "third", "Major", "Poll"}};
        def.transitions = {{"A", "B", "LinkDown", {}}, {"A", "B", "HighErrors", {}}, {"B", "C", "LinkDown", {}}};
        store_template(def);
        start_editor("chain");
        XtManageChild(state_edit_dialog);
    }
};

TEST_F(StateEditTest, AddTakesTheNameFirstWordOrRefusesIt) {
    start_editor();
    XtManageChild(state_edit_dialog);  // its menus show their choice once realized
    gui::choose_option(se_severity, "Normal");
    const std::string long_name(64, 'n');
    struct Case {
        std::string name, descr;
        Texts dialogs;       // in the order they came up
        std::string stored;  // "" when nothing may be added
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
    Texts expected = {"Ground"};
    for (const Case& c : cases) {
        modified = 0;
        paste(se_state_name, c.name);
        gui::type_text(se_description_name, c.descr);
        gui::press(state_edit_add_button);
        EXPECT_EQ(c.dialogs, gui::answer_all()) << c.name;
        EXPECT_EQ(c.descr_after, gui::text(se_description_name)) << c.name;
        EXPECT_EQ(!c.stored.empty(), modified == 1) << c.name;
        if (c.stored.empty()) continue;
        expected.push_back(c.stored);
        EXPECT_EQ(c.stored, gui::text(se_state_name));
        EXPECT_EQ("Current Template: Noname...modified", status());
    }
    EXPECT_EQ(expected, state_names());
    EXPECT_STREQ("link up  ", qor_handle.find_state("Up").descr());
    // Every view follows: the list, the state menus, the text view and the diagram.
    EXPECT_EQ("Up              Normal          Poll", gui::list_items(state_edit_list).at(1));
    EXPECT_EQ(expected, menu_entries(tran_to_state_parent));
    EXPECT_EQ(expected, gui::list_items(main_text_list));
    EXPECT_NE(nullptr, find_by_name(long_name.c_str()));
}

TEST_F(StateEditTest, ModifyChangesPollRateAndSeverityButNeverTheDescription) {
    open_chain();
    gui::select_list_pos(state_edit_list, 2);
    EXPECT_EQ("B", gui::text(se_state_name));
    EXPECT_EQ("second", gui::text(se_description_name));
    EXPECT_EQ("Minor", gui::label(se_severity_option));

    gui::choose_option(se_pollrate, "default_rate");
    gui::choose_option(se_severity, "Major");
    gui::type_text(se_description_name, "ignored");
    gui::press(state_edit_modify_button);
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_STREQ("second", qor_handle.find_state("B").descr());
    EXPECT_EQ("B               Major           default_rate", gui::list_items(state_edit_list).at(1));
    EXPECT_EQ("orange", find_by_name("B")->color);
    EXPECT_EQ("Current Template: chain...modified", status());
    gui::snap(state_edit_win, "state_editor.png");

    // Refusals change nothing and claim no modification. A server without poll rates
    // leaves its menu at "(none)", which no state may take.
    modified = 0;
    set_status("unchanged");
    paste(se_state_name, "Nope");
    gui::press(state_edit_modify_button);
    XmListDeleteAllItems(pollrate_list);
    build_se_pollrate();
    paste(se_state_name, "B");
    gui::choose_option(se_severity, "Normal");
    gui::press(state_edit_modify_button);
    EXPECT_EQ((Texts{"State doesn't exist.", "Modifying state failed"}), gui::answer_all());
    Qor_State b = qor_handle.find_state("B");
    EXPECT_EQ("Major default_rate", std::string(b.severity()) + " " + b.poll_rate()) << "half a Modify applied";
    EXPECT_EQ(0, modified);
    EXPECT_EQ("unchanged", status());
}

TEST_F(StateEditTest, DeleteTakesTheTransitionsThatEnterTheState) {
    open_chain();
    // Refused: a name the template does not have, checked before anything is touched.
    paste(se_state_name, "Nope");
    gui::press(state_edit_delete_button);
    EXPECT_EQ("State 'Nope' will be deleted from chain", gui::only_dialog().message);
    gui::press(gui::only_dialog().button("OK"));
    EXPECT_EQ(Texts{"Delete State Failed"}, gui::answer_all());
    EXPECT_EQ((Texts{"A", "B", "C"}), state_names());
    EXPECT_EQ(2, find_transition("A", "B")->num_conditions);
    EXPECT_EQ(0, modified);

    paste(se_state_name, "B");
    gui::press(state_edit_delete_button);
    gui::press(gui::only_dialog().button("OK"));
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_EQ((Texts{"A", "C"}), gui::list_items(main_text_list));
    EXPECT_EQ(nullptr, find_transition("A", "B"));
    EXPECT_EQ(nullptr, find_by_name("B"));
    EXPECT_EQ("", gui::text(se_state_name));
    EXPECT_EQ(2u, gui::list_items(state_edit_list).size());
    EXPECT_EQ("Current Template: chain...modified", status());
}

TEST_F(StateEditTest, ConfigureStatesAppliesAndRemovesPlaceholders) {
    open_chain();
    XtManageChild(cs_template);
    gui::type_text(cs_name, "NoName");
    gui::type_text(cs_description, "a real state of that name");
    gui::choose_option(cs_severity, "Major");
    gui::snap(configure_states, "configure_state.png");
    gui::press(cs_apply);
    EXPECT_STREQ("Major", qor_handle.find_state("NoName").severity());

    // What placing states in the diagram leaves: two placeholders, one joined to A.
    const int placed = num_states;
    create_state_object("NoName", "black");
    create_state_object("NoName", "black");
    create_transition_object("A", "NoName", "None");
    ASSERT_EQ(6, state_objects());
    gui::type_text(cs_name, "");
    gui::press(cs_delete);
    EXPECT_TRUE(gui::open_dialogs().empty()) << "an empty name asks nothing";
    EXPECT_EQ(5, state_objects());
    EXPECT_EQ(placed + 1, num_states);
    gui::press(cs_close);
    EXPECT_EQ(4, state_objects()) << "the template's own NoName stays";
    EXPECT_EQ(placed, num_states);

    gui::type_text(cs_name, "NoName");
    gui::press(cs_delete);
    EXPECT_EQ("State 'NoName' will be deleted from chain", gui::only_dialog().message);
    gui::press(gui::only_dialog().button("OK"));
    EXPECT_EQ((Texts{"A", "B", "C"}), state_names());

    // Without a real one, the last placeholder takes its transitions along, and the count
    // never drops below zero.
    create_state_object("NoName", "black");
    create_transition_object("A", "NoName", "None");
    num_states = 0;
    gui::press(cs_close);
    EXPECT_EQ(nullptr, find_by_name("NoName"));
    EXPECT_EQ(nullptr, find_transition("A", "NoName"));
    EXPECT_EQ(0, num_states);
}

}  // namespace
