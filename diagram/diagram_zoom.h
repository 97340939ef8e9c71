// The diagram window's view of its canvas: the zoom the diagram is drawn at and the part of
// it the scrolled window shows. Drawing and the pointer go through view_transform(); places
// stay in actual-size (canvas) pixels. The View menu's zoom commands (sd_zoom_in_cb,
// sd_zoom_out_cb, sd_fit_cb, sd_actual_size_cb in ui/callbacks.h) and Ctrl with the wheel.
#ifndef TARNWRIGHT_DIAGRAM_DIAGRAM_ZOOM_H
#define TARNWRIGHT_DIAGRAM_DIAGRAM_ZOOM_H

#include "diagram/diagram_object.h"
#include "diagram/picture/view.h"

// Canvas to the drawing area's window.
const picture::Transform& view_transform();
double diagram_zoom();
// A point of the drawing area's window (an event's x, y) on the canvas.
DiagramPoint to_canvas(int window_x, int window_y);

// Zooms keeping the canvas point under (pointer_x, pointer_y) of the drawing area's window
// where it is on the screen; the zoom is held within 10 % to 400 %. Repaints.
void zoom_about(double zoom, int pointer_x, int pointer_y);
// Zooms keeping the middle of the view where it is.
void zoom_centred(double zoom);
// The whole diagram in the view; it stays fitted as the view is resized, until another zoom.
void fit_diagram();
// Once the windows exist: a fitted view fits again when the window is resized.
void follow_view_size();
// As a template is opened: fitted when it does not fit the view at actual size, else at
// actual size scrolled to it (Ground, placed first, in sight).
void show_opened_diagram();

// The part of the canvas the view shows (canvas pixels), and scrolling it.
picture::Box visible_canvas();
void centre_view_on(picture::Point canvas);
// Scrolls just enough that the canvas box is in the view, centring it when it is not.
void bring_into_view(const picture::Box& canvas);

// Called after the view has scrolled or zoomed (the overview follows it); null for none.
typedef void (*ViewMoved)();
void set_view_moved_hook(ViewMoved hook);
// Tells the hook (after a repaint of the diagram, which the overview shows too).
void view_moved();

#endif
