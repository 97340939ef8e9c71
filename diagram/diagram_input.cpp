// The mouse in the drawing area: button 1 and 2 releases select states, a button 3 press
// on an object brings up the popup menu.
#include <Xm/DrawingA.h>

#include "diagram/diagram_object.h"
#include "diagram/diagram_popup.h"
#include "diagram/diagram_selection.h"
#include "edit/callbacks.h"

void draw_area_input_cb(Widget, XtPointer, XtPointer call_data) {
    auto* cbs = static_cast<XmDrawingAreaCallbackStruct*>(call_data);
    if (!cbs || cbs->reason != XmCR_INPUT || !cbs->event) return;
    XEvent* event = cbs->event;
    if (event->type == KeyPress || event->type == KeyRelease) loc = {event->xkey.x, event->xkey.y};
    if (event->type != ButtonPress && event->type != ButtonRelease) return;

    loc = {event->xbutton.x, event->xbutton.y};
    DiagramObject* hit = find_object();
    if (event->type == ButtonPress) {
        if (event->xbutton.button == Button3 && hit) show_popup(&event->xbutton);
        return;
    }
    if (event->xbutton.button == Button1)
        choose_first(hit);
    else if (event->xbutton.button == Button2)
        choose_second(hit);
}
