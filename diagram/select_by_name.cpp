#include "diagram/select_by_name.h"

#include "diagram/diagram_object.h"
#include "diagram/diagram_selection.h"

bool select_state_named(const std::string& name) {
    DiagramObject* target = find_by_name(name.c_str());
    if (!target || target->type != StateObject) return false;
    // As a button-1 click on it would, with any second selection let go too.
    clear_selections();
    first_obj = target;
    target->select_object();
    return true;
}
