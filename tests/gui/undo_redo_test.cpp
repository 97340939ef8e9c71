// Undo and Redo of the open template, from the Edit menus of both windows, over edits made
// through the editor dialogs.
#include "support/editor_fixture.h"

#include <functional>
#include <string>
#include <vector>

#include "template/template_model.h"
#include "ui/widgets.h"

namespace {

using Texts = std::vector<std::string>;

varo::TemplateDef net_template() {
    varo::TemplateDef def;
    def.name = "net";
    def.descr = "links";
    def.states = {{"Ground", "start", "Normal", "Poll"}, {"Down", "down", "Critical", "Poll"}, {"Up", "up", "Normal", "Poll"}};
    def.transitions = {{"Ground", "Down", "LinkDown", {{"MAIL", "\"ops@example.org \"", "\"\""}}},
                       {"Ground", "Up", "HighErrors", {}},
                       {"Down", "Up", "HighErrors", {}}};
    return def;
}

// What the user reads of the template: the text view, the state list and the two fields.
Texts view() {
    Texts v = gui::list_items(main_text_list);
    for (const std::string& line : gui::list_items(state_edit_list)) v.push_back(line);
    v.push_back(gui::text(main_name));
    v.push_back(gui::text(main_description));
    return v;
}

class UndoTest : public EditorTest {
protected:
    void open_net() {
        store_template(net_template());
        start_editor("net");
        XtManageChild(state_edit_dialog);
        XtManageChild(te_transition_edit_dialog);
    }

    static void add_state(const std::string& name) {
        gui::type_text(se_state_name, name);
        gui::type_text(se_description_name, "about " + name);
        gui::press(state_edit_add_button);
    }
    static void modify_state(const std::string& name, const std::string& severity, const std::string& rate) {
        gui::type_text(se_state_name, name);
        gui::choose_option(se_severity, severity);
        gui::choose_option(se_pollrate, rate);
        gui::press(state_edit_modify_button);
    }
    static void delete_state(const std::string& name) {
        gui::type_text(se_state_name, name);
        gui::press(state_edit_delete_button);
        gui::press(gui::only_dialog().button("OK"));
    }
    // A transition, or one action of it, added or (after the confirmation) deleted.
    static void transition(bool add, const std::string& from, const std::string& to, const std::string& condition,
                           const std::string& kind = "<none>", const std::string& text1 = "",
                           const std::string& text2 = "") {
        gui::choose_option(tran_from_state, from);
        gui::choose_option(tran_to_state, to);
        gui::choose_option(tran_condition, condition);
        gui::choose_option(tran_action, kind);
        if (kind == "CONDITION") gui::choose_option(condition_action, text1);
        if (kind == "COMMAND" || kind == "MAIL") {
            gui::type_text(tran_edit_text1, text1);
            gui::type_text(tran_edit_text2, text2);
        }
        gui::press(add ? tran_add_button : tran_delete_button);
        if (!add) gui::press(gui::only_dialog().button("OK"));
    }
    // Moves line `line` of a state's transitions one place up or down.
    static void order(const std::string& state, int line, bool up) {
        gui::choose_option(tran_from_state, state);
        gui::press(tran_order_transitions);
        gui::select_list_pos(ot_list, line);
        gui::press(up ? ot_up_button : ot_down_button);
    }
};

TEST_F(UndoTest, TwentyEditsUndoneToTheOpenedTemplateAndRedoneToTheSameSave) {
    open_net();
    EXPECT_FALSE(gui::sensitive(main_edit_undo) || gui::sensitive(sd_edit_undo)) << "nothing done yet";
    EXPECT_FALSE(gui::sensitive(main_edit_redo) || gui::sensitive(sd_edit_redo));
    const std::vector<std::function<void()>> edits = {
        [] { add_state("Flap"); },
        [] { add_state("Busy"); },
        [] { modify_state("Down", "Major", "default_rate"); },
        [] { transition(true, "Ground", "Flap", "LinkDown"); },
        [] { transition(true, "Ground", "Flap", "LinkDown", "COMMAND", "ping", "-c 3"); },
        [] { transition(true, "Ground", "Down", "LinkDown", "MAIL", "noc@example.org", "down"); },
        [] { transition(true, "Down", "Up", "HighErrors", "CONDITION", "LinkDown"); },
        [] { gui::type_text(main_description, "links and flaps"); },
        [] { order("Ground", 3, true); },
        [] { transition(false, "Ground", "Flap", "LinkDown", "COMMAND", "ping", "-c 3"); },
        [] { transition(true, "Busy", "Ground", "HighErrors"); },
        [] { delete_state("Up"); },
        [] { add_state("Up2"); },
        [] { modify_state("Busy", "Minor", "Poll"); },
        [] { transition(true, "Flap", "Busy", "LinkDown"); },
        [] { order("Ground", 1, false); },
        [] { transition(false, "Ground", "Down", "LinkDown"); },
        [] { gui::type_text(main_description, "the last words"); },
        [] { delete_state("Flap"); },
        [] { transition(true, "Busy", "Busy", "LinkDown", "COMMAND", "reset", ""); },
    };
    std::vector<Texts> seen = {view()};
    for (std::size_t i = 0; i < edits.size(); ++i) {
        edits[i]();
        ASSERT_TRUE(gui::open_dialogs().empty()) << "edit " << i + 1 << ": " << gui::open_dialogs().at(0).message;
        ASSERT_NE(seen.back(), view()) << "edit " << i + 1 << " changed nothing";
        seen.push_back(view());
    }
    const Qor_Snapshot edited = qori_template_snapshot(qor_handle);

    // Back, alternating the two windows' menus, step by step to the template as opened.
    for (std::size_t i = edits.size(); i > 0; --i) {
        ASSERT_TRUE(gui::press(i % 2 ? main_edit_undo : sd_edit_undo)) << i;
        EXPECT_EQ(seen[i - 1], view()) << "after undoing edit " << i;
        EXPECT_EQ(i > 1, modified == 1) << i;
    }
    EXPECT_EQ("Current Template: net...undone", gui::label(sd_message_label));
    EXPECT_FALSE(gui::sensitive(main_edit_undo));
    EXPECT_TRUE(gui::sensitive(sd_edit_redo));

    for (std::size_t i = 1; i <= edits.size(); ++i) {
        ASSERT_TRUE(gui::press(i % 2 ? sd_edit_redo : main_edit_redo)) << i;
        EXPECT_EQ(seen[i], view()) << "after redoing edit " << i;
    }
    EXPECT_EQ("Current Template: net...redone", gui::label(main_message_label));
    EXPECT_FALSE(gui::sensitive(main_edit_redo));
    EXPECT_EQ(edited, qori_template_snapshot(qor_handle));

    gui::press(main_save_button);
    ASSERT_TRUE(gui::open_dialogs().empty());
    varo::TemplateDef stored = *other->load_template("net");
    EXPECT_EQ(edited.contents()->states, stored.states);
    EXPECT_EQ(edited.contents()->transitions, stored.transitions);
    EXPECT_EQ("the last words", stored.descr);
}

TEST_F(UndoTest, UndoBringsBackADeletedStatesTransitionsAndAnEditDropsTheRedo) {
    open_net();
    const Texts opened = view();
    delete_state("Down");
    EXPECT_EQ(3u, gui::list_items(main_text_list).size()) << "Ground, its transition to Up, and Up";

    gui::press(main_edit_undo);
    EXPECT_EQ(opened, view()) << "both transitions of Down and the action are back";
    EXPECT_EQ(0, modified) << "as opened";
    EXPECT_EQ(3u, gui::list_items(state_edit_list).size());

    // Save keeps the history; "unchanged" is now what was saved.
    gui::press(main_edit_redo);
    gui::press(main_save_button);
    EXPECT_EQ(0, modified);
    gui::press(main_edit_undo);
    EXPECT_EQ(opened, view());
    EXPECT_EQ(1, modified) << "the saved template has no Down";

    // An edit after an undo: what was undone cannot come back.
    EXPECT_TRUE(gui::sensitive(main_edit_redo));
    add_state("Late");
    EXPECT_FALSE(gui::sensitive(main_edit_redo) || gui::sensitive(sd_edit_redo));
    gui::press(main_edit_undo);
    EXPECT_EQ(opened, view());
    EXPECT_FALSE(gui::sensitive(main_edit_undo));

    // New starts a history of its own.
    gui::press(main_edit_redo);
    ASSERT_EQ(1, modified);
    gui::press(main_new_template);
    gui::press(gui::only_dialog().button("No"));
    EXPECT_FALSE(gui::sensitive(main_edit_undo) || gui::sensitive(main_edit_redo));
    EXPECT_EQ("Noname", gui::text(main_name));
}

}  // namespace
