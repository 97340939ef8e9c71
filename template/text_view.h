// The views rebuilt from the open template: the text view with the diagram's objects,
// the state list and the transition lists.
#ifndef TARNWRIGHT_TEMPLATE_TEXT_VIEW_H
#define TARNWRIGHT_TEMPLATE_TEXT_VIEW_H

#include <X11/Intrinsic.h>

#include "template/option_menus.h"

int load_template();  // 1 = rebuilt; 0 = a dialog said why, views unchanged
void build_state_list_window();
void get_transitions(Widget list, const char* state);
// The transition editor's and the order window's lists, refilled for the states their menus
// show: after a change that did not come through those windows.
void refresh_transition_lists();
void state_dump(const char* state);
void transition_dump(const char* from, const char* to);
// Scrolls the 1-based position into view if needed, then selects it with notification.
void make_item_visible(Widget list, int position);

#endif
