// The windows of the server's lists (poll rates, severities, conditions, templates): filled,
// patched and rebuilt on news; Add, Modify and Delete; the idle wait; a disconnection.
#include "support/editor_fixture.h"

#include <X11/IntrinsicP.h>
#include <X11/Xlib.h>
#include <Xm/CascadeBG.h>
#include <Xm/List.h>
#include <Xm/PushB.h>
#include <Xm/PushBG.h>
#include <Xm/RowColumn.h>
#include <Xm/ScrolledW.h>

#include <algorithm>

#include "app/main_loop.h"
#include "app/notifications.h"
#include "base/globals.h"
#include "diagram/diagram_object.h"
#include "diagram/diagram_popup.h"
#include "platform/qori.h"
#include "support/store_fixture.h"
#include "template/line_format.h"
#include "template/template_model.h"
#include "ui/callbacks.h"
#include "ui/gui_utils.h"
#include "ui/list_items.h"
#include "ui/option_menus.h"
#include "ui/text_view.h"
#include "ui/widgets.h"
#include "ui/xm_string.h"

namespace {

using Messages = std::vector<std::string>;

Messages first_words(const Messages& items) {
    Messages words;
    for (const auto& l : items) words.push_back(lines::first_word(l));
    return words;
}

// The managed widgets and gadgets of a window, the window itself left out.
std::vector<Widget> visible_parts(Widget shell) {
    std::vector<Widget> parts, pending = {shell};
    while (!pending.empty()) {
        Widget w = pending.back();
        pending.pop_back();
        if (w != shell) parts.push_back(w);
        if (XtIsComposite(w))
            for (Widget child : gui::children(w))
                if (XtIsManaged(child)) pending.push_back(child);
    }
    return parts;
}

bool is_option_button(Widget w) {
    unsigned char type = 0;
    if (XmIsCascadeButtonGadget(w)) XtVaGetValues(XtParent(w), XmNrowColumnType, &type, nullptr);
    return type == XmMENU_OPTION;
}

// Whether w lies whole inside each of its parents up to its shell.
bool in_view(Widget w) {
    int x = w->core.x, y = w->core.y;
    int width = w->core.width + 2 * w->core.border_width, height = w->core.height + 2 * w->core.border_width;
    for (Widget parent = XtParent(w); parent; parent = XtParent(parent)) {
        if (x < 0 || y < 0 || x + width > parent->core.width || y + height > parent->core.height) return false;
        if (XtIsShell(parent)) return true;
        x += parent->core.x + parent->core.border_width;
        y += parent->core.y + parent->core.border_width;
    }
    return true;
}

// A list shows its horizontal scroll bar exactly when a line is wider than the list, and then
// its range reaches the end of the widest line.
void expect_scrolls_only_when_needed(Widget list) {
    SCOPED_TRACE(XtName(list));
    XmRenderTable font = nullptr;
    XmStringTable items = nullptr;
    int count = 0;
    Dimension width = 0, margin = 0, shadow = 0, highlight = 0;
    XtVaGetValues(list, XmNrenderTable, &font, XmNitems, &items, XmNitemCount, &count, XmNwidth, &width,
                  XmNlistMarginWidth, &margin, XmNshadowThickness, &shadow, XmNhighlightThickness, &highlight, nullptr);
    int room = width - 2 * (margin + shadow + highlight);
    int widest = 0;
    for (int i = 0; i < count; ++i) widest = std::max(widest, static_cast<int>(XmStringWidth(font, items[i])));
    Widget bar = nullptr;
    if (XmIsScrolledWindow(XtParent(list))) XtVaGetValues(XtParent(list), XmNhorizontalScrollBar, &bar, nullptr);
    bool shown = bar && XtIsManaged(bar);
    EXPECT_EQ(widest > room, shown) << "widest line " << widest << " px in a list of " << room;
    if (!shown || widest <= room) return;
    int minimum = 0, maximum = 0;
    XtVaGetValues(bar, XmNminimum, &minimum, XmNmaximum, &maximum, nullptr);
    EXPECT_GE(maximum - minimum, widest) << "the scroll range stops short of the line's end";
}

void fill(std::initializer_list<std::pair<Widget, const char*>> fields) {
    for (const auto& f : fields) gui::type_text(f.first, f.second);
}

class ConditionEditTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        other->add_condition({"Alpha", "first", "a > 1\n"});
        other->add_condition({"Beta", "second", "b > 2\n"});
    }
    // List order: Alpha, Beta, HighErrors, LinkDown.
    void fields(const char* name, const char* descr, const char* code) {
        fill({{ct_name_text, name}, {ct_description_text, descr}, {ct_condition_code, code}});
    }
    Messages shown() { return {gui::text(ct_name_text), gui::text(ct_description_text), gui::text(ct_condition_code)}; }
};

TEST_F(EditorTest, StartUpFillsTheFourListsInOrderAndAnotherClientsChangesRebuildThem) {
    start_editor();
    EXPECT_TRUE(gui::list_items(ol_list).empty());
    EXPECT_EQ((Messages{"Poll                      60", "default_rate              300"}),
              gui::list_items(pollrate_list));
    EXPECT_EQ((Messages{"Critical        4     red       ", "Major           3     orange    ",
                        "Minor           2     yellow    ", "Normal          1     green     "}),
              gui::list_items(severity_list));
    EXPECT_EQ((Messages{"HighErrors", "LinkDown"}), gui::list_items(ct_condition_list));
    EXPECT_EQ((Messages{"Poll", "default_rate"}), menu_entries(se_pollrate_parent));
    EXPECT_EQ((Messages{"Critical", "Major", "Minor", "Normal"}), menu_entries(cs_severity_parent));
    EXPECT_EQ((Messages{"HighErrors", "LinkDown"}), menu_entries(condition_action_parent));

    // Another client's changes rebuild them, in order; the first template listed is selected
    // and becomes the one to open.
    for (const char* name : {"b", "abc", "a", "ab"}) other->add_poll_rate({name, 5});
    other->add_severity({"Warning", 2, "purple"});
    for (const char* name : {"zeta", "alpha"})
        other->insert_template({name, name == std::string("alpha") ? "first" : "last", {{"Ground", "g", "Normal", "Poll"}}, {}});
    dispatch();
    EXPECT_EQ((Messages{"alpha                               first", "zeta                                last"}),
              gui::list_items(ol_list));
    EXPECT_EQ((std::vector<int>{1}), gui::selected_positions(ol_list));
    EXPECT_STREQ("alpha", open_template);
    EXPECT_TRUE(XtIsSensitive(ol_ok_button) && XtIsSensitive(ol_delete_button));
    // The user's pick stays picked while it is stored; once it is gone, the first line again.
    gui::select_list_pos(ol_list, 2);
    struct Step {
        std::function<void()> elsewhere;
        int selected;
        const char* to_open;
    };
    const Step steps[] = {
        {[&] { other->insert_template(testenv::sample_template("beta", 1)); }, 3, "zeta"},
        {[&] { other->delete_template("zeta"); }, 1, "alpha"},
        {[&] { other->insert_template(testenv::sample_template("aaa", 1)); }, 1, "aaa"},
    };
    for (const Step& step : steps) {
        step.elsewhere();
        dispatch();
        EXPECT_EQ((std::vector<int>{step.selected}), gui::selected_positions(ol_list));
        EXPECT_STREQ(step.to_open, open_template);
    }
    EXPECT_EQ((Messages{"Poll", "a", "ab", "abc", "b", "default_rate"}),
              first_words(gui::list_items(pollrate_list)))
        << "byte order, the shorter name first";
    EXPECT_EQ((Messages{"Poll", "a", "ab", "abc", "b", "default_rate"}), menu_entries(se_pollrate_parent));
    EXPECT_EQ(menu_entries(se_pollrate_parent), menu_entries(cs_pollrate_parent));
    EXPECT_EQ("Poll", gui::option_value(se_pollrate)) << "a rebuilt menu shows its first entry";
    EXPECT_EQ(XtParent(se_pollrate), state_edit_form);
    EXPECT_EQ(se_pollrate_label, XmOptionLabelGadget(se_pollrate));
    EXPECT_EQ(se_pollrate_option, XmOptionButtonGadget(se_pollrate));
    EXPECT_EQ(5u, gui::list_items(severity_list).size());
    EXPECT_EQ("Warning", first_words(gui::list_items(severity_list)).back());
    EXPECT_EQ(5u, menu_entries(se_severity_parent).size());

    // Changes the store names are patched in, line by line (a selected line stays selected);
    // read whole, as a change without names is, the lists hold the same lines.
    XmListSelectPos(ct_condition_list, 2, False);
    other->replace_severity({"Minor", 7, "pink"});
    other->delete_poll_rate("ab");
    other->add_condition({"Cold", "", "t < 1\n"});
    other->add_condition({"Zero", "", "t == 0\n"});
    other->delete_template("beta");
    other->insert_template({"ab", "renamed beta", {{"Ground", "g", "Normal", "Poll"}}, {}});
    dispatch();
    EXPECT_EQ((Messages{"Cold", "HighErrors", "LinkDown", "Zero"}), gui::list_items(ct_condition_list));
    EXPECT_EQ((std::vector<int>{3}), gui::selected_positions(ct_condition_list)) << "LinkDown, patched around";
    EXPECT_EQ((Messages{"aaa", "ab", "alpha"}), first_words(gui::list_items(ol_list)));
    EXPECT_EQ((std::vector<int>{1}), gui::selected_positions(ol_list)) << "aaa, patched around";
    const Widget lists[] = {pollrate_list, severity_list, ct_condition_list, ol_list};
    std::vector<Messages> patched;
    for (Widget list : lists) patched.push_back(gui::list_items(list));
    update_template(nullptr, nullptr);
    update_pollrate(nullptr, nullptr);
    update_severity(nullptr, nullptr);
    update_condition(nullptr, nullptr);
    for (std::size_t i = 0; i < patched.size(); ++i) EXPECT_EQ(patched[i], gui::list_items(lists[i])) << i;
    XmListDeletePos(ct_condition_list, 1);  // behind the refresh's back
    update_condition(nullptr, nullptr);
    EXPECT_EQ(patched[2], gui::list_items(ct_condition_list));
    EXPECT_TRUE(gui::selected_positions(ct_condition_list).empty()) << "built anew";
}

// Every window filled with the longest content the program takes still fits a 1,024 x 768
// screen with all its buttons in view: what is too wide for a list scrolls inside it, what is
// too wide for an option menu is cut there, and no window grows with what it shows.
TEST_F(EditorTest, EveryWindowFitsTheScreenWithTheLongestContent) {
    // 'W' is the widest letter: names of 64, texts of 255 bytes.
    auto wide = [](char last, std::size_t length = 64) { return std::string(length - 1, 'W') + last; };
    const std::string descr = wide('d', 255), operand = wide('o', 255), severity = wide('S'), rate = wide('R');
    const std::string s1 = wide('1'), s2 = wide('2'), c0 = wide('0', 60) + "0000";
    varo::StoreContents contents;
    contents.severities = {{severity, 32767, "LightGoldenrodYellow"}};
    contents.poll_rates = {{rate, 32767}};
    for (int i = 0; i < 10000; ++i) {
        std::string number = std::to_string(i);
        contents.conditions.push_back({c0.substr(0, 64 - number.size()) + number, descr, "a > 1\n"});
    }
    const std::string c1 = contents.conditions[1].name, c2 = contents.conditions[2].name;
    varo::TemplateDef def;
    def.name = wide('T');
    def.descr = descr;
    def.states = {{"Ground", descr, severity, rate}, {s1, descr, severity, rate}, {s2, descr, "Normal", "Poll"}};
    def.transitions = {{"Ground", s1, c1, {}},
                       {s1, s2, c2, {{"COMMAND", operand, operand}, {"MAIL", operand, operand}, {"CONDITION", c1, ""}}}};
    contents.templates = {def};
    other->import_contents(contents);
    start_editor(def.name);
    ASSERT_EQ(def.name, gui::text(main_name));

    auto describe = [](const std::string& state, long item) {
        DiagramObject* s = find_state(state.c_str());
        ASSERT_NE(nullptr, s);
        loc = {s->x + 25, s->y + 25};
        popup_cb(nullptr, reinterpret_cast<XtPointer>(item), nullptr);
    };
    const struct {
        Widget shell, box;
        std::function<void()> fill;
        const char* screenshot = nullptr;
    } windows[] = {
        {te_win, nullptr, [] {}},
        {state_diagram_win, nullptr, [] { gui::press(main_view_both); }},
        // Another client's template comes in while the window is closed.
        {open_list_win, open_list_dialog, [&] {
             g2_win_show(open_list_dialog);
             XtUnmanageChild(open_list_dialog);
             def.name = wide('U');
             other->insert_template(def);
             dispatch();
             gui::select_list_pos(ol_list, 2);
         }, "open_template.png"},
        {state_edit_win, state_edit_dialog, [] { gui::select_list_pos(state_edit_list, 2); }},
        {transition_edit_win, te_transition_edit_dialog, [&] {
             gui::choose_option(tran_from_state, s1);
             gui::choose_option(tran_to_state, s2);
             gui::choose_option(tran_condition, c2);
             gui::choose_option(tran_action, "transition_command_button");
             paste(tran_edit_text1, operand);
             paste(tran_edit_text2, operand);
         }, "transition_editor_long_names.png"},
        {order_trans_win, ot_form_box, [&] { gui::choose_option(ot_states, s1); }},
        // The second long condition, which both templates use.
        {condition_text_win, ct_dialog, [] { gui::activate_list_pos(ct_condition_list, 4); }},
        {severity_edit_win, te_severity_dialog, [] { gui::select_list_pos(severity_list, 5); }},
        {pollrate_win, te_pollrate_dialog, [] { gui::select_list_pos(pollrate_list, 2); }},
        {configure_states, cs_template, [&] { describe(s1, 0); }},
        {state_information, si_form, [&] { describe(s1, 1); }},
        {transition_list_win, tl_template, [&] {
             transition_dump(s1.c_str(), s2.c_str());
             set_field_text(tl_from_state, s1);
             set_field_text(tl_to_state, s2);
         }},
        {check_template_win, chk_dialog, [] { check_template_cb(main_win_form, nullptr, nullptr); }},
        {simulate_win, sim_dialog, [] { simulate_cb(main_win_form, nullptr, nullptr); }},
    };
    for (const auto& w : windows) {
        SCOPED_TRACE(XtName(w.shell));
        w.fill();
        if (w.box) g2_win_show(w.box);
        gui::process_events();
        EXPECT_EQ(Messages{}, gui::answer_all());
        ASSERT_TRUE(XtIsRealized(w.shell));
        EXPECT_LE(w.shell->core.width, 1024);
        EXPECT_LE(w.shell->core.height, 768);
        for (Widget part : visible_parts(w.shell)) {
            bool button = XmIsPushButton(part) || XmIsPushButtonGadget(part) || is_option_button(part);
            EXPECT_TRUE(!button || in_view(part)) << XtName(XtParent(part)) << "/" << XtName(part) << " is cut or off";
            if (XmIsList(part)) expect_scrolls_only_when_needed(part);
        }
        if (w.screenshot) gui::snap(w.shell, w.screenshot);
        if (w.box) XtUnmanageChild(w.box);
    }
}

// Menus are built when their window can be seen, and only from a list that changed.
TEST_F(EditorTest, AMenuOfAClosedWindowIsBuiltWhenTheWindowIsShown) {
    start_editor();
    gui::build_unseen_menus = false;  // find the menus as the program leaves them
    const Messages before{"HighErrors", "LinkDown"}, after{"Flapping", "HighErrors", "LinkDown"};
    other->add_condition({"Flapping", "up and down", "ifOperStatus != \"up\"\n"});
    dispatch();
    EXPECT_EQ(3u, gui::list_items(ct_condition_list).size()) << "the list itself is always current";
    EXPECT_EQ(before, menu_entries(tran_condition_parent)) << "the transition editor is closed";

    g2_win_show(te_transition_edit_dialog);
    gui::process_events();
    EXPECT_EQ(after, menu_entries(tran_condition_parent)) << "built as the window came up";
    EXPECT_EQ(after, menu_entries(condition_action_parent));
    EXPECT_EQ("Flapping", gui::option_value(tran_condition));
    EXPECT_FALSE(XtIsSensitive(condition_action_option)) << "the action menu does not read CONDITION";

    // Open: a refresh that changes nothing keeps the menu and its choice; a change behind the
    // first entry changes only the entries that differ; a new first entry rebuilds it. Either
    // way the menu then shows its first entry, as one built anew.
    gui::choose_option(tran_condition, "LinkDown");
    Widget menu = tran_condition;
    update_condition(nullptr, nullptr);
    EXPECT_EQ(menu, tran_condition);
    EXPECT_EQ("LinkDown", gui::option_value(tran_condition));
    other->add_condition({"Gone", "between", "ifOperStatus != \"up\"\n"});
    other->add_condition({"Zeta", "last", "ifOperStatus != \"up\"\n"});
    dispatch();
    other->delete_condition("Gone");
    dispatch();
    EXPECT_EQ((Messages{"Flapping", "HighErrors", "LinkDown", "Zeta"}), menu_entries(tran_condition_parent));
    EXPECT_EQ(menu, tran_condition) << "patched in place";
    EXPECT_EQ("Flapping", gui::option_value(tran_condition));
    EXPECT_FALSE(XtIsSensitive(condition_action_option)) << "the action menu still does not read CONDITION";
    EXPECT_FALSE(XtIsSensitive(condition_action_label));
    gui::choose_option(tran_action, "CONDITION");
    other->delete_condition("Flapping");
    dispatch();
    EXPECT_EQ((Messages{"HighErrors", "LinkDown", "Zeta"}), menu_entries(tran_condition_parent));
    EXPECT_EQ(menu_entries(tran_condition_parent), menu_entries(condition_action_parent));
    EXPECT_EQ("HighErrors", gui::option_value(tran_condition));
    EXPECT_TRUE(XtIsSensitive(condition_action_option)) << "a rebuild keeps the CONDITION rule";
}

// A sorted refill puts in and takes out only the lines that differ, even after the list was
// changed behind its back. (Byte order and scrolling into view as a condition is added:
// AddedConditionIsSelectedAndScrolledIntoViewOnlyWhenNeeded.)
TEST_F(EditorTest, ASortedRefillHoldsTheLinesGivenEvenAfterTheListChangedBehindItsBack) {
    start_editor();
    Messages many;
    for (int i = 0; i < 60; ++i) many.push_back("c" + std::to_string(100 + i));
    XmString stale = XmStringCreateLocalized(const_cast<char*>("stale"));
    for (const Messages& lines : {Messages{"a", "c", "e"}, Messages{"b", "c", "d", "e", "f"}, Messages{"c"}, Messages{},
                                  many, many}) {
        set_sorted_list_lines(ct_condition_list, lines);
        EXPECT_EQ(lines, gui::list_items(ct_condition_list));
        if (lines == many) XmListReplaceItemsPos(ct_condition_list, &stale, 1, 1);
    }
    XmStringFree(stale);
}

TEST_F(EditorTest, DisconnectionEndsTheProgramWithStatusOneWhicheverButtonAnswers) {
    start_editor();
    for (bool ok : {true, false})
        EXPECT_EXIT(
            {
                _qor_dimons3g.raise("DISCONNECTED");
                dispatch();
                gui::Dialog d = gui::only_dialog();
                if (d.message != "Platform has disconnected") std::exit(3);
                gui::press(d.button(ok ? d.buttons.front() : d.buttons.back()));
                std::exit(4);
            },
            ::testing::ExitedWithCode(1), "");
}

// Add and Modify check the server before writing; a write the store refuses keeps the old
// definition; one taken shows in the lists after the notification.
TEST_F(EditorTest, AddAndModifyCheckTheServerFirstAndARefusedWriteKeepsTheOldDefinition) {
    start_editor();
    auto store = watch_writes();
    struct Refusal {
        std::vector<std::pair<Widget, const char*>> fields;
        Widget button;
        const char* message;
    };
    const Refusal refusals[] = {
        {{{severity_name, "Normal"}, {severity_value, "5"}, {severity_color, "pink"}}, te_severity_add_button,
         "Add Failed: Severity already exists."},
        {{{pollrate_name, "Poll"}, {pollrate_value, "5"}}, te_pollrate_add_button, "Add Failed: Poll Rate already exists."},
        {{{severity_name, "Nope"}}, te_severity_modify_button, "Severity does not exist in platform."},
        {{{pollrate_name, "Nope"}}, te_pollrate_modify_button, "Poll rate does not exist in platform."},
    };
    for (const Refusal& r : refusals) {
        for (const auto& [field, text] : r.fields) gui::type_text(field, text);
        gui::press(r.button);
        EXPECT_EQ(Messages{r.message}, gui::answer_all());
    }
    EXPECT_EQ(0, store->writes) << "the engine was called";

    store->refuse_writes = true;
    gui::select_list_item(severity_list, "Minor           2     yellow    ");
    EXPECT_EQ((Messages{"Minor", "2", "yellow"}),
              (Messages{gui::text(severity_name), gui::text(severity_value), gui::text(severity_color)}));
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

    // Past the keyboard filter, which keeps blanks out: the first word names the poll rate.
    paste(pollrate_name, "Poll extra words");
    fill({{pollrate_value, "45"}});
    gui::press(te_pollrate_modify_button);
    EXPECT_EQ(Messages{}, gui::answer_all());
    EXPECT_EQ(45, other->find_poll_rate("Poll")->rate);
    EXPECT_EQ("Poll", gui::text(pollrate_name));
}

TEST_F(EditorTest, DeletedItemsLeaveTheStateEditorsMenusAtOnce) {
    // Names that would be paths to a lookup by name.
    other->add_poll_rate({"fast.1", 5});
    other->add_severity({"Odd*", 9, "pink"});
    start_editor();
    // Delete Pollrate asks first even without a name.
    gui::press(te_pollrate_delete_button);
    gui::Dialog ask = gui::only_dialog();
    EXPECT_EQ("Delete pollrate from Varo?", ask.message);
    EXPECT_EQ(pollrate_win, XtParent(XtParent(ask.box)));
    gui::press(ask.button("OK"));
    gui::Dialog failed = gui::only_dialog();
    EXPECT_EQ("Delete Pollrate Failed", failed.message);
    EXPECT_EQ(XtParent(XtParent(pollrate_name)), XtParent(XtParent(failed.box)));
    gui::press(failed.button("OK"));
    EXPECT_EQ(3u, other->list_poll_rates().size());

    gui::choose_option(se_pollrate, "fast.1");
    gui::select_list_item(pollrate_list, "fast.1                    5");
    gui::press(te_pollrate_delete_button);
    gui::press(gui::only_dialog().button("OK"));
    EXPECT_EQ(Messages{}, gui::answer_all());
    EXPECT_FALSE(other->find_poll_rate("fast.1"));
    EXPECT_EQ("", gui::text(pollrate_name));
    EXPECT_EQ("", gui::text(pollrate_value));
    // Before the notification arrives.
    EXPECT_EQ((Messages{"Poll", "default_rate"}), menu_entries(se_pollrate_parent));
    EXPECT_EQ((Messages{"Poll", "default_rate"}), menu_entries(cs_pollrate_parent));
    EXPECT_EQ("Poll", option_value(se_pollrate)) << "the deleted choice gave way to the first entry";

    // A state editor showing a state's severity by its label alone.
    set_string(cs_severity_option, "Odd*");
    fill({{severity_name, "Odd*"}});
    gui::press(te_severity_delete_button);
    ask = gui::only_dialog();
    EXPECT_EQ("This will delete severity Odd* from Varo.", ask.message);
    EXPECT_EQ(severity_edit_win, XtParent(XtParent(ask.box)));
    gui::press(ask.button("OK"));
    EXPECT_EQ(Messages{}, gui::answer_all());
    EXPECT_EQ((Messages{"Critical", "Major", "Minor", "Normal"}), menu_entries(cs_severity_parent));
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

// A severity or poll rate that a stored template uses is not deleted, and its window says who
// uses it; one only the open template uses, not saved, is deleted after a warning.
TEST_F(EditorTest, ASeverityOrPollRateInUseIsKeptAndOneTheOpenTemplateUsesIsWarnedOf) {
    other->add_severity({"Sev", 5, "pink"});
    other->add_poll_rate({"Rate", 5});
    varo::TemplateDef t = testenv::sample_template("T", 2);
    t.states[1].severity = "Sev";
    t.states[1].poll_rate = "Rate";
    other->insert_template(t);
    start_editor();
    struct Window {
        Widget list, delete_button, shell;
        const char *line, *used_by_label, *what, *question;
        std::function<bool()> stored;
    };
    const Window windows[] = {
        {severity_list, te_severity_delete_button, severity_edit_win, "Sev             5     pink      ",
         "*severity_used_by_label", "severity", "This will delete severity Sev from Varo.",
         [&] { return other->find_severity("Sev").has_value(); }},
        {pollrate_list, te_pollrate_delete_button, pollrate_win, "Rate                      5", "*pollrate_used_by_label",
         "poll rate", "Delete pollrate from Varo?", [&] { return other->find_poll_rate("Rate").has_value(); }},
    };
    for (const Window& w : windows) {
        SCOPED_TRACE(w.what);
        gui::select_list_item(w.list, w.line);
        Widget used_by = XtNameToWidget(w.shell, w.used_by_label);
        ASSERT_NE(nullptr, used_by);
        EXPECT_EQ("Used by: T", gui::label(used_by));
        gui::press(w.delete_button);
        gui::press(gui::only_dialog().button("OK"));
        EXPECT_EQ(Messages{"Cannot delete " + std::string(w.what) + ".\nIt is currently in use in a template.\nUsed by: T"},
                  gui::answer_all());
        EXPECT_TRUE(w.stored());
    }
    other->delete_template("T");
    dispatch();
    qori_state_add(qor_handle, "Extra", "Rate", "Sev", "unsaved");
    modified = 1;
    for (const Window& w : windows) {
        SCOPED_TRACE(w.what);
        gui::select_list_item(w.list, w.line);
        EXPECT_EQ("Used by: no stored template", gui::label(XtNameToWidget(w.shell, w.used_by_label)));
        gui::press(w.delete_button);
        gui::Dialog ask = gui::only_dialog();
        EXPECT_EQ(std::string(w.question) + "\nThe open template 'Noname' uses it and is not saved:\n"
                  "once deleted, that template cannot be saved while it uses it.", ask.message);
        gui::press(ask.button("OK"));
        EXPECT_EQ(Messages{}, gui::answer_all());
        EXPECT_FALSE(w.stored());
    }
}

TEST_F(ConditionEditTest, SingleClickFillsNameAndDescriptionDoubleClickTheCodeToo) {
    start_editor();
    gui::type_text(ct_condition_code, "typed by hand");
    gui::select_list_pos(ct_condition_list, 1);
    EXPECT_EQ((Messages{"Alpha", "first", "typed by hand"}), shown());
    gui::activate_list_pos(ct_condition_list, 1);
    EXPECT_EQ((Messages{"Alpha", "first", "a > 1\n"}), shown());
    // Alpha's code must not stay beside Beta's name, where Modify would write it into Beta.
    gui::select_list_pos(ct_condition_list, 2);
    EXPECT_EQ((Messages{"Beta", "second", ""}), shown());
    gui::activate_list_pos(ct_condition_list, 2);
    EXPECT_EQ((Messages{"Beta", "second", "b > 2\n"}), shown());
    gui::select_list_pos(ct_condition_list, 2);
    EXPECT_EQ("b > 2\n", gui::text(ct_condition_code)) << "the same condition keeps its code";
}

TEST_F(ConditionEditTest, AddChecksBeforeCallingTheEngineAndANameTheRefreshedListLacksSelectsNothing) {
    start_editor();
    auto store = watch_writes();
    for (const char* code : {"", "  \n\t"}) {
        fields("Gamma", "third", code);
        gui::press(ct_add_button);
        EXPECT_EQ(Messages{"Missing condition code"}, gui::answer_all());
    }
    fields("Gamma", "", "g > 1");
    gui::press(ct_add_button);
    EXPECT_EQ(Messages{"Please enter a description."}, gui::answer_all());
    EXPECT_EQ(0, store->writes);

    fields("Gamma", "  third", "g > > 1");
    gui::press(ct_add_button);
    Messages said = gui::answer_all();
    ASSERT_EQ(1u, said.size());
    EXPECT_EQ("Add Condition Error: line 1, column 5: expected a value", said[0].substr(0, 55)) << said[0];
    EXPECT_EQ((Messages{"Gamma", "third", "g > > 1"}), shown()) << "what the user typed stays";
    EXPECT_FALSE(other->find_condition("Gamma"));

    // A name the refreshed list lacks selects nothing: another client deletes it right after
    // it was added, before the list is refreshed.
    store->after_write = [](varo::Store& s) {
        if (s.find_condition("Ghost")) s.delete_condition("Ghost");
    };
    fields("Ghost", "short-lived", "g > 1");
    gui::press(ct_add_button);
    EXPECT_EQ(Messages{}, gui::answer_all());
    EXPECT_EQ((Messages{"Alpha", "Beta", "HighErrors", "LinkDown"}), gui::list_items(ct_condition_list));
    EXPECT_TRUE(gui::selected_positions(ct_condition_list).empty());
    EXPECT_EQ((Messages{"Ghost", "short-lived", "g > 1"}), shown());
}

// Each condition added is selected and brought into view, the list scrolled only when needed,
// and put in byte order among the rest.
TEST_F(ConditionEditTest, AddedConditionIsSelectedAndScrolledIntoViewOnlyWhenNeeded) {
    for (int i = 0; i < 30; ++i) other->add_condition({"c" + std::to_string(10 + i), "", "x > 1"});
    start_editor();
    int visible = 0;
    XtVaGetValues(ct_condition_list, XmNvisibleItemCount, &visible, nullptr);
    ASSERT_LT(visible, 30);
    const struct {
        const char* name;
        int position, top;
    } adds[] = {
        {"zeta", 35, 35 - visible + 1},  // below the view: brought in as the bottom item
        {"AAA", 1, 1},                   // above it: made the top item
        {"AAB", 2, 1},                   // in view: no scrolling
    };
    for (const auto& a : adds) {
        fields(a.name, "added", "z > 1\n");
        gui::press(ct_add_button);
        EXPECT_EQ(Messages{}, gui::answer_all());
        int top = 0;
        XtVaGetValues(ct_condition_list, XmNtopItemPosition, &top, nullptr);
        EXPECT_EQ(a.name, gui::list_items(ct_condition_list).at(a.position - 1));
        EXPECT_EQ(std::vector<int>{a.position}, gui::selected_positions(ct_condition_list)) << a.name;
        EXPECT_EQ(a.top, top) << a.name;
    }
    Messages items = gui::list_items(ct_condition_list);
    EXPECT_EQ((Messages{"AAA", "AAB", "Alpha", "Beta", "HighErrors", "LinkDown", "c10"}), Messages(items.begin(), items.begin() + 7));
    EXPECT_EQ((varo::Condition{"AAB", "added", "z > 1\n"}), other->find_condition("AAB"));
    EXPECT_EQ((Messages{"AAB", "added", "z > 1\n"}), shown());
}

TEST_F(ConditionEditTest, ModifyReplacesOrLeavesTheServerAsItWas) {
    store_template(testenv::sample_template("T"));  // uses LinkDown
    start_editor();
    gui::activate_list_pos(ct_condition_list, 4);
    gui::type_text(ct_description_text, "changed");
    gui::press(ct_modify_button);
    EXPECT_EQ(Messages{"Condition is being used in a template."}, gui::answer_all());
    const varo::Condition link_down = *other->find_condition("LinkDown");
    EXPECT_NE("changed", link_down.descr);

    fields("Nope", "d", "x > 1");
    gui::press(ct_modify_button);
    EXPECT_EQ(Messages{"Condition doesn't exist in the Varo.\nCreate new conditions by using the 'Add' button."},
              gui::answer_all());

    gui::activate_list_pos(ct_condition_list, 1);
    gui::type_text(ct_description_text, "new words");
    gui::type_text(ct_condition_code, "a >\n");
    gui::press(ct_modify_button);
    EXPECT_EQ(Messages{"Modify Condition Error: line 1, column 4: expected a value after '>'"}, gui::answer_all());
    EXPECT_EQ((varo::Condition{"Alpha", "first", "a > 1\n"}), other->find_condition("Alpha"));
    EXPECT_EQ((Messages{"Alpha", "new words", "a >\n"}), shown()) << "kept for correction";

    auto store = watch_writes();
    store->refuse_writes = true;
    gui::type_text(ct_condition_code, "a > 3\n");
    gui::press(ct_modify_button);
    Messages said = gui::answer_all();
    ASSERT_EQ(1u, said.size());
    EXPECT_EQ(0u, said[0].find("Modify Condition Error: ")) << said[0];
    EXPECT_EQ((varo::Condition{"Alpha", "first", "a > 1\n"}), other->find_condition("Alpha"));

    store->refuse_writes = false;
    gui::press(ct_modify_button);
    EXPECT_EQ(Messages{}, gui::answer_all());
    EXPECT_EQ((varo::Condition{"Alpha", "new words", "a > 3\n"}), other->find_condition("Alpha"));
    EXPECT_EQ(std::vector<int>{1}, gui::selected_positions(ct_condition_list));
    EXPECT_EQ((Messages{"Alpha", "new words", "a > 3\n"}), shown());
}

TEST_F(ConditionEditTest, DeleteConfirmsAndRefusesAConditionInUse) {
    store_template(testenv::sample_template("T"));
    for (const char* name : {"raiser", "another"})  // Alpha only raised by an action
        store_template({name, "", {{"Ground", "", "Normal", "Poll"}},
                        {{"Ground", "Ground", "HighErrors", {{"CONDITION", "Alpha", ""}}}}});
    start_editor();
    gui::select_list_pos(ct_condition_list, 1);
    EXPECT_EQ("Used by: another, raiser", gui::label(ct_used_by_label));
    gui::select_list_pos(ct_condition_list, 2);
    EXPECT_EQ("Used by: no stored template", gui::label(ct_used_by_label));
    gui::activate_list_pos(ct_condition_list, 4);
    gui::press(ct_delete_button);
    gui::Dialog ask = gui::only_dialog();
    EXPECT_EQ("Condition 'LinkDown' will be removed from Varo.", ask.message);
    EXPECT_EQ(condition_text_win, XtParent(XtParent(ask.box)));
    gui::press(ask.button("OK"));
    EXPECT_EQ(Messages{"Cannot delete condition.\nIt is currently in use in a template.\nUsed by: T"}, gui::answer_all());
    EXPECT_EQ("Used by: T", gui::label(ct_used_by_label));
    EXPECT_TRUE(other->find_condition("LinkDown"));
    EXPECT_EQ("LinkDown", gui::text(ct_name_text));
    EXPECT_FALSE(gui::text(ct_condition_code).empty());

    gui::type_text(ct_name_text, "Nope");
    gui::press(ct_delete_button);
    EXPECT_EQ(Messages{"Condition doesn't exist."}, gui::answer_all());

    gui::activate_list_pos(ct_condition_list, 2);
    gui::press(ct_delete_button);
    gui::press(gui::only_dialog().button("Cancel"));
    EXPECT_TRUE(other->find_condition("Beta"));
    gui::press(ct_delete_button);
    gui::press(gui::only_dialog().button("OK"));
    EXPECT_EQ(Messages{}, gui::answer_all());
    EXPECT_FALSE(other->find_condition("Beta"));
    EXPECT_EQ((Messages{"", "", ""}), shown());
}

// An event another X client sends to the main window.
void poke_from_another_client() {
    Display* other_display = XOpenDisplay(DisplayString(display));
    ASSERT_NE(nullptr, other_display);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = XtWindow(te_win);
    event.xclient.message_type = XInternAtom(other_display, "TARNWRIGHT_POKE", False);
    event.xclient.format = 32;
    XSendEvent(other_display, XtWindow(te_win), False, NoEventMask, &event);
    XSync(other_display, False);
    XCloseDisplay(other_display);
}

TEST_F(EditorTest, IdleWaitEndsForXInputAndStoreNews) {
    start_editor();
    ASSERT_GE(qori_notification_fd(), 0) << "the embedded store gives a descriptor to wait on";
    // A wait that is not ended early lasts a minute: the reason it ended is what is checked.
    const int long_wait = 60000;
    struct Case {
        const char* what;
        std::function<void()> happen;
        int milliseconds;
        IdleWake expected;
    };
    const Case cases[] = {
        {"nothing", [] {}, 0, IdleWake::Timeout},
        {"another X client's event", poke_from_another_client, long_wait, IdleWake::XInput},
        {"another store client's commit",
         [this] { other->add_condition({"Flapping", "up and down", "ifOperStatus != \"up\"\n"}); }, long_wait,
         IdleWake::StoreNews},
    };
    for (const Case& c : cases) {
        dispatch();  // nothing left over from the case before
        c.happen();
        EXPECT_EQ(static_cast<int>(c.expected), static_cast<int>(idle_wait(c.milliseconds))) << c.what;
    }
    dispatch();
    EXPECT_EQ(3u, list_lines(ct_condition_list).size()) << "the news, once dispatched, reached the list";
    EXPECT_EQ(static_cast<int>(IdleWake::Timeout), static_cast<int>(idle_wait(0))) << "news taken is not news again";
}

}  // namespace
