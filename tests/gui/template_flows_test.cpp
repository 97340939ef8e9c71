// New and Open with unsaved changes, deleting the open template, and leaving with changes.
#include "support/editor_fixture.h"

#include <string>
#include <vector>

#include "app/globals.h"
#include "app/messages.h"
#include "template/template_model.h"
#include "ui/widgets.h"

namespace {

varo::TemplateDef ground_only(const std::string& name) {
    varo::TemplateDef def;
    def.name = name;
    def.descr = name + " template";
    def.states = {{"Ground", "g", "Normal", "Poll"}};
    return def;
}

bool stored_has_state(varo::Store& store, const std::string& templ, const std::string& state) {
    auto def = store.load_template(templ);
    if (!def) return false;
    for (const auto& s : def->states)
        if (s.name == state) return true;
    return false;
}

std::vector<gui::Dialog> dialogs_named(const std::string& name) {
    std::vector<gui::Dialog> out;
    for (const gui::Dialog& d : gui::open_dialogs())
        if (d.name == name) out.push_back(d);
    return out;
}

void close_errors() {
    for (const gui::Dialog& d : dialogs_named("ErrorDialog")) gui::press(d.button("OK"));
}

// The open template, with one unsaved state when edited.
void open_router(const std::string& edit) {
    copy_bounded(open_template, sizeof open_template, "router");
    template_open();
    if (edit.empty()) return;
    qori_state_add(qor_handle, edit.c_str(), "Poll", "Normal", "unsaved");
    modified = 1;
}

enum class Command { New, Open };

void run(Command command) {
    if (command == Command::New) {
        gui::press(main_new_template);
    } else {
        gui::select_list_pos(ol_list, 1);  // "other"
        gui::press(ol_ok_button);
    }
}

TEST_F(EditorTest, NewAndOpenAskOnlyAboutUnsavedChanges) {
    store_template(ground_only("other"));
    store_template(ground_only("router"));
    start_editor("router");
    struct Case {
        const char* what;
        Command command;
        const char* edit;    // "" leaves the template unmodified
        const char* answer;  // to "Save changes made to 'router'."; "" when none is expected
        bool running;        // makes the save fail
        const char* open_after;
        bool saved;
    };
    // Saving fails while the template runs, so those rows come last.
    const Case cases[] = {
        {"new, unmodified", Command::New, "", "", false, "Noname", false},
        {"new, not saved", Command::New, "E1", "No", false, "Noname", false},
        {"new, saved first", Command::New, "E2", "Yes", false, "Noname", true},
        {"open, unmodified", Command::Open, "", "", false, "other", false},
        {"open, not saved", Command::Open, "E3", "No", false, "other", false},
        {"open, saved first", Command::Open, "E4", "Yes", false, "other", true},
        {"new, the save fails", Command::New, "E5", "Yes", true, "router", false},
        {"open, the save fails", Command::Open, "E6", "Yes", true, "router", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.running && other->list_running().empty()) other->set_running("core-1", "router");
        open_router(c.edit);
        run(c.command);
        std::vector<gui::Dialog> questions = dialogs_named("QuestionDialog");
        if (*c.answer) {
            ASSERT_EQ(1u, questions.size());
            EXPECT_EQ("Save changes made to 'router'.", questions[0].message);
            gui::press(questions[0].button(c.answer));
        } else {
            EXPECT_TRUE(questions.empty());
        }
        EXPECT_STREQ(c.open_after, qor_handle.name());
        if (*c.edit) {
            EXPECT_EQ(c.saved, stored_has_state(*other, "router", c.edit));
        }
        if (c.running) {
            EXPECT_EQ(1u, dialogs_named("ErrorDialog").size()) << "the save said why";
            EXPECT_TRUE(qor_handle.find_state(c.edit).is_valid()) << "the edit is kept";
            EXPECT_EQ(1, modified);
            close_errors();
        }
    }
}

TEST_F(EditorTest, NewOrOpenWaitingOnAnOverwriteGoesOnOnlyAfterOk) {
    store_template(ground_only("other"));
    store_template(ground_only("router"));
    store_template(ground_only("switch"));
    start_editor("router");

    // Yes to saving, under the name of another stored template; OK to the overwrite.
    open_router("Mine");
    paste(main_name, "switch");
    run(Command::New);
    gui::press(dialogs_named("QuestionDialog").at(0).button("Yes"));
    std::vector<gui::Dialog> warnings = dialogs_named("WarningDialog");
    ASSERT_EQ(1u, warnings.size());
    EXPECT_EQ("Template exists in Varo. Overwrite?", warnings[0].message);
    gui::press(warnings[0].button(warnings[0].buttons.at(0)));
    EXPECT_TRUE(stored_has_state(*other, "switch", "Mine"));
    EXPECT_STREQ("Noname", qor_handle.name()) << "the New went on";

    // Cancel of the overwrite: nothing stored, so the Open waits no more and the edit stays.
    open_router("Kept");
    paste(main_name, "switch");
    run(Command::Open);
    gui::press(dialogs_named("QuestionDialog").at(0).button("Yes"));
    gui::Dialog warning = dialogs_named("WarningDialog").at(0);
    gui::press(warning.button(warning.buttons.at(1)));
    EXPECT_STREQ("router", qor_handle.name());
    EXPECT_TRUE(qor_handle.find_state("Kept").is_valid());
    EXPECT_FALSE(stored_has_state(*other, "switch", "Kept"));

    // A later plain save with its own overwrite does not run the dropped Open.
    gui::press(main_save_button);
    warning = dialogs_named("WarningDialog").at(0);
    gui::press(warning.button(warning.buttons.at(0)));
    EXPECT_TRUE(stored_has_state(*other, "switch", "Kept"));
    EXPECT_STREQ("switch", qor_handle.name());
}

TEST_F(EditorTest, DeletingTheOpenTemplateStartsANewOne) {
    store_template(ground_only("router"));
    start_editor("router");
    modified = 1;
    gui::select_list_pos(ol_list, 1);
    gui::press(ol_delete_button);
    gui::Dialog confirm = dialogs_named("WarningDialog").at(0);
    EXPECT_EQ("Template 'router' will be deleted from Varo.", confirm.message);
    gui::press(confirm.button(confirm.buttons.at(0)));
    EXPECT_FALSE(other->load_template("router").has_value());
    EXPECT_STREQ("Noname", qor_handle.name());
    EXPECT_EQ(0, modified);
}

TEST_F(EditorTest, ExitWithUnsavedChangesEndsWithStatusZero) {
    store_template(ground_only("router"));
    start_editor("router");
    open_router("Unsaved");
    EXPECT_EXIT(gui::press(main_exit_button), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(gui::press(sd_exit_button), ::testing::ExitedWithCode(0), "");
}

}  // namespace
