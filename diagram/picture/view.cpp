#include "diagram/picture/view.h"

#include <algorithm>
#include <cmath>

#include "base/utf8.h"

namespace picture {

namespace {

// The steps Zoom In and Zoom Out take; a zoom between two steps goes to the next one.
const double LADDER[] = {0.1, 0.15, 0.25, 0.33, 0.5, 0.67, 0.75, 1, 1.25, 1.5, 2, 3, 4};
const double NEAR = 1e-6;

}  // namespace

Box Transform::window_box(const Box& b) const {
    Point a = to_window(Point{double(b.x), double(b.y)});
    Point z = to_window(Point{double(b.x + b.w), double(b.y + b.h)});
    int x = int(std::lround(a.x)), y = int(std::lround(a.y));
    return {x, y, std::max(1, int(std::lround(z.x)) - x), std::max(1, int(std::lround(z.y)) - y)};
}

Box Transform::canvas_box(const Box& b) const {
    Point a = to_canvas(Point{double(b.x), double(b.y)});
    Point z = to_canvas(Point{double(b.x + b.w), double(b.y + b.h)});
    int x = int(std::lround(a.x)), y = int(std::lround(a.y));
    return {x, y, int(std::lround(z.x)) - x, int(std::lround(z.y)) - y};
}

int Transform::length(double canvas_length) const { return std::max(1, int(std::lround(canvas_length * scale))); }

double clamp_zoom(double zoom) { return std::clamp(zoom, MIN_ZOOM, MAX_ZOOM); }

double zoom_in(double zoom) {
    for (double step : LADDER)
        if (step > zoom + NEAR) return step;
    return MAX_ZOOM;
}

double zoom_out(double zoom) {
    for (auto it = std::rbegin(LADDER); it != std::rend(LADDER); ++it)
        if (*it < zoom - NEAR) return *it;
    return MIN_ZOOM;
}

double fit_zoom(const Box& bounds, int view_w, int view_h, int margin) {
    double w = bounds.w + 2.0 * margin, h = bounds.h + 2.0 * margin;
    if (w <= 0 || h <= 0 || view_w <= 0 || view_h <= 0) return 1;
    return clamp_zoom(std::min(view_w / w, view_h / h));
}

bool fits_actual_size(const Box& bounds, int view_w, int view_h, int margin) {
    return bounds.w + 2 * margin <= view_w && bounds.h + 2 * margin <= view_h;
}

int anchored_origin(double canvas, double new_zoom, int pointer) {
    return std::max(0, int(std::lround(canvas * new_zoom)) - pointer);
}

int centred_origin(double canvas, double zoom, int view, int content) {
    int edge = int(std::lround(canvas * zoom)) - view / 2;
    return std::clamp(edge, 0, std::max(0, content - view));
}

bool name_fits(int text_width, int circle_width) { return text_width <= circle_width; }

std::vector<std::string> names_starting(const std::vector<std::string>& names, const std::string& prefix) {
    const std::string folded = fold_case(prefix);
    std::vector<std::string> exact, starting;
    for (const std::string& name : names) {
        std::string f = fold_case(name);
        if (f == folded)
            exact.push_back(name);
        else if (f.compare(0, folded.size(), folded) == 0)
            starting.push_back(name);
    }
    exact.insert(exact.end(), starting.begin(), starting.end());
    return exact;
}

}  // namespace picture
