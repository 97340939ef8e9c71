// Adding and deleting transitions and actions in the transition editor, and ordering them
// in the order window.
#include "support/editor_fixture.h"

#include <string>
#include <vector>

#include "edit/transition_editing.h"
#include "platform/qori.h"
#include "template/line_format.h"
#include "template/template_model.h"
#include "ui/widgets.h"

namespace {

const std::string LONG_STATE = "InterfaceFlappingObserved";  // 25 characters: touches its condition

varo::TemplateDef net_template() {
    varo::TemplateDef def;
    def.name = "net";
    def.descr = "links";
    def.states = {{"Ground", "start", "Normal", "Poll"},
                  {"Down", "down", "Critical", "Poll"},
                  {LONG_STATE, "flapping", "Major", "Poll"},
                  {"Up", "up", "Normal", "Poll"}};
    def.transitions = {{"Ground", "Down", "LinkDown", {}},
                       {"Ground", LONG_STATE, "LinkDown", {}},
                       {"Ground", "Up", "HighErrors", {}},
                       {"Down", "Up", "HighErrors", {}}};
    return def;
}

std::string status() { return gui::label(main_message_label); }

// The transition as the engine holds it, its actions as "KIND arg0 arg1"; "missing" if none.
std::vector<std::string> actions_of(const std::string& from, const std::string& to, const std::string& condition) {
    Qor_State f = qor_handle.find_state(from.c_str());
    Qor_Transition t = f.find_transition(condition.c_str(), qor_handle.find_state(to.c_str()));
    if (!t.is_valid()) return {"missing"};
    std::vector<std::string> out;
    Qor_AInstanceQueue q;
    t.get_aiq(q);
    for (Qor_AInstance a = q.deq(); a.is_valid(); a = q.deq())
        out.push_back(std::string(a.name()) + " " + a.arg(0).c_str() + " " + a.arg(1).c_str());
    return out;
}

// To-states of the transitions leaving a state, in stored order.
std::vector<std::string> leaving(const std::string& from) {
    std::vector<std::string> out;
    Qor_State f = qor_handle.find_state(from.c_str());
    Qor_TransitionQueue q;
    f.get_transitionsq(q, f, Qor_State());
    for (Qor_Transition t = q.deq(); t.is_valid(); t = q.deq()) out.push_back(t.to_state().name());
    return out;
}

// The editor's choice of one transition and its action, with the command or mail operands.
void choose(const std::string& from, const std::string& to, const std::string& condition, const std::string& kind,
            const std::string& text1 = "", const std::string& text2 = "") {
    gui::choose_option(tran_from_state, from);
    gui::choose_option(tran_to_state, to);
    gui::choose_option(tran_condition, condition);
    gui::choose_option(tran_action, kind);
    if (kind != "COMMAND" && kind != "MAIL") return;
    gui::type_text(tran_edit_text1, text1);
    gui::type_text(tran_edit_text2, text2);
}

class TransitionTest : public EditorTest {
protected:
    void open_net() {
        store_template(net_template());
        start_editor("net");
        XtManageChild(te_transition_edit_dialog);
    }
};

TEST_F(TransitionTest, AddSendsEachKindOfActionNormalisedAndQuoted) {
    open_net();
    EXPECT_EQ(3u, gui::list_items(transition_list).size()) << "Ground's transitions, filled as the editor pops up";
    struct Case {
        std::string from, to, condition, kind, text1, text2;
        std::string label1;                // over the first operand
        std::string field1, field2;        // the fields afterwards
        std::vector<std::string> actions;  // of that transition afterwards
    };
    const std::vector<Case> cases = {
        {"Down", "Ground", "LinkDown", "<none>", "", "", "Command:", "", "", {}},
        {"Ground", "Down", "LinkDown", "COMMAND", " ping \t  -c\n", "", "Command:", "ping -c ", "",
         {"COMMAND \"ping -c \" \"\""}},
        {"Ground", "Down", "LinkDown", "COMMAND", "notify", "  a   b ", "Command:", "notify ", "a b ",
         {"COMMAND \"ping -c \" \"\"", "COMMAND \"notify \" \"a b \""}},
        {"Ground", "Up", "HighErrors", "MAIL", "ops@example.org", " \t ", "Address:", "ops@example.org ", "",
         {"MAIL \"ops@example.org \" \"\""}},
        // The operand fields are not read, so they stay as they were.
        {"Down", "Up", "HighErrors", "CONDITION", "", "", "Address:", "ops@example.org ", "",
         {"CONDITION HighErrors "}},
    };
    for (const Case& c : cases) {
        modified = 0;
        choose(c.from, c.to, c.condition, c.kind, c.text1, c.text2);
        bool operands = c.kind == "COMMAND" || c.kind == "MAIL";
        EXPECT_EQ(operands, gui::sensitive(tran_edit_text1) && gui::sensitive(tran_edit_label2)) << c.kind;
        EXPECT_EQ(c.kind == "CONDITION", gui::sensitive(condition_action_option)) << c.kind;
        EXPECT_EQ(c.label1, gui::label(tran_edit_label1)) << c.kind;
        if (c.kind == "CONDITION") gui::choose_option(condition_action, "HighErrors");
        gui::press(tran_add_button);
        EXPECT_EQ(std::vector<std::string>{}, gui::answer_all()) << c.kind;
        EXPECT_EQ(c.field1, gui::text(tran_edit_text1)) << c.kind;
        EXPECT_EQ(c.field2, gui::text(tran_edit_text2)) << c.kind;
        EXPECT_EQ(c.actions, actions_of(c.from, c.to, c.condition)) << c.kind;
        EXPECT_EQ("Current Template: net...modified", status());
        EXPECT_EQ(gui::list_items(transition_list).size(), leaving(c.from).size()) << "list of " << c.from;
        if (c.kind == "MAIL") gui::snap(transition_edit_win, "transition_editor.png");
    }

    // Refused: no command, a command over the engine's limit, an existing transition.
    struct Refusal {
        std::string kind, text1, field1;
    };
    const std::string huge(300, 'x');
    const std::vector<Refusal> refusals = {
        {"COMMAND", "  ", ""}, {"COMMAND", huge, huge + " "}, {"<none>", "", huge + " "}};
    std::vector<std::string> text_view = gui::list_items(main_text_list);
    for (const Refusal& r : refusals) {
        modified = 0;
        choose("Ground", "Down", "LinkDown", r.kind, r.text1);
        gui::press(tran_add_button);
        EXPECT_EQ(std::vector<std::string>{"Adding Transition Failed"}, gui::answer_all()) << r.text1.size();
        EXPECT_EQ(r.field1, gui::text(tran_edit_text1)) << "the field is never cut";
        EXPECT_EQ(0, modified);
    }
    EXPECT_EQ(text_view, gui::list_items(main_text_list));
}

TEST_F(TransitionTest, DeleteAsksFirstAndOnlyASuccessCountsAsAChange) {
    open_net();
    qori_transition_add(qor_handle, "Ground", "Down", "LinkDown", "COMMAND", "\"ping -c \"", "\"\"");
    struct Case {
        std::string to, condition, kind, text1;
        std::string question;
        std::vector<std::string> dialogs;  // after OK
        std::vector<std::string> actions;  // of Ground -> to afterwards
        int modified;
    };
    const std::string action = "Action will be deleted for transition.";
    const std::vector<Case> cases = {
        // An empty command names no action: nothing happens and nothing is said.
        {"Down", "LinkDown", "COMMAND", "  ", action, {}, {"COMMAND \"ping -c \" \"\""}, 0},
        {"Down", "LinkDown", "COMMAND", "ping", action, {"Deletion of action failed."},
         {"COMMAND \"ping -c \" \"\""}, 0},
        {"Down", "LinkDown", "COMMAND", std::string(300, 'p'), action, {"Deletion of action failed."},
         {"COMMAND \"ping -c \" \"\""}, 0},
        {"Up", "LinkDown", "<none>", "", "Transition will be deleted from net.", {"Deletion of transition failed."},
         {"missing"}, 0},
        {"Down", "LinkDown", "COMMAND", "ping\t-c", action, {}, {}, 1},
        {"Up", "HighErrors", "<none>", "", "Transition will be deleted from net.", {}, {"missing"}, 1},
    };
    for (const Case& c : cases) {
        modified = 0;
        set_status("unchanged");
        choose("Ground", c.to, c.condition, c.kind, c.text1);
        gui::press(tran_delete_button);
        EXPECT_EQ(c.question, gui::only_dialog().message) << c.text1;
        gui::press(gui::only_dialog().button("OK"));
        EXPECT_EQ(c.dialogs, gui::answer_all()) << c.kind << " " << c.text1;
        EXPECT_EQ(c.actions, actions_of("Ground", c.to, c.condition)) << c.text1;
        EXPECT_EQ(c.modified, modified) << c.text1;
        EXPECT_EQ(c.modified ? "Current Template: net...modified" : "unchanged", status()) << c.text1;
    }
    EXPECT_EQ("", gui::text(tran_edit_text1)) << "a deleted action's fields are cleared";
}

TEST_F(TransitionTest, OrderWindowMovesTheChosenLineAndKeepsItChosen) {
    open_net();
    gui::choose_option(tran_from_state, "Ground");
    gui::press(tran_order_transitions);
    EXPECT_EQ("Ground", gui::option_value(ot_states));
    const std::string long_line = LONG_STATE + "LinkDown";
    EXPECT_EQ((std::vector<std::string>{lines::transition("Down", "LinkDown"), long_line,
                                        lines::transition("Up", "HighErrors")}),
              gui::list_items(ot_list));
    EXPECT_FALSE(gui::sensitive(ot_up_button));
    EXPECT_FALSE(gui::sensitive(ot_down_button));

    struct Choice {
        int line;
        bool up, down;
    };
    for (const Choice& c : {Choice{1, false, true}, Choice{3, true, false}, Choice{2, true, true}}) {
        gui::select_list_pos(ot_list, c.line);
        EXPECT_EQ(c.up, gui::sensitive(ot_up_button)) << c.line;
        EXPECT_EQ(c.down, gui::sensitive(ot_down_button)) << c.line;
    }
    gui::press(ot_up_button);
    EXPECT_EQ(long_line, gui::list_items(ot_list).at(0));
    EXPECT_EQ(std::vector<int>{1}, gui::selected_positions(ot_list));
    EXPECT_EQ((std::vector<std::string>{LONG_STATE, "Down", "Up"}), leaving("Ground"));
    EXPECT_EQ("Current Template: net...Template Modified", status());
    EXPECT_FALSE(gui::sensitive(ot_up_button));
    gui::snap(order_trans_win, "order_transitions.png");

    gui::press(ot_down_button);
    gui::press(ot_down_button);
    EXPECT_EQ((std::vector<std::string>{"Down", "Up", LONG_STATE}), leaving("Ground"));
    EXPECT_EQ(std::vector<int>{3}, gui::selected_positions(ot_list));
    EXPECT_EQ(lines::text_view_transition(LONG_STATE.c_str(), "LinkDown"), gui::list_items(main_text_list).at(3));

    // One line: nothing to move; no line: nothing chosen.
    gui::choose_option(ot_states, "Down");
    EXPECT_EQ(1u, gui::list_items(ot_list).size());
    EXPECT_FALSE(gui::sensitive(ot_up_button) || gui::sensitive(ot_down_button));
    gui::choose_option(ot_states, "Up");
    EXPECT_TRUE(gui::list_items(ot_list).empty());
    EXPECT_EQ(0, position);
    EXPECT_EQ("", up_choice);

    // The editor's list, refilled by the moves, resolves the touching line to its own
    // transition, and deletes that one.
    gui::select_list_item(transition_list, long_line);
    EXPECT_EQ(LONG_STATE, gui::label(tran_to_state_option));
    EXPECT_EQ("LinkDown", gui::label(tran_condition_option));
    gui::choose_option(tran_action, "<none>");
    gui::press(tran_delete_button);
    gui::press(gui::only_dialog().button("OK"));
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_EQ((std::vector<std::string>{"Down", "Up"}), leaving("Ground"));
}

}  // namespace
