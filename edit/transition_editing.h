// The transition editor's delete confirmation and the order window's choice.
#ifndef TARNWRIGHT_EDIT_TRANSITION_EDITING_H
#define TARNWRIGHT_EDIT_TRANSITION_EDITING_H

#include <X11/Intrinsic.h>

#include <string>

#include "template/template_change.h"

// OK of the transition editor's delete confirmation.
void delete_transition_ok(Widget w, XtPointer client_data, XtPointer call_data);

// The order window's chosen line: its text and 1-based position (0: none).
extern std::string up_choice;
extern int position;
// Forgets the chosen line and makes Up and Down insensitive.
void forget_order_choice();

// The transition editor's and the order window's lists, refilled for the states their menus
// show, as a view of every change of the states or transitions.
void refresh_transition_lists();
void transition_lists_view(const TemplateChange& change);

#endif
