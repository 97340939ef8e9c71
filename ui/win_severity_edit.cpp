// The severities dialog: the server's severities with name, value and colour.
#include "ui/callbacks.h"
#include "ui/build_helpers.h"
#include "ui/windows.h"

Widget create_severity_edit_win(Widget parent)
{
    te_severity_dialog = make_dialog(parent, {"severity_edit_win", "te_severity_dialog", true, 320, 350, msg::SEVERITIES_TITLE},
                                     severity_edit_win);
    make_action_buttons(te_severity_dialog, {
        {"te_severity_add_button", &te_severity_add_button, {call(add_severity_cb)}, msg::SEVERITIES_ADD},
        {"te_severity_modify_button", &te_severity_modify_button, {call(modify_severity_cb)}, msg::SEVERITIES_MODIFY},
        {"te_severity_delete_button", &te_severity_delete_button, {call(delete_severity_cb)}, msg::SEVERITIES_DELETE},
        {"te_severity_close_button", &te_severity_close_button, {hide(te_severity_dialog)}, msg::SEVERITIES_CLOSE},
        {"te_severity_help_button", &te_severity_help_button, {call(te_severity_help_cb)}, msg::SEVERITIES_HELP},
    });

    severity_form = make_work_form(te_severity_dialog, "severity_form");
    severity_caption = make_caption(severity_form, "severity_caption");
    make_caption_row(severity_caption, "widget330", msg::SEVERITIES_NAME, widget330, "severity_name", severity_name,
                     {call(verify_no_space)}, 40);
    make_caption_row(severity_caption, "widget332", msg::SEVERITIES_VALUE, widget332, "severity_value", severity_value,
                     {call(verify_number)}, 40);
    make_caption_row(severity_caption, "widget334", msg::SEVERITIES_COLOR, widget334, "severity_color", severity_color,
                     {call(verify_no_space)}, 40);
    attach(severity_caption, to_form(4), to_form(), to_form());

    severity_list = make_scrolled_list(severity_form, "severity_list", 0, XmBROWSE_SELECT,
                                       {call(severity_list_selection_cb)}, &severity_scrolled_list);
    XtVaSetValues(severity_list, XmNautomaticSelection, True, nullptr);
    // The templates that use the chosen severity, under the list.
    severity_used_by_label = make_status_label(severity_form, "severity_used_by_label");
    attach(severity_used_by_label, free_edge(), to_form(4), to_form(4), to_form(4));
    attach(severity_scrolled_list, to_widget(severity_caption, 6), to_form(4), to_form(4),
           to_widget(severity_used_by_label, 4));
    return severity_edit_win;
}
