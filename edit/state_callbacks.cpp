// The state editor and the configure-states dialog: their buttons, the list choice and
// the two delete confirmations.
#include <Xm/List.h>

#include <limits>

#include "base/messages.h"
#include "ui/callbacks.h"
#include "edit/generic.h"
#include "edit/state_editing.h"
#include "ui/xm_string.h"
#include "template/name_rules.h"
#include "template/template_model.h"
#include "ui/gui_utils.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"

namespace {

void add_from(Widget window, Widget name, Widget descr, Widget pollrate, Widget severity,
              std::optional<picture::Corner> place = std::nullopt) {
    BusyCursor busy(window);
    Generic().add_state(name, descr, pollrate, severity, place);
}

std::string field_word(Widget field) { return name_word(field_text(field)); }

std::string delete_question(MessageId number, const std::string& state) {
    return format_message(number, {state, template_name()});
}

}  // namespace

void state_edit_add_cb(Widget, XtPointer, XtPointer) {
    add_from(state_edit_win, se_state_name, se_description_name, se_pollrate, se_severity);
}

void cs_apply_cb(Widget, XtPointer, XtPointer) {
    // The state the tool put in the diagram becomes this one, where it was put.
    add_from(configure_states, cs_name, cs_description, cs_pollrate, cs_severity, placeholder_place());
}

void state_edit_modify_cb(Widget, XtPointer, XtPointer) {
    modify_state(state_edit_win, se_state_name, se_description_name, se_pollrate, se_severity);
}

void cs_modify_cb(Widget, XtPointer, XtPointer) {
    modify_state(configure_states, cs_name, cs_description, cs_pollrate, cs_severity);
}

void state_edit_delete_cb(Widget, XtPointer, XtPointer) {
    display_warning(state_edit_win, delete_question(msg::DELETE_STATE_QUESTION, field_word(se_state_name)).c_str(), delete_state_edit_ok,
                    cancel_warning);
}

void cs_delete_cb(Widget, XtPointer, XtPointer) {
    std::string state = field_word(cs_name);
    if (state.empty()) {
        // Nothing was typed: the state placed in the diagram was never meant to be kept.
        remove_placeholders(1);
        return;
    }
    display_warning(configure_states, delete_question(msg::DELETE_CONFIGURED_STATE_QUESTION, state).c_str(), delete_configure_state_ok, cancel_warning);
}

void cs_close_cb(Widget, XtPointer, XtPointer) { remove_placeholders(std::numeric_limits<std::size_t>::max()); }

void delete_state_edit_ok(Widget, XtPointer, XtPointer) {
    close_warning_dialog();
    delete_state(state_edit_win, se_state_name, se_description_name);
}

void delete_configure_state_ok(Widget, XtPointer, XtPointer) {
    close_warning_dialog();
    delete_state(configure_states, cs_name, cs_description);
}

void state_edit_selection(Widget, XtPointer, XtPointer call_data) {
    auto* cbs = static_cast<XmListCallbackStruct*>(call_data);
    if (!cbs || !cbs->item) return;
    std::string name = name_word(xm_string_text(cbs->item));
    set_field_text(se_state_name, name);
    Qor_State state = qor_handle.find_state(name.c_str());
    if (!state.is_valid()) {
        error.reset_error();
        error_dialog(state_edit_win, message_text(msg::STATE_MISSING));
        return;
    }
    set_field_text(se_description_name, state.descr() ? state.descr() : "");
    // Only the shown labels: the menus' own choices stay where they are.
    set_string(se_pollrate_option, state.poll_rate());
    set_string(se_severity_option, state.severity());
}
