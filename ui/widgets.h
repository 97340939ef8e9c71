// One global variable per named widget, set when its window is built. The list itself is
// ui/widget_list.def, so the declarations, the definitions and the tests that walk every
// widget cannot drift apart.
#ifndef TARNWRIGHT_UI_WIDGETS_H
#define TARNWRIGHT_UI_WIDGETS_H

#include <X11/Intrinsic.h>

#define WIDGET(v) extern Widget v;
#define PART(v) extern Widget v;
#include "ui/widget_list.def"
#undef WIDGET
#undef PART

#endif
