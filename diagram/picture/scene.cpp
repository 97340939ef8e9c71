#include "diagram/picture/scene.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

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

// Two label boxes closer than their frames' width would touch.
bool labels_meet(const Box& a, const Box& b) {
    const int gap = LINE_WIDTH;
    return a.x < b.x + b.w + gap && b.x < a.x + a.w + gap && a.y < b.y + b.h + gap && b.y < a.y + a.h + gap;
}

// Labels placed so far, by cells of the canvas, so each new one is tried against its
// neighbours only.
class PlacedLabels {
public:
    bool free(const Box& b) const {
        for (int cy = cell(b.y) - 1; cy <= cell(b.y + b.h) + 1; ++cy)
            for (int cx = cell(b.x) - 1; cx <= cell(b.x + b.w) + 1; ++cx) {
                auto it = cells.find(key(cx, cy));
                if (it == cells.end()) continue;
                for (const Box& o : it->second)
                    if (labels_meet(b, o)) return false;
            }
        return true;
    }
    void add(const Box& b) { cells[key(cell(b.x), cell(b.y))].push_back(b); }

private:
    static constexpr int CELL = 64;  // wider than a label and its gap
    static int cell(int v) { return v >= 0 ? v / CELL : (v - CELL + 1) / CELL; }
    // Unsigned, so cells left of or above the origin shift without overflow.
    static unsigned long long key(int cx, int cy) {
        return (static_cast<unsigned long long>(static_cast<unsigned>(cx)) << 32) | static_cast<unsigned>(cy);
    }
    std::unordered_map<unsigned long long, std::vector<Box>> cells;
};

// Moves each label that would meet an earlier one along its line (a loop's label along the
// diagonal), to the nearest place where it meets none: no two labels overlap.
void keep_labels_apart(std::vector<LinkShape>& links, const std::vector<Point>& directions) {
    const int step = 4;
    PlacedLabels placed;
    for (std::size_t i = 0; i < links.size(); ++i) {
        Box& label = links[i].label;
        const Box base = label;
        for (int k = 1; !placed.free(label); ++k) {
            double along = (k % 2 ? 1 : -1) * step * ((k + 1) / 2);
            label.x = base.x + static_cast<int>(std::lround(directions[i].x * along));
            label.y = base.y + static_cast<int>(std::lround(directions[i].y * along));
        }
        placed.add(label);
    }
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
        scene.states.push_back({s.name, s.colour, {s.at.x, s.at.y, BOX, BOX}, s.at.y + RADIUS, s.chosen});
    // Both directions between two states: each line moves to its own side.
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    for (const LinkIn& l : links) pairs.emplace_back(l.from, l.to);
    std::sort(pairs.begin(), pairs.end());
    std::vector<Point> directions;
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
        Point a = centre_of(states[l.from].at), b = centre_of(states[l.to].at);
        double length = std::hypot(b.x - a.x, b.y - a.y);
        directions.push_back(length > 1e-9 ? Point{(b.x - a.x) / length, (b.y - a.y) / length}
                                           : Point{M_SQRT1_2, M_SQRT1_2});
    }
    keep_labels_apart(scene.links, directions);
    return scene;
}

Box scene_bounds(const Scene& scene) {
    Box b{0, 0, 0, 0};
    const double pad = LINE_WIDTH / 2.0 + 0.5;
    for (const StateShape& s : scene.states) {
        widen(b, s.box, pad);
        if (s.chosen != Chosen::No) widen(b, ring_box(s.box, s.chosen == Chosen::Both), pad);
    }
    for (const LinkShape& l : scene.links) {
        widen(b, l.label, pad);
        if (l.loop) widen(b, l.loop_box, pad);
        for (const Point& p : l.arrow) widen(b, p.x - pad, p.y - pad, p.x + pad, p.y + pad);
    }
    return b;
}

namespace {

// Whether the segment a-b, `pad` wide either side, crosses the box: the segment clipped to
// the box widened by the pad, one side after the other, keeps some length.
bool segment_meets(Point a, Point b, const Box& box, double pad) {
    double lo = 0, hi = 1;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double edges[4][2] = {{-dx, a.x - (box.x - pad)}, {dx, box.x + box.w + pad - a.x},
                                {-dy, a.y - (box.y - pad)}, {dy, box.y + box.h + pad - a.y}};
    for (const auto& e : edges) {
        if (e[0] == 0) {
            if (e[1] < 0) return false;  // parallel to this side and outside it
            continue;
        }
        double t = e[1] / e[0];
        if (e[0] < 0)
            lo = std::max(lo, t);
        else
            hi = std::min(hi, t);
        if (lo > hi) return false;
    }
    return true;
}

}  // namespace

Scene scene_within(const Scene& scene, const std::vector<Box>& areas, double em) {
    const double pad = LINE_WIDTH / 2.0 + 0.5;
    // Whether the rectangle from (l, t) to (r, b), widened by the pad, meets an area.
    auto meets = [&areas, pad](double l, double t, double r, double b) {
        for (const Box& a : areas)
            if (l - pad < a.x + a.w && a.x < r + pad && t - pad < a.y + a.h && a.y < b + pad) return true;
        return false;
    };
    auto box_meets = [&meets](const Box& b) { return meets(b.x, b.y, b.x + b.w, b.y + b.h); };
    Scene part;
    part.ring_colour = scene.ring_colour;
    const int rings = 2 * RING_GAP;  // the circle with any rings
    for (const StateShape& s : scene.states) {
        double half = std::max(s.name.size() * em, double(BOX)) / 2 + rings;  // a name may be wider
        double centre = s.box.x + RADIUS;
        if (meets(centre - half, s.box.y - rings, centre + half, s.box.y + s.box.h + rings)) part.states.push_back(s);
    }
    for (const LinkShape& l : scene.links) {
        const Point* a = l.arrow;
        bool in = box_meets(l.label) || (l.loop && box_meets(l.loop_box)) ||
                  meets(std::min({a[0].x, a[1].x, a[2].x}), std::min({a[0].y, a[1].y, a[2].y}),
                        std::max({a[0].x, a[1].x, a[2].x}), std::max({a[0].y, a[1].y, a[2].y}));
        // A line only where it runs, not over the whole box its ends span.
        if (!in && !l.loop && l.has_line)
            in = std::any_of(areas.begin(), areas.end(), [&](const Box& b) { return segment_meets(l.start, l.end, b, pad); });
        if (in) part.links.push_back(l);
    }
    return part;
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

bool crowded(Corner at, const std::vector<Corner>& taken) {
    // Half a circle between two squares leaves room for a line and its label.
    const int apart = BOX + RADIUS;
    return std::any_of(taken.begin(), taken.end(), [at, apart](Corner t) {
        return std::abs(at.x - t.x) < apart && std::abs(at.y - t.y) < apart;
    });
}

Corner free_corner(const std::vector<Corner>& taken) {
    for (std::size_t i = 0; i < 9; ++i)
        if (!crowded(loaded_corner(i), taken)) return loaded_corner(i);
    // Beyond the slots: the grid point nearest a state (the top-most, then left-most of equals).
    const int step = 2 * BOX;
    std::optional<Corner> best;
    long best_distance = 0;
    for (int y = FIRST_CORNER; y + BOX <= CANVAS; y += step)
        for (int x = FIRST_CORNER; x + BOX <= CANVAS; x += step) {
            Corner c = {x, y};
            if (crowded(c, taken)) continue;
            long nearest = -1;
            for (Corner t : taken) {
                long d = long(t.x - x) * (t.x - x) + long(t.y - y) * (t.y - y);
                if (nearest < 0 || d < nearest) nearest = d;
            }
            if (!best || nearest < best_distance) {
                best = c;
                best_distance = nearest;
            }
        }
    return best ? *best : loaded_corner(0);
}

bool slots_overlap(const std::vector<Corner>& at, const std::vector<std::optional<Corner>>& own) {
    for (std::size_t i = 0; i < at.size(); ++i) {
        if (i < own.size() && own[i]) continue;
        for (std::size_t k = 0; k < at.size(); ++k)
            if (k != i && squares_overlap(at[i], at[k])) return true;
    }
    return false;
}

Box ring_box(const Box& state, bool outer) {
    int d = outer ? 2 * RING_GAP : RING_GAP;
    return {state.x - d, state.y - d, state.w + 2 * d, state.h + 2 * d};
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
        if (canvas.knows(s.colour)) {
            canvas.ring(Part::StateRing, s.box, s.colour);
            canvas.disc(Part::State, s.box, s.colour);
        } else {
            // Not another severity's colour: grey, and an outline no known colour has.
            canvas.disc(Part::State, s.box, UNKNOWN_COLOUR_FILL);
            canvas.dashed_ring(Part::StateRing, s.box, "black");
        }
        canvas.text(Part::Name, s.box.x + RADIUS, s.name_baseline, s.name, "black");
    }
    // Over every state, so no neighbour hides a selection.
    const std::string ring = canvas.knows(scene.ring_colour) ? scene.ring_colour : SELECTION_FALLBACK;
    for (const StateShape& s : scene.states) {
        if (s.chosen == Chosen::First || s.chosen == Chosen::Both) canvas.ring(Part::FirstRing, ring_box(s.box, false), ring);
        if (s.chosen == Chosen::Second) canvas.dashed_ring(Part::SecondRing, ring_box(s.box, false), ring);
        if (s.chosen == Chosen::Both) canvas.dashed_ring(Part::SecondRing, ring_box(s.box, true), ring);
    }
}

}  // namespace picture
