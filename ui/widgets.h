// One global variable per named widget, set when its window is built.
#ifndef TARNWRIGHT_UI_WIDGETS_H
#define TARNWRIGHT_UI_WIDGETS_H

#include <X11/Intrinsic.h>

extern Widget te_win, state_diagram_win;
extern Widget main_message_label, sd_message_label;

#endif
