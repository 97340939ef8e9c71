#include "diagram/draw_area.h"

#include <X11/Xutil.h>
#include <Xm/DrawingA.h>
#include <Xm/Xm.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "base/messages.h"
#include "diagram/diagram_input.h"
#include "diagram/diagram_object.h"
#include "diagram/diagram_scene.h"
#include "diagram/diagram_zoom.h"
#include "diagram/picture/text.h"
#include "diagram/xft_text.h"
#include "template/template_model.h"
#include "ui/gui_utils.h"
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

const Allocation* allocation(const char* color_name) {
    if (!gc || !draw_display || !sd_draw_area || !color_name) return nullptr;
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
    return &it->second;
}

bool allocated(const char* color_name) {
    const Allocation* a = allocation(color_name);
    return a && a->ok;
}

// A string resource of sd_draw_area, or the fallback where it names none.
std::string draw_area_resource(const char* name, const char* resource_class, const char* fallback) {
    String value = nullptr;
    XtResource resource = {const_cast<char*>(name), const_cast<char*>(resource_class), const_cast<char*>(XmRString),
                           sizeof(String), 0, const_cast<char*>(XmRString), const_cast<char*>(fallback)};
    XtGetApplicationResources(sd_draw_area, &value, &resource, 1, nullptr, 0);
    return value && *value ? value : fallback;
}

std::string ring_colour = SELECTION_FALLBACK;

// Colours the status line has named already: each is told once.
std::set<std::string>& told_unknown() {
    static std::set<std::string> told;
    return told;
}
std::vector<std::string> to_tell;

// After the change being told, whose status text would cover this one.
void tell_unknown_colours(XtPointer, XtIntervalId*) {
    std::string names;
    for (const std::string& colour : to_tell) names += (names.empty() ? "" : ", ") + colour;
    to_tell.clear();
    if (!names.empty()) set_status(format_message(msg::COLOUR_UNKNOWN_STATUS, {template_name(), names}));
}

Window canvas() { return sd_draw_area && XtIsRealized(sd_draw_area) ? XtWindow(sd_draw_area) : 0; }

// The font named by the resource diagramFont of sd_draw_area, sized for the zoom, and its
// painter on the window; the sizes used are kept, so zooming back and forth opens nothing new.
struct ZoomedFonts {
    std::unique_ptr<DiagramFonts> fonts;
    std::unique_ptr<XftTextPainter> painter;
    Window window = 0;
};
std::map<long, ZoomedFonts> fonts_by_zoom;
std::string font_name;

ZoomedFonts* zoomed_fonts() {
    if (font_name.empty()) return nullptr;
    double scale = view_transform().scale;
    ZoomedFonts& z = fonts_by_zoom[std::lround(scale * 1000)];
    if (!z.fonts) z.fonts.reset(new DiagramFonts(font_name, scale));
    return &z;
}

XftTextPainter* painter(ZoomedFonts& z) {
    Window w = canvas();
    if (!w) return nullptr;
    if (!z.painter || z.window != w) {
        Screen* screen = XtScreen(sd_draw_area);
        z.painter.reset();
        z.painter.reset(new XftTextPainter(draw_display, w, DefaultVisualOfScreen(screen),
                                           DefaultColormapOfScreen(screen), gc, *z.fonts));
        z.window = w;
    }
    return z.painter.get();
}

// Names whose text was left out at the last painting: too small to read, or wider than their
// circle at a zoom below actual size.
std::set<std::string> hidden_names;

// Text centred on centre_x (canvas pixels), in the graphics context's current foreground.
// A state's name that does not fit is left out and remembered.
void draw_text(picture::Part part, double centre_x, double baseline, const std::string& text, double circle = 0) {
    ZoomedFonts* z = zoomed_fonts();
    XftTextPainter* p = z ? painter(*z) : nullptr;
    if (!p) return;
    const picture::Transform& t = view_transform();
    bool legible = z->fonts->pixel_size() >= picture::SMALLEST_TEXT;
    if (part == picture::Part::Name &&
        (!legible || (t.scale < 1 && !picture::name_fits(text_width(*p, z->fonts->runs(text)), t.length(circle))))) {
        hidden_names.insert(text);
        return;
    }
    if (!legible) return;
    XGCValues values;
    XGetGCValues(draw_display, gc, GCForeground, &values);
    p->set_pixel(values.foreground);
    picture::Point at = t.to_window({centre_x, baseline});
    draw_centred_text(*p, *z->fonts, text, int(std::lround(at.x)), int(std::lround(at.y)));
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

// The scene painted on a window through a transform with the shared graphics context, each
// colour asked of the server once; text only on the drawing area.
class XCanvas : public picture::Canvas {
public:
    XCanvas(Window w, const picture::Transform& t, bool with_text) : window(w), to(t), text_too(with_text) {
        XSetLineAttributes(draw_display, gc, to.length(picture::LINE_WIDTH), LineSolid, CapRound, JoinRound);
    }

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
        picture::Box w = to.window_box(b);
        XDrawArc(draw_display, window, gc, w.x, w.y, w.w, w.h, 0, FULL_CIRCLE);
    }
    void dashed_ring(picture::Part, const picture::Box& b, const std::string& colour) override {
        const char dashes[] = {static_cast<char>(std::min(to.length(picture::DASH_ON), 127)),
                               static_cast<char>(std::min(to.length(picture::DASH_OFF), 127))};
        use(colour);
        picture::Box w = to.window_box(b);
        int width = to.length(picture::LINE_WIDTH);
        XSetLineAttributes(draw_display, gc, width, LineOnOffDash, CapButt, JoinRound);
        XSetDashes(draw_display, gc, 0, dashes, 2);
        XDrawArc(draw_display, window, gc, w.x, w.y, w.w, w.h, 0, FULL_CIRCLE);
        XSetLineAttributes(draw_display, gc, width, LineSolid, CapRound, JoinRound);
    }
    void disc(picture::Part, const picture::Box& b, const std::string& colour) override {
        use(colour);
        picture::Box w = to.window_box(b);
        XFillArc(draw_display, window, gc, w.x, w.y, w.w, w.h, 0, FULL_CIRCLE);
    }
    void frame(picture::Part part, const picture::Box& b, const std::string& colour) override {
        if (speck(part)) return;
        use(colour);
        picture::Box w = to.window_box(b);
        XDrawRectangle(draw_display, window, gc, w.x, w.y, w.w, w.h);
    }
    void fill(picture::Part part, const picture::Box& b, const std::string& colour) override {
        if (speck(part)) return;
        use(colour);
        picture::Box w = to.window_box(b);
        XFillRectangle(draw_display, window, gc, w.x, w.y, w.w, w.h);
    }
    void text(picture::Part part, int centre_x, int baseline, const std::string& utf8, const std::string& colour) override {
        if (!text_too) return;
        use_color(colour.c_str());
        draw_text(part, centre_x, baseline, utf8, picture::BOX);
        // As each object keeps its colour: the shape's colour is current again after its text
        // (and stays so for a following colour the server does not know).
        if (!shape.empty()) use_color(shape.c_str());
    }
    bool knows(const std::string& colour) override {
        if (allocated(colour.c_str())) return true;
        unknown.insert(colour);
        return false;
    }

    std::set<std::string> unknown;  // the colour names met that the server does not know

private:
    // A label box too small to hold its number is only a speck on the lines: left out.
    bool speck(picture::Part part) const {
        return (part == picture::Part::LabelFrame || part == picture::Part::Label) &&
               to.length(picture::LABEL_H) < picture::SMALLEST_LABEL;
    }
    void use(const std::string& colour) {
        shape = colour;
        use_color(colour.c_str());
    }
    XPoint pixel(picture::Point p) const {
        picture::Point w = to.to_window(p);
        return {static_cast<short>(std::lround(w.x)), static_cast<short>(std::lround(w.y))};
    }

    Window window;
    picture::Transform to;
    bool text_too;
    std::string shape;
};

struct RegionFree {
    void operator()(Region r) const { XDestroyRegion(r); }
};

short window_coordinate(int v) { return static_cast<short>(std::clamp(v, -32768, 32767)); }
unsigned short window_length(int v) { return static_cast<unsigned short>(std::clamp(v, 0, 65535)); }

// The kept scene, the window cleared first; the colours the server does not know are named
// in the status line once each.
void paint_whole() {
    if (!gc || !canvas()) return;
    XClearWindow(draw_display, canvas());
    hidden_names.clear();
    XCanvas painter(canvas(), view_transform(), true);
    picture::paint_scene(shown_scene(), painter);
    view_moved();
    bool first = to_tell.empty();
    for (const std::string& colour : painter.unknown)
        if (told_unknown().insert(colour).second) to_tell.push_back(colour);
    if (first && !to_tell.empty())
        XtAppAddTimeOut(XtWidgetToApplicationContext(sd_draw_area), 0, tell_unknown_colours, nullptr);
}

}  // namespace

void use_color(const char* color_name) {
    const Allocation* a = allocation(color_name);
    if (a && a->ok) XSetForeground(draw_display, gc, a->pixel);
}

std::string selection_ring_colour() { return ring_colour; }

void init_draw_area() {
    if (!sd_draw_area) return;
    draw_display = XtDisplay(sd_draw_area);
    Screen* screen = XtScreen(sd_draw_area);
    fonts_by_zoom.clear();
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
    XtRemoveEventHandler(sd_draw_area, PointerMotionMask | LeaveWindowMask, False, hover_handler, nullptr);
    XtAddEventHandler(sd_draw_area, PointerMotionMask | LeaveWindowMask, False, hover_handler, nullptr);
    set_color_hook(use_color);
    forget_scene();
    follow_view_size();
    font_name = draw_area_resource("diagramFont", "DiagramFont", DIAGRAM_FALLBACK_FONT);
    ring_colour = draw_area_resource("selectionColor", "SelectionColor", SELECTION_FALLBACK);
}

void DiagramObject::draw_object() {
    if (!gc || !canvas()) return;
    picture::Box w = view_transform().window_box(picture::Box{x, y, STATE_SIZE, STATE_SIZE});
    XFillArc(draw_display, canvas(), gc, w.x, w.y, w.w, w.h, 0, FULL_CIRCLE);
}

void draw_diagram() {
    forget_scene();
    paint_whole();
}

void repaint_states(std::initializer_list<const DiagramObject*> states) {
    if (!gc || !canvas()) return;
    std::vector<picture::Box> areas;
    for (const DiagramObject* o : states) {
        if (!o) continue;
        std::optional<picture::Box> area = rechoose(o);
        // No scene kept (the objects changed since): the whole diagram, built anew.
        if (!area) return draw_diagram();
        areas.push_back(*area);
    }
    if (areas.empty()) return;
    const picture::Transform& t = view_transform();
    std::unique_ptr<std::remove_pointer<Region>::type, RegionFree> region(XCreateRegion());
    for (const picture::Box& area : areas) {
        // A pixel more all round: rounding to the window never leaves a ring's edge behind.
        picture::Box w = t.window_box(area);
        XRectangle r = {window_coordinate(w.x - 1), window_coordinate(w.y - 1), window_length(w.w + 2),
                        window_length(w.h + 2)};
        XClearArea(draw_display, canvas(), r.x, r.y, r.width, r.height, False);
        XUnionRectWithRegion(&r, region.get(), region.get());
    }
    ZoomedFonts* z = zoomed_fonts();
    XftTextPainter* text = z ? painter(*z) : nullptr;
    double em = z ? z->fonts->pixel_size() / t.scale : double(picture::BOX);
    XSetRegion(draw_display, gc, region.get());
    if (text) text->clip(region.get());
    {
        XCanvas painter(canvas(), t, true);
        picture::paint_scene(picture::scene_within(shown_scene(), areas, em), painter);
    }
    if (text) text->clip(nullptr);
    XSetClipMask(draw_display, gc, None);
    view_moved();
}

void paint_scene_on(Window window, const picture::Scene& scene, const picture::Transform& transform) {
    if (!gc || !window) return;
    XCanvas painter(window, transform, false);
    picture::paint_scene(scene, painter);
}

bool name_left_out(const std::string& name) { return hidden_names.count(name) > 0; }

const DiagramFonts* diagram_fonts_in_use() {
    if (font_name.empty()) return nullptr;
    // Pictures are drawn at actual size.
    ZoomedFonts& z = fonts_by_zoom[1000];
    if (!z.fonts) z.fonts.reset(new DiagramFonts(font_name));
    return z.fonts.get();
}

void redraw_diagram(Widget, XtPointer, XtPointer call_data) {
    // One repaint for a run of exposures: the last of them says no more follow.
    auto* cbs = static_cast<XmDrawingAreaCallbackStruct*>(call_data);
    if (cbs && cbs->event && cbs->event->type == Expose && cbs->event->xexpose.count > 0) return;
    paint_whole();
}

void repaint_over_exposures() {
    if (!gc || !canvas()) return;
    // What the server exposed before this repaint is covered by it.
    XSync(draw_display, False);
    XEvent stale;
    while (XCheckTypedWindowEvent(draw_display, canvas(), Expose, &stale)) {
    }
    paint_whole();
}
