// The state editor: the template's states, a name and description, poll rate and severity.
#include "ui/callbacks.h"
#include "ui/build_helpers.h"
#include "ui/windows.h"

Widget create_state_edit_win(Widget parent)
{
    // Wide enough for the list's three columns (15, 15 and a poll-rate name) to show whole.
    state_edit_dialog = make_dialog(parent, {"state_edit_win", "state_edit_dialog", false, 380, 415},
                                    state_edit_win, &te_state_edit_separator);
    make_action_buttons(state_edit_dialog, {
        {"state_edit_add_button", &state_edit_add_button, {call(state_edit_add_cb)}},
        {"state_edit_modify_button", &state_edit_modify_button, {call(state_edit_modify_cb)}},
        {"state_edit_delete_button", &state_edit_delete_button, {call(state_edit_delete_cb)}},
        {"state_edit_close_button", &state_edit_close_button, {hide(state_edit_dialog)}},
        {"state_edit_help_button", &state_edit_help_button, {call(state_help_cb)}},
    });

    state_edit_form = make_work_form(state_edit_dialog, "state_edit_form");
    se_label = make_label(state_edit_form, "se_label");
    attach(se_label, to_form(4), to_form(4), to_form(4));

    make_field_row(state_edit_form, "se_state_name_label", se_state_name_label, "se_state_name", se_state_name,
                   to_form(207), 84, {call(verify_no_space)});
    make_field_row(state_edit_form, "se_state_description_label", se_state_description_label,
                   "se_description_name", se_description_name, to_widget(se_state_name, 4), 84);

    Widget list_window = nullptr;
    state_edit_list = make_scrolled_list(state_edit_form, "state_edit_list", 0, XmBROWSE_SELECT,
                                         {call(state_edit_selection)}, &list_window);
    XtVaSetValues(state_edit_list, XmNautomaticSelection, True, nullptr);
    attach(list_window, to_widget(se_label, 2), to_form(4), to_form(4), to_widget(se_state_name, 8));

    se_pollrate = make_option_menu(state_edit_form, "se_pollrate", "se_pollrate_parent",
                                   {&se_pollrate_parent, &se_pollrate_label, &se_pollrate_option}, 283, 11);
    keep_in(&se_new_pollrate, make_push_button(se_pollrate_parent, "se_new_pollrate", {show(te_pollrate_dialog)}));
    se_severity = make_option_menu(state_edit_form, "se_severity", "se_severity_parent",
                                   {&se_severity_parent, &se_severity_label, &se_severity_option}, 315, 12);
    keep_in(&se_new_severity, make_push_button(se_severity_parent, "se_new_severity", {show(te_severity_dialog)}));
    return state_edit_win;
}
