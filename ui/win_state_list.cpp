// The state-list window: a tool palette of the diagram, built with the others but not shown
// by any command.
#include <Xm/DialogS.h>
#include <Xm/Form.h>
#include <Xm/MessageB.h>
#include <Xm/RowColumn.h>

#include "ui/callbacks.h"
#include "ui/build_helpers.h"
#include "ui/icons.h"
#include "ui/windows.h"

Widget create_state_list_win(Widget parent)
{
    state_list_win = XtVaCreatePopupShell("state_list_win", xmDialogShellWidgetClass, parent,
                                          XmNallowShellResize, False, nullptr);
    sl_form = XtVaCreateWidget("sl_form", xmFormWidgetClass, state_list_win, XmNautoUnmanage, False, nullptr);

    widget86 = make_label(sl_form, "widget86");
    attach(widget86, to_form(6), to_form(6), to_form(6));
    sl_row_column = XtVaCreateManagedWidget("sl_row_column", xmRowColumnWidgetClass, sl_form,
                                            XmNorientation, XmHORIZONTAL, nullptr);
    attach(sl_row_column, to_widget(widget86, 4), to_form(6), to_form(6));
    sl_generic_state = make_icon_button(sl_row_column, "sl_generic_state", state_icon,
                                        {call(generic_state_cb), hide(sl_form)});

    widget82 = XtVaCreateWidget("widget82", xmMessageBoxWidgetClass, sl_form,
                                XmNdialogType, XmDIALOG_TEMPLATE, XmNautoUnmanage, False, nullptr);
    sl_close = make_push_button(widget82, "sl_close", {hide(sl_form)});
    sl_help = make_push_button(widget82, "sl_help", {call(sl_help_cb)});
    attach(widget82, to_widget(sl_row_column, 4), to_form(), to_form(), to_form());
    XtManageChild(widget82);
    return state_list_win;
}
