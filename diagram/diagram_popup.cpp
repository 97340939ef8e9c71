#include "diagram/diagram_popup.h"

#include <Xm/RowColumn.h>

#include <string>

#include "base/messages.h"
#include "diagram/diagram_object.h"
#include "diagram/diagram_tools.h"
#include "ui/xm_string.h"
#include "template/template_model.h"
#include "ui/gui_utils.h"
#include "ui/message_dialogs.h"
#include "ui/text_view.h"
#include "ui/widgets.h"

Widget popup = nullptr;

namespace {

enum { CONFIGURE = 0, DESCRIPTION = 1 };

const char* text_of(const char* s) { return s ? s : ""; }

void configure_transition(const DiagramObject& t) {
    g2_win_show(te_transition_edit_dialog);
    set_string(tran_from_state_option, t.name.c_str());
    set_string(tran_to_state_option, t.transition.c_str());
    get_transitions(transition_list, t.name.c_str());
}

void configure_state(const DiagramObject& s) {
    g2_win_show(cs_template);
    if (is_placeholder(s)) {
        state_defaults();
        return;
    }
    Qor_State state = qor_handle.find_state(s.name.c_str());
    set_field_text(cs_name, s.name);
    set_field_text(cs_description, text_of(state.descr()));
    set_string(cs_pollrate_option, text_of(state.poll_rate()));
    set_string(cs_severity_option, text_of(state.severity()));
}

void describe_transition(const DiagramObject& t) {
    if (t.num_conditions == 0) {
        error_dialog(state_diagram_win, message_text(msg::NO_TRANSITIONS));
        return;
    }
    g2_win_show(tl_template);
    set_field_text(tl_from_state, t.name);
    set_field_text(tl_to_state, t.transition);
    transition_dump(t.name.c_str(), t.transition.c_str());
}

void describe_state(const DiagramObject& s) {
    if (is_placeholder(s)) {
        error_dialog(state_diagram_win, message_text(msg::STATE_NOT_CONFIGURED));
        return;
    }
    g2_win_show(si_form);
    Qor_State state = qor_handle.find_state(s.name.c_str());
    set_field_text(si_name, s.name);
    set_field_text(si_description, text_of(state.descr()));
    set_field_text(si_pollrate, text_of(state.poll_rate()));
    set_field_text(si_severity, text_of(state.severity()));
    state_dump(s.name.c_str());
}

}  // namespace

bool is_placeholder(const DiagramObject& object) {
    return object.type == StateObject && object.name == "NoName" && !qor_handle.find_state("NoName").is_valid();
}

void create_popup() {
    if (popup || !sd_draw_area) return;
    XmStr configure(message_text(msg::POPUP_CONFIGURE));
    XmStr description(message_text(msg::POPUP_DESCRIPTION));
    popup = XmVaCreateSimplePopupMenu(sd_draw_area, const_cast<char*>("popup"), popup_cb,
                                      XmVaPUSHBUTTON, static_cast<XmString>(configure), 0, nullptr, nullptr,
                                      XmVaPUSHBUTTON, static_cast<XmString>(description), 0, nullptr, nullptr,
                                      nullptr);
    // Destroyed with the drawing area: the next window built makes its own.
    XtAddCallback(popup, XmNdestroyCallback, [](Widget, XtPointer, XtPointer) { popup = nullptr; }, nullptr);
}

void show_popup(XButtonPressedEvent* press) {
    create_popup();
    if (!popup || !press) return;
    XmMenuPosition(popup, press);
    XtManageChild(popup);
}

void popup_cb(Widget, XtPointer client_data, XtPointer) {
    // loc still holds the press that brought the menu up.
    DiagramObject* hit = find_object();
    if (!hit) return;
    long item = reinterpret_cast<long>(client_data);
    bool transition = hit->type == TransitionObject;
    if (item == CONFIGURE)
        transition ? configure_transition(*hit) : configure_state(*hit);
    else if (item == DESCRIPTION)
        transition ? describe_transition(*hit) : describe_state(*hit);
}
