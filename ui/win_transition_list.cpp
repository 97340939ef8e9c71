// The transition-information dialog, opened from the diagram: the transitions between two
// states and their actions.
#include <X11/Shell.h>

#include "ui/callbacks.h"
#include "ui/build_helpers.h"
#include "ui/windows.h"

Widget create_transition_list_win(Widget parent)
{
    tl_template = make_dialog(parent, {"transition_list_win", "tl_template", true, 375, 300, msg::TRANSITION_LIST_TITLE},
                              transition_list_win);
    XtVaSetValues(transition_list_win, XmNminWidth, 150, XmNminHeight, 200, XmNbaseWidth, 150, XmNbaseHeight, 200,
                  XmNmaxWidth, 32767, XmNmaxHeight, 32767, nullptr);
    make_action_buttons(tl_template, {
        {"tl_close", &tl_close, {hide(tl_template)}, msg::TRANSITION_LIST_CLOSE},
        {"tl_help", &tl_help, {call(tl_help_cb)}, msg::TRANSITION_LIST_HELP},
    });

    tl_form = make_work_form(tl_template, "tl_form");
    transition_caption = make_caption(tl_form, "transition_caption");
    make_caption_row(transition_caption, "tl_from_label", msg::TRANSITION_LIST_FROM, tl_from_label, "tl_from_state", tl_from_state,
                     {call(verify_no_space)}, 40);
    make_caption_row(transition_caption, "tl_to_label", msg::TRANSITION_LIST_TO, tl_to_label, "tl_to_state", tl_to_state,
                     {call(verify_no_space)}, 40);
    attach(transition_caption, to_form(4), to_form(), to_form());

    list_label = make_label(tl_form, "list_label", XmALIGNMENT_BEGINNING);
    set_catalogue_label(list_label, msg::TRANSITION_LIST_HEADING);
    attach(list_label, to_widget(transition_caption, 8), to_form(4), to_form(4));
    tl_list = make_scrolled_list(tl_form, "tl_list", 5, XmBROWSE_SELECT, {}, &transition_scrolled_list);
    attach(transition_scrolled_list, to_widget(list_label, 2), to_form(4), to_form(4), to_form(4));
    return transition_list_win;
}
