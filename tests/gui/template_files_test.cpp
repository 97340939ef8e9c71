// The open template as a whole: new, open, save, overwrite, New and Open over unsaved changes,
// delete, exit, recovery; the store taken away under the editor; two editors on one Varo, and
// a read-only one, on each backend.
#include "support/editor_fixture.h"

#include <Xm/RowColumn.h>
#include <Xm/TextF.h>
#include <sqlite3.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <tuple>

#include "app/notifications.h"
#include "base/globals.h"
#include "diagram/diagram_object.h"
#include "edit/template_callbacks.h"
#include "ui/callbacks.h"
#include "support/process_runner.h"
#include "support/store_fixture.h"
#include "template/recovery_journal.h"
#include "template/template_model.h"
#include "ui/text_view.h"
#include "ui/xm_string.h"
#include "ui/widgets.h"
#include "varo/transfer.h"

namespace {

const std::string LONG = "LongStateNameOfTwentyFive";  // 25 characters
const std::string BLANKS30(30, ' ');

const varo::TemplateDef ROUTER = {
    "router", "Watches a router",
    {{"Ground", "start", "Normal", "Poll"}, {"Down", "link is down", "Critical", "default_rate"},
     {LONG, "far away", "Minor", "Poll"}},
    {{"Ground", "Down", "LinkDown", {{"COMMAND", "\"ls -l\"", "\"\""}}},
     {"Ground", "Down", "HighErrors", {}},
     {"Ground", LONG, "HighErrors", {}},
     {"Down", "Down", "LinkDown", {}},
     {"Down", "Ground", "HighErrors", {{"MAIL", "\"ops@example.com\"", "\"link down\""}}}}};

varo::TemplateDef two_states(const std::string& name, const std::string& descr) {
    return {name, descr, {{"Ground", "start", "Normal", "Poll"}, {"Down", "down", "Critical", "Poll"}},
            {{"Ground", "Down", "LinkDown", {}}}};
}

varo::TemplateDef ground_only(const std::string& name) {
    return {name, name + " template", {{"Ground", "g", "Normal", "Poll"}}, {}};
}

Texts state_names(const varo::TemplateDef& def) {
    Texts names;
    for (const auto& s : def.states) names.push_back(s.name);
    return names;
}

bool stored_has_state(varo::Store& store, const std::string& templ, const std::string& state) {
    auto def = store.load_template(templ);
    if (!def) return false;
    Texts names = state_names(*def);
    return std::find(names.begin(), names.end(), state) != names.end();
}

std::vector<gui::Dialog> dialogs_named(const std::string& name) {
    std::vector<gui::Dialog> out;
    for (const gui::Dialog& d : gui::open_dialogs())
        if (d.name == name) out.push_back(d);
    return out;
}

// Saves an edited template under a name and description. The name field refuses blanks while
// typing; what a program puts there can still carry them.
void save_as(const std::string& name, const std::string& descr = "d") {
    modified = 1;
    paste(main_name, name);
    gui::type_text(main_description, descr);
    gui::press(main_save_button);
}

// Opens a stored template, with one unsaved state when edited.
void open_stored(const std::string& name, const std::string& edit = "") {
    copy_bounded(open_template, sizeof open_template, name.c_str());
    open_named_template();  // as Open does
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

// (Start-up's notices: ConnectedStartShowsTitleIconsAndTheNotice; the status line and views after
// New: EachChangeIsToldOnceAndTheViewsOfWhatChangedFollowIt.)
TEST_F(EditorTest, ANewTemplateHasGroundWithThePollRateAndSeverityOfHighestPriority) {
    start_editor();
    EXPECT_EQ((Texts{"Noname", "No Description", "Ground"}),
              (Texts{gui::text(main_name), gui::text(main_description), gui::list_items(main_text_list).at(0)}));
    ASSERT_EQ(1u, object_list.size());
    EXPECT_EQ((DiagramPoint{20, 20}), (DiagramPoint{object_list.at(0)->x, object_list.at(0)->y}));
    auto ground = [] {
        start_new_template();  // as New does
        Qor_State g = qor_handle.find_state("Ground");
        return g.is_valid() ? std::string(g.descr()) + "/" + g.poll_rate() + "/" + g.severity() : std::string("none");
    };
    EXPECT_EQ("default/Poll/Normal", ground());
    EXPECT_EQ(0, modified);
    other->delete_poll_rate("Poll");
    other->add_poll_rate({"fast", 10});
    other->add_poll_rate({"slow", 900});
    EXPECT_EQ("default/default_rate/Normal", ground());
    other->add_poll_rate({"Poll", 60});
    EXPECT_EQ("default/Poll/Normal", ground());
    other->delete_poll_rate("Poll");
    other->delete_poll_rate("default_rate");
    EXPECT_EQ("default/fast/Normal", ground()) << "the first in album order";
    other->delete_severity("Normal");
    other->delete_severity("Major");
    EXPECT_EQ("default/fast/Critical", ground());
    EXPECT_TRUE(gui::open_dialogs().empty());

    other->delete_poll_rate("fast");
    other->delete_poll_rate("slow");
    EXPECT_EQ("none", ground()) << "no poll rate at all: the ground state cannot be added";
    EXPECT_EQ((Texts{"Could not set ground state.", "Setting Ground State Failed"}), gui::answer_all());
    EXPECT_TRUE(gui::list_items(main_text_list).empty());
    EXPECT_EQ(0, modified);
}

TEST_F(EditorTest, OpeningShowsTheTemplateLineForLine) {
    store_template(ROUTER);
    start_editor("router");
    EXPECT_EQ("router", gui::text(main_name));
    EXPECT_EQ("Watches a router", gui::text(main_description));
    EXPECT_EQ("Current Template: router", status());
    EXPECT_EQ((Texts{"Ground", "       -> Down           (LinkDown)", BLANKS30 + "        COMMAND : \"ls -l\" \"\"",
                     "       -> Down           (HighErrors)", "       -> " + LONG + "(HighErrors)", "Down",
                     "       -> Down           (LinkDown)", "       -> Ground         (HighErrors)",
                     BLANKS30 + "           MAIL : \"ops@example.com\" \"link down\"", LONG}),
              gui::list_items(main_text_list));
    EXPECT_EQ((Texts{"Ground          Normal          Poll", "Down            Critical        default_rate",
                     LONG + " Minor           Poll"}),
              gui::list_items(state_edit_list));

    get_transitions(ot_list, "Ground");
    EXPECT_EQ((Texts{"Down                     LinkDown", "Down                     HighErrors", LONG + "HighErrors"}),
              gui::list_items(ot_list))
        << "a to-state of 25 characters touches its condition";
    state_dump("Down");
    EXPECT_EQ((Texts{"-> Down  (LinkDown)", "-> Ground  (HighErrors)",
                     "     MAIL < \"ops@example.com\" \"link down\""}),
              gui::list_items(si_list));
    transition_dump("Ground", "Down");
    EXPECT_EQ((Texts{"(LinkDown)", "             COMMAND < \"ls -l\" \"\"", "(HighErrors)"}), gui::list_items(tl_list));
    transition_dump("Down", LONG.c_str());
    EXPECT_TRUE(gui::list_items(tl_list).empty());

    // (Its diagram, a label per pair of states and the placement slots: StatesAndLabelsArePaintedWhereTheyBelong.)
    EXPECT_EQ((Texts{"Ground", "Down", LONG}), menu_entries(ot_states_parent));
}

TEST_F(EditorTest, OpeningTheOpenNameDoesNothingAndAMissingNameGivesAFreshTemplate) {
    store_template(ROUTER);
    start_editor("router");
    gui::type_text(main_description, "edited, not saved");
    qori_state_add(qor_handle, "Extra", "Poll", "Normal", "more");
    template_open();
    EXPECT_EQ("edited, not saved", gui::text(main_description));
    EXPECT_TRUE(qor_handle.find_state("Extra").is_valid()) << "the working copy was not reloaded";
    EXPECT_EQ(10u, gui::list_items(main_text_list).size());

    modified = 1;
    open_stored("nosuch");
    EXPECT_EQ(Texts{"Template Doesn't Exist."}, gui::answer_all());
    EXPECT_EQ("Noname", gui::text(main_name));
    EXPECT_EQ(Texts{"Ground"}, gui::list_items(main_text_list));
    EXPECT_EQ(0, modified);
    EXPECT_EQ("Current Template: Noname", status());
    EXPECT_EQ(1u, object_list.size());
}

// A refused save stores nothing and says why: a first store the store refuses gives the store's
// reason, only a template without states is "incomplete"; a blank name fails silently.
TEST_F(EditorTest, SaveRefusalsStoreNothingAndSayWhyAndAFirstStoreTrimsTheFields) {
    start_editor();
    save_as("   ", "d");
    EXPECT_TRUE(gui::open_dialogs().empty());
    const struct {
        std::string name, descr, shown, reason;  // the one dialog's message starts with shown and names reason
        std::function<void()> arrange;
    } cases[] = {
        {"two words", "d", "White space is not allowed in name.", "", [] {}},
        {"Noname", "d", "Please name the template.", "", [] {}},
        {"report", "  \t ", "Please enter a description.", "", [] {}},
        {"gone_severity", "d", "Save Failed: ", "no severity \"Minor\"",
         [this] {
             qori_state_add(qor_handle, "Down", "Poll", "Minor", "down");
             other->delete_severity("Minor");  // by another client, after the state chose it
         }},
        {"stateless", "d", "Create Failed: Incomplete Template.", "",
         [] { qor_handle = qori_template_create("Noname", "None"); }},
    };
    for (const auto& c : cases) {
        c.arrange();
        save_as(c.name, c.descr);
        Texts shown = gui::answer_all();
        ASSERT_EQ(1u, shown.size()) << c.name;
        EXPECT_EQ(0u, shown[0].rfind(c.shown, 0)) << shown[0];
        EXPECT_NE(std::string::npos, shown[0].find(c.reason)) << shown[0];
        EXPECT_FALSE(other->load_template(c.name).has_value());
        EXPECT_EQ(1, modified);
        if (c.name == "report") {  // with Ground alone again, a first store that trims the fields
            save_as("  report  ", " \t  daily report");
            EXPECT_TRUE(gui::open_dialogs().empty());
            EXPECT_EQ((Texts{"report", "daily report"}), (Texts{gui::text(main_name), gui::text(main_description)}));
            auto stored = other->load_template("report");
            ASSERT_TRUE(stored.has_value());
            EXPECT_EQ("daily report", stored->descr);
            EXPECT_EQ(Texts{"Ground"}, state_names(*stored));
            EXPECT_EQ("Current Template: report...save complete", status());
            EXPECT_EQ(status(), gui::label(sd_message_label));
            EXPECT_EQ(0, modified);
            start_new_template();
        }
    }
    EXPECT_EQ("Current Template: Noname...save failed", status());
}

// In place, refused while the template runs, then under a new name: the copy becomes the
// open template and later saves go to it, the original untouched.
TEST_F(EditorTest, SavingInPlaceRefusedWhileRunningAndUnderANewName) {
    store_template(two_states("router", "original"));
    start_editor("router");
    qori_state_add(qor_handle, "Extra", "Poll", "Normal", "more");
    save_as("router", "changed");
    EXPECT_EQ("Current Template: router...save complete", status());
    varo::TemplateDef saved = *other->load_template("router");
    EXPECT_EQ(3u, saved.states.size());
    EXPECT_EQ("changed", saved.descr);

    other->set_running("core-1", "router");
    qori_state_add(qor_handle, "Refused", "Poll", "Normal", "never stored");
    modified = 1;
    gui::press(main_save_button);
    EXPECT_EQ(Texts{"Save Failed: Template in use."}, gui::answer_all());
    EXPECT_EQ("Current Template: router...save failed", status());
    EXPECT_EQ(1, modified);
    EXPECT_TRUE(other->load_template("router")->same_content(saved));

    save_as("router2", "copied");
    EXPECT_EQ("Current Template: router2...save complete", status());
    EXPECT_STREQ("router2", qor_handle.name());
    EXPECT_EQ((Texts{"Ground", "Down", "Extra", "Refused"}), state_names(*other->load_template("router2")));
    qori_state_add(qor_handle, "Later", "Poll", "Normal", "later");
    gui::press(main_save_button);
    EXPECT_EQ(5u, other->load_template("router2")->states.size());
    EXPECT_TRUE(other->load_template("router")->same_content(saved));
}

TEST_F(EditorTest, NewAndOpenAskOnlyAboutUnsavedChanges) {
    store_template(ground_only("other"));
    store_template(ground_only("router"));
    start_editor("router");
    struct Case {
        const char* what;
        Command command;
        const char* edit;    // "" leaves the template unmodified
        const char* typed;   // typed into Description:; "" types nothing
        const char* answer;  // to "Save changes made to 'router'."; "" when none is expected
        bool running;        // makes the save fail
        const char* open_after;
        bool saved;
    };
    // Saving fails while the template runs, so those rows come last.
    const Case cases[] = {
        {"new, unmodified", Command::New, "", "", "", false, "Noname", false},
        {"open, typed and typed back", Command::Open, "", "router template", "", false, "other", false},
        {"new, not saved", Command::New, "E1", "", "No", false, "Noname", false},
        {"new, saved first", Command::New, "E2", "", "Yes", false, "Noname", true},
        {"new, only typed, saved first", Command::New, "", "typed before New", "Yes", false, "Noname", false},
        {"open, unmodified", Command::Open, "", "", "", false, "other", false},
        {"open, not saved", Command::Open, "E3", "", "No", false, "other", false},
        {"open, saved first", Command::Open, "E4", "", "Yes", false, "other", true},
        {"open, only typed, not saved", Command::Open, "", "typed before Open", "No", false, "other", false},
        {"new, the save fails", Command::New, "E5", "", "Yes", true, "router", false},
        {"open, the save fails", Command::Open, "E6", "", "Yes", true, "router", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.running && other->list_running().empty()) other->set_running("core-1", "router");
        open_stored("router", c.edit);
        if (*c.typed) {
            gui::type_text(main_description, std::string(c.typed) + " here");
            EXPECT_EQ(1, modified);
            EXPECT_EQ("Current Template: router...modified", status());
            gui::type_text(main_description, c.typed);
        }
        std::string typed_stored = other->load_template("router")->descr;
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
        EXPECT_EQ(c.saved, *c.edit && stored_has_state(*other, "router", c.edit));
        if (*c.typed && !c.running) {
            EXPECT_EQ(std::string(*c.answer == 'Y' ? c.typed : typed_stored.c_str()),
                      other->load_template("router")->descr);
        }
        if (c.running) {
            EXPECT_EQ(1u, gui::answer_all().size()) << "the save said why";
            EXPECT_TRUE(qor_handle.find_state(c.edit).is_valid()) << "the edit is kept";
            EXPECT_EQ(1, modified);
        }
    }
}

TEST_F(EditorTest, NewOrOpenWaitingOnAnOverwriteGoesOnOnlyAfterOk) {
    for (const char* name : {"other", "router", "switch"}) store_template(ground_only(name));
    start_editor("router");
    // Yes to saving under the name of another stored template, then OK or Cancel to the
    // overwrite: only an OK lets the New go on; after a Cancel the Open waits no more and
    // the edit stays.
    auto save_over_switch = [](const char* edit, Command command, bool overwrite) {
        open_stored("router", edit);
        paste(main_name, "switch");
        run(command);
        gui::press(dialogs_named("QuestionDialog").at(0).button("Yes"));
        std::vector<gui::Dialog> warnings = dialogs_named("WarningDialog");
        ASSERT_EQ(1u, warnings.size());
        EXPECT_EQ("Template exists in Varo. Overwrite?", warnings[0].message);
        gui::press(warnings[0].button(warnings[0].buttons.at(overwrite ? 0 : 1)));
    };
    save_over_switch("Mine", Command::New, true);
    EXPECT_TRUE(stored_has_state(*other, "switch", "Mine"));
    EXPECT_STREQ("Noname", qor_handle.name()) << "the New went on";

    save_over_switch("Kept", Command::Open, false);
    EXPECT_STREQ("router", qor_handle.name());
    EXPECT_TRUE(qor_handle.find_state("Kept").is_valid());
    EXPECT_FALSE(stored_has_state(*other, "switch", "Kept"));

    // A later plain save with its own overwrite does not run the dropped Open; the stored
    // template is replaced (Mine goes), only once the user says so.
    gui::press(main_save_button);
    gui::Dialog warning = dialogs_named("WarningDialog").at(0);
    EXPECT_FALSE(stored_has_state(*other, "switch", "Kept")) << "nothing written before the answer";
    gui::press(warning.button(warning.buttons.at(0)));
    EXPECT_EQ((Texts{"Ground", "Kept"}), state_names(*other->load_template("switch")));
    EXPECT_EQ("Current Template: switch...save complete", status());
    EXPECT_STREQ("switch", qor_handle.name());
    EXPECT_EQ(0, modified);
    EXPECT_EQ(1u, other->load_template("router")->states.size()) << "the original untouched";
}

// A refused delete of the open template keeps it and its edits; a delete that is taken
// starts a new one. Either acts on the template confirmed, whatever line a notification
// selects meanwhile.
TEST_F(EditorTest, DeletingTheOpenTemplateStartsANewOneUnlessRefused) {
    store_template(ground_only("report"));
    store_template(ground_only("router"));
    other->set_running("core-1", "report");
    start_editor("report");
    for (const char* name : {"report", "router"}) {
        SCOPED_TRACE(name);
        bool refused = std::string(name) == "report";
        open_stored(name, "Edited");
        for (const std::string& line : gui::list_items(ol_list))
            if (line.rfind(std::string(name) + " ", 0) == 0) gui::select_list_item(ol_list, line);
        gui::press(ol_delete_button);
        gui::Dialog confirm = gui::only_dialog();
        EXPECT_EQ("Template '" + std::string(name) + "' will be deleted from Varo.", confirm.message);
        other->insert_template(ground_only(std::string("a_") + name));  // the first line now
        update_template(nullptr, nullptr);
        gui::process_events();
        gui::press(confirm.button(confirm.buttons.at(0)));
        EXPECT_EQ(refused ? 1u : 0u, gui::answer_all().size()) << "the refusal is shown";
        EXPECT_EQ(refused, other->load_template(name).has_value());
        EXPECT_TRUE(other->load_template(std::string("a_") + name).has_value());
        EXPECT_STREQ(refused ? name : "Noname", qor_handle.name());
        EXPECT_EQ(refused, qor_handle.find_state("Edited").is_valid());
        EXPECT_EQ(refused ? 1 : 0, modified);
    }
}

TEST_F(EditorTest, ExitWithUnsavedChangesEndsWithStatusZero) {
    store_template(ground_only("router"));
    start_editor("router");
    open_stored("router", "Unsaved");
    EXPECT_EXIT(gui::press(main_exit_button), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(gui::press(sd_exit_button), ::testing::ExitedWithCode(0), "");
}

// Journals of editors that are gone: offered at start-up and before New replaces the template,
// restored exactly as modified with undo starting there; one whose template another client saved
// since is said so and not saved over; Discard keeps the last discarded copy.
TEST_F(EditorTest, RecoveryIsOfferedOnceItsEditorIsGoneAndNeverOverwritesAnotherClientsSave) {
    for (const char* name : {"kept", "theirs", "dropped"}) store_template(ground_only(name));
    auto journal = [&](const char* name, std::int64_t time) {  // offered oldest first
        varo::Journal j{varo::journal_store_name(other->describe()), name, other->load_template(name)->version, time,
                        1, "gone", std::string(name) + "_typed", "typed", ground_only(name)};
        j.contents.states.push_back({"Up", "u", "Minor", "Poll", varo::StatePosition{300, 200}});
        j.contents.transitions.push_back({"Ground", "Up", "LinkDown", {{"COMMAND", "\"a b\"", "\"c\""}}});
        std::string why;
        EXPECT_TRUE(varo::JournalWriter(varo::recovery_folder()).write(j, &why)) << why;  // its lock goes with it
        return j;
    };
    varo::Journal kept = journal("kept", 1765200000);
    start_editor();
    gui::Dialog offer = gui::only_dialog();
    EXPECT_EQ("Unsaved changes to 'kept' from " + varo::journal_time_text(kept.time) + " were not saved.\nRecover them?",
              offer.message);
    gui::press(offer.button("Recover"));
    EXPECT_TRUE(qori_template_snapshot(qor_handle).contents()->same_content(
        *qori_template_snapshot(qori_template_resume(kept.contents, "", 0)).contents()));
    EXPECT_EQ(std::make_tuple(1, std::string("kept_typed"), std::string("typed"), false),
              std::make_tuple(modified, gui::text(main_name), gui::text(main_description), gui::sensitive(main_edit_undo)));
    EXPECT_EQ(1u, varo::list_journals(varo::recovery_folder()).size()) << "now this editor's own";

    journal("dropped", 1765200000);
    varo::Journal theirs = journal("theirs", 1765200060);
    other->update_template(ground_only("theirs"), theirs.version);  // saved elsewhere since
    gui::press(main_new_template);
    gui::press(gui::only_dialog().button("No"));  // this editor's changes: kept as the last discarded copy
    gui::press(gui::only_dialog().button("Discard"));  // "dropped", the oldest
    EXPECT_NE("", varo::discarded_journal_path(varo::recovery_folder()));
    gui::press(gui::only_dialog().button("Recover"));
    EXPECT_EQ("'theirs' was changed in Varo by another client since these changes were made.\n"
              "Save them under another name, or reload the stored template.",
              gui::only_dialog().message);
    gui::answer_all();
    set_field_text(main_name, "theirs");
    gui::press(main_save_button);
    EXPECT_EQ(0u, gui::only_dialog().message.rfind("Save Failed: Template 'theirs' was changed", 0));
    EXPECT_EQ(1u, other->load_template("theirs")->states.size()) << "their version stays";
}

TEST_F(EditorTest, EntriesARebuildDropsLeaveNoDanglingGlobalAndEmptySourcesAPlaceholder) {
    start_editor();
    for (Widget* dropped : {&cs_pollrate_new, &cs_severity_new, &se_new_pollrate, &se_new_severity,
                            &tran_from_new_state, &tran_to_new_state, &tran_new_condition, &condition_new})
        EXPECT_EQ(nullptr, *dropped);
    other->add_poll_rate({"Fast", 10});
    update_pollrate(nullptr, nullptr);
    EXPECT_EQ((Texts{"Fast", "Poll", "default_rate"}), menu_entries(cs_pollrate_parent));

    // An empty source list gives an unusable placeholder.
    for (const varo::Condition& c : other->list_conditions()) other->delete_condition(c.name);
    dispatch();
    EXPECT_TRUE(gui::list_items(ct_condition_list).empty());
    EXPECT_EQ(Texts{"none"}, menu_entries(tran_condition_parent));
    EXPECT_EQ("(none)", gui::option_value(tran_condition));
    EXPECT_FALSE(XtIsSensitive(tran_condition));
    EXPECT_FALSE(gui::sensitive(XtNameToWidget(tran_condition_parent, "none")));
}

std::string store_path() { return std::string(std::getenv("VARO_STORE")).substr(std::strlen("sqlite:")); }

// What SQLite's own check says of the file ("ok" when sound).
std::string integrity(const std::string& path) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_busy_timeout(db, 5000);
    auto first = [](void* out, int, char** values, char**) { return *static_cast<std::string*>(out) = values[0], 0; };
    sqlite3_exec(db, "PRAGMA integrity_check", first, &result, nullptr);
    sqlite3_close(db);
    return result;
}

// The one message a refused save showed, with its reason.
void expect_save_failed(const std::vector<std::string>& shown, const char* reason) {
    ASSERT_EQ(1u, shown.size()) << ::testing::PrintToString(shown);
    EXPECT_EQ(0u, shown[0].rfind("Save Failed: ", 0)) << shown[0];
    EXPECT_NE(std::string::npos, shown[0].find(reason)) << shown[0];
}

// Whether somebody holds the write lock (a probe that does not wait).
bool write_locked(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc != SQLITE_OK;
}

TEST_F(EditorTest, ASaveAgainstAStoreLockedByAnotherProgramIsRefusedThenTakenOnRetry) {
    start_editor();
    const std::string path = store_path();
    // The sqlite3 shell takes the write lock and keeps it while its input stays open.
    FILE* holder = popen(("exec sqlite3 '" + path + "' >/dev/null 2>&1").c_str(), "w");
    ASSERT_NE(nullptr, holder);
    std::fputs("BEGIN EXCLUSIVE;\nSELECT 1;\n", holder);
    std::fflush(holder);
    for (int i = 0; i < 500 && !write_locked(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(write_locked(path));

    save_as("locked");  // after the store's busy timeout; a hang is the test's time limit
    if (!gui::open_dialogs().empty()) gui::snap(XtParent(gui::open_dialogs().at(0).box), "save_refused_store_busy.png");
    expect_save_failed(gui::answer_all(), "busy");
    EXPECT_EQ("Current Template: Noname...save failed", gui::label(main_message_label));
    EXPECT_EQ(1, modified);

    std::fputs("ROLLBACK;\n.quit\n", holder);
    pclose(holder);
    save_as("locked");
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_EQ("Current Template: locked...save complete", gui::label(main_message_label));
    ASSERT_TRUE(other->load_template("locked").has_value());
    EXPECT_EQ("ok", integrity(path));
}

TEST_F(EditorTest, AStoreDeletedUnderTheEditorRefusesTheSaveThenEndsAsADisconnection) {
    start_editor();
    const std::string path = store_path();
    for (const char* suffix : {"", "-wal", "-shm"}) unlink((path + suffix).c_str());

    // Written into an unlinked file the save would be lost at exit: refused, and said why.
    save_as("gone");
    expect_save_failed(gui::answer_all(), "removed or moved");
    EXPECT_EQ(1, modified);

    // Nobody can share a store that is gone: the idle loop's next look tells the user.
    EXPECT_EXIT(
        {
            dispatch();
            std::vector<std::string> now = gui::answer_all();
            if (now != std::vector<std::string>{"Platform has disconnected"}) std::exit(3);
            std::exit(5);
        },
        ::testing::ExitedWithCode(1), "");
}

TEST_F(EditorTest, AStoreMadeReadOnlyUnderTheEditorRefusesTheSaveUntilItIsWritableAgain) {
    start_editor();
    const std::string path = store_path();
    // The mode alone does not stop a file already open for writing (nor root); where the file
    // system allows it, the files are made immutable too. The shared-memory file is left be:
    // no program survives its map going read-only.
    for (const char* suffix : {"", "-wal", "-shm"}) chmod((path + suffix).c_str(), 0400);
    const std::string files = "'" + path + "' '" + path + "-wal'";
    bool immutable = std::system(("chattr +i " + files + " 2>/dev/null").c_str()) == 0;
    struct Thaw {  // whatever the test's end, the folder can be removed
        std::string files;
        ~Thaw() {
            if (std::system(("chattr -i " + files + " 2>/dev/null").c_str()) != 0) {
            }
        }
    } thaw{files};
    std::string before = integrity(path) + varo::export_json(*other);

    save_as("ro");
    std::vector<std::string> shown = gui::answer_all();
    dispatch();
    EXPECT_TRUE(gui::open_dialogs().empty()) << "still connected";
    if (immutable) {
        expect_save_failed(shown, "cannot be written");
        EXPECT_EQ("Current Template: Noname...save failed", gui::label(main_message_label));
        EXPECT_EQ(before, integrity(path) + varo::export_json(*other));
        ASSERT_EQ(0, std::system(("chattr -i " + files).c_str()));
        save_as("ro");
        shown = gui::answer_all();
    }
    EXPECT_TRUE(shown.empty()) << ::testing::PrintToString(shown);
    EXPECT_EQ("Current Template: ro...save complete", gui::label(main_message_label));
    EXPECT_TRUE(other->load_template("ro").has_value());
    for (const char* suffix : {"", "-wal", "-shm"}) chmod((path + suffix).c_str(), 0600);
    EXPECT_EQ("ok", integrity(path));
}

// An editor on a store of each backend.
class BackendEditor : public EditorTest, public ::testing::WithParamInterface<testenv::Backend> {
protected:
    void SetUp() override {
        if (GetParam() == testenv::Backend::PostgreSQL) REQUIRE_POSTGRES();
        EditorTest::SetUp();
        location = std::make_unique<testenv::StoreLocation>(GetParam());
        other = location->open();
    }
    void TearDown() override {
        EditorTest::TearDown();
        roles.reset();
        location.reset();
    }
    std::unique_ptr<testenv::StoreLocation> location;
    std::unique_ptr<testenv::GroupRoles> roles;
};

class LiveNews : public BackendEditor {
protected:
    void SetUp() override {
        BackendEditor::SetUp();
        if (IsSkipped()) return;
        setenv("VARO_STORE", location->address().c_str(), 1);
        store_template({"router", "edge routers",
                        {{"Ground", "start", "Normal", "Poll"}, {"Down", "down", "Critical", "Poll"}},
                        {{"Ground", "Down", "LinkDown", {}}}});
        start_editor("router");
    }

    // The other editor saves its own change of the template, as its Save would.
    void save_elsewhere(const std::string& state) {
        varo::TemplateDef theirs = *other->load_template("router");
        theirs.states.push_back({state, "added elsewhere", "Minor", "Poll"});
        other->update_template(theirs, theirs.version);
    }

    // Until the status line changes.
    void dispatch_until_news() {
        std::string before = status();
        dispatch_until([&] { return status() != before; });
    }
    bool shown(const std::string& line) {
        Texts items = gui::list_items(main_text_list);
        return std::find(items.begin(), items.end(), line) != items.end();
    }
};

VARO_STORE_SUITE(LiveNews);

const std::string CHANGED = "Current Template: router...changed in Varo by another client";

// Unchanged here, the template is reloaded without a question; changed here, the user is asked once.
TEST_P(LiveNews, ASaveElsewhereReloadsAnUnchangedTemplateAndAsksOnceWhenChangedHere) {
    save_elsewhere("Theirs");
    dispatch_until_news();
    EXPECT_EQ(CHANGED + ", reloaded", gui::label(main_message_label));
    EXPECT_EQ(gui::label(main_message_label), gui::label(sd_message_label));
    EXPECT_EQ("Tarnwright: State Diagram - 'router' was changed in Varo by another client",
              gui::title(state_diagram_win));
    EXPECT_TRUE(shown("Theirs"));
    EXPECT_EQ(0, modified);
    EXPECT_TRUE(gui::open_dialogs().empty());

    // Changed here by typing a description (then reloaded), or by adding a state (then kept).
    for (const char* answer : {"Reload", "Keep"}) {
        SCOPED_TRACE(answer);
        bool reloaded = std::string(answer) == "Reload";
        std::string mine = std::string("Mine") + answer, theirs = std::string("Theirs") + answer;
        if (reloaded) {
            gui::type_text(main_description, "typed here");
            EXPECT_EQ("Current Template: router...modified", gui::label(main_message_label));
        } else {
            add_state(mine);
        }
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
        EXPECT_TRUE(reloaded ? gui::text(main_description) == "typed here" : shown(mine));
        gui::snap(XtParent(question.box), "live_news_question.png");
        gui::press(question.button(answer));
        EXPECT_TRUE(gui::open_dialogs().empty());
        EXPECT_EQ(reloaded, shown(theirs));
        EXPECT_EQ(!reloaded, shown(mine));
        EXPECT_EQ(reloaded ? 0 : 1, modified);
        if (reloaded) {
            EXPECT_EQ(CHANGED + ", reloaded", gui::label(main_message_label));
            EXPECT_EQ("edge routers", gui::text(main_description));
        }
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
    add_state("Mine");
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
    add_state("Mine");
    other->delete_template("router");
    other->prune_history(1, true);  // its history forgotten, its versions are numbered from 1 again
    varo::TemplateDef anew = testenv::sample_template("router", 2);
    ASSERT_EQ(1, other->insert_template(anew)) << "the version this editor read";
    gui::press(main_save_button);
    EXPECT_EQ(0u, gui::only_dialog().message.rfind("Save Failed: Template 'router' was changed", 0));
    gui::press(gui::only_dialog().button("No"));
    EXPECT_EQ("Current Template: router...save failed", gui::label(main_message_label));
    EXPECT_EQ(1, modified);
    EXPECT_TRUE(other->load_template("router")->same_content(anew));
}

// An editor whose role may only read (a PostgreSQL role in varo_read, or a store file the user
// may not write): every control that would write is insensitive, both status lines say why.
class ReadOnlyEditor : public BackendEditor {
protected:
    void SetUp() override {
        BackendEditor::SetUp();
        if (IsSkipped()) return;
        store_template(testenv::sample_template("router"));
        std::string address = location->address();
        if (GetParam() == testenv::Backend::PostgreSQL) {
            roles = std::make_unique<testenv::GroupRoles>(location->pg_database());
            address = roles->address("read");
            role = roles->role("read");
            // Every write statement of the reader's sessions goes to the server's log.
            testenv::pg_admin(location->pg_database().conninfo(), "ALTER ROLE " + role + " SET log_statement = 'mod'");
        } else {
            chmod(address.substr(std::strlen("sqlite:")).c_str(), 0400);
            role = getpwuid(geteuid())->pw_name;
        }
        log_from = server_log().size();
        setenv("VARO_STORE", address.c_str(), 1);
        start_editor("router");
    }
    // What the throwaway server logged since the editor started (its folder holds the log).
    std::string server_log() const {
        return proc::read_file(std::string(getenv("VARO_TEST_PG_DATA") ?: "") + "/../server.log").substr(log_from);
    }
    void expect_writable(bool templates, bool server_objects) {
        XtManageChild(open_list_dialog);
        gui::select_list_pos(ol_list, 1);
        for (Widget w : {main_save_button, sd_template_save, state_edit_add_button, state_edit_modify_button,
                         state_edit_delete_button, tran_add_button, tran_delete_button, ol_delete_button})
            EXPECT_EQ(gui::sensitive(w), templates) << XtName(w);
        XtUnmanageChild(open_list_dialog);
        for (Widget w : {te_pollrate_add_button, te_severity_modify_button, ct_delete_button})
            EXPECT_EQ(gui::sensitive(w), server_objects) << XtName(w);
    }

    std::string role;
    std::size_t log_from = 0;
};

VARO_STORE_SUITE(ReadOnlyEditor);

TEST_P(ReadOnlyEditor, OpensReadOnlySendsNoWriteAndBecomesEditableWhenGrantedEdit) {
    expect_writable(false, false);
    EXPECT_EQ(gui::label(main_message_label), "Read only: " + role + " may not change templates");
    EXPECT_EQ(gui::label(sd_message_label), gui::label(main_message_label));
    if (GetParam() != testenv::Backend::PostgreSQL) return;
    EXPECT_EQ(server_log().find("LOG:  execute"), std::string::npos) << server_log();

    // Made an editor while it runs: templates may be changed and saved at once, server objects not.
    other->set_level(role, varo::Level::Edit);
    dispatch_until([] { return gui::sensitive(main_save_button); });
    expect_writable(true, false);
    EXPECT_EQ(gui::label(sd_message_label), "Read only: " + role + " may not change server objects");
    add_state("Added");
    gui::press(main_save_button);
    EXPECT_EQ(other->load_template("router")->states.size(), 4u);
    EXPECT_NE(server_log().find("INSERT INTO states"), std::string::npos);  // the log tells of writes
}

}  // namespace
