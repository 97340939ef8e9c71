// Busy cursor, window icon and show-and-raise, read back from the X server.
#include "support/gui_harness.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <X11/Shell.h>
#include <Xm/Xm.h>

#include <algorithm>

#include "app/globals.h"
#include "ui/dialog_box.h"
#include "ui/gui_utils.h"

using gui::GuiTest;

namespace {

struct CursorShot {
    int width = 0, height = 0, xhot = 0, yhot = 0;
    unsigned long serial = 0;
    std::vector<unsigned long> pixels;
    unsigned long at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// The cursor the server shows at the pointer.
CursorShot cursor_now() {
    CursorShot shot;
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (!image) return shot;
    shot.width = image->width;
    shot.height = image->height;
    shot.xhot = image->xhot;
    shot.yhot = image->yhot;
    shot.serial = image->cursor_serial;
    shot.pixels.assign(image->pixels, image->pixels + image->width * image->height);
    XFree(image);
    return shot;
}

bool sync_done() { return LastKnownRequestProcessed(display) + 1 == NextRequest(display); }

Window top_of_stack() {
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    Window top = None;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes a;
        if (XGetWindowAttributes(display, children[i], &a) && a.map_state == IsViewable) top = children[i];
    }
    if (children) XFree(children);
    return top;
}
}  // namespace

TEST_F(GuiTest, BusyCursorShowsTheHourglassAndResetRestoresTheDefault) {
    int event_base, error_base;
    ASSERT_TRUE(XFixesQueryExtension(display, &event_base, &error_base));
    Widget shell = gui::test_shell();
    XWarpPointer(display, None, XtWindow(shell), 0, 0, 0, 0, 100, 100);
    gui::process_events();
    CursorShot before = cursor_now();

    // Before any set, reset changes nothing and only synchronises.
    reset_busy_cursor(shell);
    EXPECT_TRUE(sync_done());
    EXPECT_EQ(cursor_now().serial, before.serial);

    set_busy_cursor(shell);
    EXPECT_TRUE(sync_done());
    CursorShot busy = cursor_now();
    ASSERT_EQ(busy.width, 32);
    ASSERT_EQ(busy.height, 32);
    EXPECT_EQ(busy.xhot, 15);
    EXPECT_EQ(busy.yhot, 15);
    EXPECT_EQ(busy.at(5, 1) & 0xffffffffUL, 0xff000000UL) << "frame in black";
    EXPECT_EQ(busy.at(0, 0) >> 24 & 0xff, 0u) << "outside the mask is transparent";
    Pixel background = 0;
    XtVaGetValues(shell, XtNbackground, &background, nullptr);
    XColor bg{};
    bg.pixel = background;
    XQueryColor(display, DefaultColormap(display, DefaultScreen(display)), &bg);
    unsigned long inside = busy.at(8, 5) & 0xffffffffUL;  // inside the frame, between the posts and the glass
    EXPECT_EQ(inside >> 24 & 0xff, 0xffu);
    EXPECT_EQ(inside >> 16 & 0xff, static_cast<unsigned long>(bg.red >> 8)) << "background of the widget";

    // One reset undoes any number of sets.
    set_busy_cursor(shell);
    reset_busy_cursor(shell);
    EXPECT_EQ(cursor_now().serial, before.serial);

    {
        BusyCursor scope(shell);
        EXPECT_EQ(cursor_now().width, 32);
    }
    EXPECT_EQ(cursor_now().serial, before.serial);
}

TEST_F(GuiTest, BadIconImageLeavesTheShellWithoutIcon) {
    Widget shell = gui::test_shell();
    const char* broken[] = {"1 1 1 1", "x c no-such-colour-name", "x"};
    EXPECT_EQ(g2_setupIconPixmap(const_cast<char**>(broken), shell, "Requests", 2, 2), 0);
    Window icon = 0;
    char* icon_name = nullptr;
    XtVaGetValues(shell, XtNiconWindow, &icon, XtNiconName, &icon_name, nullptr);
    EXPECT_EQ(icon, 0u);
    EXPECT_STRNE(icon_name ? icon_name : "", "Requests");
}

TEST_F(GuiTest, WinShowManagesADialogAndBringsItToTheFront) {
    Widget shell = gui::test_shell();
    InformationDialogBox first(shell, "first");
    InformationDialogBox second(shell, "second");
    g2_win_show(first.getwidget());
    g2_win_show(second.getwidget());
    gui::process_events();
    EXPECT_EQ(top_of_stack(), XtWindow(XtParent(second.getwidget())));
    g2_win_show(first.getwidget());
    gui::process_events();
    EXPECT_EQ(top_of_stack(), XtWindow(XtParent(first.getwidget())));
    EXPECT_EQ(gui::open_dialogs().size(), 2u);
}
