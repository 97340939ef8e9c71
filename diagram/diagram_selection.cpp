#include "diagram/diagram_selection.h"

#include "diagram/diagram_object.h"
#include "diagram/draw_area.h"
#include "template/template_model.h"

namespace {

bool is_state(const DiagramObject* o) { return o && o->type == StateObject; }

// The flag and colour of a selection; the picture follows when the change is over.
void mark(DiagramObject* o) {
    o->selected = 1;
    o->set_color("white");
}

void unmark(DiagramObject* o) {
    // A placeholder the template does not know is black, as the diagram draws it.
    std::string own = "black";
    Qor_State state = qor_handle.find_state(o->name.c_str());
    if (state.is_valid() && state.severity()) own = qorSeverity_Create(state.severity()).color();
    error.reset_error();
    o->set_color(own.c_str());
    o->selected = 0;
}

// Empties one selection; the object goes back to its colour unless the other still holds it.
void release(DiagramObject*& slot) {
    DiagramObject* o = slot;
    slot = nullptr;
    if (o && o != first_obj && o != second_obj) unmark(o);
}

// Repaints, once the selections have changed, the states they held before and hold after.
class Repaint {
public:
    Repaint() : before{first_obj, second_obj} {}
    ~Repaint() { repaint_states({before[0], before[1], first_obj, second_obj}); }
    Repaint(const Repaint&) = delete;
    Repaint& operator=(const Repaint&) = delete;

private:
    const DiagramObject* before[2];
};

}  // namespace

void DiagramObject::select_object() {
    mark(this);
    repaint_states({this});
}

void DiagramObject::deselect_object() {
    unmark(this);
    repaint_states({this});
}

void choose_first(DiagramObject* hit) {
    if (!is_state(hit)) {
        clear_selections();
        return;
    }
    Repaint repaint;
    // Also when the state is the second selection: the former first one is let go.
    if (first_obj != hit) release(first_obj);
    mark(hit);
    first_obj = hit;
}

void choose_second(DiagramObject* hit) {
    if (!is_state(hit) || !first_obj) return;
    Repaint repaint;
    if (second_obj == hit) {
        release(second_obj);
    } else {
        release(second_obj);
        mark(hit);
        second_obj = hit;
    }
}

void clear_selections() {
    Repaint repaint;
    release(first_obj);
    release(second_obj);
}
