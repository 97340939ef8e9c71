// The order window: a state's transitions, one of them chosen, moved up or down.
#include <Xm/List.h>

#include "ui/callbacks.h"
#include "template/listed_transition.h"
#include "edit/option.h"
#include "edit/transition_editing.h"
#include "ui/xm_string.h"
#include "template/template_edits.h"
#include "ui/gui_utils.h"
#include "ui/text_view.h"
#include "ui/widgets.h"

std::string up_choice;
int position = 0;

namespace {

void set_arrows(bool up, bool down) {
    if (ot_up_button) XtSetSensitive(ot_up_button, up ? True : False);
    if (ot_down_button) XtSetSensitive(ot_down_button, down ? True : False);
}

// Moves the chosen transition one place; on success the list is refilled with it chosen
// again at its new place.
void move_choice(bool up) {
    if (position < 1) return;
    std::string state = Option().get_value(ot_states);
    Qor_Transition t = listed_transition(state, position, up_choice);
    if (!t.is_valid()) {
        // The list no longer shows what was chosen.
        forget_order_choice();
        return;
    }
    int moved_to = position + (up ? -1 : 1);
    if (!edits::move_transition(t, up)) return;
    XmListSelectPos(ot_list, moved_to, True);
}

}  // namespace

void refresh_transition_lists() {
    get_transitions(transition_list, option_value(tran_from_state).c_str());
    get_transitions(ot_list, option_value(ot_states).c_str());
    forget_order_choice();  // the refilled list has no line chosen
}

void transition_lists_view(const TemplateChange& change) {
    bool edited = change.kind == Change::Edited && (change.parts & (EDITED_STATES | EDITED_TRANSITIONS));
    if (edited || change.kind == Change::Started || change.kind == Change::Opened ||
        change.kind == Change::Reloaded || change.kind == Change::Restored)
        refresh_transition_lists();
}

void show_list(Widget w, XtPointer, XtPointer) {
    get_transitions(ot_list, XtName(w));
    int count = 0;
    XtVaGetValues(ot_list, XmNitemCount, &count, nullptr);
    if (count > 0)
        XmListSelectPos(ot_list, 1, True);
    else
        forget_order_choice();  // nothing to choose: nothing left to move
}

void forget_order_choice() {
    up_choice.clear();
    position = 0;
    set_arrows(false, false);
}

void display_conditions_cb(Widget, XtPointer, XtPointer) {
    std::string from = Option().get_value(tran_from_state);
    set_string(ot_states_option, from.c_str());
    get_transitions(ot_list, from.c_str());
    forget_order_choice();
}

void ot_list_cb(Widget, XtPointer, XtPointer call_data) {
    auto* cbs = static_cast<XmListCallbackStruct*>(call_data);
    if (!cbs || !cbs->item) return;
    int count = 0;
    XtVaGetValues(ot_list, XmNitemCount, &count, nullptr);
    up_choice = xm_string_text(cbs->item);
    position = cbs->item_position;
    set_arrows(count >= 2 && position > 1, count >= 2 && position < count);
}

void ot_up_button_cb(Widget, XtPointer, XtPointer) { move_choice(true); }

void ot_down_button_cb(Widget, XtPointer, XtPointer) { move_choice(false); }
