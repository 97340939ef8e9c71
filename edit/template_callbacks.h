// The answers of the template's confirmations and save-changes questions. The callbacks
// the windows bind (New, Open, Save, the open list's selection) are in edit/callbacks.h.
#ifndef TARNWRIGHT_EDIT_TEMPLATE_CALLBACKS_H
#define TARNWRIGHT_EDIT_TEMPLATE_CALLBACKS_H

#include <X11/Intrinsic.h>

void delete_template_ok(Widget w, XtPointer client_data, XtPointer call_data);
// The overwrite question of a save; a New or Open waiting on that save goes on after OK.
void ask_overwrite();
void overwrite_template_cb(Widget w, XtPointer client_data, XtPointer call_data);
void cancel_overwrite_cb(Widget w, XtPointer client_data, XtPointer call_data);
void save_changes_new(Widget w, XtPointer client_data, XtPointer call_data);
void save_changes_cancel(Widget w, XtPointer client_data, XtPointer call_data);
void save_changes_open(Widget w, XtPointer client_data, XtPointer call_data);
void save_changes_remove(Widget w, XtPointer client_data, XtPointer call_data);

#endif
