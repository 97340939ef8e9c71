// States of the open template: add, modify and delete.
#include <vector>

#include "base/messages.h"
#include "diagram/diagram_object.h"
#include "diagram/draw_area.h"
#include "edit/field_checks.h"
#include "edit/generic.h"
#include "edit/option.h"
#include "edit/state_editing.h"
#include "ui/xm_string.h"
#include "template/name_rules.h"
#include "template/template_model.h"
#include "ui/gui_utils.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"

namespace {

Widget parent_of(Widget w) { return w && XtParent(w) ? XtParent(w) : w; }

// A refusal of the engine: its error is cleared before the editor's own message shows.
void refused(Widget parent, MessageId number) {
    error.reset_error();
    error_dialog(parent, message_text(number));
}

std::string field_word(Widget field) { return name_word(field_text(field)); }

// Removes from the template every transition that enters `state`, as the diagram shows
// them, and the diagram objects that stood for them.
void remove_incoming(const std::string& state) {
    std::vector<DiagramObject*> incoming;
    for (std::size_t i = 0; i < object_list.size(); ++i) {
        DiagramObject* o = object_list.at(i);
        if (o->type == TransitionObject && o->transition == state) incoming.push_back(o);
    }
    for (DiagramObject* o : incoming) {
        for (const std::string& condition : o->conditions)
            if (!qori_transition_delete(qor_handle, o->name.c_str(), state.c_str(), condition.c_str(), nullptr,
                                        nullptr, nullptr))
                refused(configure_states, msg::NO_TRANSITIONS_SHORT);
        object_list.remove(o);
    }
}

}  // namespace

int Generic::add_state(Widget name, Widget descr, Widget pollrate_menu, Widget severity_menu) {
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
    if (!qori_state_add(qor_handle, word.c_str(), pollrate.c_str(), severity.c_str(), description.c_str())) {
        refused(state_edit_win, msg::ADD_STATE_FAILED);
        return 0;
    }
    template_edited(EDITED_STATES, msg::STATE_ADDED_STATUS);
    return 1;
}

int Generic::delete_state(Widget name) {
    std::string word = field_word(name);
    if (!qori_state_delete(qor_handle, word.c_str())) {
        error.reset_error();
        return 0;
    }
    // Its transitions, and those into it, go from an editor that may be open too.
    template_edited(EDITED_STATES | EDITED_TRANSITIONS, msg::STATE_DELETED_STATUS);
    return 1;
}

void modify_state(Widget window, Widget name, Widget, Widget pollrate_menu, Widget severity_menu) {
    BusyCursor busy(window);
    std::string word = field_word(name);
    Option option;
    std::string pollrate = option.get_value(pollrate_menu);
    std::string severity = option.get_value(severity_menu);

    Qor_State state = qor_handle.find_state(word.c_str());
    if (!state.is_valid()) {
        refused(window, msg::STATE_MISSING);
        return;
    }
    // Store only once both values were taken, so a refused one never leaves the other applied.
    DataUnit empty;
    if (!state.set_poll_rate(DataUnit(pollrate), empty) || !state.set_severity(DataUnit(severity), empty) ||
        !state.Store(empty)) {
        refused(window, msg::MODIFY_STATE_FAILED);
        return;
    }
    template_edited(EDITED_STATES, msg::STATE_MODIFIED_STATUS);
}

void delete_state(Widget window, Widget name, Widget descr) {
    BusyCursor busy(window);
    std::string word = field_word(name);
    if (word.empty()) return;
    // Checked first: a refused delete must not have lost the incoming transitions.
    if (!qor_handle.find_state(word.c_str()).is_valid()) {
        refused(window, msg::DELETE_STATE_FAILED);
        return;
    }
    remove_incoming(word);
    if (Generic().delete_state(name)) {
        set_field_text(name, "");
        set_field_text(descr, "");
    } else {
        error_dialog(window, message_text(msg::DELETE_STATE_FAILED));
    }
}

std::size_t remove_placeholders(std::size_t limit) {
    // A real state named "NoName" is loaded before any placeholder and stays.
    std::size_t keep = qor_handle.find_state("NoName").is_valid() ? 1 : 0;
    std::size_t removed = remove_state_objects("NoName", keep, limit);
    error.reset_error();
    draw_diagram();
    return removed;
}
