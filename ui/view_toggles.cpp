// The three view switches of both menu bars: which top-level windows are up, and the six
// toggles always telling the same story.
#include <Xm/ToggleB.h>

#include "ui/callbacks.h"
#include "ui/links.h"
#include "ui/widgets.h"

namespace {

enum class View { graphical, text, both };

void set_toggles(View view)
{
    struct Pair {
        View view;
        Widget main_toggle;
        Widget diagram_toggle;
    };
    const Pair pairs[] = {
        {View::graphical, main_view_graphical, sd_view_graphical},
        {View::text, main_view_text, sd_view_text},
        {View::both, main_view_both, sd_view_both},
    };
    for (const Pair& p : pairs) {
        Boolean on = p.view == view ? True : False;
        if (p.main_toggle) XmToggleButtonSetState(p.main_toggle, on, False);
        if (p.diagram_toggle) XmToggleButtonSetState(p.diagram_toggle, on, False);
    }
}

}  // namespace

void graphical_view_cb(Widget, XtPointer, XtPointer)
{
    show_top_level(state_diagram_win);
    set_toggles(View::graphical);
    hide_top_level(te_win);
}

void text_view_cb(Widget, XtPointer, XtPointer)
{
    show_top_level(te_win);
    set_toggles(View::text);
    hide_top_level(state_diagram_win);
}

void both_view_cb(Widget, XtPointer, XtPointer)
{
    show_top_level(state_diagram_win);
    show_top_level(te_win);
    set_toggles(View::both);
}
