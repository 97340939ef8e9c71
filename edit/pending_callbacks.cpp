// Callbacks the windows already bind whose behaviour is not written yet. Each does nothing;
// the unit that implements one deletes it from here.
#include "edit/callbacks.h"

// severities and poll rates
void severity_list_selection_cb(Widget, XtPointer, XtPointer) {}
void add_severity_cb(Widget, XtPointer, XtPointer) {}
void modify_severity_cb(Widget, XtPointer, XtPointer) {}
void delete_severity_cb(Widget, XtPointer, XtPointer) {}
void pollrate_selection_cb(Widget, XtPointer, XtPointer) {}
void add_pollrate_cb(Widget, XtPointer, XtPointer) {}
void modify_pollrate_cb(Widget, XtPointer, XtPointer) {}
void delete_pollrate_cb(Widget, XtPointer, XtPointer) {}

// conditions
void ct_select_condition_cb(Widget, XtPointer, XtPointer) {}
void ct_add_button_cb(Widget, XtPointer, XtPointer) {}
void ct_modify_button_cb(Widget, XtPointer, XtPointer) {}
void ct_delete_button_cb(Widget, XtPointer, XtPointer) {}
