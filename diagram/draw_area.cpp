#include "diagram/draw_area.h"

#include <Xm/DrawingA.h>
#include <Xm/Xm.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/messages.h"
#include "diagram/diagram_object.h"
#include "diagram/diagram_text.h"
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

// A transition's numbered label box: black outline, white inside, black count.
void draw_label(DiagramObject& t) {
    Window w = canvas();
    XDrawRectangle(draw_display, w, gc, t.x, t.y, LABEL_WIDTH, LABEL_HEIGHT);
    t.set_color("white");
    XFillRectangle(draw_display, w, gc, t.x, t.y, LABEL_WIDTH, LABEL_HEIGHT);
    t.set_color("black");
    draw_text(t.x + LABEL_WIDTH / 2, t.y + 10, std::to_string(t.num_conditions));
}

void draw_transition(DiagramObject& t) {
    DiagramObject* to = find_state(t.transition.c_str());
    DiagramObject* from = find_state(t.name.c_str());
    if (!to || !from) return;
    t.set_color("black");
    const int half = STATE_SIZE / 2;
    if (t.name != t.transition) {
        XDrawLine(draw_display, canvas(), gc, from->x + half, from->y + half, to->x + half, to->y + half);
        DiagramPoint mid = get_mid(from, to);
        t.x = mid.x;
        t.y = mid.y;
    } else {
        t.x = from->x + SELF_LABEL_OFFSET;
        t.y = from->y + SELF_LABEL_OFFSET;
        XDrawArc(draw_display, canvas(), gc, from->x + half, from->y + half, STATE_SIZE, STATE_SIZE, 0, FULL_CIRCLE);
    }
    draw_label(t);
}

void draw_state(DiagramObject& s) {
    std::string own = s.color;
    s.set_color(own.c_str());
    XDrawArc(draw_display, canvas(), gc, s.x, s.y, STATE_SIZE, STATE_SIZE, 0, FULL_CIRCLE);
    s.draw_object();
    s.set_color("black");
    draw_state_name(s);
    s.set_color(own.c_str());
}

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
            XtAppWarning(XtWidgetToApplicationContext(sd_draw_area), format_message(2, 402, {color_name}).c_str());
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
    set_color_hook(use_color);
    diagram_fonts.reset(new DiagramFonts(diagram_font_name()));
}

void DiagramObject::draw_object() {
    if (gc && canvas()) XFillArc(draw_display, canvas(), gc, x, y, STATE_SIZE, STATE_SIZE, 0, FULL_CIRCLE);
}

void draw_diagram() {
    if (!gc || !canvas()) return;
    XClearWindow(draw_display, canvas());
    for (std::size_t i = 0; i < object_list.size(); ++i)
        if (object_list.at(i)->type == TransitionObject) draw_transition(*object_list.at(i));
    for (std::size_t i = 0; i < object_list.size(); ++i)
        if (object_list.at(i)->type == StateObject) draw_state(*object_list.at(i));
}

void redraw_diagram(Widget, XtPointer, XtPointer) { draw_diagram(); }
