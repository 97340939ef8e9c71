// The template-check dialog: what is wrong with the open template, one finding a line;
// choosing a finding selects its state in the diagram.
#include <Xm/List.h>

#include "ui/callbacks.h"
#include "ui/build_helpers.h"
#include "ui/windows.h"

Widget create_check_template_win(Widget parent)
{
    chk_dialog = make_dialog(parent, {"check_template_win", "chk_dialog", true, 0, 0}, check_template_win);
    make_action_buttons(chk_dialog, {
        {"chk_again_button", &chk_again_button, {call(check_template_cb)}},
        {"chk_close_button", &chk_close_button, {hide(chk_dialog)}},
    });

    chk_form = make_work_form(chk_dialog, "chk_form");
    chk_summary = make_label(chk_form, "chk_summary");
    attach(chk_summary, to_form(4), to_form(4), to_form(4));
    chk_list = make_scrolled_list(chk_form, "chk_list", 12, XmBROWSE_SELECT, {call(chk_list_cb)}, &chk_scrolled_list);
    XtVaSetValues(chk_list, XmNwidth, 600, nullptr);
    attach(chk_scrolled_list, to_widget(chk_summary, 4), to_form(4), to_form(4), to_form(4));
    return check_template_win;
}
