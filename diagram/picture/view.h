// The diagram as a window shows it, without a toolkit: the zoom and the transform between
// the canvas (actual-size pixels, where states are stored) and the window's pixels, the
// zoom that fits a picture into a view, and finding states by the start of their names.
#ifndef TARNWRIGHT_DIAGRAM_PICTURE_VIEW_H
#define TARNWRIGHT_DIAGRAM_PICTURE_VIEW_H

#include <string>
#include <vector>

#include "diagram/picture/scene.h"

namespace picture {

constexpr double MIN_ZOOM = 0.1;
constexpr double MAX_ZOOM = 4.0;

// Canvas to window: window = canvas * scale + offset. Stored places and hit tests stay in
// canvas pixels; only painting and the pointer cross over.
struct Transform {
    double scale = 1;
    double dx = 0, dy = 0;

    Point to_window(Point p) const { return {p.x * scale + dx, p.y * scale + dy}; }
    Point to_canvas(Point p) const { return {(p.x - dx) / scale, (p.y - dy) / scale}; }
    Box window_box(const Box& b) const;
    Box canvas_box(const Box& b) const;
    // A length (a line's width, a font's size) as drawn; never less than one pixel.
    int length(double canvas_length) const;
};

double clamp_zoom(double zoom);
// The next step of the zoom ladder (10 % ... 400 %) above or below a zoom.
double zoom_in(double zoom);
double zoom_out(double zoom);

// The largest zoom at which the box, with a margin all round, fits a view of w by h pixels,
// within MIN_ZOOM and MAX_ZOOM.
double fit_zoom(const Box& bounds, int view_w, int view_h, int margin);
// Whether the box with that margin fits such a view at actual size (scrolled to it).
bool fits_actual_size(const Box& bounds, int view_w, int view_h, int margin);

// The view's new left (or top) edge, in window pixels at the new zoom, that keeps the canvas
// point under the pointer where it is: `pointer` is the pointer's offset in the view.
int anchored_origin(double canvas, double new_zoom, int pointer);
// The edge (window pixels) that centres a canvas point in a view of `view` pixels, kept
// within a content of `content` pixels.
int centred_origin(double canvas, double zoom, int view, int content);

// A state's name left out when drawn this wide (pixels) in a circle this wide.
bool name_fits(int text_width, int circle_width);
// Text smaller than this (pixels) is not drawn at all, nor a label box lower than this.
enum { SMALLEST_TEXT = 5, SMALLEST_LABEL = 4 };

// The names that start with the prefix, case and compatibility forms folded, in the given
// order; an exact match (folded) comes first.
std::vector<std::string> names_starting(const std::vector<std::string>& names, const std::string& prefix);

}  // namespace picture

#endif
