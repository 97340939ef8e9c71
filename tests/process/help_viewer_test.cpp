// The real tarnedit and the real help viewer together, driven from the keyboard: the main
// window's Help starts the viewer on the main window's topic, and the diagram window's Help
// shows its own topic in that same viewer.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "support/process_runner.h"
#include "support/store_fixture.h"

namespace {
using namespace std::chrono_literals;

// Real key presses, as the user's keyboard would make them, into the focused window.
void type_keys(Display* dpy, unsigned long window, std::initializer_list<std::pair<KeySym, KeySym>> keys) {
    XSetInputFocus(dpy, window, RevertToPointerRoot, CurrentTime);
    XSync(dpy, False);
    std::this_thread::sleep_for(300ms);
    for (auto [modifier, key] : keys) {
        if (modifier) XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, modifier), True, 0);
        XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, key), True, 0);
        XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, key), False, 0);
        if (modifier) XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, modifier), False, 0);
        XSync(dpy, False);
        std::this_thread::sleep_for(300ms);
    }
}
}  // namespace

TEST(HelpViewer, MainWindowHelpStartsTheViewerAndTheDiagramsHelpReusesIt) {
    testenv::TempDir dir;
    Display* dpy = proc::x_display();
    ASSERT_NE(dpy, nullptr);
    int ignored;
    ASSERT_TRUE(XTestQueryExtension(dpy, &ignored, &ignored, &ignored, &ignored));

    // Nothing set: the build tree's viewer and help file are found by themselves.
    proc::Options o = proc::editor_options("sqlite:" + dir.path() + "/varo.db", dir.path());
    o.unset.insert(o.unset.end(), {"CORVANE_HOME", "HHPATH", "HHHOME"});
    proc::Child editor(proc::tarnedit(), o);
    unsigned long main = proc::wait_for_window(proc::main_title(proc::host_name()));
    ASSERT_NE(main, 0u);

    type_keys(dpy, main, {{XK_Alt_L, XK_h}, {0, XK_w}});  // Help > On This Window...
    unsigned long viewer = proc::wait_for_window("Tarnwright Help: The main window");
    ASSERT_NE(viewer, 0u) << "the viewer did not show topic 5000";

    type_keys(dpy, main, {{XK_Alt_L, XK_v}, {0, XK_b}});  // View > Both: the diagram window too
    unsigned long diagram = proc::wait_for_window("Tarnwright: State Diagram");
    ASSERT_NE(diagram, 0u);
    XMoveWindow(dpy, viewer, 620, 30);
    XMoveWindow(dpy, diagram, 0, 610);
    type_keys(dpy, diagram, {{XK_Alt_L, XK_h}, {0, XK_w}});
    EXPECT_EQ(proc::wait_for_window("Tarnwright Help: The state-diagram window"), viewer)
        << "topic 5800 in the same viewer";
    if (const char* shots = std::getenv("TARNWRIGHT_SCREENSHOTS")) {
        std::this_thread::sleep_for(500ms);
        std::string command = "import -window root " + std::string(shots) + "/help_viewer.png";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }

    proc::send_wm_delete(viewer);
    EXPECT_TRUE(proc::wait_for_no_window("Tarnwright Help: The state-diagram window"));
    proc::send_wm_delete(main);
    proc::Result r = editor.finish();
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err.find("failed"), std::string::npos) << r.err;
}
