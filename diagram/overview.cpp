// The overview: the whole diagram drawn small in its own dialog, the part the view shows
// framed; a click or a drag there centres the view on that point. It follows the view's
// scrolling, zooming and every repaint while it is up.
#include <Xm/DrawingA.h>
#include <Xm/ScrollBar.h>

#include <algorithm>

#include "diagram/diagram_scene.h"
#include "diagram/diagram_zoom.h"
#include "diagram/draw_area.h"
#include "ui/callbacks.h"
#include "ui/gui_utils.h"
#include "ui/widgets.h"

namespace {

enum { OVERVIEW_MARGIN = 20 };

// The scene fitted into the overview, with the scene itself (the one the view keeps).
struct Fitted {
    const picture::Scene* scene;
    picture::Transform transform;
};

Fitted fitted() {
    Fitted f;
    f.scene = &shown_scene();
    Dimension w = 0, h = 0;
    XtVaGetValues(sd_overview_area, XmNwidth, &w, XmNheight, &h, nullptr);
    picture::Box b = picture::scene_bounds(*f.scene);
    // Not above actual size: a small template stays small; not below the fit's own floor.
    double scale = std::min(1.0, std::min((w - 2.0 * OVERVIEW_MARGIN) / std::max(1, b.w),
                                          (h - 2.0 * OVERVIEW_MARGIN) / std::max(1, b.h)));
    scale = std::max(0.01, scale);
    f.transform.scale = scale;
    f.transform.dx = (w - b.w * scale) / 2 - b.x * scale;
    f.transform.dy = (h - b.h * scale) / 2 - b.y * scale;
    return f;
}

bool showing() { return sd_overview_area && XtIsRealized(sd_overview_area) && XtIsManaged(sd_overview_dialog); }

void repaint() {
    if (!showing()) return;
    Window window = XtWindow(sd_overview_area);
    Display* display = XtDisplay(sd_overview_area);
    XClearWindow(display, window);
    Fitted f = fitted();
    paint_scene_on(window, *f.scene, f.transform);
    // The view's frame in the area's own foreground (app-defaults).
    Pixel frame = 0;
    XtVaGetValues(sd_overview_area, XmNforeground, &frame, nullptr);
    picture::Box seen = f.transform.window_box(visible_canvas());
    XSetForeground(display, gc, frame);
    XSetLineAttributes(display, gc, 2, LineSolid, CapRound, JoinRound);
    XDrawRectangle(display, window, gc, seen.x, seen.y, seen.w, seen.h);
}

void follow(Widget, XtPointer, XtPointer) { repaint(); }

void move_view(int x, int y) {
    Fitted f = fitted();
    centre_view_on(f.transform.to_canvas({double(x), double(y)}));
    repaint();
}

void drag_handler(Widget, XtPointer, XEvent* event, Boolean*) {
    if (event && event->type == MotionNotify && (event->xmotion.state & Button1Mask))
        move_view(event->xmotion.x, event->xmotion.y);
}

}  // namespace

void sd_overview_cb(Widget, XtPointer, XtPointer) {
    if (!sd_overview_dialog) return;
    // Once per window built: the view's bars and the area's drags.
    static Widget following = nullptr;
    if (following != sd_overview_area) {
        for (Widget bar : {sd_horizontal, sd_vertical})
            for (const char* list : {XmNvalueChangedCallback, XmNdragCallback})
                if (bar) XtAddCallback(bar, list, follow, nullptr);
        XtAddEventHandler(sd_overview_area, Button1MotionMask, False, drag_handler, nullptr);
        XtAddCallback(sd_overview_area, XmNdestroyCallback, [](Widget, XtPointer, XtPointer) { following = nullptr; },
                      nullptr);
        set_view_moved_hook(repaint);
        following = sd_overview_area;
    }
    g2_win_show(sd_overview_dialog);
    repaint();
}

void sd_overview_expose_cb(Widget, XtPointer, XtPointer) { repaint(); }

void sd_overview_input_cb(Widget, XtPointer, XtPointer call_data) {
    auto* cbs = static_cast<XmDrawingAreaCallbackStruct*>(call_data);
    if (!cbs || cbs->reason != XmCR_INPUT || !cbs->event) return;
    const XEvent* e = cbs->event;
    if ((e->type == ButtonPress || e->type == ButtonRelease) && e->xbutton.button == Button1)
        move_view(e->xbutton.x, e->xbutton.y);
}
