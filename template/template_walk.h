// Reading the open template's states, transitions and actions in their stored order, for
// every view built from it.
#ifndef TARNWRIGHT_TEMPLATE_TEMPLATE_WALK_H
#define TARNWRIGHT_TEMPLATE_TEMPLATE_WALK_H

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/qori.h"

// The transitions leaving `state`, in stored order.
std::vector<Qor_Transition> leaving(const Qor_State& state);

// Every transition of the template grouped by from-state, in stored order: one walk over
// the transitions instead of one per state.
class LeavingByState {
public:
    explicit LeavingByState(const Qor_State& any_state);
    // As leaving(state).
    std::vector<Qor_Transition> of(const Qor_State& state) const;

private:
    std::unordered_map<std::string, std::vector<Qor_Transition>> by_name;
};

std::vector<Qor_AInstance> actions_of(const Qor_Transition& transition);

// The open template's states in stored order; empty when it cannot be read.
std::vector<Qor_State> template_states();

inline const char* text_of(const char* s) { return s ? s : ""; }

#endif
