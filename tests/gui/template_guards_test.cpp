// What an answer acts on, and the menus and globals, stay sound while notifications arrive.
#include "support/editor_fixture.h"

#include <Xm/RowColumn.h>

#include <string>
#include <vector>

#include "app/notifications.h"
#include "template/template_model.h"
#include "ui/widgets.h"

namespace {

varo::TemplateDef one_state(const std::string& name) {
    varo::TemplateDef def;
    def.name = name;
    def.descr = name + " template";
    def.states = {{"Ground", "start", "Normal", "Poll"}};
    return def;
}

TEST_F(EditorTest, DeleteActsOnTheConfirmedTemplateWhateverTheListDoesMeanwhile) {
    store_template(one_state("alpha"));
    store_template(one_state("report"));
    start_editor();
    gui::select_list_pos(ol_list, 2);
    gui::press(ol_delete_button);
    gui::Dialog confirm = gui::only_dialog();
    EXPECT_NE(confirm.message.find("report"), std::string::npos) << confirm.message;

    other->insert_template(one_state("beta"));
    update_template(nullptr, nullptr);  // reselects the first line, as a notification does
    gui::process_events();
    gui::press(confirm.button(confirm.buttons.at(0)));

    EXPECT_FALSE(other->load_template("report").has_value());
    EXPECT_TRUE(other->load_template("alpha").has_value()) << "not the line a notification selected";
}

TEST_F(EditorTest, ARefusedDeleteOfTheOpenTemplateKeepsItAndItsEdits) {
    store_template(one_state("report"));
    start_editor("report");
    qori_state_add(qor_handle, "Edited", "Poll", "Normal", "unsaved");
    modified = 1;
    other->set_running("core-1", "report");

    gui::select_list_item(ol_list, gui::list_items(ol_list).at(0));
    gui::press(ol_delete_button);
    gui::Dialog confirm = gui::only_dialog();
    gui::press(confirm.button(confirm.buttons.at(0)));

    EXPECT_EQ(1u, gui::open_dialogs().size()) << "the refusal is shown";
    EXPECT_STREQ("report", qor_handle.name());
    EXPECT_TRUE(qor_handle.find_state("Edited").is_valid());
    EXPECT_EQ(1, modified);
    EXPECT_TRUE(other->load_template("report").has_value());
}

TEST_F(EditorTest, EntriesARebuildDropsLeaveNoDanglingGlobal) {
    start_editor();
    for (Widget* dropped : {&cs_pollrate_new, &cs_severity_new, &se_new_pollrate, &se_new_severity,
                            &tran_from_new_state, &tran_to_new_state, &tran_new_condition, &condition_new})
        EXPECT_EQ(nullptr, *dropped);
    other->add_poll_rate({"Fast", 10});
    update_pollrate(nullptr, nullptr);
    EXPECT_EQ((std::vector<std::string>{"Fast", "Poll", "default_rate"}), menu_entries(cs_pollrate_parent));
}

}  // namespace
