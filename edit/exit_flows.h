// The exits: Exit of either window and the window manager's close end the program at once
// with status 0; the answers of a fatal error dialog end it with status 1. Every one writes the
// recovery journal first.
#ifndef TARNWRIGHT_EDIT_EXIT_FLOWS_H
#define TARNWRIGHT_EDIT_EXIT_FLOWS_H

#include <X11/Intrinsic.h>

// Writes the recovery journal, then ends the program with this status.
[[noreturn]] void end_program(int status);

void main_exit_button_cb(Widget w, XtPointer client_data, XtPointer call_data);
void sd_exit_button_cb(Widget w, XtPointer client_data, XtPointer call_data);
// Closes the current question dialog if one is up, then exits with status 1.
void exit_no_save(Widget w, XtPointer client_data, XtPointer call_data);

#endif
