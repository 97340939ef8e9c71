// New, Open, Save and the overwrite confirmation, with their save-changes questions: each
// asks the document and shows what came of it. The callbacks the windows bind (New, Open,
// Save, the open list's selection) are in ui/callbacks.h.
#ifndef TARNWRIGHT_EDIT_TEMPLATE_CALLBACKS_H
#define TARNWRIGHT_EDIT_TEMPLATE_CALLBACKS_H

#include <X11/Intrinsic.h>

#include <string>

#include "template/template_model.h"

// A new template; a refused ground state is said in dialogs.
void start_new_template();
// Opens the name in open_template; one not found is said, and a new template started.
void open_named_template();
// After the open list was filled again: the template the user picked is chosen again while
// it is listed; with none picked (or the pick gone), the first line is.
void reselect_open_list();
// The dialogs and status text of a save's outcome; `name` is the name it was tried under.
void show_save_outcome(const SaveOutcome& outcome, const std::string& name);

void delete_template_ok(Widget w, XtPointer client_data, XtPointer call_data);
void overwrite_template_cb(Widget w, XtPointer client_data, XtPointer call_data);
void cancel_overwrite_cb(Widget w, XtPointer client_data, XtPointer call_data);
void save_changes_new(Widget w, XtPointer client_data, XtPointer call_data);
void save_changes_cancel(Widget w, XtPointer client_data, XtPointer call_data);
void save_changes_open(Widget w, XtPointer client_data, XtPointer call_data);
void save_changes_remove(Widget w, XtPointer client_data, XtPointer call_data);

#endif
