// The configure-states dialog, opened from the diagram: one state's name, description, poll
// rate and severity.

#include "ui/callbacks.h"
#include "ui/gui_utils.h"
#include "ui/build_helpers.h"
#include "ui/windows.h"

Widget create_configure_states(Widget parent)
{
    cs_template = make_dialog(parent, {"configure_states", "cs_template", false, 360, 210}, configure_states);
    make_action_buttons(cs_template, {
        {"cs_apply", &cs_apply, {hide(cs_template), call(cs_apply_cb)}},
        {"cs_modify", &cs_modify, {hide(cs_template), call(cs_modify_cb)}},
        {"cs_delete", &cs_delete, {hide(cs_template), call(cs_delete_cb)}},
        {"cs_close", &cs_close, {call(cs_close_cb), hide(cs_template)}},
        {"cs_help", &cs_help, {call(cs_help_cb)}},
    });

    // The window manager's close leaves no placeholder behind, as Close does.
    route_window_close(configure_states, cs_close_cb, nullptr, false);

    cs_form = make_work_form(cs_template, "cs_form");
    make_field_row(cs_form, "widget28", widget28, "cs_name", cs_name, to_form(6), 84, {call(verify_no_space)});
    make_field_row(cs_form, "widget30", widget30, "cs_description", cs_description, to_widget(cs_name, 4), 84);
    cs_pollrate = make_option_menu(cs_form, "cs_pollrate", "cs_pollrate_parent",
                                   {&cs_pollrate_parent, &cs_pollrate_label, &cs_pollrate_option}, 81, 12);
    keep_in(&cs_pollrate_new, make_push_button(cs_pollrate_parent, "cs_pollrate_new", {show(te_pollrate_dialog)}));
    cs_severity = make_option_menu(cs_form, "cs_severity", "cs_severity_parent",
                                   {&cs_severity_parent, &cs_severity_label, &cs_severity_option}, 115, 13);
    keep_in(&cs_severity_new, make_push_button(cs_severity_parent, "cs_severity_new", {show(te_severity_dialog)}));
    return configure_states;
}
