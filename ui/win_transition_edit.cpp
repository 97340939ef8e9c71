// The transition editor: the transitions of the chosen state, and the from-state, to-state,
// condition and action of a new one.
#include "ui/callbacks.h"
#include "ui/build_helpers.h"
#include "ui/windows.h"

namespace {

void build_menus()
{
    Widget form = te_transition_edit_form;
    tran_from_state = make_option_menu(form, "tran_from_state", "tran_from_state_parent",
                                       {&tran_from_state_parent, &tran_from_state_label, &tran_from_state_option},
                                       215, 32, to_opposite_form(-248));
    keep_in(&tran_from_new_state, make_push_button(tran_from_state_parent, "tran_from_new_state", {show(state_edit_dialog)}));
    tran_to_state = make_option_menu(form, "tran_to_state", "tran_to_state_parent",
                                     {&tran_to_state_parent, &tran_to_state_label, &tran_to_state_option}, 248, 46);
    keep_in(&tran_to_new_state, make_push_button(tran_to_state_parent, "tran_to_new_state", {show(state_edit_dialog)}));
    tran_condition = make_option_menu(form, "tran_condition", "tran_condition_parent",
                                      {&tran_condition_parent, &tran_condition_label, &tran_condition_option},
                                      280, 7);
    keep_in(&tran_new_condition, make_push_button(tran_condition_parent, "tran_new_condition", {show(ct_dialog)}));
    tran_action = make_option_menu(form, "tran_action", "widget330",
                                   {&tran_action_parent, &tran_action_label, &tran_action_option}, 312, 24);
    transition_none_button = make_push_button(tran_action_parent, "transition_none_button", {call(transition_none_cb)});
    set_catalogue_label(transition_none_button, msg::TRANSITION_NONE_BUTTON);
    XtVaSetValues(tran_action, XmNmenuHistory, transition_none_button, nullptr);
    transition_command_button =
        make_push_button(tran_action_parent, "transition_command_button", {call(transition_command_cb)});
    transition_mail_button = make_push_button(tran_action_parent, "transition_mail_button", {call(transition_mail_cb)});
    transition_condition_button =
        make_push_button(tran_action_parent, "transition_condition_button", {call(transition_condition_cb)});

    condition_action = make_option_menu(form, "condition_action", "condition_action_parent",
                                        {&condition_action_parent, &condition_action_label, &condition_action_option},
                                        345, 27);
    keep_in(&condition_new, make_push_button(condition_action_parent, "condition_new", {show(ct_dialog)}));
}

}  // namespace

Widget create_transition_edit_win(Widget parent)
{
    te_transition_edit_dialog =
        make_dialog(parent, {"transition_edit_win", "te_transition_edit_dialog", false, 345, 525},
                    transition_edit_win, &te_transition_edit_separator);
    bind(transition_edit_win, XmNpopupCallback, {call(transition_popup_cb)});
    make_action_buttons(te_transition_edit_dialog, {
        {"tran_add_button", &tran_add_button, {call(tran_add_button_cb)}},
        {"tran_delete_button", &tran_delete_button, {call(tran_delete_button_cb)}},
        {"tran_close_button", &tran_close_button, {call(te_close_button_cb), hide(te_transition_edit_dialog)}},
        {"tran_edit_button", &tran_edit_button, {call(te_help_button_cb)}},
    });

    te_transition_edit_form = make_work_form(te_transition_edit_dialog, "te_transition_edit_form");
    tran_order_transitions = make_push_button(te_transition_edit_form, "tran_order_transitions",
                                              {show(ot_form_box), call(display_conditions_cb)});
    attach(tran_order_transitions, to_form(176), free_edge(), to_form(4));
    Widget list_window = nullptr;
    transition_list = make_scrolled_list(te_transition_edit_form, "transition_list", 0, XmBROWSE_SELECT,
                                         {call(tran_list_cb)}, &list_window);
    XtVaSetValues(transition_list, XmNautomaticSelection, True, nullptr);
    attach(list_window, to_form(4), to_form(4), to_form(4), to_widget(tran_order_transitions, 4));

    build_menus();

    make_field_row(te_transition_edit_form, "tran_edit_label1", tran_edit_label1, "tran_edit_text1", tran_edit_text1,
                   to_form(384), 80);
    make_field_row(te_transition_edit_form, "tran_edit_label2", tran_edit_label2, "tran_edit_text2", tran_edit_text2,
                   to_widget(tran_edit_text1, 4), 80);
    // The action menu starts at "<none>": its operands and the condition name wait for a kind.
    for (Widget w : {tran_edit_label1, tran_edit_text1, tran_edit_label2, tran_edit_text2, condition_action_label,
                     condition_action_option})
        XtSetSensitive(w, False);
    return transition_edit_win;
}
