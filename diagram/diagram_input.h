// Moving a state with button 1: the press on a state, the motion that drags it (lines
// follow live), the release that puts its new place into the open template.
#ifndef TARNWRIGHT_DIAGRAM_DIAGRAM_INPUT_H
#define TARNWRIGHT_DIAGRAM_DIAGRAM_INPUT_H

#include <X11/Intrinsic.h>

// Pointer travel (pixels, either way) before a press becomes a drag; less is a click.
enum { DRAG_THRESHOLD = 3 };

// The button-1 motion handler of sd_draw_area (init_draw_area adds it).
void drag_motion_handler(Widget w, XtPointer client_data, XEvent* event, Boolean* go_on);

// The pointer-motion and leave handler of sd_draw_area: a state whose name the zoom left
// out is named in the status line while the pointer is on it.
void hover_handler(Widget w, XtPointer client_data, XEvent* event, Boolean* go_on);

#endif
