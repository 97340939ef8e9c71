#include "diagram/diagram_tools.h"

#include "base/messages.h"
#include "diagram/diagram_object.h"
#include "diagram/draw_area.h"
#include "ui/callbacks.h"
#include "ui/xm_string.h"
#include "template/template_model.h"
#include "ui/gui_utils.h"
#include "ui/message_dialogs.h"
#include "ui/text_view.h"
#include "ui/widgets.h"

void state_defaults() {
    set_field_text(cs_name, "");
    set_field_text(cs_description, "Default");
    set_string(cs_pollrate_option, message_text(msg::TOOL_POLL_DEFAULT));
    set_string(cs_severity_option, message_text(msg::TOOL_SEVERITY_DEFAULT));
}

void generic_state_cb(Widget, XtPointer, XtPointer) {
    // Lands where the user last clicked, or on the next layout slot.
    create_state_object("NoName", "black");
    draw_diagram();
    g2_win_show(cs_template);
    state_defaults();
}

void generic_transition_cb(Widget w, XtPointer, XtPointer) {
    if (!first_obj || !second_obj) {
        error_dialog(w ? XtParent(w) : sd_frame, message_text(msg::NO_STATES_SELECTED));
        return;
    }
    std::string from = first_obj->name, to = second_obj->name;
    // One label per pair of states: a second one with 0 would hide the count of the first.
    if (!find_transition(from.c_str(), to.c_str())) create_transition_object(from.c_str(), to.c_str(), "None");
    draw_diagram();
    g2_win_show(te_transition_edit_dialog);
    set_string(tran_from_state_option, from.c_str());
    set_string(tran_to_state_option, to.c_str());
    // The list shows the transitions of the from-state just shown, as Configure... does.
    get_transitions(transition_list, from.c_str());
}
