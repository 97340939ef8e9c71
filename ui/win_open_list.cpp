// The open-template dialog: the templates stored on the server.
#include <Xm/List.h>

#include "ui/callbacks.h"
#include "ui/build_helpers.h"
#include "ui/windows.h"

Widget create_open_list_win(Widget parent)
{
    open_list_dialog = make_dialog(parent, {"open_list_win", "open_list_dialog", false, 0, 0}, open_list_win);
    make_action_buttons(open_list_dialog, {
        {"ol_ok_button", &ol_ok_button, {hide(open_list_dialog), call(open_button_cb)}},
        {"ol_delete_button", &ol_delete_button, {call(delete_template_cb)}},
        {"ol_cancel_button", &ol_cancel_button, {hide(open_list_dialog)}},
        {"ol_help_button", &ol_help_button, {call(ol_help_cb)}},
    });
    XtSetSensitive(ol_ok_button, False);
    XtSetSensitive(ol_delete_button, False);

    widget203 = make_work_form(open_list_dialog, "widget203", 400, 250);
    ol_label = make_label(widget203, "ol_label");
    attach(ol_label, to_form(4), to_form(4), to_form(4));
    Widget list_window = nullptr;
    ol_list = make_scrolled_list(widget203, "ol_list", 11, XmBROWSE_SELECT, {call(ol_browse_cb)}, &list_window);
    bind(ol_list, XmNdefaultActionCallback, {call(open_button_cb)});
    attach(list_window, to_widget(ol_label, 2), to_form(4), to_form(4), to_form(4));
    return open_list_win;
}
