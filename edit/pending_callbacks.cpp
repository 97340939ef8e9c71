// Callbacks the windows already bind whose behaviour is not written yet. Each does nothing;
// the unit that implements one deletes it from here.
#include "edit/callbacks.h"

// state editing
void state_edit_selection(Widget, XtPointer, XtPointer) {}
void state_edit_add_cb(Widget, XtPointer, XtPointer) {}
void state_edit_modify_cb(Widget, XtPointer, XtPointer) {}
void state_edit_delete_cb(Widget, XtPointer, XtPointer) {}
void cs_apply_cb(Widget, XtPointer, XtPointer) {}
void cs_modify_cb(Widget, XtPointer, XtPointer) {}
void cs_delete_cb(Widget, XtPointer, XtPointer) {}
void cs_close_cb(Widget, XtPointer, XtPointer) {}

// transition and action editing
void transition_popup_cb(Widget, XtPointer, XtPointer) {}
void tran_list_cb(Widget, XtPointer, XtPointer) {}
void transition_none_cb(Widget, XtPointer, XtPointer) {}
void transition_command_cb(Widget, XtPointer, XtPointer) {}
void transition_mail_cb(Widget, XtPointer, XtPointer) {}
void transition_condition_cb(Widget, XtPointer, XtPointer) {}
void display_conditions_cb(Widget, XtPointer, XtPointer) {}
void tran_add_button_cb(Widget, XtPointer, XtPointer) {}
void tran_delete_button_cb(Widget, XtPointer, XtPointer) {}
void te_close_button_cb(Widget, XtPointer, XtPointer) {}
void ot_up_button_cb(Widget, XtPointer, XtPointer) {}
void ot_down_button_cb(Widget, XtPointer, XtPointer) {}
void ot_list_cb(Widget, XtPointer, XtPointer) {}

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

// help
void main_help_cb(Widget, XtPointer, XtPointer) {}
void sd_main_help_cb(Widget, XtPointer, XtPointer) {}
void ol_help_cb(Widget, XtPointer, XtPointer) {}
void state_help_cb(Widget, XtPointer, XtPointer) {}
void te_help_button_cb(Widget, XtPointer, XtPointer) {}
void order_help_cb(Widget, XtPointer, XtPointer) {}
void ct_help_cb(Widget, XtPointer, XtPointer) {}
void te_severity_help_cb(Widget, XtPointer, XtPointer) {}
void te_pollrate_help_cb(Widget, XtPointer, XtPointer) {}
void cs_help_cb(Widget, XtPointer, XtPointer) {}
void sl_help_cb(Widget, XtPointer, XtPointer) {}
void tl_help_cb(Widget, XtPointer, XtPointer) {}
