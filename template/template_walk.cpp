#include "template/template_walk.h"

#include "template/template_model.h"

std::vector<Qor_Transition> leaving(const Qor_State& state) {
    std::vector<Qor_Transition> result;
    Qor_TransitionQueue queue;
    if (!state.is_valid() || !state.get_transitionsq(queue, state, Qor_State())) return result;
    for (Qor_Transition t = queue.deq(); t.is_valid(); t = queue.deq())
        if (t.from_state() == state) result.push_back(t);
    return result;
}

LeavingByState::LeavingByState(const Qor_State& any_state) {
    Qor_TransitionQueue queue;
    if (!any_state.is_valid() || !any_state.get_transitionsq(queue, Qor_State(), Qor_State())) return;
    for (Qor_Transition t = queue.deq(); t.is_valid(); t = queue.deq())
        by_name[text_of(t.from_state().name())].push_back(t);
}

std::vector<Qor_Transition> LeavingByState::of(const Qor_State& state) const {
    std::vector<Qor_Transition> result;
    auto it = by_name.find(text_of(state.name()));
    if (it != by_name.end())
        for (const Qor_Transition& t : it->second)
            if (t.from_state() == state) result.push_back(t);
    return result;
}

std::vector<Qor_AInstance> actions_of(const Qor_Transition& transition) {
    std::vector<Qor_AInstance> result;
    Qor_AInstanceQueue queue;
    if (!transition.get_aiq(queue)) return result;
    for (Qor_AInstance a = queue.deq(); a.is_valid(); a = queue.deq()) result.push_back(a);
    return result;
}

std::vector<Qor_State> template_states() {
    std::vector<Qor_State> out;
    Qor_StateQueue queue;
    if (!qor_handle.is_valid() || !qor_handle.get_statesq(queue)) {
        error.reset_error();
        return out;
    }
    for (Qor_State s = queue.deq(); s.is_valid(); s = queue.deq()) out.push_back(s);
    return out;
}
