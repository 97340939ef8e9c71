#include "diagram/diagram_selection.h"

#include "diagram/diagram_object.h"
#include "diagram/draw_area.h"
#include "template/template_model.h"

namespace {

bool is_state(const DiagramObject* o) { return o && o->type == StateObject; }

// Empties one selection; the object goes back to its colour unless the other still holds it.
void release(DiagramObject*& slot) {
    DiagramObject* o = slot;
    slot = nullptr;
    if (o && o != first_obj && o != second_obj) o->deselect_object();
}

}  // namespace

void DiagramObject::select_object() {
    selected = 1;
    set_color("white");
    draw_object();
    set_color("black");
    draw_state_name(*this);
    set_color("white");
}

void DiagramObject::deselect_object() {
    // A placeholder the template does not know is black, as the diagram draws it.
    std::string own = "black";
    Qor_State state = qor_handle.find_state(name.c_str());
    if (state.is_valid() && state.severity()) own = qorSeverity_Create(state.severity()).color();
    set_color(own.c_str());
    draw_object();
    set_color("black");
    draw_state_name(*this);
    set_color(own.c_str());
    selected = 0;
}

void choose_first(DiagramObject* hit) {
    if (!is_state(hit)) {
        clear_selections();
        return;
    }
    // Also when the state is the second selection: the former first one is let go.
    if (first_obj != hit) release(first_obj);
    hit->select_object();
    first_obj = hit;
}

void choose_second(DiagramObject* hit) {
    if (!is_state(hit) || !first_obj) return;
    if (second_obj == hit) {
        release(second_obj);
        return;
    }
    release(second_obj);
    hit->select_object();
    second_obj = hit;
}

void clear_selections() {
    release(first_obj);
    release(second_obj);
}
