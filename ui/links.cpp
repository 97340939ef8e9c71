#include "ui/links.h"

#include <X11/IntrinsicP.h>
#include <X11/ShellP.h>

#include "ui/gui_utils.h"

namespace {

// The widget in the variable the client data points at; null when the variable is unset
// (its window has not been built, e.g. without a server connection).
Widget target_of(XtPointer client)
{
    Widget* variable = static_cast<Widget*>(client);
    return variable ? *variable : nullptr;
}

}  // namespace

void show_top_level(Widget shell)
{
    if (!shell) return;
    XtRealizeWidget(shell);
    if (reinterpret_cast<ShellWidget>(shell)->shell.popped_up) {
        XMapRaised(XtDisplay(shell), XtWindow(shell));  // shown by realizing, or iconified
        return;
    }
    XtPopup(shell, XtGrabNone);
}

void hide_top_level(Widget shell)
{
    if (!shell || !XtIsRealized(shell)) return;
    if (reinterpret_cast<ShellWidget>(shell)->shell.popped_up) {
        XtPopdown(shell);
        return;
    }
    XWithdrawWindow(XtDisplay(shell), XtWindow(shell), XScreenNumberOfScreen(XtScreen(shell)));
}

bool top_level_is_shown(Widget shell)
{
    if (!shell || !XtIsRealized(shell)) return false;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(XtDisplay(shell), XtWindow(shell), &attributes)) return false;
    return attributes.map_state != IsUnmapped;
}

void XDmanage_link(Widget, XtPointer target, XtPointer)
{
    if (Widget w = target_of(target)) g2_win_show(w);
}

void XDunmanage_link(Widget, XtPointer target, XtPointer)
{
    if (Widget w = target_of(target)) XtUnmanageChild(w);
}

void XDpopup_link(Widget, XtPointer target, XtPointer)
{
    show_top_level(target_of(target));
}

void XDpopdown_link(Widget, XtPointer target, XtPointer)
{
    hide_top_level(target_of(target));
}

void XDmap_link(Widget, XtPointer target, XtPointer)
{
    Widget w = target_of(target);
    if (w && XtIsRealized(w)) XMapWindow(XtDisplay(w), XtWindow(w));
}

void XDunmap_link(Widget, XtPointer target, XtPointer)
{
    Widget w = target_of(target);
    if (w && XtIsRealized(w)) XUnmapWindow(XtDisplay(w), XtWindow(w));
}

void XDenable_link(Widget, XtPointer target, XtPointer)
{
    if (Widget w = target_of(target)) XtSetSensitive(w, True);
}

void XDdisable_link(Widget, XtPointer target, XtPointer)
{
    if (Widget w = target_of(target)) XtSetSensitive(w, False);
}
