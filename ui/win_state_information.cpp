// The state-information dialog, opened from the diagram: one state and its transitions,
// read only.
#include <Xm/TextF.h>

#include "ui/callbacks.h"
#include "ui/build_helpers.h"
#include "ui/windows.h"

Widget create_state_information(Widget parent)
{
    si_form = make_dialog(parent, {"state_information", "si_form", false, 0, 0}, state_information);
    make_action_buttons(si_form, {
        {"si_close", &si_close, {hide(si_form)}},
        // The window shows one state: its help is the states' topic.
        {"si_help", &si_help, {call(state_help_cb)}},
    });

    widget35 = make_work_form(si_form, "widget35", 350, 300);
    struct Row {
        const char* label_name;
        Widget* label;
        const char* field_name;
        Widget* field;
    };
    const Row rows[] = {
        {"si_name_label", &si_name_label, "si_name", &si_name},
        {"si_description_label", &si_description_label, "si_description", &si_description},
        {"si_pollrate_label", &si_pollrate_label, "si_pollrate", &si_pollrate},
        {"si_severity_label", &si_severity_label, "si_severity", &si_severity},
    };
    Widget above = nullptr;
    for (const Row& r : rows) {
        make_field_row(widget35, r.label_name, *r.label, r.field_name, *r.field,
                       above ? to_widget(above, 2) : to_form(4), 90);
        XtVaSetValues(*r.field, XmNeditable, False, XmNcursorPositionVisible, False, nullptr);
        above = *r.field;
    }
    Widget list_window = nullptr;
    si_list = make_scrolled_list(widget35, "si_list", 10, XmBROWSE_SELECT, {}, &list_window);
    attach(list_window, to_widget(above, 6), to_form(4), to_form(4), to_form(4));
    return state_information;
}
