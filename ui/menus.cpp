#include "ui/menus.h"

#include <Xm/RowColumn.h>
#include <Xm/ToggleB.h>

#include "ui/callbacks.h"
#include "ui/icons.h"
#include "ui/windows.h"

Widget make_menu_bar(Widget form, const char* name)
{
    Widget bar = XmCreateMenuBar(form, const_cast<char*>(name), nullptr, 0);
    attach(bar, to_form(), to_form(), to_form());
    XtManageChild(bar);
    return bar;
}

Widget make_view_toggle(Widget pulldown, const char* name, const Binds& value_changed)
{
    Widget w = make_toggle(pulldown, name, value_changed);
    XtVaSetValues(w, XmNindicatorType, XmONE_OF_MANY, XmNvisibleWhenOff, True, nullptr);
    if (have_view_select_color) XtVaSetValues(w, XmNselectColor, view_select_color, nullptr);
    return w;
}

const std::vector<SharedMenuEntry> shared_template_entries = {
    {{"main_new_template", "sd_template_new"}, {&main_new_template, &sd_template_new}, {call(main_new_template_cb)}},
    {{"main_open_button", "sd_template_open"}, {&main_open_button, &sd_template_open}, {show(open_list_dialog)}},
    {{"main_save_button", "sd_template_save"}, {&main_save_button, &sd_template_save}, {call(main_save_button_cb)}},
    {{"main_check_template", "sd_template_check"}, {&main_check_template, &sd_template_check}, {call(check_template_cb)}},
    {{"main_simulate", "sd_template_simulate"}, {&main_simulate, &sd_template_simulate}, {call(simulate_cb)}},
    {{"main_template_history", "sd_template_history"}, {&main_template_history, &sd_template_history},
     {call(template_history_cb)}},
};

const std::vector<SharedMenuEntry> shared_edit_entries = {
    {{"main_edit_undo", "sd_edit_undo"}, {&main_edit_undo, &sd_edit_undo}, {call(main_undo_cb)}},
    {{"main_edit_redo", "sd_edit_redo"}, {&main_edit_redo, &sd_edit_redo}, {call(main_redo_cb)}},
    {{"main_edit_separator", "sd_edit_separator"}, {&main_edit_separator, &sd_edit_separator}, {}},
    {{"main_edit_states", "sd_edit_states"}, {&main_edit_states, &sd_edit_states}, {show(state_edit_dialog)}},
    {{"main_edit_transitions", "sd_edit_transitions"}, {&main_edit_transitions, &sd_edit_transitions},
     {show(te_transition_edit_dialog)}},
    {{"main_edit_conditions", "sd_edit_conditions"}, {&main_edit_conditions, &sd_edit_conditions}, {show(ct_dialog)}},
};

const std::vector<SharedMenuEntry> shared_setup_entries = {
    {{"main_pollrates", "sd_edit_pollrates"}, {&main_pollrates, &sd_edit_pollrates}, {show(te_pollrate_dialog)}},
    {{"main_severities", "sd_edit_severities"}, {&main_severities, &sd_edit_severities}, {show(te_severity_dialog)}},
};

void make_shared_entries(Widget pulldown, TopWindow window, const std::vector<SharedMenuEntry>& entries)
{
    for (const SharedMenuEntry& e : entries)
        *e.widget[window] = e.activate.empty() ? make_separator(pulldown, e.name[window])
                                                : make_push_button(pulldown, e.name[window], e.activate);
}
