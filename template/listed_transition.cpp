#include "template/listed_transition.h"

#include "template/line_format.h"
#include "template/template_model.h"

Qor_Transition listed_transition(const std::string& state, int position, const std::string& line) {
    if (position < 1 || !qor_handle.is_valid()) return Qor_Transition();
    Qor_State from = qor_handle.find_state(state.c_str());
    Qor_TransitionQueue queue;
    if (!from.is_valid() || !from.get_transitionsq(queue, from, Qor_State())) {
        error.reset_error();
        return Qor_Transition();
    }
    int at = 0;
    for (Qor_Transition t = queue.deq(); t.is_valid(); t = queue.deq()) {
        if (t.from_state() != from || ++at != position) continue;
        if (lines::transition(t.to_state().name(), t.name()) == line) return t;
        break;
    }
    return Qor_Transition();
}
