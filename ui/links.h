// Generic callbacks that show, hide, pop up, map or enable the widget held in a global
// variable. The client data is the variable's address, read when the callback runs, so a
// control may be bound before the window it opens exists.
#ifndef TARNWRIGHT_UI_LINKS_H
#define TARNWRIGHT_UI_LINKS_H

#include <X11/Intrinsic.h>

void XDmanage_link(Widget w, XtPointer target, XtPointer call_data);
void XDunmanage_link(Widget w, XtPointer target, XtPointer call_data);
void XDpopup_link(Widget w, XtPointer target, XtPointer call_data);
void XDpopdown_link(Widget w, XtPointer target, XtPointer call_data);
void XDmap_link(Widget w, XtPointer target, XtPointer call_data);
void XDunmap_link(Widget w, XtPointer target, XtPointer call_data);
void XDenable_link(Widget w, XtPointer target, XtPointer call_data);
void XDdisable_link(Widget w, XtPointer target, XtPointer call_data);

// Pops a top-level shell up without a grab, realizing it first if needed.
void show_top_level(Widget shell);
// Takes a top-level shell off the screen, also when it was shown by realizing it rather than
// by a pop-up (the application shell), which XtPopdown alone would leave on the screen.
void hide_top_level(Widget shell);
// True when the shell's window is mapped (viewable) on the server.
bool top_level_is_shown(Widget shell);

#endif
