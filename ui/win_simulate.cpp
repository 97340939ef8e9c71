// The simulation window: the operator applies the server's conditions to the open template
// one at a time, from the ground state; the steps and their actions accumulate in a list and
// the current state is selected in the diagram.
#include <Xm/List.h>

#include "ui/callbacks.h"
#include "ui/build_helpers.h"
#include "ui/windows.h"

Widget create_simulate_win(Widget parent)
{
    sim_dialog = make_dialog(parent, {"simulate_win", "sim_dialog", true, 0, 0}, simulate_win);
    make_action_buttons(sim_dialog, {
        {"sim_step_button", &sim_step_button, {call(sim_step_cb)}},
        {"sim_reset_button", &sim_reset_button, {call(sim_reset_cb)}},
        {"sim_close_button", &sim_close_button, {hide(sim_dialog)}},
    });

    sim_form = make_work_form(sim_dialog, "sim_form");
    sim_state = make_status_label(sim_form, "sim_state");
    attach(sim_state, to_form(4), to_form(4), to_form(4));

    sim_condition_label = make_label(sim_form, "sim_condition_label");
    attach(sim_condition_label, to_widget(sim_state, 8), to_form(4));
    sim_condition_list = make_scrolled_list(sim_form, "sim_condition_list", 14, XmBROWSE_SELECT, {},
                                            &sim_condition_scrolled_list);
    bind(sim_condition_list, XmNdefaultActionCallback, {call(sim_step_cb)});
    XtVaSetValues(sim_condition_list, XmNwidth, 170, nullptr);
    attach(sim_condition_scrolled_list, to_widget(sim_condition_label, 2), to_form(4), free_edge(), to_form(4));

    sim_steps_label = make_label(sim_form, "sim_steps_label");
    attach(sim_steps_label, to_widget(sim_state, 8), to_widget(sim_condition_scrolled_list, 8));
    sim_steps_list = make_scrolled_list(sim_form, "sim_steps_list", 14, XmBROWSE_SELECT, {}, &sim_steps_scrolled_list);
    XtVaSetValues(sim_steps_list, XmNwidth, 440, nullptr);
    attach(sim_steps_scrolled_list, to_widget(sim_steps_label, 2), to_widget(sim_condition_scrolled_list, 8),
           to_form(4), to_form(4));
    return simulate_win;
}
