// The three 32 x 32 icons of the diagram's tool buttons, and the select colour of the view
// toggles, both made once when the first window is built.
#ifndef TARNWRIGHT_UI_ICONS_H
#define TARNWRIGHT_UI_ICONS_H

#include <X11/Intrinsic.h>

extern Pixmap state_icon, transition_icon, condition_icon;
extern Pixel view_select_color;
extern bool have_view_select_color;

// Makes the three icon pixmaps on the display's root window; an icon that cannot be made
// becomes XmUNSPECIFIED_PIXMAP.
void make_icons(Display* display);
// Reads the application resource "red" (class Color) of the application shell into
// view_select_color, on a display deeper than one bit.
void read_select_color(Widget application_shell);

#endif
