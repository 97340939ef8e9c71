// The diagram window: painting, read back as pixels; the mouse through the drawing area's own
// translations; moving, placing, arranging, zoom, find, the overview and exporting.
#include "support/editor_fixture.h"

#include <Xm/DrawingA.h>
#include <Xm/FileSB.h>
#include <Xm/SelectioB.h>
#include <Xm/TextF.h>
#include <Xm/ToggleB.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <set>

#include "base/globals.h"
#include "diagram/diagram_object.h"
#include "diagram/diagram_popup.h"
#include "diagram/diagram_view.h"
#include "diagram/diagram_zoom.h"
#include "diagram/draw_area.h"
#include "diagram/picture/scene.h"
#include "diagram/picture/text.h"
#include "support/process_runner.h"
#include "support/template_shapes.h"
#include "template/template_model.h"
#include "ui/gui_utils.h"
#include "ui/widgets.h"

namespace {

// Ground (20, 20) green, Down (150, 150) red, Degraded (400, 150) yellow, Recovering
// (400, 400) orange. Labels: Ground->Down (77, 77), Ground->Degraded (140, 77),
// Degraded->Down (362, 175), Down->Down (215, 215).
const varo::TemplateDef WATCH = {
    "watch", "Watches an interface",
    {{"Ground", "start", "Normal", "Poll"}, {"Down", "link is down", "Critical", "default_rate"},
     {"Degraded", "errors seen", "Minor", "Poll"}, {"Recovering", "coming back", "Major", "Poll"}},
    {{"Ground", "Down", "LinkDown", {}}, {"Ground", "Down", "HighErrors", {}}, {"Ground", "Degraded", "HighErrors", {}},
     {"Degraded", "Down", "LinkDown", {}}, {"Down", "Down", "HighErrors", {}}}};
// Ground, Down and Degraded where WATCH has them, and a way back from Down.
const varo::TemplateDef MOVING = {
    "watch", "Watches an interface",
    {{"Ground", "start", "Normal", "Poll"}, {"Down", "link down", "Critical", "Poll"},
     {"Degraded", "errors", "Minor", "Poll"}},
    {{"Ground", "Down", "LinkDown", {}}, {"Down", "Ground", "HighErrors", {}}, {"Ground", "Degraded", "HighErrors", {}},
     {"Down", "Down", "HighErrors", {}}}};

std::vector<std::string> warnings;
void record_warning(String message) { warnings.push_back(message ? message : ""); }

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

std::string name_of(const DiagramObject* o) { return o ? o->name : "-"; }

// What a dialog's fields and option menus show.
Texts shown(std::initializer_list<Widget> widgets) {
    Texts texts;
    for (Widget w : widgets) texts.push_back(XmIsTextField(w) ? gui::text(w) : gui::label(w));
    return texts;
}

// What the configure-states dialog shows.
Texts configured() { return shown({cs_name, cs_description, cs_pollrate_option, cs_severity_option}); }

class DiagramTest : public EditorTest {
protected:
    void open(const varo::TemplateDef& def) {
        store_template(def);
        warnings.clear();
        XtAppSetWarningHandler(app_context, record_warning);
        start_editor(def.name);
        XtPopup(state_diagram_win, XtGrabNone);
        gui::process_events();
    }

    // Points are given on the canvas and sent where the view draws them.
    static DiagramPoint drawn(DiagramPoint p) {
        picture::Point w = view_transform().to_window({double(p.x), double(p.y)});
        return {int(std::lround(w.x)), int(std::lround(w.y))};
    }
    void send(int type, unsigned int button, DiagramPoint p) {
        gui::pointer_event(sd_draw_area, type, button, drawn(p).x, drawn(p).y);
    }
    void click(unsigned int button, DiagramPoint p) {
        send(ButtonPress, button, p);
        send(ButtonRelease, button, p);
    }
    // Button 1 pressed at `from`, moved through `to`, released there.
    void drag(DiagramPoint from, DiagramPoint to) {
        send(ButtonPress, 1, from);
        send(MotionNotify, 1, {(from.x + to.x) / 2, (from.y + to.y) / 2});
        send(MotionNotify, 1, to);
        send(ButtonRelease, 1, to);
    }
    // Where to click: a state's centre, empty canvas, or the Ground->Down label.
    DiagramPoint at(const std::string& target) {
        if (target == "empty") return {600, 600};
        if (target == "label") return {87, 83};
        DiagramObject* s = find_by_name(target.c_str());
        EXPECT_NE(nullptr, s) << target;
        return s ? DiagramPoint{s->x + 25, s->y + 25} : DiagramPoint{600, 600};
    }
    DiagramPoint corner(const char* state) {
        DiagramObject* s = find_state(state);
        return s ? DiagramPoint{s->x, s->y} : DiagramPoint{-1, -1};
    }
    unsigned long pixel_at(DiagramPoint p) { return gui::pixel_at(sd_draw_area, drawn(p).x, drawn(p).y); }
    static bool in_view(const DiagramObject* s) {
        picture::Box v = visible_canvas();
        return s->x >= v.x && s->y >= v.y && s->x + 50 <= v.x + v.w && s->y + 50 <= v.y + v.h;
    }
    unsigned long named(const char* colour) { return gui::named_pixel(sd_draw_area, colour); }
    // Below the name, inside the circle.
    unsigned long state_pixel(const std::string& name) { return pixel_at({at(name).x, at(name).y + 15}); }
    // The pixel `radius` from a state's centre, at an angle.
    unsigned long on_circle(const std::string& name, int radius, int degrees) {
        double r = degrees * M_PI / 180;
        return pixel_at({at(name).x + static_cast<int>(std::lround(radius * std::cos(r))),
                         at(name).y + static_cast<int>(std::lround(radius * std::sin(r)))});
    }
    // Of 36 points round a state's selection ring, how many show the ring's colour.
    int ring_points(const std::string& name, bool outer) {
        int n = 0;
        for (int degrees = 0; degrees < 360; degrees += 10)
            n += on_circle(name, 25 + (outer ? 2 : 1) * picture::RING_GAP, degrees) == named("blue");
        return n;
    }

    // What the window shows is what painting the whole diagram anew shows (a click repaints
    // only the states whose selection changed).
    bool shows_whole_diagram() {
        auto image = [] {
            XSync(display, False);
            return XGetImage(display, XtWindow(sd_draw_area), 0, 0, 600, 560, AllPlanes, ZPixmap);
        };
        XImage* shown = image();
        draw_diagram();
        XImage* whole = image();
        bool same = std::equal(shown->data, shown->data + shown->bytes_per_line * shown->height, whole->data);
        XDestroyImage(shown);
        XDestroyImage(whole);
        return same;
    }

    // Button 3 brings the menu up on the press; an entry is then chosen by its label.
    void choose(DiagramPoint on, const std::string& item) {
        send(ButtonPress, 3, on);
        ASSERT_TRUE(popup && XtIsManaged(popup));
        Widget entry = popup_entry(item);
        ASSERT_NE(nullptr, entry) << item;
        gui::press(entry);
        XtUnmanageChild(popup);
        gui::process_events();
    }

    // The popup's entry with that label; null if none.
    static Widget popup_entry(const std::string& item) {
        for (Widget w : gui::children(popup))
            if (gui::label(w) == item) return w;
        return nullptr;
    }
    static std::vector<DiagramObject*> state_objects() {
        std::vector<DiagramObject*> states;
        for (std::size_t i = 0; i < object_list.size(); ++i)
            if (object_list.at(i)->type == StateObject) states.push_back(object_list.at(i));
        return states;
    }

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
        Texts names;
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

    // No two state squares overlap, and every one is on the canvas.
    void expect_apart() {
        std::vector<DiagramObject*> states = state_objects();
        for (std::size_t i = 0; i < states.size(); ++i) {
            EXPECT_TRUE(states[i]->x >= 0 && states[i]->y >= 0 && states[i]->x + 50 <= 3000 &&
                        states[i]->y + 50 <= 3000);
            for (std::size_t k = i + 1; k < states.size(); ++k)
                EXPECT_FALSE(picture::squares_overlap({states[i]->x, states[i]->y}, {states[k]->x, states[k]->y}))
                    << states[i]->name << " " << states[k]->name;
        }
    }
};

// Painting, and an unknown colour asked of the server once however often it is drawn.
TEST_F(DiagramTest, StatesAndLabelsArePaintedWhereTheyBelong) {
    other->add_severity({"Odd", 9, "nosuchcolour"});
    open({"pair", "two states",
          {{"A", "a", "Critical", "Poll"}, {"B", "b", "Normal", "Poll"}, {"C", "c", "Odd", "Poll"}},
          {{"A", "B", "LinkDown", {}}, {"A", "B", "HighErrors", {}}, {"B", "B", "LinkDown", {}}}});
    DiagramObject* ghost = create_transition_object("A", "Ghost", "LinkDown");
    draw_diagram();

    // A at (20, 20) in its severity's red; B at (150, 150) in green.
    EXPECT_EQ(named("red"), pixel_at({45, 28}));
    EXPECT_EQ(named("red"), pixel_at({30, 45}));
    EXPECT_EQ(named("green"), pixel_at({175, 158}));
    EXPECT_NE(named("red"), pixel_at({21, 21})) << "the square's corner lies outside the circle";

    // One label for both conditions A to B, a quarter of the way from A: (77, 77).
    DiagramObject* ab = find_transition("A", "B");
    ASSERT_NE(nullptr, ab);
    EXPECT_EQ((DiagramPoint{77, 77}), (DiagramPoint{ab->x, ab->y}));
    EXPECT_EQ(2, ab->num_conditions);
    EXPECT_EQ(named("white"), pixel_at({79, 79}));
    EXPECT_EQ(named("black"), pixel_at({76, 83})) << "the label's outline";

    // The loop of B's self-transition, with its label at B + 65.
    DiagramObject* bb = find_transition("B", "B");
    EXPECT_EQ((DiagramPoint{215, 215}), (DiagramPoint{bb->x, bb->y}));
    EXPECT_EQ(named("white"), pixel_at({217, 217}));
    EXPECT_EQ(named("black"), pixel_at({175 + 50, 175 + 25})) << "the loop's far edge";

    // A transition whose to-state has no object is skipped, not moved to a label position.
    EXPECT_EQ((DiagramPoint{45, 45}), (DiagramPoint{ghost->x, ghost->y}));
    gui::snap(nullptr, "diagram.png");

    // A colour the server does not know: grey inside a dashed outline, told once.
    EXPECT_EQ(named("grey"), state_pixel("C"));
    gui::process_events();
    EXPECT_EQ("Current Template: pair...colour unknown: nosuchcolour", status());
    draw_diagram();
    set_status("shown");
    gui::process_events();
    EXPECT_EQ("shown", status());
    Texts alloc;
    for (const auto& w : warnings)
        if (w.find("Can't alloc") != std::string::npos) alloc.push_back(w);
    EXPECT_EQ(Texts{"Can't alloc nosuchcolour"}, alloc) << "each colour is asked of the server once";
    EXPECT_EQ("nosuchcolour", find_by_name("C")->color) << "the name stays stored";
    int outline = 0;
    for (int degrees = 0; degrees < 360; degrees += 10) outline += on_circle("C", 25, degrees) == named("black");
    EXPECT_TRUE(outline > 6 && outline < 30) << outline << " of 36 points of the outline black: dashed";
}

// Names are drawn as characters, centred by their width; a character no font has shows as a
// replacement, not as its bytes.
TEST_F(DiagramTest, NamesAreDrawnAsCharactersCentredByTheirWidthAndAMissingOneAsAReplacement) {
    open({"names", "names in any language",
          {{"\u00dcberlast", "", "Critical", "Poll"}, {"St\u00f6rung", "", "Major", "Poll"},
           {"\u6b63\u5e38", "", "Normal", "Poll"}},
          {{"\u6b63\u5e38", "St\u00f6rung", "LinkDown", {}},
           {"St\u00f6rung", "\u00dcberlast", "HighErrors", {}},
           {"\u00dcberlast", "\u6b63\u5e38", "LinkDown", {}}}});
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
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(2 * (states[i]->x + STATE_SIZE / 2), utf8_spans[i].twice_centre(), 3) << "centred on the circle";
        if (i == 2) continue;
        // As wide as the same letters without their marks: each character drawn once.
        EXPECT_NEAR(ascii_spans[i].width(), utf8_spans[i].width(), 1);
        EXPECT_GT(utf8_spans[i].width(), 30);
    }
    // Two ideographs from a font that has them, not six bytes' worth of other glyphs.
    EXPECT_GT(utf8_spans[2].width(), 14);
    EXPECT_LT(utf8_spans[2].width(), 28);

    FcChar32 missing = uncovered_character();
    ASSERT_NE(0u, missing) << "every candidate script is installed";
    DiagramFonts fonts("DejaVu Sans:pixelsize=11");
    std::vector<TextRun> runs = fonts.runs("N" + utf8(missing) + "\u6b63");
    ASSERT_EQ(2u, runs.size());
    EXPECT_EQ((std::vector<FcChar32>{'N', 0xFFFD}), runs[0].chars);
    EXPECT_EQ((std::vector<FcChar32>{0x6b63}), runs[1].chars);
    EXPECT_GT(runs[1].font, runs[0].font) << "an ideograph comes from another installed font";
    destroy_list();
    reset_layout();
    states = {create_state_object(("N" + utf8(missing)).c_str(), "yellow"), create_state_object("N\uFFFD", "yellow"),
              create_state_object("N\xFF", "yellow"),  // not UTF-8
              create_state_object("N", "yellow")};
    std::vector<Span> spans = name_spans(states);
    EXPECT_GT(spans[1].width(), spans[3].width() + 4) << "the replacement is visible";
    EXPECT_EQ(spans[1].width(), spans[0].width());
    EXPECT_EQ(spans[1].width(), spans[2].width());
}

TEST_F(DiagramTest, ButtonsOneAndTwoFollowTheSelectionTable) {
    open(WATCH);
    const std::map<std::string, const char*> severity_colour = {
        {"Ground", "green"}, {"Down", "red"}, {"Degraded", "yellow"}, {"Recovering", "orange"}};
    struct Case {
        const char* what;
        std::vector<std::pair<unsigned int, const char*>> clicks;  // button, target
        const char* first;
        const char* second;
        std::set<std::string> white;
    };
    const Case cases[] = {
        {"button 1 selects a state", {{1, "Ground"}}, "Ground", "-", {"Ground"}},
        {"button 1 moves the first selection", {{1, "Ground"}, {1, "Down"}}, "Down", "-", {"Down"}},
        {"button 1 on the first keeps it", {{1, "Ground"}, {1, "Ground"}}, "Ground", "-", {"Ground"}},
        {"button 2 needs a first selection", {{2, "Ground"}}, "-", "-", {}},
        {"button 2 picks the second", {{1, "Ground"}, {2, "Down"}}, "Ground", "Down", {"Ground", "Down"}},
        {"button 2 again lets it go", {{1, "Ground"}, {2, "Down"}, {2, "Down"}}, "Ground", "-", {"Ground"}},
        {"button 2 moves the second", {{1, "Ground"}, {2, "Down"}, {2, "Degraded"}}, "Ground", "Degraded",
         {"Ground", "Degraded"}},
        {"button 2 on the first: one state holds both", {{1, "Ground"}, {2, "Ground"}}, "Ground", "Ground",
         {"Ground"}},
        {"button 2 off the states changes nothing", {{1, "Ground"}, {2, "empty"}}, "Ground", "-", {"Ground"}},
        {"button 1 on empty canvas clears both", {{1, "Ground"}, {2, "Down"}, {1, "empty"}}, "-", "-", {}},
        {"button 1 on a label clears both", {{1, "Ground"}, {2, "Down"}, {1, "label"}}, "-", "-", {}},
        // An object is painted unselected only when neither selection holds it.
        {"button 1 on the second lets the old first go", {{1, "Ground"}, {2, "Down"}, {1, "Down"}}, "Down", "Down",
         {"Down"}},
        {"the second survives button 1 elsewhere", {{1, "Ground"}, {2, "Ground"}, {1, "Down"}}, "Down", "Ground",
         {"Ground", "Down"}},
        {"the first survives losing the second", {{1, "Ground"}, {2, "Ground"}, {2, "Ground"}}, "Ground", "-",
         {"Ground"}},
        {"button 2 on the first, then button 1 elsewhere", {{1, "Ground"}, {2, "Down"}, {2, "Ground"}, {1, "Degraded"}},
         "Degraded", "Ground", {"Ground", "Degraded"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        first_obj = second_obj = nullptr;  // a reload keeps them
        build_diagram_objects();
        draw_diagram();
        for (const auto& [button, target] : c.clicks) click(button, at(target));
        EXPECT_EQ(c.first, name_of(first_obj));
        EXPECT_EQ(c.second, name_of(second_obj));
        EXPECT_TRUE(shows_whole_diagram());
        for (const auto& [state, colour] : severity_colour) {
            SCOPED_TRACE(state);
            bool white = c.white.count(state) > 0;
            EXPECT_EQ(white ? 1 : 0, find_by_name(state.c_str())->selected);
            EXPECT_EQ(named(white ? "white" : colour), state_pixel(state));
        }
    }

    // A selected state stays white when the window is covered and exposed again.
    XClearWindow(display, XtWindow(sd_draw_area));
    XmDrawingAreaCallbackStruct expose = {XmCR_EXPOSE, nullptr, XtWindow(sd_draw_area)};
    XtCallCallbacks(sd_draw_area, XmNexposeCallback, &expose);
    gui::snap(nullptr, "big.png");
    EXPECT_EQ(named("white"), state_pixel("Ground"));
    EXPECT_EQ(named("white"), state_pixel("Degraded"));
    EXPECT_EQ(named("red"), state_pixel("Down"));
    // Ringed on the white canvas: the first all round, the second dashed, none elsewhere.
    EXPECT_EQ(36, ring_points("Degraded", false));
    int second = ring_points("Ground", false);
    EXPECT_TRUE(second > 6 && second < 30) << second;
    EXPECT_EQ(0, ring_points("Down", false));
    EXPECT_EQ(0, ring_points("Degraded", true));
    click(2, at("Degraded"));
    EXPECT_EQ(36, ring_points("Degraded", false));
    EXPECT_GT(ring_points("Degraded", true), 6) << "one state both selections: a second ring outside";
}

TEST_F(DiagramTest, TransitionIconNeedsTwoSelections) {
    open(WATCH);
    std::size_t objects = object_list.size();
    gui::press(sd_transition);
    EXPECT_EQ(Texts{"States must be selected to create transitions."}, gui::answer_all());
    click(1, at("Recovering"));
    gui::press(sd_transition);
    EXPECT_EQ(1u, gui::answer_all().size()) << "one selection is not enough";
    EXPECT_EQ(objects, object_list.size());

    // Recovering to Ground: a label 0 a quarter of the way from Recovering, and the editor;
    // both selections on Degraded: a loop, its label at Degraded + 65.
    struct Case {
        const char *from, *to;
        DiagramPoint label;
        std::size_t listed;  // the from-state's transitions, in the editor's list
    };
    for (const Case& c : {Case{"Recovering", "Ground", {330, 330}, 0}, Case{"Degraded", "Degraded", {465, 215}, 1}}) {
        SCOPED_TRACE(c.to);
        click(1, at(c.from));
        click(2, at(c.to));
        gui::press(sd_transition);
        DiagramObject* made = find_transition(c.from, c.to);
        ASSERT_NE(nullptr, made);
        EXPECT_EQ(0, made->num_conditions);
        EXPECT_EQ(c.label, (DiagramPoint{made->x, made->y}));
        EXPECT_TRUE(gui::managed(te_transition_edit_dialog));
        EXPECT_EQ((Texts{c.from, c.to}), shown({tran_from_state_option, tran_to_state_option}));
        EXPECT_EQ(c.listed, gui::list_items(transition_list).size());
        XtUnmanageChild(te_transition_edit_dialog);  // off the canvas, to read its pixels
        gui::process_events();
        EXPECT_EQ(named("white"), pixel_at({made->x + 2, made->y + 2}));
        gui::press(sd_transition);
        EXPECT_EQ(++objects, object_list.size()) << "one label per pair of states";
    }
    XtUnmanageChild(te_transition_edit_dialog);
    gui::process_events();
    EXPECT_EQ(named("black"), pixel_at({425 + 50, 175 + 25})) << "the loop's far edge";
}

TEST_F(DiagramTest, PopupOffersConfigureAndDescriptionOnObjectsOnly) {
    open(WATCH);
    send(ButtonPress, 3, at("empty"));
    EXPECT_TRUE(!popup || !XtIsManaged(popup)) << "no menu over empty canvas";

    // On a state: its values in the configure-states dialog and in the information window.
    click(1, at("Ground"));
    click(2, at("Degraded"));
    send(ButtonPress, 3, at("Down"));
    ASSERT_NE(nullptr, popup);
    Texts items;
    for (Widget w : gui::children(popup)) items.push_back(gui::label(w));
    EXPECT_EQ((Texts{"Configure...", "Description..."}), items);
    gui::snap(nullptr, "diagram_selection_popup.png");
    XtUnmanageChild(popup);
    choose(at("Down"), "Configure...");
    EXPECT_TRUE(gui::managed(cs_template));
    const Texts down = {"Down", "link is down", "default_rate", "Critical"};
    EXPECT_EQ(down, configured());
    choose(at("Down"), "Description...");
    EXPECT_EQ(down, shown({si_name, si_description, si_pollrate, si_severity}));
    EXPECT_EQ(1u, gui::list_items(si_list).size()) << "its self-transition";

    // On a transition label: the editor with the pair, and the conditions of the pair.
    choose(at("label"), "Configure...");
    EXPECT_EQ((Texts{"Ground", "Down"}), shown({tran_from_state_option, tran_to_state_option}));
    EXPECT_EQ(3u, gui::list_items(transition_list).size()) << "every transition leaving Ground";
    choose(at("label"), "Description...");
    EXPECT_EQ((Texts{"Ground", "Down"}), shown({tl_from_state, tl_to_state}));
    EXPECT_EQ(2u, gui::list_items(tl_list).size());

    // A placeholder, placed where the user clicked: the defaults, and no description.
    send(ButtonRelease, 1, {600, 300});
    gui::press(sd_state);
    DiagramObject* placeholder = find_by_name("NoName");
    ASSERT_NE(nullptr, placeholder);
    EXPECT_EQ((DiagramPoint{600, 300}), (DiagramPoint{placeholder->x, placeholder->y}));
    gui::type_text(cs_name, "Typed");
    gui::type_text(cs_description, "typed");
    choose({625, 325}, "Configure...");
    EXPECT_EQ((Texts{"", "Default", "Poll", "Normal"}), configured());
    choose({625, 325}, "Description...");
    EXPECT_EQ(Texts{"State not Configured"}, gui::answer_all());

    // A transition without conditions has no description.
    click(1, at("Recovering"));
    click(2, at("Ground"));
    gui::press(sd_transition);
    DiagramObject* fresh = find_transition("Recovering", "Ground");
    choose({fresh->x + 5, fresh->y + 5}, "Description...");
    EXPECT_EQ(Texts{"No Transitions"}, gui::answer_all());

    // A real state named NoName is not a placeholder.
    ASSERT_TRUE(qori_state_add(qor_handle, "NoName", "Poll", "Major", "named so"));
    build_diagram_objects();
    draw_diagram();
    choose(at("NoName"), "Configure...");
    EXPECT_EQ((Texts{"NoName", "named so", "Poll", "Major"}), configured());

    // The object under the menu is gone by the time an item is chosen: nothing happens.
    XtUnmanageChild(cs_template);
    send(ButtonPress, 3, at("Down"));
    destroy_list();
    gui::press(popup_entry("Configure..."));
    EXPECT_FALSE(gui::managed(cs_template));
}

TEST_F(DiagramTest, ADragMovesAStateAndItsLinesAClickStillSelectsAndThePlaceIsStored) {
    open(MOVING);
    DiagramObject* to_degraded = find_transition("Ground", "Degraded");
    DiagramPoint label_before = {to_degraded->x, to_degraded->y};
    DiagramPoint old_centre = at("Degraded");

    drag(old_centre, {old_centre.x + 40, old_centre.y + 220});
    EXPECT_EQ((DiagramPoint{440, 370}), corner("Degraded"));
    EXPECT_EQ(named("yellow"), pixel_at({465, 380})) << "painted where it went";
    EXPECT_EQ(named("white"), pixel_at({old_centre.x, old_centre.y - 10})) << "and gone from where it was";
    DiagramObject* moved_label = find_transition("Ground", "Degraded");
    EXPECT_FALSE(label_before == (DiagramPoint{moved_label->x, moved_label->y})) << "its line followed";
    EXPECT_EQ((DiagramPoint{moved_label->x, moved_label->y}), (DiagramPoint{(20 + (20 + 440 + 50) / 2 + 25) / 2,
                                                                          (20 + (20 + 370 + 50) / 2 + 25) / 2}));
    EXPECT_EQ(nullptr, first_obj) << "a drag selects nothing";
    EXPECT_EQ(1, modified);
    EXPECT_EQ("Current Template: watch...modified", status());
    int x = 0, y = 0;
    ASSERT_TRUE(qor_handle.find_state("Degraded").position(&x, &y));
    EXPECT_EQ((DiagramPoint{440, 370}), (DiagramPoint{x, y}));

    // A press and release in place, and one that wanders less than the threshold, select.
    click(1, at("Down"));
    EXPECT_EQ(find_state("Down"), first_obj);
    drag(at("Ground"), {at("Ground").x + 2, at("Ground").y - 2});
    EXPECT_EQ(find_state("Ground"), first_obj);
    EXPECT_EQ((DiagramPoint{20, 20}), corner("Ground"));

    // Dragging the selected state keeps it selected and white; the canvas edge stops it.
    drag(at("Ground"), {-300, -300});
    EXPECT_EQ((DiagramPoint{0, 0}), corner("Ground"));
    EXPECT_EQ(find_state("Ground"), first_obj);
    EXPECT_EQ(named("white"), pixel_at({25, 8}));

    // The places are stored, and found again as the template is opened again.
    ASSERT_TRUE(gui::press(sd_template_save));
    EXPECT_EQ(0, modified);
    auto stored = other->load_template("watch");
    EXPECT_EQ(stored->states[2].position, (varo::StatePosition{440, 370}));
    EXPECT_FALSE(stored->states[1].position) << "Down was not moved";
    // The corner the canvas edge stopped it at is kept too.
    EXPECT_EQ(stored->states[0].position, (varo::StatePosition{0, 0}));
    // (Found again as the template is opened again: StatesStayWhereTheyArePutThroughDeleteSaveAndReopening.)
}

// Drawing, hit testing, the popup and dragging through the zoom; places stay in canvas pixels.
TEST_F(DiagramTest, AtEveryZoomTheStateUnderThePointerAnswers) {
    open(WATCH);
    EXPECT_EQ(1.0, diagram_zoom()) << "it fits at actual size";
    for (double zoom : {0.25, 1.0, 4.0}) {
        SCOPED_TRACE(zoom);
        zoom_centred(zoom);
        centre_view_on({double(at("Degraded").x), double(at("Degraded").y)});
        click(1, at("Degraded"));
        EXPECT_EQ(find_state("Degraded"), first_obj);
        EXPECT_EQ(named("white"), state_pixel("Degraded"));
        click(1, {at("Degraded").x - 27, at("Degraded").y});
        EXPECT_EQ(nullptr, first_obj) << "just outside its square";
        EXPECT_EQ(named("yellow"), state_pixel("Degraded"));
        choose(at("Degraded"), "Configure...");
        EXPECT_EQ("Degraded", configured()[0]);
        XtUnmanageChild(cs_template);
        // The state tool places a new state at the click, in canvas pixels (on a pixel of 25 %).
        send(ButtonRelease, 1, {484, 176});
        gui::press(sd_state);
        EXPECT_EQ((DiagramPoint{484, 176}), corner("NoName"));
        destroy_list();
        build_diagram_objects();
        XtUnmanageChild(cs_template);
    }
    // At 50 % the pointer's 40 by 110 pixels move the state 80 by 220.
    zoom_centred(0.5);
    DiagramPoint was = corner("Degraded");
    DiagramPoint from = drawn(at("Degraded"));
    gui::pointer_event(sd_draw_area, ButtonPress, 1, from.x, from.y);
    gui::pointer_event(sd_draw_area, MotionNotify, 1, from.x + 40, from.y + 110);
    gui::pointer_event(sd_draw_area, ButtonRelease, 1, from.x + 40, from.y + 110);
    EXPECT_EQ((DiagramPoint{was.x + 80, was.y + 220}), corner("Degraded"));
    int x = 0, y = 0;
    ASSERT_TRUE(qor_handle.find_state("Degraded").position(&x, &y));
    EXPECT_EQ(corner("Degraded"), (DiagramPoint{x, y}));

    // Ctrl with the wheel: a step in, the canvas point under the pointer stays under it.
    ASSERT_TRUE(gui::press(sd_view_actual));
    DiagramPoint down = drawn(at("Down"));
    picture::Box before = visible_canvas();
    gui::pointer_event(sd_draw_area, ButtonPress, 4, down.x, down.y, ControlMask);
    EXPECT_EQ(1.25, diagram_zoom());
    EXPECT_NEAR(at("Down").x, visible_canvas().x + (down.x - before.x) / 1.25, 1);
    gui::pointer_event(sd_draw_area, ButtonPress, 5, down.x, down.y, ControlMask);
    EXPECT_EQ(1.0, diagram_zoom());
    ASSERT_TRUE(gui::press(sd_view_fit));
    EXPECT_GT(diagram_zoom(), 1.0) << "four states fill the view";
}

// A dragged state, one placed with the tool and those added in the state editor stay where
// they are through further adds, a delete, Save and opening again.
TEST_F(DiagramTest, StatesStayWhereTheyArePutThroughDeleteSaveAndReopening) {
    open(MOVING);
    drag(at("Down"), {at("Down").x + 500, at("Down").y + 40});
    send(ButtonRelease, 1, {480, 60});
    gui::press(sd_state);
    gui::type_text(cs_name, "Placed");
    gui::press(cs_apply);
    EXPECT_EQ((DiagramPoint{480, 60}), corner("Placed")) << "where the tool put it";
    // The fifth to the twelfth state of the session: none on another (the tenth was on Ground).
    for (int i = 5; i <= 12; ++i) add_state("S" + std::to_string(i));
    ASSERT_NE(nullptr, find_state("S12"));
    expect_apart();
    auto corners = [this]() {
        std::map<std::string, DiagramPoint> at;
        for (std::size_t i = 0; i < object_list.size(); ++i)
            if (object_list.at(i)->type == StateObject) at[object_list.at(i)->name] = corner(object_list.at(i)->name.c_str());
        return at;
    };
    std::map<std::string, DiagramPoint> kept = corners();
    EXPECT_EQ((DiagramPoint{150, 150}), kept["S5"]) << "the first slot no state takes";
    gui::type_text(se_state_name, "Ground");
    gui::press(state_edit_delete_button);
    gui::press(gui::only_dialog().button("OK"));
    ASSERT_EQ(nullptr, find_state("Ground"));
    kept.erase("Ground");
    EXPECT_EQ(kept, corners()) << "a delete moves no other state";

    ASSERT_TRUE(gui::press(sd_template_save));
    reopen("watch");
    EXPECT_EQ(kept, corners()) << "opened again";
    EXPECT_EQ(0, modified);
}

// Templates without places are arranged as they open (no change of the user's) and by
// Arrange (a change): 45 states with edges back, and 200 in a chain.
TEST_F(DiagramTest, TemplatesWithoutPlacesAreArrangedOnOpeningAndByArrange) {
    store_template(shapes::shaped_template("long", shapes::Shape::Chain, 200));
    open(shapes::shaped_template("crowded", shapes::Shape::BackEdges, 45));
    EXPECT_LT(diagram_zoom(), 1.0) << "opened fitted";
    gui::snap(nullptr, "diagram_45_fitted.png");
    XtVaSetValues(state_diagram_win, XmNwidth, 1270, XmNheight, 1010, nullptr);  // Ground in sight
    gui::process_events();
    for (const std::string name : {"crowded", "long"}) {
        SCOPED_TRACE(name);
        if (name == "long") {
            copy_bounded(open_template, sizeof open_template, name.c_str());
            template_open();
        }
        EXPECT_EQ("Current Template: " + name, status());
        for (std::size_t i = 0; i < object_list.size(); ++i)
            EXPECT_LE(corner("Ground").y, object_list.at(i)->y) << "Ground on top";
        EXPECT_EQ(name == "long" ? 200u : 45u, state_objects().size());
        expect_apart();
        EXPECT_EQ(0, modified) << "arranging on opening is no change of the user's";
        EXPECT_FALSE(other->load_template(name)->states[3].position);
        if (name == "crowded") gui::snap(nullptr, "diagram_arranged.png");

        // It answers: a click selects; two states piled up, Arrange puts them apart again.
        click(1, at("Ground"));
        EXPECT_EQ(find_state("Ground"), first_obj);
        EXPECT_EQ(named("white"), state_pixel("Ground"));
        drag(at("S5"), at("S6"));
        ASSERT_TRUE(gui::press(sd_edit_arrange));
        expect_apart();
        EXPECT_EQ(1, modified);
        EXPECT_EQ("Current Template: " + name + "...modified", status());
    }
}

// A template too big for the window opens fitted; Find and the overview move the view.
TEST_F(DiagramTest, TwoHundredStatesOpenFittedFindAndTheOverviewMoveTheView) {
    open(shapes::shaped_template("long", shapes::Shape::Chain, 200));
    std::vector<DiagramObject*> states = state_objects();
    ASSERT_EQ(200u, states.size());

    // Opened fitted: every state in the view, its colour at its scaled centre; fitted again
    // when the window grows.
    EXPECT_LT(diagram_zoom(), 0.5);
    gui::snap(nullptr, "diagram_200_fitted.png");
    auto resize = [](Dimension w, Dimension h) {
        XtVaSetValues(state_diagram_win, XmNwidth, w, XmNheight, h, nullptr);
        XSync(display, False);
        gui::process_events();
    };
    double opened_zoom = diagram_zoom();
    resize(900, 800);
    EXPECT_GT(diagram_zoom(), opened_zoom);
    gui::snap(nullptr, "diagram_200_fitted_resized.png");
    for (DiagramObject* s : states) {
        EXPECT_TRUE(in_view(s)) << s->name;
        EXPECT_EQ(named(s->color.c_str()), pixel_at(at(s->name))) << s->name;
    }
    // A name too small to draw shows in the status line under the pointer (clicks at a small
    // zoom: AtEveryZoomTheStateUnderThePointerAnswers).
    EXPECT_TRUE(name_left_out("S57"));
    DiagramPoint s57 = drawn(at("S57"));
    gui::pointer_event(sd_draw_area, MotionNotify, 0, s57.x, s57.y);
    EXPECT_EQ("State: S57", gui::label(sd_message_label));
    gui::pointer_event(sd_draw_area, MotionNotify, 0, 1, 1);
    EXPECT_EQ("Current Template: long", gui::label(sd_message_label));

    // At actual size, Find takes the start of a name in any case to a state far off.
    ASSERT_TRUE(gui::press(sd_view_actual));
    resize(700, 600);
    EXPECT_EQ(1.0, diagram_zoom()) << "a zoom not fitted stays through a resize";
    DiagramObject* far = find_state("S190");
    ASSERT_FALSE(in_view(far));
    ASSERT_TRUE(gui::press(sd_find_state));
    Widget field = XmSelectionBoxGetChild(sd_find_dialog, XmDIALOG_TEXT);
    gui::type_text(field, "s19");
    Texts listed = gui::list_items(XmSelectionBoxGetChild(sd_find_dialog, XmDIALOG_LIST));
    EXPECT_EQ(11u, listed.size());
    EXPECT_EQ("S19", listed.front()) << "the exact name first";
    gui::type_text(field, "s190");
    gui::snap(nullptr, "diagram_find.png");
    XtCallActionProc(field, const_cast<char*>("activate"), nullptr, nullptr, 0);  // Return
    gui::process_events();
    EXPECT_FALSE(gui::managed(sd_find_dialog));
    EXPECT_EQ(far, first_obj);
    EXPECT_TRUE(in_view(far));
    EXPECT_EQ(named("white"), state_pixel("S190"));

    // The overview: a click centres the view there, a drag takes it along.
    ASSERT_TRUE(gui::press(sd_view_overview));
    gui::snap(nullptr, "diagram_overview.png");
    auto overview = [](int type, int x, int y) { gui::pointer_event(sd_overview_area, type, 1, x, y); };
    overview(ButtonPress, 2, 2);
    overview(ButtonRelease, 2, 2);
    picture::Box top_left = visible_canvas();
    EXPECT_EQ(0, top_left.x + top_left.y) << "the canvas's corner";
    overview(ButtonPress, 120, 120);
    picture::Box middle = visible_canvas();
    overview(MotionNotify, 238, 238);
    overview(ButtonRelease, 238, 238);
    picture::Box dragged = visible_canvas();
    EXPECT_TRUE(top_left.x < middle.x && middle.x < dragged.x && top_left.y < middle.y && middle.y < dragged.y);
}

TEST_F(DiagramTest, ExportDiagramWritesThePictureItsNameAsksFor) {
    open(MOVING);
    click(1, at("Ground"));
    ASSERT_TRUE(gui::press(sd_template_export));
    ASSERT_TRUE(gui::managed(sd_export_dialog));
    Widget name = XmFileSelectionBoxGetChild(sd_export_dialog, XmDIALOG_TEXT);
    Widget ok = XmFileSelectionBoxGetChild(sd_export_dialog, XmDIALOG_OK_BUTTON);
    Widget files = XmFileSelectionBoxGetChild(sd_export_dialog, XmDIALOG_LIST);
    XmString folder = XmStringCreateLocalized(const_cast<char*>((temp_dir() + "/*").c_str()));
    XmFileSelectionDoSearch(sd_export_dialog, folder);
    XmStringFree(folder);
    auto listed = [files](const std::string& path) {
        Texts items = gui::list_items(files);
        return std::find(items.begin(), items.end(), path) != items.end();
    };

    gui::type_text(name, temp_dir() + "/watch.txt");
    gui::press(ok);
    EXPECT_EQ(Texts{"Name the picture file with .png, .svg or .pdf at its end."}, gui::answer_all());
    ASSERT_TRUE(gui::managed(sd_export_dialog)) << "the name can be put right";

    // Each ending its format; the selections shown when asked.
    struct Case {
        const char* ending;
        bool selections;
        const char* starts;
    };
    for (const Case& c : {Case{".png", false, "\x89PNG"}, Case{".SVG", false, "<?xml"}, Case{".pdf", false, "%PDF-"},
                          Case{".svg", true, "<?xml"}}) {
        SCOPED_TRACE(std::string(c.ending) + (c.selections ? " with the selections" : ""));
        if (!gui::managed(sd_export_dialog)) gui::press(sd_template_export);
        XmToggleButtonSetState(sd_export_selections, c.selections, False);
        std::string path = temp_dir() + "/watch" + c.ending;
        gui::type_text(name, path);
        gui::press(ok);
        EXPECT_FALSE(gui::managed(sd_export_dialog));
        EXPECT_TRUE(gui::open_dialogs().empty());
        std::string picture = proc::read_file(path);
        EXPECT_EQ(0u, picture.rfind(c.starts, 0));
        if (std::string(c.ending) == ".SVG") {
            EXPECT_NE(picture.find("<text class=\"name\""), std::string::npos);
            EXPECT_EQ(std::string::npos, picture.find("fill=\"#ffffff\"/>\n<text class=\"name\"")) << "no state white";
            EXPECT_NE(picture.find("<circle class=\"state\" cx=\"45\" cy=\"45\" r=\"25\" fill=\"#00ff00\""),
                      std::string::npos) << "the selected Ground in its severity's green";
        }
        EXPECT_EQ(c.selections, picture.find("first-selection") != std::string::npos);
        EXPECT_EQ("Current Template: watch...diagram exported to " + path, status());
        gui::press(sd_template_export);
        EXPECT_TRUE(listed(path)) << "the list shows the folder as it is now";
        XtUnmanageChild(sd_export_dialog);
    }

    // A file of that name is replaced only once the user says so.
    std::string path = temp_dir() + "/watch.png";
    std::ofstream(path) << "kept";
    gui::press(sd_template_export);
    gui::type_text(name, path);
    gui::press(ok);
    gui::Dialog asked = gui::only_dialog();
    EXPECT_EQ(path + " exists already. Replace it with the diagram?", asked.message);
    gui::press(asked.button("Cancel"));
    EXPECT_TRUE(gui::managed(sd_export_dialog)) << "another name can be given";
    EXPECT_EQ("kept", proc::read_file(path));
    gui::press(ok);
    gui::press(gui::only_dialog().button("OK"));
    EXPECT_EQ(0u, proc::read_file(path).rfind("\x89PNG", 0));

    gui::press(sd_template_export);
    gui::type_text(name, temp_dir() + "/no/such/folder/watch.svg");
    gui::press(ok);
    const std::string said = gui::only_dialog().message;
    EXPECT_EQ(0u, said.rfind("Can't export the diagram to " + temp_dir() + "/no/such/folder/watch.svg: ")) << said;
}

}  // namespace
