// Saving: field normalisation, refusals, first store, copy, in place, overwrite, races.
#include "support/editor_fixture.h"

#include <string>
#include <vector>

#include "app/globals.h"
#include "template/template_model.h"
#include "ui/widgets.h"

namespace {

varo::TemplateDef two_state_template(const std::string& name, const std::string& descr) {
    varo::TemplateDef def;
    def.name = name;
    def.descr = descr;
    def.states = {{"Ground", "start", "Normal", "Poll"}, {"Down", "down", "Critical", "Poll"}};
    def.transitions = {{"Ground", "Down", "LinkDown", {}}};
    return def;
}

std::vector<std::string> state_names(const varo::TemplateDef& def) {
    std::vector<std::string> names;
    for (const auto& s : def.states) names.push_back(s.name);
    return names;
}

std::string status() { return gui::label(main_message_label); }

// The name field refuses blanks while typing; what a program puts there can still carry them.
void save_as(const std::string& name, const std::string& descr) {
    paste(main_name, name);
    gui::type_text(main_description, descr);
    gui::press(main_save_button);
}

TEST_F(EditorTest, FirstStoreTrimsTheFieldsAndWritesThemBack) {
    start_editor();
    modified = 1;
    save_as("  report  ", " \t  daily report");
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_EQ("report", gui::text(main_name));
    EXPECT_EQ("daily report", gui::text(main_description));
    auto stored = other->load_template("report");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ("daily report", stored->descr);
    EXPECT_EQ(std::vector<std::string>{"Ground"}, state_names(*stored));
    EXPECT_EQ("Current Template: report...save complete", status());
    EXPECT_EQ(status(), gui::label(sd_message_label));
    EXPECT_EQ(0, modified);
    EXPECT_STREQ("report", qor_handle.name());
}

TEST_F(EditorTest, SaveRefusalsStoreNothing) {
    start_editor();
    modified = 1;
    struct Case {
        std::string name, descr, message;
    };
    const std::vector<Case> cases = {
        {"two words", "d", "White space is not allowed in name."},
        {"Noname", "d", "Please name the template."},
        {"report", "  \t ", "Please enter a description."},
    };
    for (const Case& c : cases) {
        save_as(c.name, c.descr);
        gui::Dialog d = gui::only_dialog();
        EXPECT_EQ(c.message, d.message) << c.name;
        gui::press(d.button(d.buttons.at(0)));
        EXPECT_TRUE(gui::open_dialogs().empty());
    }
    save_as("   ", "d");
    EXPECT_TRUE(gui::open_dialogs().empty()) << "a blank name fails silently";
    EXPECT_TRUE(other->list_templates().empty());
    EXPECT_EQ(1, modified);
}

TEST_F(EditorTest, SavingUnderANewNameMakesTheCopyTheOpenTemplate) {
    store_template(two_state_template("router", "original"));
    start_editor("router");
    qori_state_add(qor_handle, "Extra", "Poll", "Normal", "more");
    modified = 1;
    save_as("router2", "copied");
    EXPECT_EQ("Current Template: router2...save complete", status());
    EXPECT_STREQ("router2", qor_handle.name());
    EXPECT_EQ((std::vector<std::string>{"Ground", "Down", "Extra"}), state_names(*other->load_template("router2")));
    EXPECT_EQ((std::vector<std::string>{"Ground", "Down"}), state_names(*other->load_template("router")));

    // Edits now go to the copy; the original stays untouched.
    qori_state_add(qor_handle, "Later", "Poll", "Normal", "later");
    gui::press(main_save_button);
    EXPECT_EQ(4u, other->load_template("router2")->states.size());
    EXPECT_EQ(2u, other->load_template("router")->states.size());
    EXPECT_EQ("original", other->load_template("router")->descr);
}

TEST_F(EditorTest, SavingInPlaceAndRefusedWhileRunning) {
    store_template(two_state_template("router", "original"));
    start_editor("router");
    qori_state_add(qor_handle, "Extra", "Poll", "Normal", "more");
    save_as("router", "changed");
    EXPECT_EQ("Current Template: router...save complete", status());
    EXPECT_EQ(3u, other->load_template("router")->states.size());
    EXPECT_EQ("changed", other->load_template("router")->descr);

    other->set_running("core-1", "router");
    qori_state_add(qor_handle, "Refused", "Poll", "Normal", "never stored");
    modified = 1;
    gui::press(main_save_button);
    EXPECT_EQ("Save Failed: Template in use.", gui::only_dialog().message);
    EXPECT_EQ("Current Template: router...save failed", status());
    EXPECT_EQ(1, modified);
    EXPECT_EQ(3u, other->load_template("router")->states.size());
}

TEST_F(EditorTest, ASaveRacingAnotherClientsSaveIsRefusedNotLost) {
    store_template(two_state_template("router", "original"));
    start_editor("router");
    varo::TemplateDef theirs = *other->load_template("router");
    theirs.descr = "theirs";
    theirs.states.push_back({"Theirs", "added elsewhere", "Minor", "Poll"});
    other->update_template(theirs, theirs.version);

    qori_state_add(qor_handle, "Mine", "Poll", "Normal", "added here");
    modified = 1;
    gui::press(main_save_button);
    gui::Dialog refusal = gui::only_dialog();
    EXPECT_EQ("Save Failed: Template 'router' was changed by another client since it was read\n"
              "Save your version as 'router_2' instead?",
              refusal.message);
    gui::press(refusal.button("No"));
    EXPECT_EQ("Current Template: router...save failed", status());
    auto stored = other->load_template("router");
    EXPECT_EQ("theirs", stored->descr);
    EXPECT_EQ((std::vector<std::string>{"Ground", "Down", "Theirs"}), state_names(*stored));
    EXPECT_EQ(1, modified);
}

TEST_F(EditorTest, ConfirmedOverwriteReplacesTheStoredTemplate) {
    store_template(two_state_template("router", "original"));
    varo::TemplateDef target = two_state_template("switch", "the old switch");
    target.states.push_back({"Gone", "only in the old one", "Minor", "Poll"});
    store_template(target);
    start_editor("router");

    save_as("switch", "replaced");
    gui::Dialog question = gui::only_dialog();
    EXPECT_EQ("Template exists in Varo. Overwrite?", question.message);
    EXPECT_EQ(3u, other->load_template("switch")->states.size()) << "nothing written before the answer";
    gui::press(question.button(question.buttons.at(0)));
    EXPECT_TRUE(gui::open_dialogs().empty());
    auto stored = other->load_template("switch");
    EXPECT_EQ("replaced", stored->descr);
    EXPECT_EQ((std::vector<std::string>{"Ground", "Down"}), state_names(*stored));
    EXPECT_EQ("Current Template: switch...save complete", status());
    EXPECT_STREQ("switch", qor_handle.name());
    EXPECT_EQ("original", other->load_template("router")->descr);
    EXPECT_EQ(0, modified);
}

}  // namespace
