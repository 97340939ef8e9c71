// Editing the open template: states, transitions and actions from their editors, their order,
// Undo and Redo from both windows; Check Template, Simulate... and History....
#include "support/editor_fixture.h"

#include <X11/IntrinsicP.h>
#include <X11/Shell.h>
#include <Xm/List.h>
#include <Xm/RowColumn.h>

#include <algorithm>

#include "diagram/diagram_object.h"
#include "diagram/draw_area.h"
#include "edit/transition_editing.h"
#include "platform/qori.h"
#include "template/line_format.h"
#include "template/template_edits.h"
#include "ui/list_items.h"
#include "template/template_model.h"
#include "ui/gui_utils.h"
#include "ui/option_menus.h"
#include "ui/text_view.h"
#include "ui/widgets.h"
#include "varo/history.h"

namespace {

const std::string LONG_STATE = "InterfaceFlappingObserved";  // 25 characters: touches its condition

const varo::TemplateDef CHAIN = {
    "chain", "", {{"A", "first", "Normal", "Poll"}, {"B", "second", "Minor", "Poll"}, {"C", "third", "Major", "Poll"}},
    {{"A", "B", "LinkDown", {}}, {"A", "B", "HighErrors", {}}, {"B", "C", "LinkDown", {}}}};
const varo::TemplateDef NET = {
    "net", "links",
    {{"Ground", "start", "Normal", "Poll"}, {"Down", "down", "Critical", "Poll"},
     {LONG_STATE, "flapping", "Major", "Poll"}, {"Up", "up", "Normal", "Poll"}},
    {{"Ground", "Down", "LinkDown", {}}, {"Ground", LONG_STATE, "LinkDown", {}}, {"Ground", "Up", "HighErrors", {}},
     {"Down", "Up", "HighErrors", {}}}};
const varo::TemplateDef UNDO_NET = {
    "net", "links",
    {{"Ground", "start", "Normal", "Poll"}, {"Down", "down", "Critical", "Poll"}, {"Up", "up", "Normal", "Poll"}},
    {{"Ground", "Down", "LinkDown", {{"MAIL", "\"ops@example.org \"", "\"\""}}},
     {"Ground", "Up", "HighErrors", {}},
     {"Down", "Up", "HighErrors", {}}}};

Texts state_names() {
    Texts names;
    Qor_StateQueue q;
    if (qor_handle.get_statesq(q))
        for (Qor_State s = q.deq(); s.is_valid(); s = q.deq()) names.push_back(s.name());
    return names;
}

int state_objects() {
    int n = 0;
    for (std::size_t i = 0; i < object_list.size(); ++i) n += object_list.at(i)->type == StateObject;
    return n;
}

// The transition as the engine holds it, its actions as "KIND arg0 arg1"; "missing" if none.
Texts actions_of(const std::string& from, const std::string& to, const std::string& condition) {
    Qor_State f = qor_handle.find_state(from.c_str());
    Qor_Transition t = f.find_transition(condition.c_str(), qor_handle.find_state(to.c_str()));
    if (!t.is_valid()) return {"missing"};
    Texts out;
    Qor_AInstanceQueue q;
    t.get_aiq(q);
    for (Qor_AInstance a = q.deq(); a.is_valid(); a = q.deq())
        out.push_back(std::string(a.name()) + " " + a.arg(0).c_str() + " " + a.arg(1).c_str());
    return out;
}

// To-states of the transitions leaving a state, in stored order.
Texts leaving(const std::string& from) {
    Texts out;
    Qor_State f = qor_handle.find_state(from.c_str());
    Qor_TransitionQueue q;
    f.get_transitionsq(q, f, Qor_State());
    for (Qor_Transition t = q.deq(); t.is_valid(); t = q.deq()) out.push_back(t.to_state().name());
    return out;
}

// The transition editor's choice of one transition and its action: the command or mail
// operands, or the condition a CONDITION action raises.
void choose(const std::string& from, const std::string& to, const std::string& condition, const std::string& kind,
            const std::string& text1 = "", const std::string& text2 = "") {
    gui::choose_option(tran_from_state, from);
    gui::choose_option(tran_to_state, to);
    gui::choose_option(tran_condition, condition);
    gui::choose_option(tran_action, kind);
    if (kind == "CONDITION" && !text1.empty()) gui::choose_option(condition_action, text1);
    if (kind != "COMMAND" && kind != "MAIL") return;
    gui::type_text(tran_edit_text1, text1);
    gui::type_text(tran_edit_text2, text2);
}

// Edits as the editor dialogs make them.
void modify_state(const std::string& name, const std::string& severity, const std::string& rate) {
    gui::type_text(se_state_name, name);
    gui::choose_option(se_severity, severity);
    gui::choose_option(se_pollrate, rate);
    gui::press(state_edit_modify_button);
}
void delete_state(const std::string& name) {
    gui::type_text(se_state_name, name);
    gui::press(state_edit_delete_button);
    gui::press(gui::only_dialog().button("OK"));
}
// A transition, or one action of it, added or (after the confirmation) deleted.
void transition(bool add, const std::string& from, const std::string& to, const std::string& condition,
                const std::string& kind = "<none>", const std::string& text1 = "", const std::string& text2 = "") {
    choose(from, to, condition, kind, text1, text2);
    gui::press(add ? tran_add_button : tran_delete_button);
    if (!add) gui::press(gui::only_dialog().button("OK"));
}
// Moves line `line` of a state's transitions one place up or down.
void order(const std::string& state, int line, bool up) {
    gui::choose_option(tran_from_state, state);
    gui::press(tran_order_transitions);
    gui::select_list_pos(ot_list, line);
    gui::press(up ? ot_up_button : ot_down_button);
}

// What the user reads of the template: the text view, the state list and the two fields.
Texts view() {
    Texts v = gui::list_items(main_text_list);
    for (const std::string& line : gui::list_items(state_edit_list)) v.push_back(line);
    v.push_back(gui::text(main_name));
    v.push_back(gui::text(main_description));
    return v;
}

class EditTest : public EditorTest {
protected:
    // Opens a stored template with the editors whose menus show their choice once realized.
    void open(const varo::TemplateDef& def, std::initializer_list<Widget*> dialogs) {
        store_template(def);
        start_editor(def.name);
        for (Widget* d : dialogs) XtManageChild(*d);
    }
};

// Every kind of change is told once, and each view follows the changes of what it shows:
// before each change every view gets a mark (a line, an object, a status text) that only
// its refresh takes away.
std::vector<Change> told;
void record_change(const TemplateChange& change) { told.push_back(change.kind); }

const std::string MARK = "~mark";

bool marked(Widget list) {
    Texts items = gui::list_items(list);
    return std::find(items.begin(), items.end(), MARK) != items.end();
}

TEST_F(EditTest, EachChangeIsToldOnceAndTheViewsOfWhatChangedFollowIt) {
    store_template(CHAIN);
    open(NET, {&state_edit_dialog, &te_transition_edit_dialog});
    watch_template(record_change);  // after every real view
    auto news = [](std::size_t changes) { dispatch_until([=] { return told.size() >= changes; }); };
    struct Case {
        const char* what;
        std::function<void()> change;
        std::vector<Change> told;
        bool text, diagram, states, transitions;  // which views refreshed
        Widget* server_list;                      // the server's list that refreshed, if any
        std::string status;                       // "": as it was
    };
    const std::vector<Case> cases = {
        {"a state added", [] { add_state("Late"); }, {Change::Edited}, true, true, true, true, nullptr,
         "Current Template: net...modified"},
        {"a transition added", [] { transition(true, "Ground", "Late", "LinkDown"); }, {Change::Edited}, true, true,
         false, true, nullptr, "Current Template: net...modified"},
        {"arranged: the objects move in place", [] { gui::press(sd_edit_arrange); }, {Change::Edited}, false, false,
         false, false, nullptr, "Current Template: net...modified"},
        {"undone", [] { gui::press(main_edit_undo); }, {Change::Restored}, true, true, true, true, nullptr,
         "Current Template: net...undone"},
        {"saved, then the album's news", [&] { gui::press(main_save_button); news(2); },
         {Change::Saved, Change::Album}, false, false, false, false, &ol_list, "Current Template: net...save complete"},
        {"another client's poll rate", [&] { other->add_poll_rate({"fast", 10}); news(1); }, {Change::Album}, false,
         false, false, false, &pollrate_list, ""},
        {"saved elsewhere, reloaded here",
         [&] {
             varo::TemplateDef theirs = *other->load_template("net");
             theirs.states.push_back({"Theirs", "added elsewhere", "Minor", "Poll"});
             other->update_template(theirs, theirs.version);
             news(2);
         },
         // The reload is told from within the album's news, so the last view hears it first.
         // The news names the template, so the template list patches its line and keeps the rest.
         {Change::Reloaded, Change::Album}, true, true, true, true, nullptr,
         "Current Template: net...changed in Varo by another client, reloaded"},
        {"another template opened",
         [] {
             gui::select_list_item(ol_list, lines::template_line("chain", "", lines::TEMPLATE_REFRESH));
             gui::press(ol_ok_button);
         },
         {Change::Opened}, true, true, true, true, nullptr, "Current Template: chain"},
        {"a new template", [] { gui::press(main_new_template); }, {Change::Started}, true, true, true, true, nullptr,
         "Current Template: Noname"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (Widget list : {main_text_list, state_edit_list, transition_list, ol_list, pollrate_list})
            add_string(list, MARK.c_str());
        create_state_object(MARK.c_str(), "black");
        set_status(MARK);
        const Texts rates = gui::list_items(pollrate_list);
        told.clear();
        c.change();
        EXPECT_TRUE(gui::open_dialogs().empty());
        EXPECT_EQ(c.told, told);
        EXPECT_EQ(c.text, !marked(main_text_list));
        EXPECT_EQ(c.diagram, find_by_name(MARK.c_str()) == nullptr);
        EXPECT_EQ(c.states, !marked(state_edit_list));
        EXPECT_EQ(c.transitions, !marked(transition_list));
        EXPECT_EQ(c.server_list == &ol_list, !marked(ol_list));
        // A poll rate named in the change is put in place; the rest of its list stays.
        EXPECT_TRUE(marked(pollrate_list));
        EXPECT_EQ(c.server_list == &pollrate_list, gui::list_items(pollrate_list) != rates);
        EXPECT_EQ(c.status.empty() ? MARK : c.status, status());
        EXPECT_EQ(status(), gui::label(sd_message_label));
        object_list.remove(find_by_name(MARK.c_str()));
    }
}

TEST_F(EditTest, AddTakesTheNameFirstWordOrRefusesIt) {
    start_editor();
    XtManageChild(state_edit_dialog);  // its menus show their choice once realized
    gui::choose_option(se_severity, "Normal");
    const std::string long_name(64, 'n');
    struct Case {
        std::string name, descr;
        Texts dialogs;       // in the order they came up
        std::string stored;  // "" when nothing may be added
        std::string descr_after;
    };
    const std::vector<Case> cases = {
        {"  Up  ", "  \t link up  ", {}, "Up", "link up  "},
        {"two words", "d", {"White space is not allowed in name.", "Please enter a name."}, "", "d"},
        {" \t ", "d", {"Please enter a name."}, "", "d"},
        {long_name, "long", {}, long_name, "long"},
        {"Blank", "   ", {"Please enter a description."}, "", "   "},
        {"Up", "again", {"Adding state failed"}, "", "again"},
    };
    Texts expected = {"Ground"};
    for (const Case& c : cases) {
        modified = 0;
        paste(se_state_name, c.name);
        gui::type_text(se_description_name, c.descr);
        gui::press(state_edit_add_button);
        EXPECT_EQ(c.dialogs, gui::answer_all()) << c.name;
        EXPECT_EQ(c.descr_after, gui::text(se_description_name)) << c.name;
        EXPECT_EQ(!c.stored.empty(), modified == 1) << c.name;
        if (c.stored.empty()) continue;
        expected.push_back(c.stored);
        EXPECT_EQ(c.stored, gui::text(se_state_name));
        EXPECT_EQ("Current Template: Noname...modified", status());
    }
    EXPECT_EQ(expected, state_names());
    EXPECT_STREQ("link up  ", qor_handle.find_state("Up").descr());
    EXPECT_EQ("Up              Normal          Poll", gui::list_items(state_edit_list).at(1));
    EXPECT_EQ(expected, menu_entries(tran_to_state_parent));
}

TEST_F(EditTest, ModifyChangesPollRateAndSeverityButNeverTheDescription) {
    open(CHAIN, {&state_edit_dialog});
    gui::select_list_pos(state_edit_list, 2);
    EXPECT_EQ((Texts{"B", "second", "Minor"}),
              (Texts{gui::text(se_state_name), gui::text(se_description_name), gui::label(se_severity_option)}));

    gui::choose_option(se_pollrate, "default_rate");
    gui::choose_option(se_severity, "Major");
    gui::type_text(se_description_name, "ignored");
    gui::press(state_edit_modify_button);
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_STREQ("second", qor_handle.find_state("B").descr());
    EXPECT_EQ("B               Major           default_rate", gui::list_items(state_edit_list).at(1));
    EXPECT_EQ("orange", find_by_name("B")->color);
    EXPECT_EQ("Current Template: chain...modified", status());
    gui::snap(state_edit_win, "state_editor.png");

    // Refusals change nothing and claim no modification. A server without poll rates
    // leaves its menu at "(none)", which no state may take.
    modified = 0;
    set_status("unchanged");
    paste(se_state_name, "Nope");
    gui::press(state_edit_modify_button);
    XmListDeleteAllItems(pollrate_list);
    build_se_pollrate();
    paste(se_state_name, "B");
    gui::choose_option(se_severity, "Normal");
    gui::press(state_edit_modify_button);
    EXPECT_EQ((Texts{"State doesn't exist.", "Modifying state failed"}), gui::answer_all());
    Qor_State b = qor_handle.find_state("B");
    EXPECT_EQ("Major default_rate", std::string(b.severity()) + " " + b.poll_rate()) << "half a Modify applied";
    EXPECT_EQ(0, modified);
    EXPECT_EQ("unchanged", status());
}

TEST_F(EditTest, DeleteTakesTheTransitionsThatEnterTheState) {
    open(CHAIN, {&state_edit_dialog, &te_transition_edit_dialog});
    gui::choose_option(tran_from_state, "A");
    ASSERT_EQ(2u, gui::list_items(transition_list).size());
    // Refused: a name the template does not have, checked before anything is touched.
    paste(se_state_name, "Nope");
    gui::press(state_edit_delete_button);
    EXPECT_EQ("State 'Nope' will be deleted from chain", gui::only_dialog().message);
    gui::press(gui::only_dialog().button("OK"));
    EXPECT_EQ(Texts{"Delete State Failed"}, gui::answer_all());
    EXPECT_EQ((Texts{"A", "B", "C"}), state_names());
    EXPECT_EQ(2, find_transition("A", "B")->num_conditions);
    EXPECT_EQ(0, modified);

    paste(se_state_name, "B");
    gui::press(state_edit_delete_button);
    gui::press(gui::only_dialog().button("OK"));
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_EQ((Texts{"A", "C"}), gui::list_items(main_text_list));
    EXPECT_EQ(nullptr, find_transition("A", "B"));
    EXPECT_EQ(nullptr, find_by_name("B"));
    EXPECT_EQ("", gui::text(se_state_name));
    EXPECT_EQ(2u, gui::list_items(state_edit_list).size());
    EXPECT_TRUE(gui::list_items(transition_list).empty()) << "the open editor no longer lists A's transitions to B";
    EXPECT_EQ("Current Template: chain...modified", status());
}

TEST_F(EditTest, ConfigureStatesAppliesAndRemovesPlaceholders) {
    open(CHAIN, {&state_edit_dialog});
    XtManageChild(cs_template);
    gui::type_text(cs_name, "NoName");
    gui::type_text(cs_description, "a real state of that name");
    gui::choose_option(cs_severity, "Major");
    gui::snap(configure_states, "configure_state.png");
    gui::press(cs_apply);
    EXPECT_STREQ("Major", qor_handle.find_state("NoName").severity());

    // What placing states in the diagram leaves: two placeholders, one joined to A.
    const int placed = num_states;
    create_state_object("NoName", "black");
    create_state_object("NoName", "black");
    create_transition_object("A", "NoName", "None");
    ASSERT_EQ(6, state_objects());
    gui::type_text(cs_name, "");
    gui::press(cs_delete);
    EXPECT_TRUE(gui::open_dialogs().empty()) << "an empty name asks nothing";
    EXPECT_EQ(5, state_objects());
    EXPECT_EQ(placed + 1, num_states);
    gui::press(cs_close);
    EXPECT_EQ(4, state_objects()) << "the template's own NoName stays";
    EXPECT_EQ(placed, num_states);

    gui::type_text(cs_name, "NoName");
    gui::press(cs_delete);
    EXPECT_EQ("State 'NoName' will be deleted from chain", gui::only_dialog().message);
    gui::press(gui::only_dialog().button("OK"));
    EXPECT_EQ((Texts{"A", "B", "C"}), state_names());

    // Without a real one, the last placeholder takes its transitions along, and the count
    // never drops below zero.
    create_state_object("NoName", "black");
    create_transition_object("A", "NoName", "None");
    num_states = 0;
    gui::press(cs_close);
    EXPECT_EQ(nullptr, find_by_name("NoName"));
    EXPECT_EQ(nullptr, find_transition("A", "NoName"));
    EXPECT_EQ(0, num_states);

    // The window manager's close is a Close.
    XtManageChild(cs_template);
    gui::process_events();
    create_state_object("NoName", "black");
    gui::close_from_window_manager(configure_states);
    EXPECT_EQ(nullptr, find_by_name("NoName"));
    EXPECT_FALSE(gui::managed(cs_template));
}

TEST_F(EditTest, AddSendsEachKindOfActionNormalisedAndQuoted) {
    gui::build_unseen_menus = false;  // the from-state menu is first built as the editor pops up
    open(NET, {&te_transition_edit_dialog});
    EXPECT_EQ(3u, gui::list_items(transition_list).size()) << "Ground's transitions, filled as the editor pops up";
    struct Case {
        std::string from, to, condition, kind, text1, text2;
        std::string label1;                // over the first operand
        std::string field1, field2;        // the fields afterwards
        Texts actions;               // of that transition afterwards
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
        EXPECT_EQ(Texts{}, gui::answer_all()) << c.kind;
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
    Texts text_view = gui::list_items(main_text_list);
    for (const Refusal& r : refusals) {
        modified = 0;
        choose("Ground", "Down", "LinkDown", r.kind, r.text1);
        gui::press(tran_add_button);
        EXPECT_EQ(Texts{"Adding Transition Failed"}, gui::answer_all()) << r.text1.size();
        EXPECT_EQ(r.field1, gui::text(tran_edit_text1)) << "the field is never cut";
        EXPECT_EQ(0, modified);
    }
    EXPECT_EQ(text_view, gui::list_items(main_text_list));
}

// A name too wide for its option menu shows cut in the middle there, and the menu stays
// inside its window; what the menu offers is still the whole name.
TEST_F(EditTest, ALongNameIsCutInItsOptionMenuButUsedWhole) {
    const std::string name = "Interface" + std::string(46, 'W') + "Flapping1";  // 64 characters
    open({"long", "", {{"Ground", "g", "Normal", "Poll"}, {name, "d", "Major", "Poll"}}, {}},
         {&te_transition_edit_dialog});
    for (Widget menu : {tran_from_state, tran_to_state}) {
        SCOPED_TRACE(XtName(menu));
        ASSERT_TRUE(gui::choose_option(menu, name));
        gui::process_events();
        std::string shown = gui::label(XmOptionButtonGadget(menu));
        // Its start and its end, the ellipsis between.
        EXPECT_LT(shown.size(), name.size());
        EXPECT_EQ(0u, shown.rfind("InterfaceW", 0)) << shown;
        EXPECT_NE(std::string::npos, shown.find("W...W")) << shown;
        EXPECT_EQ(shown.size() - 10, shown.rfind("WFlapping1")) << shown;
        EXPECT_EQ(name, option_value(menu));
        EXPECT_LE(menu->core.x + menu->core.width, te_transition_edit_form->core.width) << "past the window's edge";
    }
    gui::choose_option(tran_to_state, "Ground");
    EXPECT_EQ("Ground", gui::label(tran_to_state_option)) << "a name that fits shows whole";
    gui::choose_option(tran_condition, "LinkDown");
    gui::press(tran_add_button);
    EXPECT_EQ(Texts{}, gui::answer_all());
    EXPECT_EQ(Texts{"Ground"}, leaving(name));
    // Shown by the program (the diagram's Configure of a transition) as by a choice.
    set_string(tran_to_state_option, name.c_str());
    EXPECT_EQ(name, option_value(tran_to_state));
    EXPECT_EQ(gui::label(tran_from_state_option), gui::label(tran_to_state_option));
}

TEST_F(EditTest, DeleteAsksFirstAndOnlyASuccessCountsAsAChange) {
    open(NET, {&te_transition_edit_dialog});
    qori_transition_add(qor_handle, "Ground", "Down", "LinkDown", "COMMAND", "\"ping -c \"", "\"\"");
    struct Case {
        std::string to, condition, kind, text1;
        std::string question;
        Texts dialogs;  // after OK
        Texts actions;  // of Ground -> to afterwards
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

TEST_F(EditTest, OrderWindowMovesTheChosenLineAndKeepsItChosen) {
    open(NET, {&te_transition_edit_dialog});
    gui::choose_option(tran_from_state, "Ground");
    gui::press(tran_order_transitions);
    EXPECT_EQ("Ground", gui::option_value(ot_states));
    const std::string long_line = LONG_STATE + "LinkDown";
    EXPECT_EQ((Texts{lines::transition("Down", "LinkDown"), long_line,
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
    EXPECT_EQ((Texts{LONG_STATE, "Down", "Up"}), leaving("Ground"));
    EXPECT_EQ("Current Template: net...Template Modified", status());
    EXPECT_FALSE(gui::sensitive(ot_up_button));
    gui::snap(order_trans_win, "order_transitions.png");

    gui::press(ot_down_button);
    gui::press(ot_down_button);
    EXPECT_EQ((Texts{"Down", "Up", LONG_STATE}), leaving("Ground"));
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
    // transition, and deletes that one; the order window, showing Ground again, follows.
    gui::choose_option(ot_states, "Ground");
    gui::select_list_item(transition_list, long_line);
    EXPECT_EQ(LONG_STATE, gui::label(tran_to_state_option));
    EXPECT_EQ("LinkDown", gui::label(tran_condition_option));
    gui::choose_option(tran_action, "<none>");
    gui::press(tran_delete_button);
    gui::press(gui::only_dialog().button("OK"));
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_EQ((Texts{"Down", "Up"}), leaving("Ground"));
    EXPECT_EQ((Texts{lines::transition("Down", "LinkDown"), lines::transition("Up", "HighErrors")}),
              gui::list_items(ot_list));
    EXPECT_TRUE(gui::selected_positions(ot_list).empty());
    EXPECT_FALSE(gui::sensitive(ot_up_button) || gui::sensitive(ot_down_button)) << "nothing chosen, nothing to move";
}

TEST_F(EditTest, TwentyEditsUndoneToTheOpenedTemplateAndRedoneToTheSameSave) {
    open(UNDO_NET, {&state_edit_dialog, &te_transition_edit_dialog});
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

// (A deleted state's transitions and actions brought back by Undo: the twelfth of the twenty edits.)
TEST_F(EditTest, SaveKeepsTheHistoryAnEditDropsTheRedoAndNewStartsAfresh) {
    open(UNDO_NET, {&state_edit_dialog, &te_transition_edit_dialog});
    const Texts opened = view();
    delete_state("Down");
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
    other->add_severity({"Gone", 9, "black"});
    store_template({"watch", "", {{"Ground", "", "Normal", "Poll"}, {"Down", "", "Critical", "Poll"}},
                    {{"Ground", "Down", "LinkDown", {}}}});
    start_editor("watch");
    show_diagram();
    // Only the unsaved working copy names it, so the server lets it go.
    ASSERT_TRUE(edits::add_state("Orphan", "Poll", "Gone", ""));
    other->delete_severity("Gone");
    dispatch();

    for (const char* entry : {"sd_template_check", "main_check_template"}) {
        XtUnmanageChild(chk_dialog);
        ASSERT_TRUE(gui::press(gui::need(entry)) && gui::managed(chk_dialog)) << entry;
    }
    EXPECT_EQ("watch: errors 1, warnings 1, notes 2", gui::label(chk_summary));
    EXPECT_EQ((Texts{"Down: note: no transition leaves this state",
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
    store_template({"walk", "",
                    {{"Ground", "", "Normal", "Poll"}, {"Down", "", "Critical", "default_rate"},
                     {"Lost", "", "Major", "Poll"}},
                    {{"Ground", "Down", "LinkDown", {{"COMMAND", "\"/usr/bin/page\"", "\"ops\""}}},
                     {"Down", "Lost", "LinkDown", {{"MAIL", "\"noc@example.org\"", "\"lost\""}}},
                     {"Lost", "Lost", "HighErrors", {{"CONDITION", "LinkDown", ""}}}}});
    start_editor("walk");
    show_diagram();

    ASSERT_TRUE(gui::press(gui::need("main_simulate")));
    ASSERT_TRUE(gui::managed(sim_dialog));
    EXPECT_EQ((Texts{"HighErrors", "LinkDown"}), gui::list_items(sim_condition_list));
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
    EXPECT_EQ((Texts{"Starts in Ground (severity Normal, poll rate Poll)"}),
              gui::list_items(sim_steps_list));
    EXPECT_EQ("Current state: Ground (severity Normal, poll rate Poll)", gui::label(sim_state));
}

// The History window lists the stored versions, shows one against the working copy, and
// opens it as an undoable edit that Save stores as a new version equal to the old one.
TEST_F(EditorTest, HistoryShowsAVersionsDifferenceAndSavesItAgainAsANewVersion) {
    const varo::TemplateDef first{"hist", "first", {{"Ground", "", "Normal", "Poll"}, {"Down", "", "Critical", "Poll"}},
                                  {{"Ground", "Down", "LinkDown", {{"COMMAND", "\"/usr/bin/page\"", "\"ops\""}}}}};
    varo::TemplateDef second = first;
    second.descr = "second";
    second.states.push_back({"Lost", "", "Major", "Poll"});
    second.transitions.push_back({"Down", "Lost", "HighErrors", {}});
    store_template(first);
    other->update_template(second, 1);
    start_editor("hist");
    show_diagram();

    for (const char* entry : {"sd_template_history", "main_template_history"}) {
        XtUnmanageChild(hist_dialog);
        ASSERT_TRUE(gui::press(gui::need(entry)) && gui::managed(hist_dialog)) << entry;
    }
    const std::string who = varo::history::Writer::of_this_process().user;
    Texts versions = gui::list_items(hist_version_list);
    ASSERT_EQ(2u, versions.size());
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(0u, versions[i].rfind(std::to_string(2 - i) + "       ", 0)) << versions[i];
        EXPECT_NE(std::string::npos, versions[i].find(" " + who + " ")) << versions[i];
        EXPECT_EQ("save", versions[i].substr(versions[i].size() - 4));
    }
    EXPECT_FALSE(gui::sensitive(hist_open_button));

    const Texts working = gui::list_items(main_text_list);
    ASSERT_EQ(6u, working.size());
    ASSERT_TRUE(gui::select_list_pos(hist_version_list, 2));
    EXPECT_EQ((Texts{"  " + working[0], "  " + working[1], "  " + working[2], "  " + working[3], "- " + working[4],
                     "- " + working[5]}),
              gui::list_items(hist_diff_list));
    EXPECT_EQ(0u, gui::label(hist_diff_label).rfind("Version 1 against the working copy"));
    shoot(history_win, "history.png");

    ASSERT_TRUE(gui::press(hist_open_button));
    EXPECT_EQ(1, modified);
    EXPECT_EQ("first", gui::text(main_description));
    EXPECT_EQ((Texts{working.begin(), working.begin() + 4}), gui::list_items(main_text_list));
    EXPECT_EQ("Version 1 shows the same lines as the working copy", gui::label(hist_diff_label));
    ASSERT_TRUE(gui::press(main_edit_undo));
    EXPECT_EQ(working, gui::list_items(main_text_list));
    EXPECT_EQ("second", gui::text(main_description));
    ASSERT_TRUE(gui::press(main_edit_redo));

    ASSERT_TRUE(gui::press(main_save_button));
    auto stored = other->load_template("hist");
    ASSERT_TRUE(stored);
    EXPECT_EQ(3, stored->version);
    EXPECT_TRUE(stored->same_content(first));
    EXPECT_EQ(3u, gui::list_items(hist_version_list).size()) << "the window follows the save";
    EXPECT_EQ(0, modified);
}

}  // namespace
