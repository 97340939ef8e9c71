// The drawing area's popup menu: "Configure..." and "Description..." on the object under
// the pointer.
#ifndef TARNWRIGHT_DIAGRAM_DIAGRAM_POPUP_H
#define TARNWRIGHT_DIAGRAM_DIAGRAM_POPUP_H

#include <X11/Intrinsic.h>

class DiagramObject;

extern Widget popup;  // made once, on the first button-3 press, and reused

void create_popup();
// Client data is the item: 0 "Configure...", 1 "Description...".
void popup_cb(Widget w, XtPointer client_data, XtPointer call_data);
// Puts the menu up where the button was pressed.
void show_popup(XButtonPressedEvent* press);

// A "NoName" object the template has no state for: a state placed and not yet applied.
bool is_placeholder(const DiagramObject& object);

#endif
