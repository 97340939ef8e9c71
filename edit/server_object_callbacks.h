// The confirmations of the severity, poll-rate and condition windows: OK runs the deletion.
#ifndef TARNWRIGHT_EDIT_SERVER_OBJECT_CALLBACKS_H
#define TARNWRIGHT_EDIT_SERVER_OBJECT_CALLBACKS_H

#include <X11/Intrinsic.h>

void delete_severity_ok(Widget w, XtPointer client_data, XtPointer call_data);
void delete_pollrate_ok(Widget w, XtPointer client_data, XtPointer call_data);
void delete_condition_ok(Widget w, XtPointer client_data, XtPointer call_data);

#endif
