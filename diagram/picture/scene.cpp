#include "diagram/picture/scene.h"

#include <algorithm>
#include <cmath>

namespace picture {

namespace {

Point centre_of(Corner c) { return {c.x + RADIUS + 0.0, c.y + RADIUS + 0.0}; }

Point plus(Point p, Point d, double k) { return {p.x + d.x * k, p.y + d.y * k}; }

void add_arrow(LinkShape& link, Point tip, Point dir, Point normal) {
    Point base = plus(tip, dir, -ARROW_LENGTH);
    link.arrow[0] = tip;
    link.arrow[1] = plus(base, normal, ARROW_HALF);
    link.arrow[2] = plus(base, normal, -ARROW_HALF);
}

LinkShape loop_shape(const StateIn& s) {
    LinkShape link{};
    link.loop = true;
    link.loop_box = {s.at.x + RADIUS, s.at.y + RADIUS, BOX, BOX};
    // The loop meets the state's circle at the bottom of the circle, going up into it.
    Point tip = {s.at.x + RADIUS + 0.0, s.at.y + BOX + 0.0};
    add_arrow(link, tip, {0, -1}, {1, 0});
    link.label = {s.at.x + LOOP_LABEL, s.at.y + LOOP_LABEL, LABEL_W, LABEL_H};
    return link;
}

// A line between two circles, shifted sideways by `offset` (to the right of its direction).
LinkShape line_shape(const StateIn& from, const StateIn& to, double offset) {
    LinkShape link{};
    Point a = centre_of(from.at), b = centre_of(to.at);
    double dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
    Point dir = length > 1e-9 ? Point{dx / length, dy / length} : Point{1, 0};
    Point normal = {-dir.y, dir.x};
    // Where a line `offset` away from the centres crosses each circle.
    double along = std::sqrt(double(RADIUS) * RADIUS - offset * offset);
    Point start = plus(plus(a, dir, along), normal, offset);
    Point tip = plus(plus(b, dir, -along), normal, offset);
    add_arrow(link, tip, dir, normal);
    link.start = start;
    link.end = plus(tip, dir, -ARROW_LENGTH);
    link.has_line = length - 2 * along - ARROW_LENGTH > 0;
    Corner corner = quarter_label(from.at, to.at);
    int shift_x = static_cast<int>(std::lround(normal.x * offset));
    int shift_y = static_cast<int>(std::lround(normal.y * offset));
    link.label = {corner.x + shift_x, corner.y + shift_y, LABEL_W, LABEL_H};
    return link;
}

void widen(Box& b, double x0, double y0, double x1, double y1) {
    int l = static_cast<int>(std::floor(x0)), t = static_cast<int>(std::floor(y0));
    int r = static_cast<int>(std::ceil(x1)), btm = static_cast<int>(std::ceil(y1));
    if (b.w <= 0) {
        b = {l, t, r - l, btm - t};
        return;
    }
    int nl = std::min(b.x, l), nt = std::min(b.y, t);
    int nr = std::max(b.x + b.w, r), nb = std::max(b.y + b.h, btm);
    b = {nl, nt, nr - nl, nb - nt};
}

void widen(Box& b, const Box& o, double pad) { widen(b, o.x - pad, o.y - pad, o.x + o.w + pad, o.y + o.h + pad); }

}  // namespace

Corner quarter_label(Corner a, Corner b) {
    auto quarter = [](int p, int q) {
        int m = (p + q + BOX) / 2;
        return (p + m + RADIUS) / 2;
    };
    return {quarter(a.x, b.x), quarter(a.y, b.y)};
}

Scene build_scene(const std::vector<StateIn>& states, const std::vector<LinkIn>& links) {
    Scene scene;
    for (const StateIn& s : states)
        scene.states.push_back({s.name, s.colour, {s.at.x, s.at.y, BOX, BOX}, s.at.y + RADIUS});
    // Both directions between two states: each line moves to its own side.
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    for (const LinkIn& l : links) pairs.emplace_back(l.from, l.to);
    std::sort(pairs.begin(), pairs.end());
    for (const LinkIn& l : links) {
        if (l.from >= states.size() || l.to >= states.size()) continue;
        LinkShape shape;
        if (l.from == l.to) {
            shape = loop_shape(states[l.from]);
        } else {
            bool both = std::binary_search(pairs.begin(), pairs.end(), std::make_pair(l.to, l.from));
            shape = line_shape(states[l.from], states[l.to], both ? PAIR_OFFSET : 0);
        }
        shape.from = l.from;
        shape.to = l.to;
        shape.count = std::to_string(l.count);
        scene.links.push_back(shape);
    }
    return scene;
}

Box scene_bounds(const Scene& scene) {
    Box b{0, 0, 0, 0};
    const double pad = LINE_WIDTH / 2.0 + 0.5;
    for (const StateShape& s : scene.states) widen(b, s.box, pad);
    for (const LinkShape& l : scene.links) {
        widen(b, l.label, pad);
        if (l.loop) widen(b, l.loop_box, pad);
        for (const Point& p : l.arrow) widen(b, p.x - pad, p.y - pad, p.x + pad, p.y + pad);
    }
    return b;
}

Corner slot(int count) {
    // Four corners of a square, then the four points of a diamond around (275, 275).
    static const Corner slots[8] = {{150, 150}, {400, 150}, {400, 400}, {150, 400},
                                    {275, 100}, {450, 275}, {275, 450}, {75, 275}};
    int r = count % 8;
    if (r < 0) return {10, 10};
    return slots[r];
}

Corner loaded_corner(std::size_t index) {
    if (index == 0) return {FIRST_CORNER, FIRST_CORNER};
    return slot(static_cast<int>((index - 1) % 8));
}

std::vector<Corner> loaded_corners(const std::vector<std::optional<Corner>>& own) {
    std::vector<Corner> at;
    for (std::size_t i = 0; i < own.size(); ++i) at.push_back(own[i] ? *own[i] : loaded_corner(i));
    return at;
}

bool squares_overlap(Corner a, Corner b) { return std::abs(a.x - b.x) < BOX && std::abs(a.y - b.y) < BOX; }

bool slots_overlap(const std::vector<Corner>& at, const std::vector<std::optional<Corner>>& own) {
    for (std::size_t i = 0; i < at.size(); ++i) {
        if (i < own.size() && own[i]) continue;
        for (std::size_t k = 0; k < at.size(); ++k)
            if (k != i && squares_overlap(at[i], at[k])) return true;
    }
    return false;
}

void paint_scene(const Scene& scene, Canvas& canvas) {
    for (const LinkShape& l : scene.links) {
        if (l.loop)
            canvas.ring(Part::Loop, l.loop_box, "black");
        else if (l.has_line)
            canvas.line(Part::Line, l.start, l.end, "black");
        canvas.polygon(Part::Arrow, l.arrow, 3, "black");
        canvas.frame(Part::LabelFrame, l.label, "black");
        canvas.fill(Part::Label, l.label, "white");
        canvas.text(Part::Count, l.label.x + LABEL_W / 2, l.label.y + 10, l.count, "black");
    }
    for (const StateShape& s : scene.states) {
        canvas.ring(Part::StateRing, s.box, s.colour);
        canvas.disc(Part::State, s.box, s.colour);
        canvas.text(Part::Name, s.box.x + RADIUS, s.name_baseline, s.name, "black");
    }
}

}  // namespace picture
