// Painting the diagram: pixels of the drawing area, label positions, colours asked once.
#include "support/editor_fixture.h"

#include <X11/Xutil.h>
#include <Xm/DrawingA.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/globals.h"
#include "diagram/diagram_object.h"
#include "diagram/draw_area.h"
#include "template/template_model.h"
#include "template/text_view.h"
#include "ui/widgets.h"

namespace {

std::vector<std::string> warnings;

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

    unsigned long pixel_at(int x, int y) {
        XSync(display, False);
        XImage* image = XGetImage(display, XtWindow(sd_draw_area), x, y, 1, 1, AllPlanes, ZPixmap);
        EXPECT_NE(nullptr, image);
        if (!image) return 0;
        unsigned long p = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return p;
    }

    unsigned long named(const char* colour) {
        XColor screen, exact;
        XAllocNamedColor(display, DefaultColormapOfScreen(XtScreen(sd_draw_area)), colour, &screen, &exact);
        return screen.pixel;
    }
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

    if (const char* dir = std::getenv("TARNWRIGHT_SCREENSHOTS")) gui::screenshot(std::string(dir) + "/diagram.png");
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

TEST_F(DiagramTest, ExposeRepaintsAndSelectionsSurviveAReload) {
    open_diagram();
    first_obj = find_by_name("B");
    second_obj = find_by_name("A");
    qori_state_delete(qor_handle, "A");
    load_template();
    ASSERT_NE(nullptr, first_obj);
    EXPECT_EQ("B", first_obj->name);
    EXPECT_TRUE(object_list.contains(first_obj));
    EXPECT_EQ(nullptr, second_obj) << "its state is gone";

    XClearWindow(display, XtWindow(sd_draw_area));
    XmDrawingAreaCallbackStruct cbs = {XmCR_EXPOSE, nullptr, XtWindow(sd_draw_area)};
    XtCallCallbacks(sd_draw_area, XmNexposeCallback, &cbs);
    EXPECT_EQ(named("white"), pixel_at(175, 158)) << "B is drawn as selected";
}

}  // namespace
