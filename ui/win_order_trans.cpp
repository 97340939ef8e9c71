// The order-transitions dialog: moves a state's transitions up and down.
#include "ui/callbacks.h"
#include "ui/build_helpers.h"
#include "ui/windows.h"

Widget create_order_trans_win(Widget parent)
{
    ot_form_box = make_dialog(parent, {"order_trans_win", "ot_form_box", false, 0, 0}, order_trans_win);
    make_action_buttons(ot_form_box, {
        {"ot_up_button", &ot_up_button, {call(ot_up_button_cb)}},
        {"ot_down_button", &ot_down_button, {call(ot_down_button_cb)}},
        {"order_close_button", &order_close_button, {hide(ot_form_box)}},
        {"order_help_button", &order_help_button, {call(order_help_cb)}},
    });
    XtSetSensitive(ot_up_button, False);
    XtSetSensitive(ot_down_button, False);

    ot_form = make_work_form(ot_form_box, "ot_form", 330, 0);
    Widget list_window = nullptr;
    ot_list = make_scrolled_list(ot_form, "ot_list", 8, XmBROWSE_SELECT, {call(ot_list_cb)}, &list_window);
    XtVaSetValues(ot_list, XmNautomaticSelection, True, nullptr);
    attach(list_window, to_form(4), to_form(4), to_form(4));
    XtVaSetValues(list_window, XmNheight, 165, nullptr);
    // Its entries are the template's states, made when a template is loaded.
    ot_states = make_option_menu(ot_form, "ot_states", "ot_states_parent",
                                 {&ot_states_parent, &ot_states_label, &ot_states_option}, 175, 6);
    return order_trans_win;
}
