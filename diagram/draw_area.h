// Painting the diagram into sd_draw_area with one shared graphics context.
#ifndef TARNWRIGHT_DIAGRAM_DRAW_AREA_H
#define TARNWRIGHT_DIAGRAM_DRAW_AREA_H

#include <X11/Intrinsic.h>

#include <initializer_list>
#include <string>

#include "diagram/picture/view.h"

class DiagramObject;

extern Display* draw_display;
extern GC gc;

// Once, after the windows exist: the graphics context, the expose callback, colours.
void init_draw_area();
// The objects changed: the scene is built anew and painted whole, every transition, then
// every state.
void draw_diagram();
// A selection came to or left these states (null ones skipped): their colour and rings are
// painted again, and only the parts of the window they cover.
void repaint_states(std::initializer_list<const DiagramObject*> states);
// After the drawing area was resized or scrolled: one repaint, the exposures it brought dropped.
void repaint_over_exposures();
// Paints a scene on another window (the overview) through a transform, without text.
void paint_scene_on(Window window, const picture::Scene& scene, const picture::Transform& transform);
// Whether the last painting left this state's name out (too small or too wide at the zoom).
bool name_left_out(const std::string& name);
// The expose callback of sd_draw_area.
void redraw_diagram(Widget w, XtPointer client_data, XtPointer call_data);

class DiagramFonts;
// The fonts the diagram's text is drawn with; null before init_draw_area.
const DiagramFonts* diagram_fonts_in_use();

// Makes a colour name the current foreground; each name is asked of the server once.
// An unknown colour gives one warning and leaves the foreground as it was.
void use_color(const char* color_name);
// The colour of the selections' rings: the resource selectionColor of sd_draw_area.
std::string selection_ring_colour();

#endif
