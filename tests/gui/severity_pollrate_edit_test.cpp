// The severity and poll-rate windows: Add, Modify and Delete against the server, the value
// bounds, and the state editors' menus after a deletion.
#include "support/editor_fixture.h"

#include <X11/IntrinsicP.h>
#include <Xm/RowColumn.h>
#include <Xm/TextF.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "edit/callbacks.h"
#include "platform/qori.h"
#include "template/option_menus.h"
#include "template/template_model.h"
#include "ui/widgets.h"

namespace {

using Messages = std::vector<std::string>;

void fill(std::initializer_list<std::pair<Widget, const char*>> fields) {
    for (const auto& f : fields) gui::type_text(f.first, f.second);
}

TEST_F(EditorTest, AddAndModifyCheckTheServerBeforeWriting) {
    start_editor();
    auto store = watch_writes();
    fill({{severity_name, "Normal"}, {severity_value, "5"}, {severity_color, "pink"}});
    gui::press(te_severity_add_button);
    EXPECT_EQ(Messages{"Add Failed: Severity already exists."}, gui::answer_all());
    fill({{pollrate_name, "Poll"}, {pollrate_value, "5"}});
    gui::press(te_pollrate_add_button);
    EXPECT_EQ(Messages{"Add Failed: Poll Rate already exists."}, gui::answer_all());
    EXPECT_EQ(0, store->writes) << "the engine's add was called";

    fill({{severity_name, "Nope"}});
    gui::press(te_severity_modify_button);
    EXPECT_EQ(Messages{"Severity does not exist in platform."}, gui::answer_all());
    fill({{pollrate_name, "Nope"}});
    gui::press(te_pollrate_modify_button);
    EXPECT_EQ(Messages{"Poll rate does not exist in platform."}, gui::answer_all());
    EXPECT_EQ(0, store->writes);

    // Past the keyboard filter, which keeps blanks out: the first word names the poll rate.
    paste(pollrate_name, "Poll extra words");
    fill({{pollrate_value, "45"}});
    gui::press(te_pollrate_modify_button);
    EXPECT_EQ(Messages{}, gui::answer_all());
    EXPECT_EQ(45, other->find_poll_rate("Poll")->rate);
    EXPECT_EQ("Poll", gui::text(pollrate_name));
}

TEST_F(EditorTest, ModifyTheStoreRefusesKeepsTheOldDefinition) {
    start_editor();
    auto store = watch_writes();
    store->refuse_writes = true;
    gui::select_list_item(severity_list, "Minor           2     yellow    ");
    EXPECT_EQ("Minor", gui::text(severity_name));
    EXPECT_EQ("2", gui::text(severity_value));
    EXPECT_EQ("yellow", gui::text(severity_color));
    fill({{severity_value, "7"}, {severity_color, "pink"}});
    gui::press(te_severity_modify_button);
    EXPECT_EQ(Messages{"Adding severity failed"}, gui::answer_all());
    EXPECT_EQ((varo::Severity{"Minor", 2, "yellow"}), other->find_severity("Minor"));

    gui::select_list_item(pollrate_list, "Poll                      60");
    EXPECT_EQ("Poll", gui::text(pollrate_name));
    fill({{pollrate_value, "30"}});
    gui::press(te_pollrate_modify_button);
    EXPECT_EQ(Messages{"QORI Error: Adding Poll Rate"}, gui::answer_all());
    EXPECT_EQ(60, other->find_poll_rate("Poll")->rate);

    // Taken again: one change, which the lists show after the notification.
    store->refuse_writes = false;
    gui::press(te_severity_modify_button);
    gui::press(te_pollrate_modify_button);
    EXPECT_EQ(Messages{}, gui::answer_all());
    dispatch();
    EXPECT_EQ("Minor           7     pink      ", gui::list_items(severity_list)[2]);
    EXPECT_EQ("Poll                      30", gui::list_items(pollrate_list)[0]);
    EXPECT_EQ(4u, menu_entries(se_severity_parent).size());
    if (std::getenv("TARNWRIGHT_SCREENSHOTS")) {
        XtManageChild(te_severity_dialog);
        gui::select_list_pos(severity_list, 3);
        gui::snap(severity_edit_win, "severities_editing.png");
        XtManageChild(te_pollrate_dialog);
        gui::select_list_pos(pollrate_list, 1);
        gui::snap(pollrate_win, "poll_rates_editing.png");
    }
}

TEST_F(EditorTest, DeletePollRateAsksFirstEvenWithoutAName) {
    start_editor();
    gui::press(te_pollrate_delete_button);
    gui::Dialog ask = gui::only_dialog();
    EXPECT_EQ("Delete pollrate from Varo?", ask.message);
    EXPECT_EQ(pollrate_win, XtParent(XtParent(ask.box)));
    gui::press(ask.button("OK"));
    gui::Dialog failed = gui::only_dialog();
    EXPECT_EQ("Delete Pollrate Failed", failed.message);
    EXPECT_EQ(XtParent(XtParent(pollrate_name)), XtParent(XtParent(failed.box)));
    gui::press(failed.button("OK"));
    EXPECT_EQ(2u, other->list_poll_rates().size());
}

TEST_F(EditorTest, DeletedItemsLeaveTheStateEditorsMenusAtOnce) {
    // Names that would be paths to a lookup by name.
    other->add_poll_rate({"fast.1", 5});
    other->add_severity({"Odd*", 9, "pink"});
    start_editor();
    gui::choose_option(se_pollrate, "fast.1");
    gui::select_list_item(pollrate_list, "fast.1                    5");
    gui::press(te_pollrate_delete_button);
    gui::press(gui::only_dialog().button("OK"));
    EXPECT_EQ(Messages{}, gui::answer_all());
    EXPECT_FALSE(other->find_poll_rate("fast.1"));
    EXPECT_EQ("", gui::text(pollrate_name));
    EXPECT_EQ("", gui::text(pollrate_value));
    // Before the notification arrives.
    EXPECT_EQ((std::vector<std::string>{"Poll", "default_rate"}), menu_entries(se_pollrate_parent));
    EXPECT_EQ((std::vector<std::string>{"Poll", "default_rate"}), menu_entries(cs_pollrate_parent));
    EXPECT_EQ("Poll", option_value(se_pollrate)) << "the deleted choice gave way to the first entry";

    // A state editor showing a state's severity by its label alone.
    set_string(cs_severity_option, "Odd*");
    fill({{severity_name, "Odd*"}});
    gui::press(te_severity_delete_button);
    gui::Dialog ask = gui::only_dialog();
    EXPECT_EQ("This will delete severity Odd* from Varo.", ask.message);
    EXPECT_EQ(severity_edit_win, XtParent(XtParent(ask.box)));
    gui::press(ask.button("OK"));
    EXPECT_EQ(Messages{}, gui::answer_all());
    EXPECT_EQ((std::vector<std::string>{"Critical", "Major", "Minor", "Normal"}), menu_entries(cs_severity_parent));
    EXPECT_EQ(menu_entries(cs_severity_parent), menu_entries(se_severity_parent));
    EXPECT_EQ("Critical", option_value(cs_severity));
    EXPECT_EQ("", gui::text(severity_color));

    gui::press(te_severity_delete_button);
    EXPECT_EQ(Messages{"Please enter a name."}, gui::answer_all()) << "no name: no confirmation";
    fill({{severity_name, "Gone"}});
    gui::press(te_severity_delete_button);
    gui::press(gui::only_dialog().button("OK"));
    EXPECT_EQ(Messages{"QORI Error: Severity doesn't exist."}, gui::answer_all());
    EXPECT_EQ("Gone", gui::text(severity_name)) << "a failed delete keeps the fields";
}

}  // namespace
