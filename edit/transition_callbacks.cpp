// The transition editor: the action kinds with the fields each uses, Add, Delete with its
// confirmation, and the list of the from-state's transitions.
#include <Xm/List.h>

#include <initializer_list>

#include "base/messages.h"
#include "ui/callbacks.h"
#include "edit/generic.h"
#include "template/listed_transition.h"
#include "edit/option.h"
#include "edit/transition_editing.h"
#include "ui/xm_string.h"
#include "template/template_model.h"
#include "ui/gui_utils.h"
#include "ui/message_dialogs.h"
#include "ui/text_view.h"
#include "ui/widgets.h"

namespace {

void set_sensitive(std::initializer_list<Widget> widgets, bool on) {
    for (Widget w : widgets)
        if (w) XtSetSensitive(w, on ? True : False);
}

// Command and mail use both operand fields, under their own labels; the condition name waits.
void use_operands(MessageId label1_number, MessageId label2_number) {
    set_sensitive({tran_edit_text1, tran_edit_label1, tran_edit_text2, tran_edit_label2}, true);
    set_string(tran_edit_label1, message_text(label1_number));
    set_string(tran_edit_label2, message_text(label2_number));
    set_sensitive({condition_action_option, condition_action_label}, false);
}

std::string from_state() { return Option().get_value(tran_from_state); }

}  // namespace

void transition_none_cb(Widget, XtPointer, XtPointer) {
    set_sensitive({tran_edit_label1, tran_edit_text1, tran_edit_label2, tran_edit_text2, condition_action_option,
                   condition_action_label},
                  false);
}

void transition_command_cb(Widget, XtPointer, XtPointer) { use_operands(msg::COMMAND_LABEL, msg::ARGUMENTS_LABEL); }

void transition_mail_cb(Widget, XtPointer, XtPointer) { use_operands(msg::ADDRESS_LABEL, msg::MESSAGE_LABEL); }

void transition_condition_cb(Widget, XtPointer, XtPointer) {
    set_sensitive({tran_edit_label1, tran_edit_text1, tran_edit_label2, tran_edit_text2}, false);
    set_sensitive({condition_action_option, condition_action_label}, true);
}

void tran_add_button_cb(Widget w, XtPointer, XtPointer) {
    BusyCursor busy(transition_edit_win);
    tell_refusal(XtParent(w) ? XtParent(w) : w,
                 generic.add_transition(tran_from_state, tran_to_state, tran_condition, tran_action, condition_action,
                                        tran_edit_text1, tran_edit_text2));
}

void tran_delete_button_cb(Widget, XtPointer, XtPointer) {
    bool transition_only = Option().get_value(tran_action) == message_text(msg::ACTION_NONE);
    std::string text = transition_only ? format_message(msg::DELETE_TRANSITION_QUESTION, {template_name()}) : message_text(msg::DELETE_ACTION_QUESTION);
    display_warning(transition_edit_win, text.c_str(), delete_transition_ok, cancel_warning);
}

void delete_transition_ok(Widget, XtPointer, XtPointer) {
    close_warning_dialog();
    BusyCursor busy(transition_edit_win);
    generic.delete_transition(tran_from_state, tran_to_state, tran_condition, tran_action, tran_edit_text1,
                              tran_edit_text2);
}

void tran_list_cb(Widget, XtPointer, XtPointer call_data) {
    auto* cbs = static_cast<XmListCallbackStruct*>(call_data);
    if (!cbs || !cbs->item) return;
    Qor_Transition t = listed_transition(from_state(), cbs->item_position, xm_string_text(cbs->item));
    if (!t.is_valid()) return;
    // Only the shown labels: the menus' own choices stay where they are.
    set_string(tran_to_state_option, t.to_state().name());
    set_string(tran_condition_option, t.name());
}

void from_list(Widget w, XtPointer, XtPointer) { get_transitions(transition_list, XtName(w)); }

void transition_popup_cb(Widget, XtPointer, XtPointer) {
    // The list must be of the state the from-state menu will show, not of a stale menu.
    build_window_menus(transition_edit_win);
    get_transitions(transition_list, from_state().c_str());
}

// The button's own link closes the window; nothing is left to tidy.
void te_close_button_cb(Widget, XtPointer, XtPointer) {}
