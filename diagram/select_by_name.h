// Selecting a state of the diagram by its name, for the windows that point at states
// (template check, simulation) rather than the mouse.
#ifndef TARNWRIGHT_DIAGRAM_SELECT_BY_NAME_H
#define TARNWRIGHT_DIAGRAM_SELECT_BY_NAME_H

#include <string>

// Makes the named state the diagram's only selection (first_obj) and paints it. Earlier
// selections go back to their severity colour. False, with nothing changed, when the
// diagram has no such state.
bool select_state_named(const std::string& name);

#endif
