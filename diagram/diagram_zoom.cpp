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

picture::Box diagram_bounds() { return picture::scene_bounds(diagram_scene()); }

void show_box_fitted(const picture::Box& bounds, double zoom) {
    apply_zoom(zoom);
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
    picture::Box bounds = diagram_bounds();
    Size view = view_size();
    show_box_fitted(bounds, picture::fit_zoom(bounds, view.w, view.h, FIT_MARGIN));
}

void show_opened_diagram() {
    picture::Box bounds = diagram_bounds();
    Size view = view_size();
    if (picture::fits_actual_size(bounds, view.w, view.h, FIT_MARGIN))
        show_box_fitted(bounds, 1);
    else
        show_box_fitted(bounds, picture::fit_zoom(bounds, view.w, view.h, FIT_MARGIN));
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
