// The diagram without X: the model (placement, hit test, label position, ownership and
// selections) and the picture (arrowheads, the two lines of opposite transitions, loops,
// labels and their hit tests, slot overlap, arrangement, colour names).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "diagram/diagram_object.h"
#include "diagram/diagram_scene.h"
#include "diagram/picture/arrange.h"
#include "diagram/picture/colours.h"
#include "diagram/picture/render.h"
#include "diagram/picture/scene.h"
#include "diagram/picture/view.h"
#include "support/template_shapes.h"

using namespace picture;

namespace {

class DiagramModel : public ::testing::Test {
protected:
    void SetUp() override {
        destroy_list();
        reset_layout();
    }
    void TearDown() override { destroy_list(); }
};

// (Where the slots are: the GUI's diagram tests, which see them drawn.)
TEST_F(DiagramModel, HitTestIsStrictOnEveryEdge) {
    EXPECT_EQ((DiagramPoint{10, 10}), layout_slot(-3)) << "a negative count has its own slot";
    DiagramObject* s = create_state_object("A", "red");  // square (20, 20)-(70, 70)
    auto hit = [](int x, int y) {
        loc = {x, y};
        return find_object();
    };
    EXPECT_EQ(s, hit(21, 21));
    EXPECT_EQ(s, hit(69, 69)) << "corners outside the circle still hit";
    EXPECT_EQ(nullptr, hit(20, 40));
    EXPECT_EQ(nullptr, hit(70, 40));
    EXPECT_EQ(nullptr, hit(40, 20));
    EXPECT_EQ(nullptr, hit(40, 70));

    reset_layout();
    loc = {200, 200};
    create_state_object("B", "red");
    DiagramObject* t = create_transition_object("B", "A", "c1");
    t->x = 500;
    t->y = 500;  // a label box (500, 500)-(520, 512)
    EXPECT_EQ(t, hit(501, 501));
    EXPECT_EQ(t, hit(519, 511));
    EXPECT_EQ(nullptr, hit(520, 505));
    EXPECT_EQ(nullptr, hit(510, 512));
    EXPECT_EQ(nullptr, hit(500, 505));

    // Of overlapping objects the one painted on top: a later state, then states over labels.
    loc = {30, 30};
    DiagramObject* over = create_state_object("C", "red");
    t->x = 40;
    t->y = 40;
    EXPECT_EQ(over, hit(45, 45));
    EXPECT_EQ(s, hit(25, 25));
}

TEST_F(DiagramModel, TransitionsShareOneObjectPerPairNeedTheirFromStateAndCountAnyConditions) {
    create_state_object("A", "red");
    create_state_object("B", "blue");
    DiagramObject* ab = create_transition_object("A", "B", "c1");
    ASSERT_NE(nullptr, ab);
    EXPECT_EQ((DiagramPoint{45, 45}), (DiagramPoint{ab->x, ab->y})) << "starts at the from-state's centre";
    EXPECT_EQ(ab, find_transition("A", "B"));
    find_transition("A", "B")->set_condition("c2");
    EXPECT_EQ(2, ab->num_conditions);
    EXPECT_EQ((std::vector<std::string>{"c1", "c2"}), ab->conditions);
    EXPECT_EQ(nullptr, find_transition("B", "A"));
    EXPECT_EQ("black", ab->color);

    std::size_t before = object_list.size();
    EXPECT_EQ(nullptr, create_transition_object("Nowhere", "A", "c3"));
    EXPECT_EQ(before, object_list.size());
    EXPECT_NE(nullptr, create_transition_object("A", "Nowhere", "c3")) << "a missing to-state is kept";
    EXPECT_EQ(find_by_name("A")->type, StateObject) << "a state's name finds the state, not its transitions";

    // Conditions count past nineteen, and "None" empties them.
    for (int i = 3; i < 40; ++i) ab->set_condition(("c" + std::to_string(i)).c_str());
    EXPECT_EQ(39, ab->num_conditions);
    EXPECT_EQ("c39", ab->conditions.back());
    ab->set_condition("None");
    EXPECT_EQ(0, ab->num_conditions);
    EXPECT_TRUE(ab->conditions.empty());
}

TEST_F(DiagramModel, LookupsFollowRenamesAndRemovalsAndSelectionsNeverDangle) {
    DiagramObject* placeholder = create_state_object("NoName", "black");
    DiagramObject* second = create_state_object("NoName", "black");
    EXPECT_EQ(placeholder, find_by_name("NoName")) << "the first in list order";
    placeholder->set_name("Up");
    EXPECT_EQ(placeholder, find_by_name("Up"));
    EXPECT_EQ(second, find_by_name("NoName"));
    DiagramObject* t = create_transition_object("Up", "NoName", "c1");
    t->set_transition("Elsewhere");
    EXPECT_EQ(nullptr, find_transition("Up", "NoName"));
    EXPECT_EQ(t, find_transition("Up", "Elsewhere"));
    object_list.remove(placeholder);
    EXPECT_EQ(t, find_by_name("Up")) << "the state is gone: the first object of that name is its transition";
    EXPECT_EQ(nullptr, find_by_name(nullptr));

    // Selections never dangle.
    first_obj = t;
    second_obj = second;
    EXPECT_TRUE(object_list.remove(second));
    EXPECT_EQ(nullptr, second_obj);
    EXPECT_EQ(t, first_obj);
    EXPECT_FALSE(object_list.remove(second)) << "already gone";
    destroy_list();
    EXPECT_EQ(nullptr, first_obj);
    EXPECT_TRUE(object_list.empty());
}

Point centre(Corner c) { return {c.x + 25.0, c.y + 25.0}; }
double distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

bool boxes_meet(const Box& a, const Box& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

TEST(DiagramPicture, ArrowheadsEndOnTheToStatesEdgeInEveryDirection) {
    const Corner from = {400, 400};
    for (Corner to : std::vector<Corner>{{700, 400}, {400, 100}, {150, 610}, {460, 470}, {380, 600}}) {
        SCOPED_TRACE(std::to_string(to.x) + "," + std::to_string(to.y));
        Scene s = build_scene({{"A", "red", from}, {"B", "green", to}}, {{0, 1, 2}});
        ASSERT_EQ(1u, s.links.size());
        const LinkShape& l = s.links[0];
        EXPECT_NEAR(25.0, distance(l.arrow[0], centre(to)), 0.01) << "the tip touches the circle";
        EXPECT_NEAR(25.0, distance(l.start, centre(from)), 0.01) << "the line leaves from the edge";
        EXPECT_NEAR(12.0, distance(l.arrow[0], l.end), 0.01) << "and stops at the arrowhead's base";
        EXPECT_NEAR(distance(l.arrow[1], l.end), distance(l.arrow[2], l.end), 0.01);
        // A single direction keeps its label a quarter of the way from the from-state.
        Corner q = quarter_label(from, to);
        EXPECT_EQ(q.x, l.label.x);
        EXPECT_EQ(q.y, l.label.y);
        EXPECT_EQ("2", l.count);
    }
}

TEST(DiagramPicture, OppositeTransitionsAreTwoSeparateLinesWithTheirOwnLabels) {
    for (Corner b : std::vector<Corner>{{300, 100}, {100, 300}, {260, 230}}) {
        Corner a = {100, 100};
        Scene s = build_scene({{"A", "red", a}, {"B", "green", b}}, {{0, 1, 1}, {1, 0, 3}});
        ASSERT_EQ(2u, s.links.size());
        const LinkShape &ab = s.links[0], &ba = s.links[1];
        // Parallel, each PAIR_OFFSET off the centre line, on opposite sides.
        double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
        auto side = [&](Point p) { return ((p.x - a.x - 25) * dy - (p.y - a.y - 25) * dx) / len; };
        EXPECT_NEAR(-PAIR_OFFSET, side(ab.start), 0.01);
        EXPECT_NEAR(-PAIR_OFFSET, side(ab.end), 0.01);
        EXPECT_NEAR(PAIR_OFFSET, side(ba.start), 0.01);
        EXPECT_NEAR(PAIR_OFFSET, side(ba.end), 0.01);
        EXPECT_NEAR(25.0, distance(ab.arrow[0], centre(b)), 0.01);
        EXPECT_NEAR(25.0, distance(ba.arrow[0], centre(a)), 0.01);
        EXPECT_FALSE(boxes_meet(ab.label, ba.label));
    }

    // However crowded, no two labels meet, frames included: one moves along its line.
    std::vector<StateIn> states;
    std::vector<LinkIn> links;
    for (int i = 0; i < 40; ++i) states.push_back({"S" + std::to_string(i), "red", {(i * 37) % 300, (i * 53) % 280}});
    for (std::size_t i = 0; i < states.size(); ++i)
        for (std::size_t k : {i, (i + 1) % 40, (i + 7) % 40, (i * 3) % 40}) links.push_back({i, k, 1});
    Scene crowded = build_scene(states, links);
    for (std::size_t i = 0; i < crowded.links.size(); ++i)
        for (std::size_t k = i + 1; k < crowded.links.size(); ++k) {
            Box a = crowded.links[i].label;
            Box b = crowded.links[k].label;
            ASSERT_FALSE(boxes_meet({a.x - LINE_WIDTH, a.y - LINE_WIDTH, a.w + 2 * LINE_WIDTH, a.h + 2 * LINE_WIDTH}, b))
                << i << " " << k;
        }
}

TEST(DiagramPicture, ASelfLoopEndsInAnArrowheadOnTheStatesEdge) {
    Corner at = {200, 120};
    Scene s = build_scene({{"A", "red", at}}, {{0, 0, 1}});
    const LinkShape& l = s.links[0];
    ASSERT_TRUE(l.loop);
    Point loop_centre = {l.loop_box.x + 25.0, l.loop_box.y + 25.0};
    EXPECT_NEAR(25.0, distance(l.arrow[0], centre(at)), 0.01) << "on the state's circle";
    EXPECT_NEAR(25.0, distance(l.arrow[0], loop_centre), 0.01) << "where the loop meets it";
    EXPECT_LT(l.arrow[0].y, l.arrow[1].y) << "pointing into the state";
    EXPECT_EQ(at.x + 65, l.label.x);
    EXPECT_EQ(at.y + 65, l.label.y);
    Box b = scene_bounds(s);
    EXPECT_LE(b.x + b.w, at.x + 65 + 20 + 2);
    EXPECT_GE(b.x + b.w, at.x + 65 + 20);
}

TEST_F(DiagramModel, LabelsOfBothDirectionsAreHitWhereTheyAreDrawn) {
    create_state_object("A", "red");  // (20, 20)
    create_state_object("B", "red");  // (150, 150)
    DiagramObject* ab = create_transition_object("A", "B", "c1");
    DiagramObject* ba = create_transition_object("B", "A", "c2");
    DiagramObject* bb = create_transition_object("B", "B", "c3");
    Scene s = diagram_scene();
    ASSERT_EQ(3u, s.links.size());
    for (auto [object, link] : std::vector<std::pair<DiagramObject*, const LinkShape*>>{
             {ab, &s.links[0]}, {ba, &s.links[1]}, {bb, &s.links[2]}}) {
        EXPECT_EQ(link->label.x, object->x);
        EXPECT_EQ(link->label.y, object->y);
        loc = {link->label.x + LABEL_W / 2, link->label.y + LABEL_H / 2};
        EXPECT_EQ(object, find_object()) << object->name << "->" << object->transition;
    }
}

TEST(DiagramPicture, SlotPlacedStatesOverlapFromTheTenthOn) {
    auto own = [](std::size_t n) { return std::vector<std::optional<Corner>>(n); };
    EXPECT_FALSE(slots_overlap(loaded_corners(own(9)), own(9)));
    EXPECT_TRUE(slots_overlap(loaded_corners(own(10)), own(10)));
    std::vector<std::optional<Corner>> placed = own(10);
    placed[9] = Corner{900, 900};
    EXPECT_FALSE(slots_overlap(loaded_corners(placed), placed)) << "a state with its own place is left there";
    placed[9] = Corner{160, 160};
    EXPECT_TRUE(slots_overlap(loaded_corners(placed), placed)) << "a slot-placed state under it still counts";
    placed = own(2);
    placed[0] = Corner{20, 20};
    placed[1] = Corner{30, 30};
    EXPECT_FALSE(slots_overlap(loaded_corners(placed), placed)) << "states the user put together stay";

    // A new state takes the first free one of the ten places, then a free place by the others.
    std::vector<Corner> taken;
    EXPECT_EQ(loaded_corner(0), free_corner(taken));
    for (std::size_t i = 0; i < 9; ++i)
        if (i != 4) taken.push_back(loaded_corner(i));
    EXPECT_EQ(loaded_corner(4), free_corner(taken));
    taken.push_back(loaded_corner(4));
    for (int i = 0; i < 40; ++i) {
        Corner c = free_corner(taken);
        EXPECT_FALSE(crowded(c, taken));
        double nearest = 1e9;
        for (Corner t : taken) nearest = std::min(nearest, std::hypot(c.x - t.x, c.y - t.y));
        EXPECT_LE(nearest, 2 * std::hypot(double(BOX), double(BOX))) << "next to the others";
        taken.push_back(c);
    }
}

TEST(DiagramPicture, ArrangingLeavesNoOverlapOnTheCanvasGroundOnTopTheSameEachTime) {
    using shapes::Shape;
    // Random links among 30 states and 200 states in wide layers (dot's layers), then shapes
    // and sizes where dot's work would be too much (a 1,000-state one given to dot would not
    // end within the test's time).
    std::vector<LinkIn> random;
    unsigned seed = 7;
    auto next = [&seed]() { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (int i = 0; i < 60; ++i) random.push_back({next() % 30, next() % 30, 1});
    struct Case {
        Shape shape;
        int n;
        bool rows_only;
    } cases[] = {{Shape::Tree, 30, false},        {Shape::Chain, 200, false},     {Shape::BackEdges, 200, false},
                 {Shape::Chain, 1000, false},     {Shape::Tree, 1000, false},     {Shape::BackEdges, 1000, false},
                 {Shape::BackEdges, 30, true},    {Shape::Tree, 200, true},       {Shape::Chain, 30, false},
                 {Shape::Layers, 200, false},     {Shape::Layers, 200, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(shapes::shape_name(c.shape)) + " " + std::to_string(c.n) + (c.rows_only ? " in rows" : ""));
        std::vector<std::string> names;
        for (int i = 0; i < c.n; ++i) names.push_back(shapes::state_name(i));
        std::vector<LinkIn> links;
        for (auto [from, to] : shapes::shape_links(c.shape, c.n))
            links.push_back({static_cast<std::size_t>(from), static_cast<std::size_t>(to), 1});
        if (&c == &cases[0]) links = random;
        auto run = [&]() { return c.rows_only ? arrange_in_rows(names, links) : arrange(names, links); };
        std::vector<Corner> at = run();
        ASSERT_EQ(names.size(), at.size());
        for (std::size_t i = 0; i < at.size(); ++i) {
            ASSERT_TRUE(at[i].x >= 0 && at[i].y >= 0 && at[i].x + BOX <= CANVAS && at[i].y + BOX <= CANVAS) << names[i];
            for (std::size_t k = i + 1; k < at.size(); ++k)
                ASSERT_FALSE(squares_overlap(at[i], at[k])) << names[i] << " " << names[k];
            ASSERT_LE(at[0].y, at[i].y) << "Ground is on the top layer";
        }
        EXPECT_EQ(at, run());
    }
    EXPECT_TRUE(arrange({}, {}).empty());
}

// A PDF is one page of the paper given, turned to the picture's shape.
TEST(DiagramPicture, PdfPagesAreThePaperTurnedToThePicture) {
    DiagramFonts fonts("DejaVu Sans:pixelsize=11");
    struct Case {
        Corner far;  // the second state: the picture wide or tall
        const char* media_box;
    } cases[] = {{{1500, 20}, "/MediaBox [ 0 0 792 612 ]"}, {{20, 600}, "/MediaBox [ 0 0 612 792 ]"}};
    for (const Case& c : cases) {
        std::string pdf = render_pdf(build_scene({{"A", "red", {20, 20}}, {"B", "nosuchcolour", c.far}}, {{0, 1, 1}}),
                                     fonts, Paper{215.9, 279.4});
        EXPECT_EQ(0u, pdf.rfind("%PDF-", 0));
        EXPECT_NE(std::string::npos, pdf.find(c.media_box)) << c.media_box;
    }
}

TEST(DiagramPicture, ColourNamesAndPictureNames) {
    struct Case {
        const char* name;
        std::optional<Rgb> rgb;
    } cases[] = {
        {"green", Rgb{0, 255, 0}},           {"Orange", Rgb{255, 165, 0}},     {"dark slate gray", Rgb{47, 79, 79}},
        {"#f80", Rgb{0xf0, 0x80, 0x00}},     {"#ff8000", Rgb{255, 128, 0}},    {"#ffff80000000", Rgb{255, 128, 0}},
        {"rgb:ff/80/0", Rgb{255, 128, 0}},   {"nosuchcolour", std::nullopt},   {"#12", std::nullopt},
        {"rgb:1/2", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(c.rgb, colour_rgb(c.name)) << c.name;
    EXPECT_EQ(Format::Png, format_for("a/b.png"));
    EXPECT_EQ(Format::Svg, format_for("B.SVG"));
    EXPECT_EQ(Format::Pdf, format_for("c.Pdf"));
    EXPECT_FALSE(format_for("b.svg.txt"));
    EXPECT_FALSE(format_for("png"));
}

}  // namespace

// The zoom ladder within 10 % to 400 %, the fit, the pointer kept still, and finding names.
TEST(DiagramPicture, ZoomStepsFitsAndFindsNames) {
    using picture::Box;
    struct Step {
        double from, in, out;
    };
    for (const Step& s : {Step{1, 1.25, 0.75}, Step{0.1, 0.15, 0.1}, Step{4, 4, 3}, Step{0.6, 0.67, 0.5}}) {
        EXPECT_DOUBLE_EQ(s.in, picture::zoom_in(s.from)) << s.from;
        EXPECT_DOUBLE_EQ(s.out, picture::zoom_out(s.from)) << s.from;
    }
    EXPECT_DOUBLE_EQ(0.5, picture::fit_zoom(Box{100, 100, 980, 480}, 500, 500, 10));
    EXPECT_DOUBLE_EQ(0.1, picture::fit_zoom(Box{0, 0, 20000, 100}, 500, 500, 10)) << "held at 10 %";
    EXPECT_TRUE(picture::fits_actual_size(Box{1400, 900, 480, 300}, 500, 500, 10)) << "wherever it lies";
    EXPECT_FALSE(picture::fits_actual_size(Box{0, 0, 481, 300}, 500, 500, 10));

    // A canvas point 130 px into the view stays there: at 25 % it is drawn at 300 / 4 = 75.
    picture::Transform t{0.25};
    EXPECT_EQ(0, picture::anchored_origin(300, t.scale, 130)) << "the view cannot go left of the canvas";
    EXPECT_EQ(1070, picture::anchored_origin(300, 4, 130));
    Box drawn = t.window_box(Box{100, 200, 50, 50});
    EXPECT_EQ((std::vector<int>{25, 50, 13, 13}), (std::vector<int>{drawn.x, drawn.y, drawn.w, drawn.h}));

    const std::vector<std::string> names = {"Ground", "gr\u00fcn", "GRAU", "Gr", "\u00dcberlast", "Down"};
    EXPECT_EQ((std::vector<std::string>{"Gr", "Ground", "gr\u00fcn", "GRAU"}), picture::names_starting(names, "gR"))
        << "the exact name first, then the others in order";
    EXPECT_EQ((std::vector<std::string>{"gr\u00fcn"}), picture::names_starting(names, "GR\u00dc"));
    EXPECT_EQ((std::vector<std::string>{"\u00dcberlast"}), picture::names_starting(names, "\u00fc"));
    EXPECT_EQ(names, picture::names_starting(names, ""));
}
