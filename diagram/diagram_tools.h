// The diagram window's state and transition icons (generic_state_cb, generic_transition_cb
// in edit/callbacks.h) and the defaults they put into the configure-states dialog.
#ifndef TARNWRIGHT_DIAGRAM_DIAGRAM_TOOLS_H
#define TARNWRIGHT_DIAGRAM_DIAGRAM_TOOLS_H

// The configure-states dialog as for a new state: no name, "Default", "Poll", "Normal".
void state_defaults();

#endif
