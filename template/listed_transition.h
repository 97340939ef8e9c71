// Which transition a line of a transition list stands for. The line's text cannot say it
// reliably (a 25-character to-state touches its condition, long lines are cut), so the line's
// position is taken among the state's transitions in stored order, and its text only
// confirms the list still shows them.
#ifndef TARNWRIGHT_TEMPLATE_LISTED_TRANSITION_H
#define TARNWRIGHT_TEMPLATE_LISTED_TRANSITION_H

#include <string>

#include "platform/qori.h"

// The transition at 1-based `position` of the list get_transitions(list, state) fills, if
// that line reads `line`; null otherwise.
Qor_Transition listed_transition(const std::string& state, int position, const std::string& line);

#endif
