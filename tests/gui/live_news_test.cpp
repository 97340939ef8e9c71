// Two editors on one Varo, on each backend: what one saves, replaces or deletes reaches the
// template open in the other at once, and nothing of either is overwritten unasked.
#include "support/editor_fixture.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/store_fixture.h"
#include "template/template_model.h"
#include "ui/widgets.h"

namespace {

using Texts = std::vector<std::string>;

class LiveNews : public EditorTest, public ::testing::WithParamInterface<testenv::Backend> {
protected:
    void SetUp() override {
        if (GetParam() == testenv::Backend::PostgreSQL) REQUIRE_POSTGRES();
        EditorTest::SetUp();
        location = std::make_unique<testenv::StoreLocation>(GetParam());
        setenv("VARO_STORE", location->address().c_str(), 1);
        other = location->open();
        store_template({"router", "edge routers",
                        {{"Ground", "start", "Normal", "Poll"}, {"Down", "down", "Critical", "Poll"}},
                        {{"Ground", "Down", "LinkDown", {}}}});
        start_editor("router");
    }
    void TearDown() override {
        EditorTest::TearDown();
        location.reset();
    }

    // The other editor saves its own change of the template, as its Save would.
    void save_elsewhere(const std::string& state) {
        varo::TemplateDef theirs = *other->load_template("router");
        theirs.states.push_back({state, "added elsewhere", "Minor", "Poll"});
        other->update_template(theirs, theirs.version);
    }

    // The idle loop's dispatch, once a poll period, until the status line changes.
    void dispatch_until_news() {
        std::string before = gui::label(main_message_label);
        for (int i = 0; i < 30 && gui::label(main_message_label) == before; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            dispatch();
        }
    }

    // Edits here, through the state editor.
    void add_state_here(const std::string& name) {
        XtManageChild(state_edit_dialog);
        gui::type_text(se_state_name, name);
        gui::type_text(se_description_name, "added here");
        gui::press(state_edit_add_button);
        ASSERT_EQ(1, modified);
    }

    bool shown(const std::string& line) {
        Texts items = gui::list_items(main_text_list);
        return std::find(items.begin(), items.end(), line) != items.end();
    }

    std::unique_ptr<testenv::StoreLocation> location;
};

VARO_STORE_SUITE(LiveNews);

const std::string CHANGED = "Current Template: router...changed in Varo by another client";

TEST_P(LiveNews, ASaveElsewhereReloadsAnUnchangedTemplateAndSaysSo) {
    save_elsewhere("Theirs");
    dispatch_until_news();
    EXPECT_EQ(CHANGED + ", reloaded", gui::label(main_message_label));
    EXPECT_EQ(gui::label(main_message_label), gui::label(sd_message_label));
    EXPECT_EQ("Tarnwright: State Diagram - 'router' was changed in Varo by another client",
              gui::title(state_diagram_win));
    EXPECT_TRUE(shown("Theirs"));
    EXPECT_EQ(0, modified);
    EXPECT_TRUE(gui::open_dialogs().empty());

    // The reloaded copy saves in place; the title has nothing left to tell.
    add_state_here("Mine");
    gui::press(main_save_button);
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_EQ(4u, other->load_template("router")->states.size());
    EXPECT_EQ("Tarnwright: State Diagram", gui::title(state_diagram_win));
}

TEST_P(LiveNews, ASaveElsewhereAsksOnceWhenChangedHere) {
    for (const char* answer : {"Reload", "Keep"}) {
        SCOPED_TRACE(answer);
        std::string mine = std::string("Mine") + answer, theirs = std::string("Theirs") + answer;
        add_state_here(mine);
        save_elsewhere(theirs);
        dispatch_until_news();
        EXPECT_EQ(CHANGED, gui::label(sd_message_label));
        // Told once: later news of other albums and templates ask nothing more.
        other->add_poll_rate({std::string("rate_") + answer, 30});
        other->insert_template(testenv::sample_template(std::string("other_") + answer, 2));
        for (int i = 0; i < 5; ++i) dispatch();
        gui::Dialog question = gui::only_dialog();
        EXPECT_EQ("Template 'router' was changed in Varo by another client.\n"
                  "Reload it and lose the changes made here, or keep them?",
                  question.message);
        EXPECT_EQ((Texts{"Reload", "Keep"}), question.buttons);
        EXPECT_TRUE(shown(mine));
        gui::snap(XtParent(question.box), "live_news_question.png");
        gui::press(question.button(answer));
        EXPECT_TRUE(gui::open_dialogs().empty());
        bool reloaded = std::string(answer) == "Reload";
        EXPECT_EQ(reloaded, shown(theirs));
        EXPECT_EQ(!reloaded, shown(mine));
        EXPECT_EQ(reloaded ? 0 : 1, modified);
        if (reloaded) EXPECT_EQ(CHANGED + ", reloaded", gui::label(main_message_label));
    }

    // Kept: Save is refused and offers a copy under a free name; theirs stays.
    varo::TemplateDef stored = *other->load_template("router");
    gui::press(main_save_button);
    gui::Dialog offer = gui::only_dialog();
    EXPECT_EQ("Save Failed: Template 'router' was changed by another client since it was read\n"
              "Save your version as 'router_2' instead?",
              offer.message);
    EXPECT_EQ("Current Template: router...save failed", gui::label(main_message_label));
    EXPECT_TRUE(other->load_template("router")->same_content(stored)) << "nothing written before the answer";
    gui::snap(XtParent(offer.box), "live_news_save_offer.png");
    gui::press(offer.button("Yes"));
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_TRUE(other->load_template("router")->same_content(stored));
    auto copy = other->load_template("router_2");
    ASSERT_TRUE(copy.has_value());
    EXPECT_EQ("MineKeep", copy->states.back().name);
    EXPECT_EQ("router_2", gui::text(main_name));
    EXPECT_STREQ("router_2", qor_handle.name());
    EXPECT_EQ("Current Template: router_2...save complete", gui::label(main_message_label));
    EXPECT_EQ(0, modified);
    EXPECT_EQ("Tarnwright: State Diagram", gui::title(state_diagram_win));
}

TEST_P(LiveNews, ADeleteElsewhereIsToldAndTheChangesHereCanBeStoredAgain) {
    add_state_here("Mine");
    other->delete_template("router");
    dispatch_until_news();
    EXPECT_EQ("Current Template: router...deleted from Varo by another client", gui::label(main_message_label));
    EXPECT_EQ(gui::label(main_message_label), gui::label(sd_message_label));
    EXPECT_EQ("Tarnwright: State Diagram - 'router' was deleted from Varo by another client",
              gui::title(state_diagram_win));
    EXPECT_TRUE(gui::open_dialogs().empty()) << "nothing to reload";
    EXPECT_TRUE(shown("Mine"));

    // Its name is free again: the offer is that name.
    gui::press(main_save_button);
    gui::Dialog offer = gui::only_dialog();
    EXPECT_EQ("Save Failed: Template 'router' was deleted by another client since it was read\n"
              "Save your version as 'router' instead?",
              offer.message);
    gui::press(offer.button("Yes"));
    auto stored = other->load_template("router");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ("Mine", stored->states.back().name);
    EXPECT_EQ(0, modified);
}

TEST_P(LiveNews, ATemplateDeletedAndStoredAnewBeforeAnyNewsIsNotOverwritten) {
    add_state_here("Mine");
    other->delete_template("router");
    varo::TemplateDef anew = testenv::sample_template("router", 2);
    ASSERT_EQ(1, other->insert_template(anew)) << "the version this editor read";
    gui::press(main_save_button);
    EXPECT_EQ(0u, gui::only_dialog().message.rfind("Save Failed: Template 'router' was changed", 0));
    gui::press(gui::only_dialog().button("No"));
    EXPECT_EQ("Current Template: router...save failed", gui::label(main_message_label));
    EXPECT_EQ(1, modified);
    EXPECT_TRUE(other->load_template("router")->same_content(anew));
}

}  // namespace
