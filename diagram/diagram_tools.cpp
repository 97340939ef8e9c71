#include "diagram/diagram_tools.h"

#include <algorithm>
#include <vector>

#include "base/messages.h"
#include "diagram/diagram_object.h"
#include "diagram/picture/scene.h"
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
    // Lands where the user last clicked, or on the next layout slot; on a free place when
    // that one is taken (by the state clicked, or the slots coming round again).
    std::vector<picture::Corner> taken;
    for (std::size_t i = 0; i < object_list.size(); ++i)
        if (object_list.at(i)->type == StateObject) taken.push_back({object_list.at(i)->x, object_list.at(i)->y});
    const int last = picture::CANVAS - picture::BOX;
    picture::Corner at = {std::clamp(loc.x, 0, last), std::clamp(loc.y, 0, last)};
    if (picture::crowded(at, taken)) at = picture::free_corner(taken);
    DiagramObject* placeholder = create_state_object("NoName", "black");
    placeholder->x = at.x;
    placeholder->y = at.y;
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
