// The diagram's picture without a toolkit: where every circle, line, arrowhead, label and
// name goes, computed once from the states and their transitions, and painted through a
// Canvas by the X window, the PNG and the SVG alike, so all three show the same picture.
#ifndef TARNWRIGHT_DIAGRAM_PICTURE_SCENE_H
#define TARNWRIGHT_DIAGRAM_PICTURE_SCENE_H

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace picture {

enum {
    BOX = 50,            // a state's circle and its bounding square
    RADIUS = BOX / 2,
    LABEL_W = 20,        // a transition's label box
    LABEL_H = 12,
    LOOP_LABEL = 65,     // a self-transition's label, from the state's corner
    LINE_WIDTH = 3,
    ARROW_LENGTH = 12,   // from the arrowhead's tip to its base
    ARROW_HALF = 5,      // half the base's width
    PAIR_OFFSET = 7,     // A->B and B->A each drawn this far to the right of the centre line
    CANVAS = 3000,       // the drawing area, in pixels, both ways
    FIRST_CORNER = 20,   // where the first state of a loaded template goes
    RING_GAP = 6,        // from a state's circle to the ring of its selection, and between two rings
    DASH_ON = 6,         // a dashed outline: drawn, then left out, along the line
    DASH_OFF = 4
};

// A state's colour when the surface does not know its colour name, and the selections' ring
// colour when none is named or the name is unknown.
#define UNKNOWN_COLOUR_FILL "grey"
#define SELECTION_FALLBACK "blue"

// Which selections a state holds: the first is ringed solid, the second dashed.
enum class Chosen { No, First, Second, Both };

struct Point {
    double x, y;
};

struct Corner {
    int x, y;
    bool operator==(const Corner& o) const { return x == o.x && y == o.y; }
    bool operator!=(const Corner& o) const { return !(*this == o); }
};

struct Box {
    int x, y, w, h;
};

// What the picture is made of: states by the corner of their square, and one link per
// (from-state, to-state) pair carrying the number of its conditions.
struct StateIn {
    std::string name;
    std::string colour;  // X colour name
    Corner at;
    Chosen chosen = Chosen::No;
};
struct LinkIn {
    std::size_t from, to;  // indexes into the states
    int count;
};

struct StateShape {
    std::string name;
    std::string colour;
    Box box;
    int name_baseline;
    Chosen chosen;
};

struct LinkShape {
    std::size_t from, to;
    bool loop;          // a self-transition: a circle through the state's centre
    bool has_line;      // false when the circles touch and only the arrowhead shows
    Point start, end;   // the line, from the from-state's edge to the arrowhead's base
    Box loop_box;       // loop: the circle's square
    Point arrow[3];     // tip (on the to-state's edge), then the two base corners
    Box label;          // the numbered box
    std::string count;  // the number shown
};

struct Scene {
    std::vector<StateShape> states;
    std::vector<LinkShape> links;
    std::string ring_colour = SELECTION_FALLBACK;  // of the selections' rings
};

Scene build_scene(const std::vector<StateIn>& states, const std::vector<LinkIn>& links);
// Everything painted, line widths included.
Box scene_bounds(const Scene& scene);
// The part of a scene that paints within any of the areas: the states and links that reach
// into one, in the scene's order, so that painted clipped to the areas it is the whole. `em`
// is the names' font size in canvas pixels: no name is wider than an em a byte.
Scene scene_within(const Scene& scene, const std::vector<Box>& areas, double em);

// The corner of a transition's label: a quarter of the way from the from-state's centre to
// the to-state's, by corners a (from) and b (to), in integers as the diagram has always had it.
Corner quarter_label(Corner a, Corner b);

// Placement of new states: the eight slots around (275, 275), by the count of states placed.
Corner slot(int count);
// Where the i-th state of a loaded template lands when it has no position of its own:
// the first at (20, 20), the others on the slots in turn.
Corner loaded_corner(std::size_t index);
// Each state's own position where it has one, else loaded_corner.
std::vector<Corner> loaded_corners(const std::vector<std::optional<Corner>>& own);
// Whether a state placed by a slot overlaps another state's square (slots repeat from the
// tenth state on): such a template is arranged when it is opened.
bool slots_overlap(const std::vector<Corner>& at, const std::vector<std::optional<Corner>>& own);
bool squares_overlap(Corner a, Corner b);
// Where one more state goes: the first of the places above (loaded_corner 0 to 8) that no
// state in `taken` crowds, else the free place on a grid nearest to a state already there,
// so it lands next to the others and never on one of them.
Corner free_corner(const std::vector<Corner>& taken);
// Whether a state at `at` would crowd one of `taken` (squares closer than a gap apart).
bool crowded(Corner at, const std::vector<Corner>& taken);

// What paints a scene. Lines and outlines are LINE_WIDTH wide with round ends; each call
// says which part of the picture it draws, for surfaces that keep the structure (SVG).
enum class Part { Line, Arrow, Loop, LabelFrame, Label, Count, StateRing, State, Name, FirstRing, SecondRing };

class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void line(Part part, Point a, Point b, const std::string& colour) = 0;
    virtual void polygon(Part part, const Point* points, int n, const std::string& colour) = 0;
    virtual void ring(Part part, const Box& box, const std::string& colour) = 0;  // circle outline
    virtual void dashed_ring(Part part, const Box& box, const std::string& colour) = 0;
    virtual void disc(Part part, const Box& box, const std::string& colour) = 0;  // filled circle
    virtual void frame(Part part, const Box& box, const std::string& colour) = 0; // rectangle outline
    virtual void fill(Part part, const Box& box, const std::string& colour) = 0;  // filled rectangle
    virtual void text(Part part, int centre_x, int baseline, const std::string& utf8, const std::string& colour) = 0;
    // Whether the surface can show a colour of this name.
    virtual bool knows(const std::string& colour) = 0;
};

// The square of a selection's ring around a state's box: `outer` for the second of two rings.
Box ring_box(const Box& state, bool outer);

// Every link (line or loop, arrowhead, label), then every state over them (a state of an
// unknown colour grey inside a dashed outline), then the selections' rings over all.
void paint_scene(const Scene& scene, Canvas& canvas);

}  // namespace picture

#endif
