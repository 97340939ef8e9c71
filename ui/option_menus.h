// The option menus that offer states, conditions, poll rates and severities, each
// destroyed and created anew from the list that feeds it. A build is put off while the
// menu's window is down (it runs when the window is next shown) and skipped when the
// list still holds what the menu was last built from.
#ifndef TARNWRIGHT_UI_OPTION_MENUS_H
#define TARNWRIGHT_UI_OPTION_MENUS_H

#include <X11/Intrinsic.h>

#include <string>

void build_condition_list();
void build_action_list();  // also: insensitive unless the action menu reads "CONDITION"
void build_from_state();
void build_to_state();
void build_order_state();
void build_state_list_buttons();
void build_se_pollrate();
void build_cs_pollrate();
void build_pollrate_buttons();
void build_se_severity();
void build_cs_severity();
void build_severity_buttons();
// Builds every menu that was put off, whether its window is up or not.
void build_pending_menus();
// Builds the put-off menus of one dialog shell, for a popup callback that reads them before
// the shell's own rebuild has run.
void build_window_menus(Widget shell);

// The text of an option menu's current choice, whole even when the menu shows it cut.
std::string option_value(Widget option_menu);
// Shows the value in the option menu whose button this is, cut when too wide for the menu:
// by choosing the entry of that name, or on the button alone when there is none. False,
// doing nothing, when the widget is not an option menu's button.
bool show_in_option_menu(Widget option_button, const std::string& value);

// The activate callbacks of the from-state and order-state entries (edit/).
void from_list(Widget w, XtPointer client_data, XtPointer call_data);
void show_list(Widget w, XtPointer client_data, XtPointer call_data);

#endif
