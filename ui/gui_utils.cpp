// Label and status texts, busy cursor, shaped window icon, show-and-raise and the start-up report.
#include "ui/gui_utils.h"

#include <X11/Shell.h>
#include <X11/StringDefs.h>
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <X11/xpm.h>
#include <Xm/Protocols.h>
#include <Xm/Xm.h>
#include <unistd.h>

#include <cstring>

#include "ui/hourglass.h"
#include "ui/option_menus.h"
#include "ui/widgets.h"
#include "ui/xm_string.h"

namespace {
// Made on first need and kept until exit.
Cursor busy_cursor = 0;

void make_busy_cursor(Widget w) {
    Display* dpy = XtDisplay(w);
    Screen* screen = XtScreen(w);
    Window root = RootWindowOfScreen(screen);
    Pixmap source = XCreateBitmapFromData(dpy, root, reinterpret_cast<const char*>(hourglass_source_bits().data()),
                                          HOURGLASS_SIZE, HOURGLASS_SIZE);
    if (!source) return;  // try again next time
    Pixmap mask = XCreateBitmapFromData(dpy, root, reinterpret_cast<const char*>(hourglass_mask_bits().data()),
                                        HOURGLASS_SIZE, HOURGLASS_SIZE);
    Pixel background = 0;
    XtVaGetValues(w, XtNbackground, &background, nullptr);
    XColor fg{}, bg{};
    fg.pixel = BlackPixelOfScreen(screen);
    bg.pixel = background;
    fg.flags = bg.flags = DoRed | DoGreen | DoBlue;
    Colormap cmap = DefaultColormapOfScreen(screen);
    XQueryColor(dpy, cmap, &fg);
    XQueryColor(dpy, cmap, &bg);
    busy_cursor = XCreatePixmapCursor(dpy, source, mask, &fg, &bg, HOURGLASS_HOT_X, HOURGLASS_HOT_Y);
    XFreePixmap(dpy, source);
    if (mask) XFreePixmap(dpy, mask);
}
}  // namespace

void set_busy_cursor(Widget w) {
    if (!busy_cursor) make_busy_cursor(w);
    if (busy_cursor && XtWindow(w)) XDefineCursor(XtDisplay(w), XtWindow(w), busy_cursor);
    // The cursor must show before the slow work starts.
    XSync(XtDisplay(w), False);
}

void reset_busy_cursor(Widget w) {
    if (busy_cursor && XtWindow(w)) XUndefineCursor(XtDisplay(w), XtWindow(w));
    XSync(XtDisplay(w), False);
}

int g2_setupIconPixmap(char** xpm, Widget shell, const char* icon_name, int width, int height) {
    Display* dpy = XtDisplay(shell);
    int screen = DefaultScreen(dpy);
    Window root = RootWindow(dpy, screen);
    Window icon = XCreateSimpleWindow(dpy, root, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                                      BlackPixel(dpy, screen), BlackPixel(dpy, screen));
    Pixmap pixmap = 0, shape = 0;
    XpmAttributes attributes{};
    attributes.valuemask = 0;
    if (XpmCreatePixmapFromData(dpy, root, xpm, &pixmap, &shape, &attributes) != XpmSuccess) {
        XDestroyWindow(dpy, icon);  // nothing will show it
        return 0;
    }
    XSetWindowBackgroundPixmap(dpy, icon, pixmap);
    if (shape) XShapeCombineMask(dpy, icon, ShapeBounding, 0, 0, shape, ShapeSet);
    // The server keeps what the window uses; our references can go.
    XFreePixmap(dpy, pixmap);
    if (shape) XFreePixmap(dpy, shape);
    XpmFreeAttributes(&attributes);
    XtVaSetValues(shell, XtNiconWindow, icon, XtNiconName, icon_name, nullptr);
    return 0;
}

void g2_win_show(Widget w) {
    XtManageChild(w);
    Widget shell = XtParent(w);
    if (shell && XtIsRealized(shell)) XRaiseWindow(XtDisplay(shell), XtWindow(shell));
}

void g2_panel_response(int fd, const char* text) {
    if (fd == -1) return;
    // One write of the text and its NUL; the launcher reads up to the NUL.
    ssize_t ignored = write(fd, text, std::strlen(text) + 1);
    (void)ignored;
    close(fd);
}

void route_window_close(Widget shell, XtCallbackProc proc, XtPointer client_data, bool keep_mapped) {
    if (keep_mapped) XtVaSetValues(shell, XmNdeleteResponse, XmDO_NOTHING, nullptr);
    Atom wm_delete = XmInternAtom(XtDisplay(shell), const_cast<char*>("WM_DELETE_WINDOW"), False);
    XmAddWMProtocolCallback(shell, wm_delete, proc, client_data);
}

void set_string(Widget label, const char* text) {
    if (!label) return;
    // An option menu's button keeps its menu's width: the value shows through its entry.
    if (show_in_option_menu(label, text ? text : "")) return;
    XmStr s(text ? text : "");
    XtVaSetValues(label, XmNlabelString, static_cast<XmString>(s), nullptr);
}

void set_status(const std::string& text) {
    set_string(main_message_label, text.c_str());
    set_string(sd_message_label, text.c_str());
}
