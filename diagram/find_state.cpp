// Find State...: the template's states whose names start with what is typed (case folded)
// listed under the field as it changes; Find (or Return) scrolls the view to the first of
// them, or to the one picked in the list, and makes it the first selection.
#include <Xm/List.h>
#include <Xm/SelectioB.h>

#include <string>
#include <vector>

#include "base/messages.h"
#include "diagram/diagram_object.h"
#include "diagram/diagram_zoom.h"
#include "diagram/select_by_name.h"
#include "ui/callbacks.h"
#include "ui/gui_utils.h"
#include "ui/list_items.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"
#include "ui/xm_string.h"

namespace {

Widget find_child(unsigned char which) { return sd_find_dialog ? XmSelectionBoxGetChild(sd_find_dialog, which) : nullptr; }

std::vector<std::string> state_names() {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < object_list.size(); ++i)
        if (object_list.at(i)->type == StateObject) names.push_back(object_list.at(i)->name);
    return names;
}

std::vector<std::string> matches() {
    return picture::names_starting(state_names(), field_text(find_child(XmDIALOG_TEXT)));
}

}  // namespace

void sd_find_state_cb(Widget, XtPointer, XtPointer) {
    if (!sd_find_dialog) return;
    g2_win_show(sd_find_dialog);
    set_list_lines(find_child(XmDIALOG_LIST), matches());
}

void sd_find_changed_cb(Widget, XtPointer, XtPointer) { set_list_lines(find_child(XmDIALOG_LIST), matches()); }

void sd_find_ok_cb(Widget, XtPointer, XtPointer) {
    std::vector<std::string> found = matches();
    if (found.empty()) {
        std::string typed = field_text(find_child(XmDIALOG_TEXT));
        error_dialog(sd_find_dialog, format_message(msg::FIND_NO_STATE, {typed}).c_str());
        return;
    }
    XtUnmanageChild(sd_find_dialog);
    const DiagramObject* state = find_state(found.front().c_str());
    if (!state || !select_state_named(found.front())) return;
    bring_into_view({state->x, state->y, STATE_SIZE, STATE_SIZE});
}
