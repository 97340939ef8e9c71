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
#include "diagram/diagram_zoom.h"
#include "diagram/draw_area.h"
#include "diagram/picture/scene.h"
#include "ui/callbacks.h"
#include "template/template_places.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"
#include "ui/xm_string.h"
#include "ui/gui_utils.h"

namespace {

// A button-1 press on a state, until its release.
struct Drag {
    DiagramObject* state = nullptr;  // the state pressed, checked against the list before use
    std::string name;
    DiagramPoint press{0, 0};   // on the window: the threshold is the pointer's travel
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

// The name of a state whose name the zoom left out, shown in the status line while the
// pointer rests on it; the status text it covered comes back when the pointer leaves.
struct Hover {
    std::string name;
    std::string shown;    // what this put in the status line
    std::string covered;  // what was there before
};
Hover hover;

void hover_off() {
    if (hover.name.empty()) return;
    // Only when the line still says the name: a newer status stays.
    if (sd_message_label && label_text(sd_message_label) == hover.shown) set_string(sd_message_label, hover.covered.c_str());
    hover = Hover();
}

}  // namespace

void hover_handler(Widget, XtPointer, XEvent* event, Boolean*) {
    if (!event || !sd_message_label) return;
    if (event->type == LeaveNotify || event->type != MotionNotify || (event->xmotion.state & Button1Mask)) {
        if (event->type == LeaveNotify) hover_off();
        return;
    }
    DiagramPoint at = to_canvas(event->xmotion.x, event->xmotion.y);
    const DiagramObject* under = state_at(at.x, at.y);
    std::string name = under && name_left_out(under->name) ? under->name : std::string();
    if (name == hover.name) return;
    hover_off();
    if (name.empty()) return;
    hover.name = name;
    hover.covered = label_text(sd_message_label);
    hover.shown = format_message(msg::HIDDEN_NAME_STATUS, {name});
    set_string(sd_message_label, hover.shown.c_str());
}

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
    // The state moves by the pointer's travel in actual-size pixels.
    DiagramPoint now = to_canvas(event->xmotion.x, event->xmotion.y), then = to_canvas(drag.press.x, drag.press.y);
    dx = now.x - then.x;
    dy = now.y - then.y;
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
    if (event->type == KeyPress || event->type == KeyRelease) loc = to_canvas(event->xkey.x, event->xkey.y);
    if (event->type != ButtonPress && event->type != ButtonRelease) return;

    // Ctrl with the wheel zooms about the pointer.
    unsigned int wheel = event->xbutton.button;
    if (wheel == Button4 || wheel == Button5) {
        if (event->type == ButtonPress && (event->xbutton.state & ControlMask))
            zoom_about(wheel == Button4 ? picture::zoom_in(diagram_zoom()) : picture::zoom_out(diagram_zoom()),
                       event->xbutton.x, event->xbutton.y);
        return;
    }
    loc = to_canvas(event->xbutton.x, event->xbutton.y);
    DiagramObject* hit = find_object();
    if (event->type == ButtonPress) {
        if (event->xbutton.button == Button3 && hit) show_popup(&event->xbutton);
        if (event->xbutton.button == Button1) {
            drag = Drag();
            if (hit && hit->type == StateObject)
                drag = {hit, hit->name, {event->xbutton.x, event->xbutton.y}, {hit->x, hit->y}, false};
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
