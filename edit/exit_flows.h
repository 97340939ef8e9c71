// The exits: Exit of either window and the window manager's close end the program at once
// with status 0; the answers of a fatal error dialog end it with status 1.
#ifndef TARNWRIGHT_EDIT_EXIT_FLOWS_H
#define TARNWRIGHT_EDIT_EXIT_FLOWS_H

#include <X11/Intrinsic.h>

void main_exit_button_cb(Widget w, XtPointer client_data, XtPointer call_data);
void sd_exit_button_cb(Widget w, XtPointer client_data, XtPointer call_data);
// Closes the current question dialog if one is up, then exits with status 1.
void exit_no_save(Widget w, XtPointer client_data, XtPointer call_data);

#endif
