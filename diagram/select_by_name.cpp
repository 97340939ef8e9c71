#include "diagram/select_by_name.h"

#include "diagram/diagram_object.h"
#include "diagram/draw_area.h"
#include "template/template_model.h"

namespace {

// A selected state is painted white; its own colour is its severity's.
void unselect(DiagramObject& o) {
    o.selected = 0;
    Qor_State s = qor_handle.find_state(o.name.c_str());
    if (!s.is_valid()) {
        error.reset_error();
        return;
    }
    Qor_Severity severity = qorSeverity_Create(s.severity());
    if (!severity.is_valid()) error.reset_error();
    o.color = severity.color();  // as a rebuild of the diagram would colour it
}

}  // namespace

bool select_state_named(const std::string& name) {
    DiagramObject* target = find_by_name(name.c_str());
    if (!target || target->type != StateObject) return false;
    for (DiagramObject** selection : {&first_obj, &second_obj}) {
        if (*selection && *selection != target) unselect(**selection);
        *selection = nullptr;
    }
    target->selected = 1;
    target->color = "white";
    first_obj = target;
    draw_diagram();
    return true;
}
