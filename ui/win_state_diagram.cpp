// The state-diagram window: the same menus as the main window, the tool buttons, and the
// scrolled drawing area.
#include <Xm/DrawingA.h>
#include <Xm/FileSB.h>
#include <Xm/Form.h>
#include <Xm/RowColumn.h>
#include <Xm/SelectioB.h>
#include <Xm/ScrolledW.h>
#include <Xm/ToggleB.h>
#include <X11/Shell.h>

#include "ui/callbacks.h"
#include "ui/icons.h"
#include "ui/menus.h"
#include "ui/windows.h"

namespace {

void build_menus()
{
    sd_menu_bar = make_menu_bar(sd_form, "sd_menu_bar");

    sd_template_pulldown = make_pulldown(sd_menu_bar, "sd_template_pulldown");
    sd_template = make_cascade(sd_menu_bar, "sd_template", sd_template_pulldown);
    make_shared_entries(sd_template_pulldown, DIAGRAM_WINDOW, shared_template_entries);
    sd_template_export = make_push_button(sd_template_pulldown, "sd_template_export", {call(sd_export_cb)});
    sep1 = make_separator(sd_template_pulldown, "sep1");
    sd_exit_button = make_push_button(sd_template_pulldown, "sd_exit_button", {call(sd_exit_button_cb)});

    sd_edit_pulldown = make_pulldown(sd_menu_bar, "sd_edit_pulldown");
    sd_edit = make_cascade(sd_menu_bar, "sd_edit", sd_edit_pulldown);
    make_shared_entries(sd_edit_pulldown, DIAGRAM_WINDOW, shared_edit_entries);
    sd_setup_pulldown = make_pulldown(sd_edit_pulldown, "sd_setup_pulldown");
    sd_edit_setup = make_cascade(sd_edit_pulldown, "sd_edit_setup", sd_setup_pulldown);
    make_shared_entries(sd_setup_pulldown, DIAGRAM_WINDOW, shared_setup_entries);
    sd_edit_arrange = make_push_button(sd_edit_pulldown, "sd_edit_arrange", {call(sd_arrange_cb)});

    sd_view_pulldown = make_pulldown(sd_menu_bar, "sd_view_pulldown");
    sd_view = make_cascade(sd_menu_bar, "sd_view", sd_view_pulldown);
    sd_view_graphical = make_view_toggle(sd_view_pulldown, "sd_view_graphical",
                                         {call(graphical_view_cb), popup(state_diagram_win), popdown(te_win)});
    sd_view_text = make_view_toggle(sd_view_pulldown, "sd_view_text",
                                    {call(text_view_cb), popup(te_win), popdown(state_diagram_win)});
    sd_view_both = make_view_toggle(sd_view_pulldown, "sd_view_both",
                                    {call(both_view_cb), popup(te_win), popup(state_diagram_win)});
    XmToggleButtonSetState(sd_view_text, True, False);  // agrees with the main window at start
    sd_view_separator = make_separator(sd_view_pulldown, "sd_view_separator");
    sd_view_zoom_in = make_push_button(sd_view_pulldown, "sd_view_zoom_in", {call(sd_zoom_in_cb)});
    sd_view_zoom_out = make_push_button(sd_view_pulldown, "sd_view_zoom_out", {call(sd_zoom_out_cb)});
    sd_view_fit = make_push_button(sd_view_pulldown, "sd_view_fit", {call(sd_fit_cb)});
    sd_view_actual = make_push_button(sd_view_pulldown, "sd_view_actual", {call(sd_actual_size_cb)});
    sd_find_state = make_push_button(sd_view_pulldown, "sd_find_state", {call(sd_find_state_cb)});
    sd_view_overview = make_push_button(sd_view_pulldown, "sd_view_overview", {call(sd_overview_cb)});

    sd_help_pulldown = make_pulldown(sd_menu_bar, "sd_help_pulldown");
    sd_help_button = make_cascade(sd_menu_bar, "sd_help_button", sd_help_pulldown);
    sd_help_bt = make_push_button(sd_help_pulldown, "sd_help_bt", {call(sd_main_help_cb)});
    XtVaSetValues(sd_menu_bar, XmNmenuHelpWidget, sd_help_button, nullptr);
}

// The file dialog of Export Diagram...: the name typed or picked, a PNG, SVG or PDF by its
// ending, and whether the picture shows the selections.
void build_export_dialog()
{
    sd_export_dialog = XmCreateFileSelectionDialog(state_diagram_win, const_cast<char*>("sd_export_dialog"), nullptr, 0);
    XtVaSetValues(sd_export_dialog, XmNautoUnmanage, False, nullptr);
    sd_export_selections = make_toggle(sd_export_dialog, "sd_export_selections");
    bind(sd_export_dialog, XmNokCallback, {call(sd_export_ok_cb)});
    bind(sd_export_dialog, XmNcancelCallback, {hide(sd_export_dialog)});
    bind(sd_export_dialog, XmNhelpCallback, {call(sd_main_help_cb)});
}

// Find State...: a name typed or picked from the states that start with it.
void build_find_dialog()
{
    sd_find_dialog = XmCreateSelectionDialog(state_diagram_win, const_cast<char*>("sd_find_dialog"), nullptr, 0);
    XtVaSetValues(sd_find_dialog, XmNautoUnmanage, False, nullptr);
    XtUnmanageChild(XmSelectionBoxGetChild(sd_find_dialog, XmDIALOG_APPLY_BUTTON));
    bind(sd_find_dialog, XmNokCallback, {call(sd_find_ok_cb)});
    bind(sd_find_dialog, XmNcancelCallback, {hide(sd_find_dialog)});
    bind(sd_find_dialog, XmNhelpCallback, {call(sd_main_help_cb)});
    bind(XmSelectionBoxGetChild(sd_find_dialog, XmDIALOG_TEXT), XmNvalueChangedCallback, {call(sd_find_changed_cb)});
}

// The overview: the whole diagram small, the part in the view framed.
void build_overview_dialog()
{
    sd_overview_dialog = XmCreateFormDialog(state_diagram_win, const_cast<char*>("sd_overview_dialog"), nullptr, 0);
    XtVaSetValues(sd_overview_dialog, XmNautoUnmanage, False, nullptr);
    sd_overview_area = XtVaCreateManagedWidget("sd_overview_area", xmDrawingAreaWidgetClass, sd_overview_dialog,
                                               XmNwidth, 240, XmNheight, 240, nullptr);
    attach(sd_overview_area, to_form(), to_form(), to_form(), to_form());
    bind(sd_overview_area, XmNexposeCallback, {call(sd_overview_expose_cb)});
    bind(sd_overview_area, XmNinputCallback, {call(sd_overview_input_cb)});
}

}  // namespace

Widget create_state_diagram_win(Widget parent)
{
    state_diagram_win = XtVaCreatePopupShell("state_diagram_win", topLevelShellWidgetClass, parent,
                                             XmNallowShellResize, False, nullptr);
    sd_form = XtVaCreateManagedWidget("sd_form", xmFormWidgetClass, state_diagram_win, XmNautoUnmanage, False,
                                      nullptr);
    build_menus();

    sd_frame = XtVaCreateManagedWidget("sd_frame", xmRowColumnWidgetClass, sd_form,
                                       XmNorientation, XmHORIZONTAL, nullptr);
    attach(sd_frame, to_widget(sd_menu_bar), to_form(), to_form());
    sd_state = make_icon_button(sd_frame, "sd_state", state_icon, {call(generic_state_cb)});
    sd_transition = make_icon_button(sd_frame, "sd_transition", transition_icon, {call(generic_transition_cb)});
    sd_condition = make_icon_button(sd_frame, "sd_condition", condition_icon, {show(ct_dialog)});

    sd_message_label = make_label(sd_form, "sd_message_label");
    attach(sd_message_label, free_edge(), to_form(4), to_form(4), to_form(4));
    sd_separator = make_separator(sd_form, "sd_separator");
    attach(sd_separator, free_edge(), to_form(), to_form(), to_widget(sd_message_label, 2));

    sd_scrolled_window = XtVaCreateManagedWidget("sd_scrolled_window", xmScrolledWindowWidgetClass, sd_form,
                                                 XmNscrollingPolicy, XmAUTOMATIC,
                                                 XmNx, 0, XmNy, 80, XmNwidth, 575, XmNheight, 500,
                                                 nullptr);
    attach(sd_scrolled_window, to_widget(sd_frame), to_form(), to_form(), to_widget(sd_separator));
    sd_draw_area = XtVaCreateManagedWidget("sd_draw_area", xmDrawingAreaWidgetClass, sd_scrolled_window,
                                           XmNx, 0, XmNy, 0, XmNwidth, 3000, XmNheight, 3000, nullptr);
    bind(sd_draw_area, XmNinputCallback, {call(draw_area_input_cb)});
    XtVaGetValues(sd_scrolled_window, XmNhorizontalScrollBar, &sd_horizontal, XmNverticalScrollBar, &sd_vertical,
                  nullptr);
    build_export_dialog();
    build_find_dialog();
    build_overview_dialog();
    return state_diagram_win;
}
