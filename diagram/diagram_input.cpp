// The mouse in the drawing area: button 1 and 2 releases select states, a button 3 press
// on an object brings up the popup menu, and button 1 dragged from a state moves it.
#include "diagram/diagram_input.h"

#include <Xm/DrawingA.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "diagram/diagram_object.h"
#include "diagram/diagram_popup.h"
#include "diagram/diagram_selection.h"
#include "diagram/draw_area.h"
#include "diagram/picture/scene.h"
#include "ui/callbacks.h"
#include "template/template_places.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"

namespace {

// A button-1 press on a state, until its release.
struct Drag {
    DiagramObject* state = nullptr;  // the state pressed, checked against the list before use
    std::string name;
    DiagramPoint press{0, 0};
    DiagramPoint corner{0, 0};  // the state's corner at the press
    bool moving = false;
};
Drag drag;

DiagramObject* dragged() {
    bool alive = drag.state && object_list.contains(drag.state) && drag.state->name == drag.name;
    return alive ? drag.state : nullptr;
}

// The state ends where it was let go: the open template keeps that place. `from` is its
// corner at the press (the drag itself is over by now).
void finish_move(DiagramObject* state, DiagramPoint from) {
    if (!state || (state->x == from.x && state->y == from.y)) return;
    tell_refusal(state_diagram_win, edits::place_state(state->name, state->x, state->y));
}

}  // namespace

void drag_motion_handler(Widget, XtPointer, XEvent* event, Boolean*) {
    if (!event || event->type != MotionNotify || !(event->xmotion.state & Button1Mask)) return;
    DiagramObject* state = dragged();
    if (!state) return;
    // Only the latest position matters when the pointer runs ahead of the painting.
    XEvent later;
    while (XCheckTypedWindowEvent(event->xmotion.display, event->xmotion.window, MotionNotify, &later)) *event = later;
    int dx = event->xmotion.x - drag.press.x, dy = event->xmotion.y - drag.press.y;
    if (!drag.moving && std::abs(dx) <= DRAG_THRESHOLD && std::abs(dy) <= DRAG_THRESHOLD) return;
    drag.moving = true;
    const int last = picture::CANVAS - picture::BOX;
    int x = std::clamp(drag.corner.x + dx, 0, last), y = std::clamp(drag.corner.y + dy, 0, last);
    if (x == state->x && y == state->y) return;
    state->x = x;
    state->y = y;
    draw_diagram();
}

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
        if (event->xbutton.button == Button1) {
            drag = Drag();
            if (hit && hit->type == StateObject) drag = {hit, hit->name, loc, {hit->x, hit->y}, false};
        }
        return;
    }
    if (event->xbutton.button == Button1) {
        bool moved = drag.moving;
        DiagramObject* state = dragged();
        DiagramPoint from = drag.corner;
        drag = Drag();
        // A drag moves the state and leaves the selections as they were.
        if (moved) {
            finish_move(state, from);
            return;
        }
        choose_first(hit);
    } else if (event->xbutton.button == Button2) {
        choose_second(hit);
    }
}
