#include "ui/menus.h"

#include <Xm/RowColumn.h>
#include <Xm/ToggleB.h>

#include "ui/icons.h"

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
