// The History window: the open template's stored versions, newest first, and the chosen
// one's difference from the working copy, line by line in the text view's form, added and
// removed lines in the colours of the renditions "added" and "removed" (app-defaults).
#include <Xm/List.h>

#include "ui/callbacks.h"
#include "ui/build_helpers.h"
#include "ui/windows.h"

Widget create_history_win(Widget parent)
{
    hist_dialog = make_dialog(parent, {"history_win", "hist_dialog", true, 0, 0}, history_win);
    make_action_buttons(hist_dialog, {
        {"hist_open_button", &hist_open_button, {call(hist_open_cb)}},
        {"hist_close_button", &hist_close_button, {hide(hist_dialog)}},
        {"hist_help_button", &hist_help_button, {call(hist_help_cb)}},
    });
    XtSetSensitive(hist_open_button, False);

    hist_form = make_work_form(hist_dialog, "hist_form");
    hist_versions_label = make_label(hist_form, "hist_versions_label");
    attach(hist_versions_label, to_form(4), to_form(4), to_form(4));
    hist_version_list = make_scrolled_list(hist_form, "hist_version_list", 6, XmBROWSE_SELECT, {call(hist_version_cb)},
                                           &hist_version_scrolled_list);
    // Wide enough for an action's arguments, which the text view sets far to the right.
    XtVaSetValues(hist_version_list, XmNwidth, 760, nullptr);
    attach(hist_version_scrolled_list, to_widget(hist_versions_label, 2), to_form(4), to_form(4));

    hist_diff_label = make_status_label(hist_form, "hist_diff_label");
    attach(hist_diff_label, to_widget(hist_version_scrolled_list, 8), to_form(4), to_form(4));
    hist_diff_list = make_scrolled_list(hist_form, "hist_diff_list", 14, XmBROWSE_SELECT, {}, &hist_diff_scrolled_list);
    attach(hist_diff_scrolled_list, to_widget(hist_diff_label, 2), to_form(4), to_form(4), to_form(4));
    return history_win;
}
