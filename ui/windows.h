// The windows of the editor, each built once at start-up by its creation function, and the
// global widget variables (ui/widgets.h) that the rest of the program addresses them by.
#ifndef TARNWRIGHT_UI_WINDOWS_H
#define TARNWRIGHT_UI_WINDOWS_H

#include <X11/Intrinsic.h>

#include "ui/widgets.h"

Widget create_te_win(Display* display, char* name, int argc, char** argv);
Widget create_state_diagram_win(Widget parent);
Widget create_state_edit_win(Widget parent);
Widget create_transition_edit_win(Widget parent);
Widget create_order_trans_win(Widget parent);
Widget create_state_list_win(Widget parent);
Widget create_transition_list_win(Widget parent);
Widget create_configure_states(Widget parent);
Widget create_state_information(Widget parent);
Widget create_open_list_win(Widget parent);
Widget create_pollrate_win(Widget parent);
Widget create_severity_edit_win(Widget parent);
Widget create_condition_text_win(Widget parent);
// Template analysis, reached from the Template menus of both windows.
Widget create_check_template_win(Widget parent);
Widget create_simulate_win(Widget parent);
// The open template's stored versions, reached from the Template menus of both windows.
Widget create_history_win(Widget parent);

#endif
