// The poll-rates dialog: the server's poll rates with name and rate.
#include "ui/callbacks.h"
#include "ui/build_helpers.h"
#include "ui/windows.h"

Widget create_pollrate_win(Widget parent)
{
    te_pollrate_dialog = make_dialog(parent, {"pollrate_win", "te_pollrate_dialog", true, 320, 300, msg::POLL_RATES_TITLE},
                                     pollrate_win, &te_pollrate_separator);
    make_action_buttons(te_pollrate_dialog, {
        {"te_pollrate_add_button", &te_pollrate_add_button, {call(add_pollrate_cb)}, msg::POLL_RATES_ADD},
        {"te_pollrate_modify_button", &te_pollrate_modify_button, {call(modify_pollrate_cb)}, msg::POLL_RATES_MODIFY},
        {"te_pollrate_delete_button", &te_pollrate_delete_button, {call(delete_pollrate_cb)}, msg::POLL_RATES_DELETE},
        {"te_pollrate_close_button", &te_pollrate_close_button, {hide(te_pollrate_dialog)}, msg::POLL_RATES_CLOSE},
        {"te_pollrate_help_butoon", &te_pollrate_help_butoon, {call(te_pollrate_help_cb)}, msg::POLL_RATES_HELP},
    });

    te_pollrate_form = make_work_form(te_pollrate_dialog, "te_pollrate_form");
    pollrate_list = make_scrolled_list(te_pollrate_form, "pollrate_list", 0, XmBROWSE_SELECT,
                                       {call(pollrate_selection_cb)}, &pollrate_scrolled_list);
    XtVaSetValues(pollrate_list, XmNautomaticSelection, True, nullptr);
    pollrate_caption = make_caption(te_pollrate_form, "pollrate_caption");
    make_caption_row(pollrate_caption, "widget323", msg::POLL_RATES_NAME, widget323, "pollrate_name", pollrate_name,
                     {call(verify_no_space)}, 40);
    make_caption_row(pollrate_caption, "widget325", msg::POLL_RATES_RATE, widget325, "pollrate_value", pollrate_value,
                     {call(verify_number)}, 40);
    attach(pollrate_caption, to_form(4), to_form(), to_form());
    // The templates that use the chosen poll rate, under the list.
    pollrate_used_by_label = make_status_label(te_pollrate_form, "pollrate_used_by_label");
    attach(pollrate_used_by_label, free_edge(), to_form(4), to_form(4), to_form(4));
    attach(pollrate_scrolled_list, to_widget(pollrate_caption, 6), to_form(4), to_form(4),
           to_widget(pollrate_used_by_label, 4));
    return pollrate_win;
}
