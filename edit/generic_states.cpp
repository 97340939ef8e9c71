// The state editors' add, modify and delete: the fields read and checked, the template's
// edit run, its refusal told.
#include "base/messages.h"
#include "diagram/diagram_object.h"
#include "diagram/draw_area.h"
#include "edit/field_checks.h"
#include "edit/generic.h"
#include "edit/option.h"
#include "edit/state_editing.h"
#include "ui/xm_string.h"
#include "template/name_rules.h"
#include "template/template_edits.h"
#include "template/template_model.h"
#include "ui/gui_utils.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"

namespace {

Widget parent_of(Widget w) { return w && XtParent(w) ? XtParent(w) : w; }

std::string field_word(Widget field) { return name_word(field_text(field)); }

}  // namespace

int Generic::add_state(Widget name, Widget descr, Widget pollrate_menu, Widget severity_menu,
                       std::optional<picture::Corner> place) {
    std::string text = field_text(name);
    if (!valid_name(text, parent_of(name))) {
        error_dialog(parent_of(name), message_text(msg::STATE_NAME_MISSING));
        return 0;
    }
    std::string word = new_name_word(text);
    set_field_text(name, word);

    std::string raw = field_text(descr);
    if (!valid_description(raw.c_str())) return 0;
    std::string description = normalise_description(raw);
    set_field_text(descr, description);

    Option option;
    std::string pollrate = option.get_value(pollrate_menu);
    std::string severity = option.get_value(severity_menu);
    return tell_refusal(state_edit_win, edits::add_state(word, pollrate, severity, description, place)) ? 1 : 0;
}

void modify_state(Widget window, Widget name, Widget, Widget pollrate_menu, Widget severity_menu) {
    BusyCursor busy(window);
    std::string word = field_word(name);
    Option option;
    std::string pollrate = option.get_value(pollrate_menu);
    std::string severity = option.get_value(severity_menu);
    tell_refusal(window, edits::modify_state(word, pollrate, severity));
}

void delete_state(Widget window, Widget name, Widget descr) {
    BusyCursor busy(window);
    std::string word = field_word(name);
    if (word.empty()) return;
    if (!tell_refusal(window, edits::delete_state(word))) return;
    set_field_text(name, "");
    set_field_text(descr, "");
}

namespace {
// A real state named "NoName" is loaded before any placeholder and stays.
std::size_t real_noname() {
    std::size_t keep = qor_handle.find_state("NoName").is_valid() ? 1 : 0;
    error.reset_error();
    return keep;
}
}  // namespace

std::optional<picture::Corner> placeholder_place() {
    std::size_t skip = real_noname();
    std::optional<picture::Corner> place;
    for (std::size_t i = 0; i < object_list.size(); ++i) {
        const DiagramObject* o = object_list.at(i);
        if (o->type != StateObject || o->name != "NoName") continue;
        if (skip > 0)
            --skip;
        else
            place = picture::Corner{o->x, o->y};
    }
    return place;
}

std::size_t remove_placeholders(std::size_t limit) {
    std::size_t keep = real_noname();
    std::size_t removed = remove_state_objects("NoName", keep, limit);
    error.reset_error();
    draw_diagram();
    return removed;
}
