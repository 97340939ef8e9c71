#include "ui/icons.h"

#include <X11/xpm.h>
#include <Xm/Xm.h>

#include "resources/icons/condition.xpm"
#include "resources/icons/state.xpm"
#include "resources/icons/transition.xpm"

Pixmap state_icon = XmUNSPECIFIED_PIXMAP;
Pixmap transition_icon = XmUNSPECIFIED_PIXMAP;
Pixmap condition_icon = XmUNSPECIFIED_PIXMAP;
Pixel view_select_color = 0;
bool have_view_select_color = false;

namespace {

Pixmap pixmap_from(Display* display, const char* const* xpm)
{
    Pixmap pixmap = 0;
    XpmAttributes attributes;
    attributes.valuemask = 0;
    int status = XpmCreatePixmapFromData(display, DefaultRootWindow(display), const_cast<char**>(xpm), &pixmap,
                                         nullptr, &attributes);
    return status == XpmSuccess && pixmap ? pixmap : XmUNSPECIFIED_PIXMAP;
}

}  // namespace

void make_icons(Display* display)
{
    state_icon = pixmap_from(display, state_xpm);
    transition_icon = pixmap_from(display, transition_xpm);
    condition_icon = pixmap_from(display, condition_xpm);
}

void read_select_color(Widget application_shell)
{
    Display* display = XtDisplay(application_shell);
    if (DefaultDepth(display, DefaultScreen(display)) <= 1) return;
    static XtResource resources[] = {
        {const_cast<char*>("red"), const_cast<char*>("Color"), const_cast<char*>(XmRPixel), sizeof(Pixel), 0,
         const_cast<char*>(XmRString), const_cast<char*>("Black")},
    };
    XtGetApplicationResources(application_shell, &view_select_color, resources, XtNumber(resources), nullptr, 0);
    have_view_select_color = true;
}
