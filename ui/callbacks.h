// The named callbacks that the windows bind (ui/win_*.cpp). Each lives with the editing
// area that owns it.
#ifndef TARNWRIGHT_UI_CALLBACKS_H
#define TARNWRIGHT_UI_CALLBACKS_H

#include <X11/Intrinsic.h>

#define CALLBACK(name) void name(Widget w, XtPointer client_data, XtPointer call_data);
#include "ui/callback_list.def"
#undef CALLBACK

#endif
