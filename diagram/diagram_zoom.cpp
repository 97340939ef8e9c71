#include "diagram/diagram_zoom.h"

#include <Xm/ScrollBar.h>
#include <Xm/ScrolledW.h>

#include <algorithm>
#include <cmath>

#include "diagram/diagram_scene.h"
#include "diagram/draw_area.h"
#include "ui/callbacks.h"
#include "ui/widgets.h"

namespace {

// Room left round the diagram when it is fitted.
enum { FIT_MARGIN = 10 };

picture::Transform transform;
ViewMoved moved_hook = nullptr;
// The zoom came from Fit (or an opening too big for actual size): a new size of the view
// fits again. Any other zoom is the user's and stays.
bool fitted = false;

struct Size {
    int w, h;
};

// What the scrolled window shows of the drawing area, in window pixels.
Size view_size() {
    Widget clip = nullptr;
    if (sd_scrolled_window) XtVaGetValues(sd_scrolled_window, XmNclipWindow, &clip, nullptr);
    Dimension w = 0, h = 0;
    if (clip) XtVaGetValues(clip, XmNwidth, &w, XmNheight, &h, nullptr);
    // Before the window first shows, its asked size stands in.
    if (w <= 1 || h <= 1) return {575, 500};
    return {w, h};
}

int content_size() { return int(std::lround(picture::CANVAS * transform.scale)); }

// Where the view's top-left corner is on the drawing area's window.
picture::Point origin() {
    Position x = 0, y = 0;
    if (sd_draw_area) XtVaGetValues(sd_draw_area, XmNx, &x, XmNy, &y, nullptr);
    return {-double(x), -double(y)};
}

void set_bar(Widget bar, int value) {
    if (!bar) return;
    int min = 0, max = 0, slider = 0, increment = 0, page = 0, now = 0;
    XtVaGetValues(bar, XmNminimum, &min, XmNmaximum, &max, nullptr);
    XmScrollBarGetValues(bar, &now, &slider, &increment, &page);
    value = std::clamp(value, min, std::max(min, max - slider));
    // Told, so the scrolled window moves the drawing area with the bar.
    if (value != now) XmScrollBarSetValues(bar, value, slider, increment, page, True);
}

void scroll_to(int x, int y) {
    set_bar(sd_horizontal, x);
    set_bar(sd_vertical, y);
    view_moved();
}

// The drawing area sized for the zoom; the scrolled window sets its bars from it.
void apply_zoom(double zoom) {
    transform.scale = picture::clamp_zoom(zoom);
    if (!sd_draw_area) return;
    // Never smaller than the view: white to its edges however small the drawing.
    Size view = view_size();
    XtVaSetValues(sd_draw_area, XmNwidth, static_cast<Dimension>(std::max(content_size(), view.w)), XmNheight,
                  static_cast<Dimension>(std::max(content_size(), view.h)), nullptr);
}

// The scrolled window's size as last seen. Its own, not its view's: the view also changes
// as a fit shows or hides the scroll bars, which must not fit again.
Size last_seen = {0, 0};

Size window_size() {
    Dimension w = 0, h = 0;
    if (sd_scrolled_window) XtVaGetValues(sd_scrolled_window, XmNwidth, &w, XmNheight, &h, nullptr);
    return {w, h};
}

// The scrolled window's ConfigureNotify: the user gave the window a new size.
void window_resized(Widget, XtPointer, XEvent* event, Boolean*) {
    if (!event || event->type != ConfigureNotify) return;
    Size now = window_size();
    if (now.w == last_seen.w && now.h == last_seen.h) return;
    last_seen = now;
    if (fitted)
        fit_diagram();
    else
        apply_zoom(transform.scale);  // the drawing area still reaches the view's edges
}

picture::Box diagram_bounds() { return picture::scene_bounds(shown_scene()); }

// The zoom that fits the box in the view. When that zoom brings the scroll bars, they take
// part of the view: the box is fitted to what they leave.
void zoom_to_fit(const picture::Box& bounds) {
    Size view = view_size();
    apply_zoom(picture::fit_zoom(bounds, view.w, view.h, FIT_MARGIN));
    Size left = view_size();
    double again = picture::fit_zoom(bounds, left.w, left.h, FIT_MARGIN);
    if (again < transform.scale) apply_zoom(again);
}

// The box fitted (or at actual size), its middle in the view's middle.
void show_box(const picture::Box& bounds, bool fit) {
    if (fit)
        zoom_to_fit(bounds);
    else
        apply_zoom(1);
    Size view = view_size();
    int w = int(std::lround((bounds.w + 2 * FIT_MARGIN) * transform.scale));
    int h = int(std::lround((bounds.h + 2 * FIT_MARGIN) * transform.scale));
    // The box's middle in the view's middle (its top-left corner when it is bigger).
    int x = int(std::lround((bounds.x - FIT_MARGIN) * transform.scale)) - std::max(0, (view.w - w) / 2);
    int y = int(std::lround((bounds.y - FIT_MARGIN) * transform.scale)) - std::max(0, (view.h - h) / 2);
    scroll_to(x, y);
    repaint_over_exposures();
}

}  // namespace

const picture::Transform& view_transform() { return transform; }

double diagram_zoom() { return transform.scale; }

DiagramPoint to_canvas(int window_x, int window_y) {
    picture::Point p = transform.to_canvas({double(window_x), double(window_y)});
    // The white beyond a small drawing is not canvas: a click there counts at its edge.
    auto on_canvas = [](double v) { return std::int32_t(std::clamp(std::floor(v), 0.0, double(picture::CANVAS))); };
    return {on_canvas(p.x), on_canvas(p.y)};
}

void set_view_moved_hook(ViewMoved hook) { moved_hook = hook; }

void view_moved() {
    if (moved_hook) moved_hook();
}

void zoom_about(double zoom, int pointer_x, int pointer_y) {
    picture::Point at = transform.to_canvas({double(pointer_x), double(pointer_y)});
    picture::Point corner = origin();
    int in_view_x = pointer_x - int(corner.x), in_view_y = pointer_y - int(corner.y);
    fitted = false;
    apply_zoom(zoom);
    scroll_to(picture::anchored_origin(at.x, transform.scale, in_view_x),
              picture::anchored_origin(at.y, transform.scale, in_view_y));
    repaint_over_exposures();
}

void zoom_centred(double zoom) {
    Size view = view_size();
    picture::Point corner = origin();
    zoom_about(zoom, int(corner.x) + view.w / 2, int(corner.y) + view.h / 2);
}

void fit_diagram() {
    fitted = true;
    show_box(diagram_bounds(), true);
}

void show_opened_diagram() {
    picture::Box bounds = diagram_bounds();
    Size view = view_size();
    fitted = !picture::fits_actual_size(bounds, view.w, view.h, FIT_MARGIN);
    show_box(bounds, fitted);
}

void follow_view_size() {
    if (!sd_scrolled_window) return;
    last_seen = window_size();
    XtRemoveEventHandler(sd_scrolled_window, StructureNotifyMask, False, window_resized, nullptr);
    XtAddEventHandler(sd_scrolled_window, StructureNotifyMask, False, window_resized, nullptr);
}

picture::Box visible_canvas() {
    Size view = view_size();
    picture::Point corner = origin();
    return transform.canvas_box(picture::Box{int(corner.x), int(corner.y), view.w, view.h});
}

void centre_view_on(picture::Point canvas) {
    Size view = view_size();
    scroll_to(picture::centred_origin(canvas.x, transform.scale, view.w, content_size()),
              picture::centred_origin(canvas.y, transform.scale, view.h, content_size()));
}

void bring_into_view(const picture::Box& canvas) {
    picture::Box seen = visible_canvas();
    bool inside = canvas.x >= seen.x && canvas.y >= seen.y && canvas.x + canvas.w <= seen.x + seen.w &&
                  canvas.y + canvas.h <= seen.y + seen.h;
    if (!inside) centre_view_on({canvas.x + canvas.w / 2.0, canvas.y + canvas.h / 2.0});
}

void sd_zoom_in_cb(Widget, XtPointer, XtPointer) { zoom_centred(picture::zoom_in(diagram_zoom())); }

void sd_zoom_out_cb(Widget, XtPointer, XtPointer) { zoom_centred(picture::zoom_out(diagram_zoom())); }

void sd_fit_cb(Widget, XtPointer, XtPointer) { fit_diagram(); }

void sd_actual_size_cb(Widget, XtPointer, XtPointer) { zoom_centred(1); }
