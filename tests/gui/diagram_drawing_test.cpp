// Painting the diagram: pixels of the drawing area, label positions, colours asked once,
// names drawn as characters.
#include "support/editor_fixture.h"

#include <X11/Xutil.h>
#include <Xm/DrawingA.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/globals.h"
#include "diagram/diagram_object.h"
#include "diagram/diagram_text.h"
#include "diagram/draw_area.h"
#include "template/template_model.h"
#include "template/text_view.h"
#include "ui/widgets.h"

namespace {

std::vector<std::string> warnings;

// Columns a drawn name covers: from its first to its last inked column.
struct Span {
    int left, right;
    int width() const { return right < left ? 0 : right - left + 1; }
    int twice_centre() const { return left + right + 1; }
};

// Code points that few fonts have; a test takes the first no installed font covers.
FcChar32 uncovered_character() {
    for (FcChar32 c : {0x10000u, 0x12000u, 0x13000u, 0x14400u}) {
        FcPattern* p = FcPatternCreate();
        FcCharSet* set = FcCharSetCreate();
        FcCharSetAddChar(set, c);
        FcPatternAddCharSet(p, FC_CHARSET, set);
        FcObjectSet* family = FcObjectSetBuild(FC_FAMILY, nullptr);
        FcFontSet* fonts = FcFontList(nullptr, p, family);
        bool none = !fonts || fonts->nfont == 0;
        if (fonts) FcFontSetDestroy(fonts);
        FcObjectSetDestroy(family);
        FcCharSetDestroy(set);
        FcPatternDestroy(p);
        if (none) return c;
    }
    return 0;
}

std::string utf8(FcChar32 c) {
    FcChar8 bytes[FC_UTF8_MAX_LEN];
    int n = FcUcs4ToUtf8(c, bytes);
    return std::string(reinterpret_cast<char*>(bytes), n);
}

void record_warning(String message) { warnings.push_back(message ? message : ""); }

class DiagramTest : public EditorTest {
protected:
    void open_diagram() {
        varo::TemplateDef def;
        def.name = "pair";
        def.descr = "two states";
        other->add_severity({"Odd", 9, "nosuchcolour"});
        def.states = {{"A", "a", "Critical", "Poll"}, {"B", "b", "Normal", "Poll"}, {"C", "c", "Odd", "Poll"}};
        def.transitions = {{"A", "B", "LinkDown", {}}, {"A", "B", "HighErrors", {}}, {"B", "B", "LinkDown", {}}};
        other->insert_template(def);
        warnings.clear();
        gui::open_display();
        XtAppSetWarningHandler(app_context, record_warning);
        start_editor("pair");
        XtPopup(state_diagram_win, XtGrabNone);
        gui::process_events();
    }

    unsigned long pixel_at(int x, int y) { return gui::pixel_at(sd_draw_area, x, y); }

    static int left_of(const DiagramObject* s) { return std::max(0, s->x - 40); }

    // Where each state's name is inked: the band around its baseline, drawn with the names and
    // again without them (transitions, whose lines cross the band, are taken off first).
    std::vector<Span> name_spans(const std::vector<DiagramObject*>& states) {
        auto bands = [&]() {
            draw_diagram();
            XSync(display, False);
            std::vector<XImage*> images;
            for (DiagramObject* s : states)
                images.push_back(XGetImage(display, XtWindow(sd_draw_area), left_of(s), s->y + 12, 130, 18, AllPlanes,
                                           ZPixmap));
            return images;
        };
        std::vector<XImage*> with = bands();
        std::vector<std::string> names;
        for (DiagramObject* s : states) {
            names.push_back(s->name);
            s->set_name("");
        }
        std::vector<XImage*> without = bands();
        std::vector<Span> spans;
        for (std::size_t i = 0; i < states.size(); ++i) {
            states[i]->set_name(names[i].c_str());
            Span span = {1 << 30, -1};
            for (int x = 0; x < 130; ++x)
                for (int y = 0; y < 18; ++y)
                    if (XGetPixel(with[i], x, y) != XGetPixel(without[i], x, y)) {
                        span.left = std::min(span.left, left_of(states[i]) + x);
                        span.right = std::max(span.right, left_of(states[i]) + x);
                    }
            spans.push_back(span);
            XDestroyImage(with[i]);
            XDestroyImage(without[i]);
        }
        draw_diagram();
        return spans;
    }

    unsigned long named(const char* colour) { return gui::named_pixel(sd_draw_area, colour); }
};

TEST_F(DiagramTest, StatesAndLabelsArePaintedWhereTheyBelong) {
    open_diagram();
    DiagramObject* ghost = create_transition_object("A", "Ghost", "LinkDown");
    draw_diagram();

    // A at (20, 20) in its severity's red; B at (150, 150) in green.
    EXPECT_EQ(named("red"), pixel_at(45, 28));
    EXPECT_EQ(named("red"), pixel_at(30, 45));
    EXPECT_EQ(named("green"), pixel_at(175, 158));
    EXPECT_NE(named("red"), pixel_at(21, 21)) << "the square's corner lies outside the circle";

    // One label for both conditions A to B, a quarter of the way from A: (77, 77).
    DiagramObject* ab = find_transition("A", "B");
    ASSERT_NE(nullptr, ab);
    EXPECT_EQ((DiagramPoint{77, 77}), (DiagramPoint{ab->x, ab->y}));
    EXPECT_EQ(2, ab->num_conditions);
    EXPECT_EQ(named("white"), pixel_at(79, 79));
    EXPECT_EQ(named("black"), pixel_at(76, 83)) << "the label's outline";

    // The loop of B's self-transition, with its label at B + 65.
    DiagramObject* bb = find_transition("B", "B");
    EXPECT_EQ((DiagramPoint{215, 215}), (DiagramPoint{bb->x, bb->y}));
    EXPECT_EQ(named("white"), pixel_at(217, 217));
    EXPECT_EQ(named("black"), pixel_at(175 + 50, 175 + 25)) << "the loop's far edge";

    // A transition whose to-state has no object is skipped, not moved to a label position.
    EXPECT_EQ((DiagramPoint{45, 45}), (DiagramPoint{ghost->x, ghost->y}));

    gui::snap(nullptr, "diagram.png");
}

TEST_F(DiagramTest, AnUnknownColourWarnsOnceAndKeepsThePreviousColour) {
    open_diagram();
    draw_diagram();
    draw_diagram();
    gui::process_events();
    std::vector<std::string> alloc;
    for (const auto& w : warnings)
        if (w.find("Can't alloc") != std::string::npos) alloc.push_back(w);
    ASSERT_EQ(1u, alloc.size()) << "each colour is asked of the server once";
    EXPECT_EQ("Can't alloc nosuchcolour", alloc[0]);
    EXPECT_EQ("nosuchcolour", find_by_name("C")->color) << "the name stays stored";
}

TEST_F(DiagramTest, NamesAreDrawnAsCharactersCentredByTheirWidth) {
    varo::TemplateDef def;
    def.name = "names";
    def.descr = "names in any language";
    def.states = {{"\u00dcberlast", "", "Critical", "Poll"}, {"St\u00f6rung", "", "Major", "Poll"},
                  {"\u6b63\u5e38", "", "Normal", "Poll"}};
    def.transitions = {{"\u6b63\u5e38", "St\u00f6rung", "LinkDown", {}},
                       {"St\u00f6rung", "\u00dcberlast", "HighErrors", {}},
                       {"\u00dcberlast", "\u6b63\u5e38", "LinkDown", {}}};
    other->insert_template(def);
    gui::open_display();
    start_editor("names");
    XtPopup(state_diagram_win, XtGrabNone);
    gui::process_events();
    draw_diagram();
    gui::snap(nullptr, "diagram_utf8_names.png");

    std::vector<DiagramObject*> states = {find_state("\u00dcberlast"), find_state("St\u00f6rung"),
                                          find_state("\u6b63\u5e38")};
    for (DiagramObject* s : states) ASSERT_NE(nullptr, s);
    for (std::size_t i = object_list.size(); i-- > 0;)
        if (object_list.at(i)->type == TransitionObject) object_list.remove(object_list.at(i));
    std::vector<Span> utf8_spans = name_spans(states);
    states[0]->set_name("Uberlast");
    states[1]->set_name("Storung");
    std::vector<Span> ascii_spans = name_spans({states[0], states[1]});
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        // As wide as the same letters without their marks: each character drawn once.
        EXPECT_NEAR(ascii_spans[i].width(), utf8_spans[i].width(), 1);
        EXPECT_GT(utf8_spans[i].width(), 30);
    }
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(2 * (states[i]->x + STATE_SIZE / 2), utf8_spans[i].twice_centre(), 3) << "centred on the circle";
    }
    // Two ideographs from a font that has them, not six bytes' worth of other glyphs.
    EXPECT_GT(utf8_spans[2].width(), 14);
    EXPECT_LT(utf8_spans[2].width(), 28);
}

TEST_F(DiagramTest, ACharacterNoFontHasShowsAReplacementNotItsBytes) {
    FcChar32 missing = uncovered_character();
    ASSERT_NE(0u, missing) << "every candidate script is installed";
    DiagramFonts fonts("DejaVu Sans:pixelsize=11");
    std::vector<TextRun> runs = fonts.runs("N" + utf8(missing) + "\u6b63");
    ASSERT_EQ(2u, runs.size());
    EXPECT_EQ((std::vector<FcChar32>{'N', 0xFFFD}), runs[0].chars);
    EXPECT_EQ((std::vector<FcChar32>{0x6b63}), runs[1].chars);
    EXPECT_GT(runs[1].font, runs[0].font) << "an ideograph comes from another installed font";

    gui::open_display();
    start_editor();
    XtPopup(state_diagram_win, XtGrabNone);
    gui::process_events();
    destroy_list();
    reset_layout();
    std::vector<DiagramObject*> states = {
        create_state_object(("N" + utf8(missing)).c_str(), "yellow"), create_state_object("N\uFFFD", "yellow"),
        create_state_object("N\xFF", "yellow"),  // not UTF-8
        create_state_object("N", "yellow")};
    std::vector<Span> spans = name_spans(states);
    EXPECT_GT(spans[1].width(), spans[3].width() + 4) << "the replacement is visible";
    EXPECT_EQ(spans[1].width(), spans[0].width());
    EXPECT_EQ(spans[1].width(), spans[2].width());
}

}  // namespace
