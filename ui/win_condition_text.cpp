// The condition editor: the server's conditions, with the code of the chosen one.
#include <Xm/Form.h>
#include <Xm/PanedW.h>
#include <Xm/Text.h>

#include "ui/callbacks.h"
#include "ui/build_helpers.h"
#include "ui/windows.h"

Widget create_condition_text_win(Widget parent)
{
    ct_dialog = make_dialog(parent, {"condition_text_win", "ct_dialog", false, 0, 0}, condition_text_win);
    make_action_buttons(ct_dialog, {
        {"ct_add_button", &ct_add_button, {call(ct_add_button_cb)}},
        {"ct_modify_button", &ct_modify_button, {call(ct_modify_button_cb)}},
        {"ct_delete_button", &ct_delete_button, {call(ct_delete_button_cb)}},
        {"ct_close_button", &ct_close_button, {hide(ct_dialog)}},
        {"ct_help_button", &ct_help_button, {call(ct_help_cb)}},
    });

    ct_form = make_work_form(ct_dialog, "ct_form");
    make_field_row(ct_form, "ct_name_label", ct_name_label, "ct_name_text", ct_name_text, to_form(6), 96,
                   {call(verify_no_space)});
    make_field_row(ct_form, "ct_description_label", ct_description_label, "ct_description_text", ct_description_text,
                   to_widget(ct_name_text, 4), 96);

    ct_sash = XtVaCreateManagedWidget("ct_sash", xmPanedWindowWidgetClass, ct_form, nullptr);
    attach(ct_sash, to_widget(ct_description_text, 8), to_form(4), to_form(4), to_form(4));

    ct_sash_form1 = XtVaCreateManagedWidget("ct_sash_form1", xmFormWidgetClass, ct_sash, nullptr);
    ct_list_label = make_label(ct_sash_form1, "ct_list_label");
    attach(ct_list_label, to_form(2), to_form(2), to_form(2));
    ct_condition_list = make_scrolled_list(ct_sash_form1, "ct_condition_list", 6, XmBROWSE_SELECT,
                                           {call(ct_select_condition_cb)}, &ct_list);
    XtVaSetValues(ct_condition_list, XmNautomaticSelection, True, nullptr);
    bind(ct_condition_list, XmNdefaultActionCallback, {call(ct_select_condition_cb)});
    // The templates that use the chosen condition, under the list.
    ct_used_by_label = make_status_label(ct_sash_form1, "ct_used_by_label");
    attach(ct_used_by_label, free_edge(), to_form(2), to_form(2), to_form(2));
    attach(ct_list, to_widget(ct_list_label, 2), to_form(2), to_form(2), to_widget(ct_used_by_label, 2));

    ct_sash_form2 = XtVaCreateManagedWidget("ct_sash_form2", xmFormWidgetClass, ct_sash, nullptr);
    ct_code_label = make_label(ct_sash_form2, "ct_code_label");
    attach(ct_code_label, to_form(2), to_form(2), to_form(2));
    // An editor for code (monospaced like every XmText): lines are never wrapped, it scrolls
    // both ways, and Tab inserts a tab, which stops every eight columns.
    Arg args[6];
    XtSetArg(args[0], XmNeditMode, XmMULTI_LINE_EDIT);
    XtSetArg(args[1], XmNcolumns, 65);
    XtSetArg(args[2], XmNrows, 11);
    XtSetArg(args[3], XmNwordWrap, False);
    XtSetArg(args[4], XmNscrollHorizontal, True);
    XtSetArg(args[5], XmNscrollVertical, True);
    ct_condition_code = XmCreateScrolledText(ct_sash_form2, const_cast<char*>("ct_condition_code"), args, 6);
    XtManageChild(ct_condition_code);
    ct_code = XtParent(ct_condition_code);
    attach(ct_code, to_widget(ct_code_label, 2), to_form(2), to_form(2), to_form(2));
    return condition_text_win;
}
