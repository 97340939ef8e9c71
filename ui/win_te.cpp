// The main window: template name and description over the text view of the template.
#include <Xm/Form.h>
#include <Xm/MessageB.h>
#include <Xm/Protocols.h>
#include <Xm/RowColumn.h>
#include <Xm/ToggleB.h>
#include <X11/Shell.h>

#include "ui/callbacks.h"
#include "ui/app_resources.h"
#include "ui/icons.h"
#include "ui/menus.h"
#include "ui/windows.h"

namespace {

void build_menus()
{
    main_menu_bar = make_menu_bar(main_dialog, "main_menu_bar");

    main_template_parent = make_pulldown(main_menu_bar, "main_template_parent");
    main_template = make_cascade(main_menu_bar, "main_template", main_template_parent);
    make_shared_entries(main_template_parent, MAIN_WINDOW, shared_template_entries);
    widget165 = make_separator(main_template_parent, "widget165");
    main_exit_button = make_push_button(main_template_parent, "main_exit_button", {call(main_exit_button_cb)});

    main_edit_parent = make_pulldown(main_menu_bar, "main_edit_parent");
    main_edit = make_cascade(main_menu_bar, "main_edit", main_edit_parent);
    make_shared_entries(main_edit_parent, MAIN_WINDOW, shared_edit_entries);
    main_edit_option_parent = make_pulldown(main_edit_parent, "main_edit_option_parent");
    main_edit_option = make_cascade(main_edit_parent, "main_edit_option", main_edit_option_parent);
    make_shared_entries(main_edit_option_parent, MAIN_WINDOW, shared_setup_entries);

    main_view_parent = make_pulldown(main_menu_bar, "main_view_parent");
    main_view = make_cascade(main_menu_bar, "main_view", main_view_parent);
    main_view_graphical = make_view_toggle(main_view_parent, "main_view_graphical", {call(graphical_view_cb)});
    main_view_text = make_view_toggle(main_view_parent, "main_view_text", {call(text_view_cb)});
    main_view_both = make_view_toggle(main_view_parent, "main_view_both", {call(both_view_cb)});
    XmToggleButtonSetState(main_view_text, True, False);

    main_help_pulldown = make_pulldown(main_menu_bar, "main_help_pulldown");
    main_help = make_cascade(main_menu_bar, "main_help", main_help_pulldown);
    main_help_bt = make_push_button(main_help_pulldown, "main_help_bt", {call(main_help_cb)});
    XtVaSetValues(main_menu_bar, XmNmenuHelpWidget, main_help, nullptr);
}

void build_work_area()
{
    main_win_form = XtVaCreateManagedWidget("main_win_form", xmFormWidgetClass, main_form, nullptr);
    make_field_row(main_win_form, "main_name_label", main_name_label, "main_name", main_name, to_form(10), 96,
                   {call(verify_no_space)});
    make_field_row(main_win_form, "main_description_label", main_description_label, "main_description",
                   main_description, to_widget(main_name, 6), 96);
    // Typing a name or description is a step of the undo history.
    bind(main_name, XmNvalueChangedCallback, {call(main_field_changed_cb)});
    bind(main_description, XmNvalueChangedCallback, {call(main_field_changed_cb)});
    main_header = make_label(main_win_form, "main_header");
    attach(main_header, to_widget(main_description, 12), to_form(8), to_form(8));
    main_text_list = make_scrolled_list(main_win_form, "main_text_list", 13, XmBROWSE_SELECT, {}, &main_text);
    attach(main_text, to_widget(main_header, 2), to_form(8), to_form(8), to_form(4));
}

}  // namespace

Widget create_te_win(Display* display, char* name, int argc, char** argv)
{
    prepare_resources(display, name);
    make_icons(display);

    te_win = XtVaAppCreateShell(name, "Tarnedit", applicationShellWidgetClass, display,
                                XmNwidth, 575, XmNheight, 600,
                                XmNallowShellResize, False,
                                XmNiconName, "Wright",
                                XmNargc, argc, XmNargv, argv,
                                nullptr);
    read_select_color(te_win);

    main_dialog = XtVaCreateManagedWidget("main_dialog", xmFormWidgetClass, te_win, XmNautoUnmanage, False, nullptr);
    build_menus();

    main_message_label = make_label(main_dialog, "main_message_label");
    attach(main_message_label, free_edge(), to_form(4), to_form(4), to_form(4));
    main_separator = make_separator(main_dialog, "main_separator");
    attach(main_separator, free_edge(), to_form(), to_form(), to_widget(main_message_label, 2));

    main_form = XtVaCreateWidget("main_form", xmMessageBoxWidgetClass, main_dialog,
                                 XmNdialogType, XmDIALOG_TEMPLATE, XmNautoUnmanage, False, nullptr);
    attach(main_form, to_widget(main_menu_bar), to_form(), to_form(), to_widget(main_separator));
    main_form_separator = XmMessageBoxGetChild(main_form, XmDIALOG_SEPARATOR);
    main_form_states = make_push_button(main_form, "main_form_states", {show(state_edit_dialog)});
    main_form_transitions = make_push_button(main_form, "main_form_transitions", {show(te_transition_edit_dialog)});
    main_form_conditions = make_push_button(main_form, "main_form_conditions", {show(ct_dialog)});
    build_work_area();
    XtManageChild(main_form);
    return te_win;
}
