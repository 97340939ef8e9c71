#include "diagram/draw_area.h"

#include <Xm/DrawingA.h>
#include <Xm/Xm.h>

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/messages.h"
#include "diagram/diagram_input.h"
#include "diagram/diagram_object.h"
#include "diagram/diagram_scene.h"
#include "diagram/picture/text.h"
#include "diagram/xft_text.h"
#include "ui/widgets.h"

Display* draw_display = nullptr;
GC gc = nullptr;

namespace {

const int FULL_CIRCLE = 360 * 64;

struct Allocation {
    bool ok;
    unsigned long pixel;
};

// Colours by name for the drawing area's colormap; failures are remembered too.
std::map<std::string, Allocation>& colour_cache() {
    static std::map<std::string, Allocation> cache;
    return cache;
}

Window canvas() { return sd_draw_area && XtIsRealized(sd_draw_area) ? XtWindow(sd_draw_area) : 0; }

// The font named by the resource diagramFont of sd_draw_area, and its painter on the window.
std::unique_ptr<DiagramFonts> diagram_fonts;
std::unique_ptr<XftTextPainter> text_painter;
Window painter_window = 0;

std::string diagram_font_name() {
    String name = nullptr;
    static XtResource resources[] = {
        {const_cast<char*>("diagramFont"), const_cast<char*>("DiagramFont"), const_cast<char*>(XmRString),
         sizeof(String), 0, const_cast<char*>(XmRString), const_cast<char*>(DIAGRAM_FALLBACK_FONT)},
    };
    XtGetApplicationResources(sd_draw_area, &name, resources, XtNumber(resources), nullptr, 0);
    return name && *name ? name : DIAGRAM_FALLBACK_FONT;
}

XftTextPainter* painter() {
    Window w = canvas();
    if (!w || !diagram_fonts) return nullptr;
    if (!text_painter || painter_window != w) {
        Screen* screen = XtScreen(sd_draw_area);
        text_painter.reset();
        text_painter.reset(new XftTextPainter(draw_display, w, DefaultVisualOfScreen(screen),
                                              DefaultColormapOfScreen(screen), gc, *diagram_fonts));
        painter_window = w;
    }
    return text_painter.get();
}

// Text centred on centre_x, in the graphics context's current foreground.
void draw_text(int centre_x, int baseline, const std::string& text) {
    XftTextPainter* p = painter();
    if (!p) return;
    XGCValues values;
    XGetGCValues(draw_display, gc, GCForeground, &values);
    p->set_pixel(values.foreground);
    draw_centred_text(*p, *diagram_fonts, text, centre_x, baseline);
}

// Gives back every colour the cache holds and forgets them.
void free_colours() {
    std::vector<unsigned long> pixels;
    for (const auto& entry : colour_cache())
        if (entry.second.ok) pixels.push_back(entry.second.pixel);
    if (!pixels.empty() && draw_display && sd_draw_area)
        XFreeColors(draw_display, DefaultColormapOfScreen(XtScreen(sd_draw_area)), pixels.data(),
                    static_cast<int>(pixels.size()), 0);
    colour_cache().clear();
}

XPoint pixel(picture::Point p) {
    return {static_cast<short>(std::lround(p.x)), static_cast<short>(std::lround(p.y))};
}

// The scene painted on the window with the shared graphics context, each colour asked of
// the server once.
class XCanvas : public picture::Canvas {
public:
    explicit XCanvas(Window w) : window(w) {}

    void line(picture::Part, picture::Point a, picture::Point b, const std::string& colour) override {
        use(colour);
        XPoint p = pixel(a), q = pixel(b);
        XDrawLine(draw_display, window, gc, p.x, p.y, q.x, q.y);
    }
    void polygon(picture::Part, const picture::Point* points, int n, const std::string& colour) override {
        use(colour);
        std::vector<XPoint> xs;
        for (int i = 0; i < n; ++i) xs.push_back(pixel(points[i]));
        XFillPolygon(draw_display, window, gc, xs.data(), n, Convex, CoordModeOrigin);
    }
    void ring(picture::Part, const picture::Box& b, const std::string& colour) override {
        use(colour);
        XDrawArc(draw_display, window, gc, b.x, b.y, b.w, b.h, 0, FULL_CIRCLE);
    }
    void disc(picture::Part, const picture::Box& b, const std::string& colour) override {
        use(colour);
        XFillArc(draw_display, window, gc, b.x, b.y, b.w, b.h, 0, FULL_CIRCLE);
    }
    void frame(picture::Part, const picture::Box& b, const std::string& colour) override {
        use(colour);
        XDrawRectangle(draw_display, window, gc, b.x, b.y, b.w, b.h);
    }
    void fill(picture::Part, const picture::Box& b, const std::string& colour) override {
        use(colour);
        XFillRectangle(draw_display, window, gc, b.x, b.y, b.w, b.h);
    }
    void text(picture::Part, int centre_x, int baseline, const std::string& utf8, const std::string& colour) override {
        use_color(colour.c_str());
        draw_text(centre_x, baseline, utf8);
        // As each object keeps its colour: the shape's colour is current again after its text
        // (and stays so for a following colour the server does not know).
        if (!shape.empty()) use_color(shape.c_str());
    }

private:
    void use(const std::string& colour) {
        shape = colour;
        use_color(colour.c_str());
    }

    Window window;
    std::string shape;
};

}  // namespace

void draw_state_name(const DiagramObject& state) {
    draw_text(state.x + STATE_SIZE / 2, state.y + STATE_SIZE / 2, state.name);
}

void use_color(const char* color_name) {
    if (!gc || !draw_display || !sd_draw_area || !color_name) return;
    auto& cache = colour_cache();
    auto it = cache.find(color_name);
    if (it == cache.end()) {
        XColor screen_colour, exact;
        Colormap map = DefaultColormapOfScreen(XtScreen(sd_draw_area));
        Allocation a = {XAllocNamedColor(draw_display, map, color_name, &screen_colour, &exact) != 0, 0};
        if (a.ok)
            a.pixel = screen_colour.pixel;
        else
            XtAppWarning(XtWidgetToApplicationContext(sd_draw_area), format_message(msg::COLOR_ALLOC_FAILED, {color_name}).c_str());
        it = cache.emplace(color_name, a).first;
    }
    if (it->second.ok) XSetForeground(draw_display, gc, it->second.pixel);
}

void init_draw_area() {
    if (!sd_draw_area) return;
    draw_display = XtDisplay(sd_draw_area);
    Screen* screen = XtScreen(sd_draw_area);
    text_painter.reset();
    free_colours();
    if (gc) XFreeGC(draw_display, gc);
    XGCValues gcv;
    gcv.foreground = BlackPixelOfScreen(screen);
    gc = XCreateGC(draw_display, RootWindowOfScreen(screen), GCForeground, &gcv);
    XSetLineAttributes(draw_display, gc, 3, LineSolid, CapRound, JoinRound);
    XtVaSetValues(sd_draw_area, XmNuserData, gc, XmNunitType, XmPIXELS, nullptr);
    // A second set-up replaces the first: one expose callback, one set of colours and fonts.
    XtRemoveCallback(sd_draw_area, XmNexposeCallback, redraw_diagram, nullptr);
    XtAddCallback(sd_draw_area, XmNexposeCallback, redraw_diagram, nullptr);
    // The drawing area's translations pass presses and releases on, not motion: drags come here.
    XtRemoveEventHandler(sd_draw_area, Button1MotionMask, False, drag_motion_handler, nullptr);
    XtAddEventHandler(sd_draw_area, Button1MotionMask, False, drag_motion_handler, nullptr);
    set_color_hook(use_color);
    diagram_fonts.reset(new DiagramFonts(diagram_font_name()));
}

void DiagramObject::draw_object() {
    if (gc && canvas()) XFillArc(draw_display, canvas(), gc, x, y, STATE_SIZE, STATE_SIZE, 0, FULL_CIRCLE);
}

void draw_diagram() {
    if (!gc || !canvas()) return;
    XClearWindow(draw_display, canvas());
    picture::Scene scene = diagram_scene();
    XCanvas painter(canvas());
    picture::paint_scene(scene, painter);
}

const DiagramFonts* diagram_fonts_in_use() { return diagram_fonts.get(); }

void redraw_diagram(Widget, XtPointer, XtPointer) { draw_diagram(); }
