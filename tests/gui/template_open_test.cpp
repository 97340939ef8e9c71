// Starting a new template, opening stored ones, and the text view and lists they fill.
#include "support/editor_fixture.h"

#include <string>
#include <vector>

#include "app/globals.h"
#include "app/messages.h"
#include "diagram/diagram_object.h"
#include "template/template_model.h"
#include "template/text_view.h"
#include "ui/widgets.h"

namespace {

const std::string LONG = "LongStateNameOfTwentyFive";  // 25 characters
const std::string BLANKS30(30, ' ');

varo::TemplateDef sample_template() {
    varo::TemplateDef def;
    def.name = "router";
    def.descr = "Watches a router";
    def.states = {{"Ground", "start", "Normal", "Poll"},
                  {"Down", "link is down", "Critical", "default_rate"},
                  {LONG, "far away", "Minor", "Poll"}};
    def.transitions = {{"Ground", "Down", "LinkDown", {{"COMMAND", "\"ls -l\"", "\"\""}}},
                       {"Ground", "Down", "HighErrors", {}},
                       {"Ground", LONG, "HighErrors", {}},
                       {"Down", "Down", "LinkDown", {}},
                       {"Down", "Ground", "HighErrors", {{"MAIL", "\"ops@example.com\"", "\"link down\""}}}};
    return def;
}

std::string status() { return gui::label(main_message_label); }

TEST_F(EditorTest, NewTemplateHasTheGroundStateAndItsDefaults) {
    start_editor();
    EXPECT_EQ("Noname", gui::text(main_name));
    EXPECT_EQ("No Description", gui::text(main_description));
    EXPECT_EQ(std::vector<std::string>{"Ground"}, gui::list_items(main_text_list));
    EXPECT_STREQ("None", qor_handle.descr());
    Qor_State ground = qor_handle.find_state("Ground");
    ASSERT_TRUE(ground.is_valid());
    EXPECT_STREQ("default", ground.descr());
    EXPECT_STREQ("Poll", ground.poll_rate()) << "the seeded store has Poll and default_rate";
    EXPECT_STREQ("Normal", ground.severity());
    EXPECT_EQ(0, modified);
    // Start-up replaces new_template's status with its notices.
    EXPECT_EQ(message_text(2, 1), status());
    EXPECT_EQ(message_text(2, 2), gui::label(sd_message_label));
    new_template();
    EXPECT_EQ("Current Template: Noname", status());
    EXPECT_EQ(status(), gui::label(sd_message_label));
    ASSERT_EQ(1u, object_list.size());
    EXPECT_EQ((DiagramPoint{20, 20}), (DiagramPoint{object_list.at(0)->x, object_list.at(0)->y}));
    EXPECT_EQ("green", object_list.at(0)->color);
    EXPECT_EQ(std::vector<std::string>{"Ground"}, menu_entries(tran_from_state_parent));
}

TEST_F(EditorTest, GroundPollRateAndSeverityFollowTheirPriorities) {
    start_editor();
    auto ground = [] {
        new_template();
        Qor_State g = qor_handle.find_state("Ground");
        return g.is_valid() ? std::string(g.poll_rate()) + "/" + g.severity() : std::string("none");
    };
    other->delete_poll_rate("Poll");
    other->add_poll_rate({"fast", 10});
    other->add_poll_rate({"slow", 900});
    EXPECT_EQ("default_rate/Normal", ground());
    other->add_poll_rate({"Poll", 60});
    EXPECT_EQ("Poll/Normal", ground());
    other->delete_poll_rate("Poll");
    other->delete_poll_rate("default_rate");
    EXPECT_EQ("fast/Normal", ground()) << "the first in album order";
    other->delete_severity("Normal");
    other->delete_severity("Major");
    EXPECT_EQ("fast/Critical", ground());
    EXPECT_TRUE(gui::open_dialogs().empty());

    other->delete_poll_rate("fast");
    other->delete_poll_rate("slow");
    EXPECT_EQ("none", ground()) << "no poll rate at all: the ground state cannot be added";
    std::vector<gui::Dialog> up = gui::open_dialogs();
    ASSERT_EQ(2u, up.size());
    EXPECT_EQ("Could not set ground state.", up[0].message);
    EXPECT_EQ("Setting Ground State Failed", up[1].message);
    EXPECT_TRUE(gui::list_items(main_text_list).empty());
    EXPECT_EQ(0, modified);
}

TEST_F(EditorTest, OpeningShowsTheTemplateLineForLine) {
    store_template(sample_template());
    start_editor("router");
    EXPECT_EQ("router", gui::text(main_name));
    EXPECT_EQ("Watches a router", gui::text(main_description));
    EXPECT_EQ("Current Template: router", status());
    const std::vector<std::string> expected = {
        "Ground",
        "       -> Down           (LinkDown)",
        BLANKS30 + "        COMMAND : \"ls -l\" \"\"",
        "       -> Down           (HighErrors)",
        "       -> " + LONG + "(HighErrors)",
        "Down",
        "       -> Down           (LinkDown)",
        "       -> Ground         (HighErrors)",
        BLANKS30 + "           MAIL : \"ops@example.com\" \"link down\"",
        LONG,
    };
    EXPECT_EQ(expected, gui::list_items(main_text_list));
    EXPECT_EQ((std::vector<std::string>{"Ground          Normal          Poll",
                                        "Down            Critical        default_rate",
                                        LONG + " Minor           Poll"}),
              gui::list_items(state_edit_list));

    get_transitions(ot_list, "Ground");
    EXPECT_EQ((std::vector<std::string>{"Down                     LinkDown", "Down                     HighErrors",
                                        LONG + "HighErrors"}),
              gui::list_items(ot_list))
        << "a to-state of 25 characters touches its condition";

    state_dump("Down");
    EXPECT_EQ((std::vector<std::string>{"-> Down  (LinkDown)", "-> Ground  (HighErrors)",
                                        "     MAIL < \"ops@example.com\" \"link down\""}),
              gui::list_items(si_list));
    transition_dump("Ground", "Down");
    EXPECT_EQ((std::vector<std::string>{"(LinkDown)", "             COMMAND < \"ls -l\" \"\"", "(HighErrors)"}),
              gui::list_items(tl_list));
    transition_dump("Down", LONG.c_str());
    EXPECT_TRUE(gui::list_items(tl_list).empty());

    // The diagram: one object per pair of states, a self-transition, placement slots.
    DiagramObject* ground_down = find_transition("Ground", "Down");
    ASSERT_NE(nullptr, ground_down);
    EXPECT_EQ(2, ground_down->num_conditions);
    EXPECT_EQ((std::vector<std::string>{"LinkDown", "HighErrors"}), ground_down->conditions);
    ASSERT_NE(nullptr, find_transition("Down", "Down"));
    EXPECT_EQ(1, find_transition("Down", "Down")->num_conditions);
    EXPECT_EQ(7u, object_list.size());
    DiagramObject* down = find_by_name("Down");
    EXPECT_EQ((DiagramPoint{150, 150}), (DiagramPoint{down->x, down->y}));
    EXPECT_EQ("red", down->color);

    EXPECT_EQ((std::vector<std::string>{"Ground", "Down", LONG}), menu_entries(ot_states_parent));
    EXPECT_EQ("router", std::string(qor_handle.name()));
}

TEST_F(EditorTest, OpeningTheOpenNameDoesNothing) {
    store_template(sample_template());
    start_editor("router");
    gui::type_text(main_description, "edited, not saved");
    qori_state_add(qor_handle, "Extra", "Poll", "Normal", "more");
    template_open();
    EXPECT_EQ("edited, not saved", gui::text(main_description));
    EXPECT_TRUE(qor_handle.find_state("Extra").is_valid()) << "the working copy was not reloaded";
    EXPECT_EQ(10u, gui::list_items(main_text_list).size());
}

TEST_F(EditorTest, OpeningAMissingNameGivesAFreshTemplate) {
    store_template(sample_template());
    start_editor("router");
    modified = 1;
    copy_bounded(open_template, sizeof open_template, "nosuch");
    template_open();
    gui::Dialog d = gui::only_dialog();
    EXPECT_EQ("Template Doesn't Exist.", d.message);
    EXPECT_EQ("Noname", gui::text(main_name));
    EXPECT_EQ(std::vector<std::string>{"Ground"}, gui::list_items(main_text_list));
    EXPECT_EQ(0, modified);
    EXPECT_EQ("Current Template: Noname", status());
    EXPECT_EQ(1u, object_list.size());
}

TEST_F(EditorTest, EmptySourceListsGiveAnUnusablePlaceholder) {
    start_editor();
    for (const varo::Condition& c : other->list_conditions()) other->delete_condition(c.name);
    dispatch();
    EXPECT_TRUE(gui::list_items(ct_condition_list).empty());
    EXPECT_EQ(std::vector<std::string>{"none"}, menu_entries(tran_condition_parent));
    EXPECT_EQ("(none)", gui::option_value(tran_condition));
    EXPECT_FALSE(XtIsSensitive(tran_condition));
    EXPECT_FALSE(gui::sensitive(XtNameToWidget(tran_condition_parent, "none")));
}

}  // namespace
