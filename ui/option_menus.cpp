#include "ui/option_menus.h"

#include <X11/IntrinsicP.h>
#include <Xm/CascadeBG.h>
#include <Xm/Form.h>
#include <Xm/List.h>
#include <Xm/PushB.h>
#include <Xm/PushBG.h>
#include <Xm/RowColumn.h>

#include <cstring>
#include <unordered_map>
#include <vector>

#include "base/messages.h"
#include "base/utf8.h"
#include "template/line_format.h"
#include "ui/list_items.h"
#include "ui/xm_string.h"
#include "ui/gui_utils.h"
#include "ui/widgets.h"

namespace {

// The widest text an option-menu entry shows, in pixels: a longer name is cut in the middle
// while its entry keeps the whole name as its widget name. A menu is as wide as its widest
// entry, so it then stays inside the narrowest window that holds one, whatever it offers.
constexpr int ENTRY_TEXT_WIDTH = 200;

XmRenderTable font_of(Widget w) {
    XmRenderTable font = nullptr;
    XtVaGetValues(w, XmNrenderTable, &font, nullptr);
    return font;
}

// Widths of one font's characters, each measured once: a text's width is taken as theirs
// added up (the program's fonts draw without kerning), which spares measuring every name
// whole and again for each cut tried. Null font: no width.
class TextWidths {
public:
    explicit TextWidths(XmRenderTable font) : font(font) {}
    int operator()(const std::string& text) {
        int sum = 0;
        for (std::size_t pos = 0; font && pos < text.size();) {
            std::size_t start = pos;
            utf8_next(text.data(), text.size(), &pos);
            auto it = widths.try_emplace(text.substr(start, pos - start), -1).first;
            if (it->second < 0) it->second = static_cast<int>(XmStringWidth(font, XmStr(it->first)));
            sum += it->second;
        }
        return sum;
    }
    // The text as a button in this font shows it.
    std::string fitted(const std::string& text) {
        return lines::cut_middle(text, ENTRY_TEXT_WIDTH, [this](const std::string& t) { return (*this)(t); });
    }

private:
    XmRenderTable font;
    std::unordered_map<std::string, int> widths;
};

// The first entry, a widget, named by a name too wide for its menu shows it cut.
void fit_entry(Widget entry, TextWidths& widths) {
    std::string name = XtName(entry);
    std::string shown = widths.fitted(name);
    if (shown != name) set_string(entry, shown.c_str());
}

// A gadget entry named by the name, showing it cut when too wide for its menu; its label is
// given at creation, which spares the toolkit making one from the name.
Widget make_entry_gadget(Widget pulldown, const std::string& name, TextWidths& widths, ArgList extra = nullptr,
                         Cardinal extra_count = 0) {
    XmStr shown(widths.fitted(name));
    std::vector<Arg> args(extra, extra + extra_count);
    Arg label;
    XtSetArg(label, XmNlabelString, static_cast<XmString>(shown));
    args.push_back(label);
    return XmCreatePushButtonGadget(pulldown, const_cast<char*>(name.c_str()), args.data(),
                                    static_cast<Cardinal>(args.size()));
}

// The entry of that name in a pulldown, compared as it is (a lookup by path would read '.'
// and '*' in a name as path syntax).
Widget entry_named(Widget pulldown, const std::string& name) {
    WidgetList children = nullptr;
    Cardinal count = 0;
    if (pulldown) XtVaGetValues(pulldown, XmNchildren, &children, XmNnumChildren, &count, nullptr);
    for (Cardinal i = 0; i < count; ++i)
        if (!children[i]->core.being_destroyed && name == XtName(children[i])) return children[i];
    return nullptr;
}

// One rebuilt option menu: where it lives, what feeds it, and the globals that name it.
struct MenuSpec {
    const char* name;
    const char* pulldown_name;
    Widget* menu;
    Widget* label;
    Widget* option;
    Widget* pulldown;
    Widget* form;
    Widget* source;
    MessageId label_number;
    int top, left;
    bool bottom_to_form_top;  // the from-state menu also hangs from the form's top
    int bottom;
    XtCallbackProc activate;
    void (*after)();  // run after each real rebuild
};

// The condition-action menu is usable only while the action menu reads "CONDITION".
void action_rule() {
    if (option_value(tran_action) != "CONDITION") {
        XtSetSensitive(condition_action_option, False);
        XtSetSensitive(condition_action_label, False);
    }
}

// Used when no menu exists yet to take its place from.
const MenuSpec tran_condition_spec = {"tran_condition", "tran_condition_parent", &tran_condition, &tran_condition_label,
                                      &tran_condition_option, &tran_condition_parent, &te_transition_edit_form,
                                      &ct_condition_list, msg::CONDITION_LABEL, 280, 7, false, 0, nullptr, nullptr};
const MenuSpec condition_action_spec = {"condition_action", "condition_action_parent", &condition_action,
                                        &condition_action_label, &condition_action_option, &condition_action_parent,
                                        &te_transition_edit_form, &ct_condition_list, msg::CONDITION_ACTION_LABEL, 345, 27, false, 0, nullptr, action_rule};
const MenuSpec tran_from_state_spec = {"tran_from_state", "tran_from_state_parent", &tran_from_state,
                                       &tran_from_state_label, &tran_from_state_option, &tran_from_state_parent,
                                       &te_transition_edit_form, &state_edit_list, msg::FROM_LABEL, 215, 32, true, -248, from_list, nullptr};
const MenuSpec tran_to_state_spec = {"tran_to_state", "tran_to_state_parent", &tran_to_state, &tran_to_state_label,
                                     &tran_to_state_option, &tran_to_state_parent, &te_transition_edit_form,
                                     &state_edit_list, msg::TO_LABEL, 248, 46, false, 0, nullptr, nullptr};
const MenuSpec ot_states_spec = {"ot_states", "ot_states_parent", &ot_states, &ot_states_label, &ot_states_option,
                                 &ot_states_parent, &ot_form, &state_edit_list, msg::ORDER_STATE_LABEL, 175, 6, false, 0, show_list, nullptr};
const MenuSpec se_pollrate_spec = {"se_pollrate", "se_pollrate_parent", &se_pollrate, &se_pollrate_label,
                                   &se_pollrate_option, &se_pollrate_parent, &state_edit_form, &pollrate_list,
                                   msg::POLL_RATE_LABEL, 283, 11, false, 0, nullptr, nullptr};
const MenuSpec cs_pollrate_spec = {"cs_pollrate", "cs_pollrate_parent", &cs_pollrate, &cs_pollrate_label,
                                   &cs_pollrate_option, &cs_pollrate_parent, &cs_form, &pollrate_list,
                                   msg::STATE_POLL_RATE_LABEL, 81, 12, false, 0, nullptr, nullptr};
const MenuSpec se_severity_spec = {"se_severity", "se_severity_parent", &se_severity, &se_severity_label,
                                   &se_severity_option, &se_severity_parent, &state_edit_form, &severity_list,
                                   msg::SEVERITY_LABEL, 315, 12, false, 0, nullptr, nullptr};
const MenuSpec cs_severity_spec = {"cs_severity", "cs_severity_parent", &cs_severity, &cs_severity_label,
                                   &cs_severity_option, &cs_severity_parent, &cs_form, &severity_list,
                                   msg::STATE_SEVERITY_LABEL, 115, 13, false, 0, nullptr, nullptr};

// A form child's attachments, so that the new menu takes the old one's place.
struct Attachments {
    unsigned char kind[4] = {XmATTACH_NONE, XmATTACH_NONE, XmATTACH_NONE, XmATTACH_NONE};
    int offset[4] = {0, 0, 0, 0};
    int position[4] = {0, 0, 0, 0};
    Widget widget[4] = {nullptr, nullptr, nullptr, nullptr};
};

const char* const attach_res[4] = {XmNtopAttachment, XmNbottomAttachment, XmNleftAttachment, XmNrightAttachment};
const char* const offset_res[4] = {XmNtopOffset, XmNbottomOffset, XmNleftOffset, XmNrightOffset};
const char* const position_res[4] = {XmNtopPosition, XmNbottomPosition, XmNleftPosition, XmNrightPosition};
const char* const widget_res[4] = {XmNtopWidget, XmNbottomWidget, XmNleftWidget, XmNrightWidget};

Attachments read_attachments(Widget w) {
    Attachments a;
    for (int i = 0; i < 4; ++i)
        XtVaGetValues(w, attach_res[i], &a.kind[i], offset_res[i], &a.offset[i], position_res[i], &a.position[i],
                      widget_res[i], &a.widget[i], nullptr);
    return a;
}

Attachments table_attachments(const MenuSpec& table_row) {
    Attachments a;
    a.kind[0] = XmATTACH_FORM;
    a.offset[0] = table_row.top;
    a.kind[2] = XmATTACH_FORM;
    a.offset[2] = table_row.left;
    if (table_row.bottom_to_form_top) {
        a.kind[1] = XmATTACH_OPPOSITE_FORM;
        a.offset[1] = table_row.bottom;
    }
    return a;
}

void apply_attachments(Widget w, const Attachments& a) {
    for (int i = 0; i < 4; ++i) {
        XtVaSetValues(w, attach_res[i], a.kind[i], offset_res[i], a.offset[i], nullptr);
        if (a.kind[i] == XmATTACH_POSITION)
            XtVaSetValues(w, position_res[i], a.position[i], nullptr);
        if (a.kind[i] == XmATTACH_WIDGET || a.kind[i] == XmATTACH_OPPOSITE_WIDGET)
            XtVaSetValues(w, widget_res[i], a.widget[i], nullptr);
    }
}

// Siblings attached to the old menu are attached to the new one instead.
void repoint_siblings(Widget form, Widget old_menu, Widget new_menu) {
    WidgetList children = nullptr;
    Cardinal count = 0;
    XtVaGetValues(form, XmNchildren, &children, XmNnumChildren, &count, nullptr);
    for (Cardinal c = 0; c < count; ++c) {
        if (children[c] == old_menu || children[c] == new_menu || !XtIsRectObj(children[c])) continue;
        for (int i = 0; i < 4; ++i) {
            Widget target = nullptr;
            XtVaGetValues(children[c], widget_res[i], &target, nullptr);
            if (target == old_menu) XtVaSetValues(children[c], widget_res[i], new_menu, nullptr);
        }
    }
}

void build_from(const MenuSpec& table_row, const std::vector<std::string>& words) {
    Widget form = *table_row.form;

    Widget old_menu = *table_row.menu;
    Attachments place = old_menu ? read_attachments(old_menu) : table_attachments(table_row);
    Widget old_pulldown = *table_row.pulldown;

    Widget pulldown = XmCreatePulldownMenu(form, const_cast<char*>(table_row.pulldown_name), nullptr, 0);
    std::vector<Widget> entries;
    entries.reserve(words.size() + 1);
    if (words.empty()) {
        // Nothing to offer: a placeholder that cannot be chosen, in a menu that cannot be used.
        Widget none = XmCreatePushButton(pulldown, const_cast<char*>("none"), nullptr, 0);
        set_string(none, message_text(msg::NONE_SHOWN));
        XtSetSensitive(none, False);
        entries.push_back(none);
    }
    TextWidths widths(nullptr);
    for (std::size_t i = 0; i < words.size(); ++i) {
        char* name = const_cast<char*>(words[i].c_str());
        Widget entry = i == 0 ? XmCreatePushButton(pulldown, name, nullptr, 0)
                              : make_entry_gadget(pulldown, words[i], widths);
        if (i == 0) {
            widths = TextWidths(font_of(entry));
            fit_entry(entry, widths);
        }
        if (table_row.activate) XtAddCallback(entry, XmNactivateCallback, table_row.activate, nullptr);
        entries.push_back(entry);
    }
    XtManageChildren(entries.data(), static_cast<Cardinal>(entries.size()));

    Arg args[2];
    XtSetArg(args[0], XmNsubMenuId, pulldown);
    XtSetArg(args[1], XmNmenuHistory, entries.front());
    Widget menu = XmCreateOptionMenu(form, const_cast<char*>(table_row.name), args, 2);
    apply_attachments(menu, place);
    *table_row.menu = menu;
    *table_row.pulldown = pulldown;
    *table_row.label = XmOptionLabelGadget(menu);
    *table_row.option = XmOptionButtonGadget(menu);
    set_string(*table_row.label, message_text(table_row.label_number));
    if (old_menu) {
        repoint_siblings(form, old_menu, menu);
        XtDestroyWidget(old_menu);
    }
    if (old_pulldown) XtDestroyWidget(old_pulldown);
    if (words.empty()) XtSetSensitive(menu, False);
    XtManageChild(menu);
    if (table_row.after) table_row.after();
}

// Building a menu of thousands of entries costs far more than filling its list, so a menu
// is built only when it can be seen, and only from a source that changed since.
struct MenuCache {
    bool stale = false;
    Widget built = nullptr;          // the menu this cache describes
    std::vector<std::string> words;  // what it was built from
};

const MenuSpec* const all_menus[] = {&tran_condition_spec, &condition_action_spec, &tran_from_state_spec,
                                     &tran_to_state_spec,  &ot_states_spec,        &se_pollrate_spec,
                                     &cs_pollrate_spec,    &se_severity_spec,      &cs_severity_spec};
MenuCache caches[sizeof all_menus / sizeof all_menus[0]];

MenuCache& cache_of(const MenuSpec& table_row) {
    std::size_t i = 0;
    while (all_menus[i] != &table_row) ++i;
    return caches[i];
}

std::vector<std::string> source_words(Widget source) {
    std::vector<std::string> words;
    for (const std::string& line : list_lines(source)) {
        std::string word = lines::first_word(line);
        if (!word.empty()) words.push_back(word);
    }
    return words;
}

// The dialog a form sits in: the child of its shell.
Widget window_of(Widget form) {
    Widget w = form;
    while (XtParent(w) && !XtIsShell(XtParent(w))) w = XtParent(w);
    return w;
}

bool window_up(Widget form) {
    Widget window = window_of(form);
    return XtIsManaged(window) && XtParent(window) && XtIsRealized(XtParent(window));
}

void forget_menu(Widget menu, XtPointer client_data, XtPointer) {
    MenuCache* cache = static_cast<MenuCache*>(client_data);
    if (cache->built == menu) cache->built = nullptr;
}

constexpr std::size_t MAX_PATCHED = 64;  // entries added or removed in place at most

bool in_strcmp_order(const std::vector<std::string>& words) {
    for (std::size_t i = 1; i < words.size(); ++i)
        if (std::strcmp(words[i - 1].c_str(), words[i].c_str()) >= 0) return false;
    return true;
}

// Walking both sorted lists at once: below 0 the old word i goes, above 0 the new word j
// comes, 0 both stay.
int merge_order(const std::vector<std::string>& old_words, const std::vector<std::string>& words, std::size_t i,
                std::size_t j) {
    if (i == old_words.size()) return 1;
    if (j == words.size()) return -1;
    return std::strcmp(old_words[i].c_str(), words[j].c_str());
}

// The menu made to show the new words by removing and adding only the entries that differ,
// then shown at its first entry like a menu built anew. Building thousands of entries is
// slow and grows faster than their number (the toolkit's per-widget bookkeeping); a change
// of a few costs a few. Only for menus built from these old words, with the same first
// entry (the one button that is a widget), both in strcmp order; false otherwise.
bool patch_entries(const MenuSpec& table_row, const std::vector<std::string>& old_words,
                   const std::vector<std::string>& words) {
    Widget pulldown = *table_row.pulldown, menu = *table_row.menu;
    if (!pulldown || !menu || old_words.empty() || words.empty() || old_words.front() != words.front()) return false;
    if (!in_strcmp_order(old_words) || !in_strcmp_order(words)) return false;
    WidgetList children = nullptr;
    Cardinal count = 0;
    XtVaGetValues(pulldown, XmNchildren, &children, XmNnumChildren, &count, nullptr);
    if (count != old_words.size()) return false;
    std::vector<Widget> entries(children, children + count);
    for (std::size_t i = 0; i < count; ++i)
        if (old_words[i] != XtName(entries[i])) return false;
    // Each entry put in the middle renumbers those after it: past a few, building anew is cheaper.
    std::size_t differ = 0;
    for (std::size_t i = 0, j = 0; (i < old_words.size() || j < words.size()) && differ <= MAX_PATCHED;) {
        int order = merge_order(old_words, words, i, j);
        if (order <= 0) ++i;
        if (order >= 0) ++j;
        if (order != 0) ++differ;
    }
    if (differ > MAX_PATCHED) return false;

    std::vector<Widget> gone, made;
    TextWidths widths(font_of(entries.front()));
    std::size_t i = 0, j = 0;
    while (i < old_words.size() || j < words.size()) {
        int order = merge_order(old_words, words, i, j);
        if (order < 0) {
            gone.push_back(entries[i++]);
        } else if (order > 0) {
            // Before the old entry i, which still holds its place (with those added so far).
            Arg args[1];
            short position = i == old_words.size() ? static_cast<short>(XmLAST_POSITION) : static_cast<short>(i + made.size());
            XtSetArg(args[0], XmNpositionIndex, position);
            Widget entry = make_entry_gadget(pulldown, words[j++], widths, args, 1);
            if (table_row.activate) XtAddCallback(entry, XmNactivateCallback, table_row.activate, nullptr);
            made.push_back(entry);
        } else {
            ++i;
            ++j;
        }
    }
    if (!made.empty()) XtManageChildren(made.data(), static_cast<Cardinal>(made.size()));
    for (Widget w : gone) XtDestroyWidget(w);
    XtVaSetValues(menu, XmNmenuHistory, entries.front(), nullptr);
    XtSetSensitive(menu, True);
    XtSetSensitive(*table_row.option, True);
    XtSetSensitive(*table_row.label, True);
    if (table_row.after) table_row.after();
    return true;
}

void bring_up_to_date(const MenuSpec& table_row) {
    MenuCache& cache = cache_of(table_row);
    if (!cache.stale || !*table_row.form) return;
    cache.stale = false;
    std::vector<std::string> words = source_words(*table_row.source);
    bool ours = cache.built && cache.built == *table_row.menu;
    if (ours && words == cache.words) return;
    if (ours && patch_entries(table_row, cache.words, words)) {
        cache.words = std::move(words);
        return;
    }
    build_from(table_row, words);
    cache.words = std::move(words);
    cache.built = *table_row.menu;
    XtAddCallback(cache.built, XmNdestroyCallback, forget_menu, &cache);
}

// A dialog shell pops up before it maps: its stale menus are built then, so the window
// never shows an old one.
void on_popup(Widget shell, XtPointer, XtPointer) { build_window_menus(shell); }

void watch_shell(Widget form) {
    Widget shell = XtParent(window_of(form));
    if (!shell) return;
    XtRemoveCallback(shell, XmNpopupCallback, on_popup, nullptr);  // once per shell
    XtAddCallback(shell, XmNpopupCallback, on_popup, nullptr);
}

void rebuild(const MenuSpec& table_row) {
    Widget form = *table_row.form;
    if (!form) return;
    cache_of(table_row).stale = true;
    if (window_up(form))
        bring_up_to_date(table_row);
    else
        watch_shell(form);
}

}  // namespace

std::string option_value(Widget option_menu) {
    if (!option_menu) return std::string();
    std::string shown = label_text(XmOptionButtonGadget(option_menu));
    // An entry cut to fit its menu stands for its whole name.
    Widget chosen = nullptr;
    XtVaGetValues(option_menu, XmNmenuHistory, &chosen, nullptr);
    if (chosen && lines::is_cut_of(shown, XtName(chosen))) return XtName(chosen);
    return shown;
}

bool show_in_option_menu(Widget option_button, const std::string& value) {
    Widget menu = option_button ? XtParent(option_button) : nullptr;
    if (!XmIsCascadeButtonGadget(option_button) || !menu || !XmIsRowColumn(menu)) return false;
    unsigned char type = 0;
    Widget pulldown = nullptr;
    XtVaGetValues(menu, XmNrowColumnType, &type, XmNsubMenuId, &pulldown, nullptr);
    if (type != XmMENU_OPTION) return false;
    // Choosing the entry shows its text, cut as the menu shows it, and lets the menu read
    // back the whole name; a value the menu does not offer is shown cut alike.
    if (Widget entry = entry_named(pulldown, value)) {
        XtVaSetValues(menu, XmNmenuHistory, entry, nullptr);
        return true;
    }
    XmStr shown(TextWidths(font_of(option_button)).fitted(value));
    XtVaSetValues(option_button, XmNlabelString, static_cast<XmString>(shown), nullptr);
    return true;
}

void build_condition_list() { rebuild(tran_condition_spec); }

void build_action_list() { rebuild(condition_action_spec); }

void build_window_menus(Widget shell) {
    for (const MenuSpec* table_row : all_menus)
        if (*table_row->form && XtParent(window_of(*table_row->form)) == shell) bring_up_to_date(*table_row);
}

void build_pending_menus() {
    for (const MenuSpec* table_row : all_menus) bring_up_to_date(*table_row);
}

void build_from_state() { rebuild(tran_from_state_spec); }
void build_to_state() { rebuild(tran_to_state_spec); }
void build_order_state() { rebuild(ot_states_spec); }

void build_state_list_buttons() {
    build_from_state();
    build_to_state();
    build_order_state();
}

void build_se_pollrate() { rebuild(se_pollrate_spec); }
void build_cs_pollrate() { rebuild(cs_pollrate_spec); }

void build_pollrate_buttons() {
    build_se_pollrate();
    build_cs_pollrate();
}

void build_se_severity() { rebuild(se_severity_spec); }
void build_cs_severity() { rebuild(cs_severity_spec); }

void build_severity_buttons() {
    build_se_severity();
    build_cs_severity();
}
