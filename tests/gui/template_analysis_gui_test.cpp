// Check Template, Simulate... and the users of a condition, in the running editor.
#include "support/editor_fixture.h"

#include <Xm/Xm.h>
#include <X11/Shell.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "diagram/diagram_object.h"
#include "diagram/draw_area.h"
#include "edit/analysis_callbacks.h"
#include "template/template_model.h"
#include "ui/widgets.h"

namespace {

std::string selected_state() { return first_obj ? first_obj->name : "(none)"; }

void show_diagram() {
    XtPopup(state_diagram_win, XtGrabNone);
    gui::process_events();
    draw_diagram();
}

// Beside the diagram, so that the selected state shows in the picture.
void shoot(Widget shell, const char* name) {
    XtVaSetValues(shell, XmNx, 560, XmNy, 0, nullptr);
    draw_diagram();
    gui::process_events();
    gui::snap(nullptr, name);
}

TEST_F(EditorTest, CheckTemplateListsTheFindingsAndSelectsTheirState) {
    varo::TemplateDef def;
    def.name = "watch";
    def.states = {{"Ground", "", "Normal", "Poll"}, {"Down", "", "Critical", "Poll"}, {"Orphan", "", "Gone", "Poll"}};
    def.transitions = {{"Ground", "Down", "LinkDown", {}}};
    other->add_severity({"Gone", 9, "black"});
    store_template(def);
    other->delete_severity("Gone");  // templates keep naming a deleted severity
    start_editor("watch");
    show_diagram();

    for (const char* entry : {"sd_template_check", "main_check_template"}) {
        SCOPED_TRACE(entry);
        XtUnmanageChild(chk_dialog);
        ASSERT_TRUE(gui::press(gui::need(entry)));
        EXPECT_TRUE(gui::managed(chk_dialog));
    }
    EXPECT_EQ("watch: errors 1, warnings 1, notes 2", gui::label(chk_summary));
    EXPECT_EQ((std::vector<std::string>{"Down: note: no transition leaves this state",
                                        "Orphan: error: severity Gone is not on the server",
                                        "Orphan: warning: cannot be reached from Ground",
                                        "Orphan: note: no transition leaves this state"}),
              gui::list_items(chk_list));

    ASSERT_TRUE(gui::select_list_pos(chk_list, 1));
    EXPECT_EQ("Down", selected_state());
    ASSERT_TRUE(gui::select_list_pos(chk_list, 3));
    EXPECT_EQ("Orphan", selected_state());
    DiagramObject* down = find_by_name("Down");
    EXPECT_EQ(0, down->selected);
    EXPECT_EQ("red", down->color) << "a state no longer selected shows its severity again";
    EXPECT_EQ("white", first_obj->color);
    shoot(check_template_win, "check_template.png");

    // Mended in the working copy, the check comes back clean.
    ASSERT_TRUE(qori_state_delete(qor_handle, "Orphan"));
    ASSERT_TRUE(qori_transition_add(qor_handle, "Down", "Ground", "HighErrors", nullptr, nullptr, nullptr));
    ASSERT_TRUE(gui::press(chk_again_button));
    EXPECT_EQ("watch: no problems found", gui::label(chk_summary));
    EXPECT_TRUE(gui::list_items(chk_list).empty());
}

TEST_F(EditorTest, SimulationHighlightsTheCurrentStateAfterEachPick) {
    varo::TemplateDef def;
    def.name = "walk";
    def.states = {{"Ground", "", "Normal", "Poll"}, {"Down", "", "Critical", "default_rate"}, {"Lost", "", "Major", "Poll"}};
    def.transitions = {{"Ground", "Down", "LinkDown", {{"COMMAND", "\"/usr/bin/page\"", "\"ops\""}}},
                       {"Down", "Lost", "LinkDown", {{"MAIL", "\"noc@example.org\"", "\"lost\""}}},
                       {"Lost", "Lost", "HighErrors", {{"CONDITION", "LinkDown", ""}}}};
    store_template(def);
    start_editor("walk");
    show_diagram();

    ASSERT_TRUE(gui::press(gui::need("main_simulate")));
    ASSERT_TRUE(gui::managed(sim_dialog));
    EXPECT_EQ((std::vector<std::string>{"HighErrors", "LinkDown"}), gui::list_items(sim_condition_list));
    EXPECT_EQ("Ground", selected_state());

    struct Pick {
        const char* condition;
        const char* state;
        const char* last_line;
    };
    const Pick picks[] = {
        {"HighErrors", "Ground", "   no transition: stays in Ground"},
        {"LinkDown", "Down", "      COMMAND \"/usr/bin/page\" \"ops\""},
        {"LinkDown", "Lost", "      MAIL \"noc@example.org\" \"lost\""},
        {"HighErrors", "Lost", "      CONDITION LinkDown"},
    };
    for (const Pick& p : picks) {
        SCOPED_TRACE(p.condition);
        ASSERT_TRUE(gui::select_list_item(sim_condition_list, p.condition));
        ASSERT_TRUE(gui::press(sim_step_button));
        EXPECT_EQ(p.state, selected_state());
        EXPECT_EQ(1, first_obj->selected);
        EXPECT_EQ(0u, gui::label(sim_state).rfind(std::string("Current state: ") + p.state + " (", 0))
            << gui::label(sim_state);
        EXPECT_EQ(p.last_line, gui::list_items(sim_steps_list).back());
    }
    EXPECT_EQ(1 + 2 + 4 + 4 + 4u, gui::list_items(sim_steps_list).size()) << "the steps accumulate";
    shoot(simulate_win, "simulate.png");

    ASSERT_TRUE(gui::press(sim_reset_button));
    EXPECT_EQ("Ground", selected_state());
    EXPECT_EQ((std::vector<std::string>{"Starts in Ground (severity Normal, poll rate Poll)"}),
              gui::list_items(sim_steps_list));
    EXPECT_EQ("Current state: Ground (severity Normal, poll rate Poll)", gui::label(sim_state));
}

TEST_F(EditorTest, UsedByNamesTheStoredTemplatesOfACondition) {
    other->add_condition({"Escalate", "raised only", "ifOperStatus != \"up\"\n"});
    varo::TemplateDef def;
    def.name = "raiser";
    def.states = {{"Ground", "", "Normal", "Poll"}};
    def.transitions = {{"Ground", "Ground", "LinkDown", {{"CONDITION", "Escalate", ""}}}};
    store_template(def);
    def.name = "another";
    store_template(def);
    start_editor();

    show_condition_users("Escalate");
    EXPECT_EQ("Used by: another, raiser", gui::label(ct_used_by_label));
    EXPECT_EQ("Used by: no stored template", condition_used_by_text("HighErrors"));
    EXPECT_EQ("Cannot delete condition.\nIt is currently in use in a template.\nUsed by: another, raiser",
              condition_in_use_text("Escalate"));
}

}  // namespace
