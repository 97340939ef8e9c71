// Severities and poll rates of the server: added and deleted at once through the engine.
// The lists and menus follow through the change notification; a deletion also takes the
// item out of the state editors' menus at once, so that it cannot be chosen meanwhile.
#include <X11/IntrinsicP.h>
#include <X11/CoreP.h>
#include <Xm/RowColumn.h>

#include <string>
#include <vector>

#include "base/messages.h"
#include "edit/field_checks.h"
#include "edit/generic.h"
#include "edit/number_reader.h"
#include "edit/used_by.h"
#include "platform/qori.h"
#include "ui/xm_string.h"
#include "template/name_rules.h"
#include "template/template_model.h"
#include "ui/gui_utils.h"
#include "ui/message_dialogs.h"
#include "ui/option_menus.h"
#include "ui/widgets.h"

namespace {

void report(Widget where, MessageId number) { error_dialog(where, message_text(number)); }

// A new name read from its field as one word: a refusal is reported over the field's parent,
// an accepted name is written back in the form it is stored.
bool take_name(Widget field, MessageId refusal, std::string& name) {
    std::string text = field_text(field);
    if (!valid_name(text, XtParent(field))) {
        report(XtParent(field), refusal);
        return false;
    }
    name = new_name_word(text);
    set_field_text(field, name);
    return true;
}

std::optional<int> take_value(Widget field) {
    return read_number(field_text(field), QORI_VALUE_MIN, QORI_VALUE_MAX);
}

// Destroys the entries called `name` of an option menu's pulldown, comparing widget names as
// they are (a lookup by path would read '.' and '*' in a name as path syntax). When the menu
// showed that entry, it shows its first remaining one instead.
void remove_menu_entry(Widget menu, Widget pulldown, const std::string& name) {
    if (!menu || !pulldown) return;
    Widget current = nullptr;
    XtVaGetValues(menu, XmNmenuHistory, &current, nullptr);
    bool showing = current && name == XtName(current);
    // The state editors show a state's value by the label alone.
    showing = showing || option_value(menu) == name;

    WidgetList children = nullptr;
    Cardinal count = 0;
    XtVaGetValues(pulldown, XmNchildren, &children, XmNnumChildren, &count, nullptr);
    std::vector<Widget> doomed, remaining;
    for (Cardinal i = 0; i < count; ++i) {
        Widget child = children[i];
        if (child->core.being_destroyed) continue;
        if (name == XtName(child))
            doomed.push_back(child);
        else if (XtIsManaged(child))
            remaining.push_back(child);
    }
    if (doomed.empty()) return;
    for (Widget w : doomed) XtDestroyWidget(w);
    if (!showing) return;
    Widget shown = XmOptionButtonGadget(menu);
    if (remaining.empty()) {
        set_string(shown, message_text(msg::NONE_SHOWN));
        XtSetSensitive(menu, False);
        return;
    }
    XtVaSetValues(menu, XmNmenuHistory, remaining.front(), nullptr);
    set_string(shown, label_text(remaining.front()).c_str());
}

// A deletion the engine refused: in use by stored templates (named, and shown under the
// window's list), or for the given reason.
int refuse_delete(UsedKind kind, Widget name_field, const std::string& name, MessageId otherwise) {
    bool in_use = qori_error_kind == QORI_REFUSED_IN_USE;
    error.reset_error();
    if (!in_use) {
        report(XtParent(name_field), otherwise);
        return 0;
    }
    error_dialog(XtParent(name_field), in_use_text(kind, name).c_str());
    show_users(kind, name);
    return 0;
}

}  // namespace

int Generic::add_severity(Widget name_field, Widget value_field, Widget color_field) {
    std::string name, color;
    if (!take_name(name_field, msg::SEVERITY_NAME_EMPTY, name)) return 0;
    std::optional<int> value = take_value(value_field);
    if (!value) {
        report(XtParent(name_field), msg::SEVERITY_INVALID);
        return 0;
    }
    if (!take_name(color_field, msg::SEVERITY_COLOR_EMPTY, color)) return 0;
    Widget where = XtParent(color_field);
    if (qorSeverity_Find(name.c_str()).is_valid()) {
        report(where, msg::SEVERITY_EXISTS);
        return 0;
    }
    error.reset_error();
    if (!qori_severity_add(name.c_str(), *value, color.c_str())) {
        error.reset_error();
        report(where, msg::ADD_SEVERITY_ENGINE_ERROR);
        return 0;
    }
    return 1;
}

int Generic::add_pollrate(Widget name_field, Widget rate_field) {
    std::string name;
    if (!take_name(name_field, msg::POLL_RATE_NAME_EMPTY, name)) return 0;
    std::optional<int> rate = take_value(rate_field);
    if (!rate) {
        report(pollrate_win, msg::POLL_RATE_INVALID);
        return 0;
    }
    if (qorPollRate_Find(name.c_str()).is_valid()) {
        report(pollrate_win, msg::POLL_RATE_EXISTS);
        return 0;
    }
    error.reset_error();
    if (!qori_pollrate_add(name.c_str(), *rate)) {
        error.reset_error();
        report(pollrate_win, msg::ADD_POLL_RATE_ENGINE_ERROR);
        return 0;
    }
    return 1;
}

int Generic::delete_severity(Widget name_field) {
    // The word the confirmation named, even if blanks were typed around it.
    std::string name = name_word(field_text(name_field));
    if (!qori_severity_delete(name.c_str())) return refuse_delete(UsedKind::Severity, name_field, name, msg::SEVERITY_ENGINE_MISSING);
    remove_menu_entry(cs_severity, cs_severity_parent, name);
    remove_menu_entry(se_severity, se_severity_parent, name);
    return 1;
}

int Generic::delete_pollrate(Widget name_field) {
    std::string name = name_word(field_text(name_field));
    if (!qori_pollrate_delete(name.c_str())) return refuse_delete(UsedKind::PollRate, name_field, name, msg::DELETE_POLL_RATE_ENGINE_FAILED);
    remove_menu_entry(se_pollrate, se_pollrate_parent, name);
    remove_menu_entry(cs_pollrate, cs_pollrate_parent, name);
    return 1;
}
