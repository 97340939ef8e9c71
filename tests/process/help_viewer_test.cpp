// The real tarnedit and the real help viewer together, driven from the keyboard, and the
// viewer alone on a file it cannot show.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/process_runner.h"
#include "support/store_fixture.h"

namespace {
using namespace std::chrono_literals;

// Viewable override-redirect windows on the screen: a posted menu is one.
int posted_menus(Display* dpy) {
    int posted = 0;
    XWindowAttributes a;
    for (Window w : proc::child_windows())
        posted += XGetWindowAttributes(dpy, w, &a) && a.override_redirect && a.map_state == IsViewable;
    return posted;
}

void press(Display* dpy, KeySym modifier, KeySym key) {
    if (modifier) XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, modifier), True, 0);
    XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, key), True, 0);
    XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, key), False, 0);
    if (modifier) XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, modifier), False, 0);
    XSync(dpy, False);
}

// Real key presses into the window once it is on the screen, as the user's keyboard makes
// them: with a menu key, Alt and it post the menu and the entry key goes in only once the
// menu is up (a key typed before would reach the window under it, however long a pause is
// guessed under load).
void keys(Display* dpy, unsigned long window, KeySym key, KeySym entry = 0) {
    XWindowAttributes a;  // found is not yet shown: focus goes only to a window on the screen
    EXPECT_TRUE(testenv::poll_until(20, 50, [&] {
        return XGetWindowAttributes(dpy, window, &a) && a.map_state == IsViewable;
    })) << "the window never showed";
    XSetInputFocus(dpy, window, RevertToPointerRoot, CurrentTime);
    XSync(dpy, False);
    std::this_thread::sleep_for(300ms);
    if (!entry) return press(dpy, XK_Control_L, key);
    const int before = posted_menus(dpy);
    press(dpy, XK_Alt_L, key);
    EXPECT_TRUE(testenv::poll_until(20, 50, [&] { return posted_menus(dpy) > before; })) << "the menu never posted";
    press(dpy, 0, entry);
}

// The editor's viewer: its child process running hyperhelp (0 if none).
pid_t viewer_of(pid_t editor) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::string stat = proc::read_file(entry.path().string() + "/stat");
        std::size_t close = stat.rfind(')');
        if (stat.find("(hyperhelp)") == std::string::npos || close == std::string::npos) continue;
        char state = 0;
        int ppid = 0;
        if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &ppid) == 2 && ppid == editor)
            return static_cast<pid_t>(std::stoi(entry.path().filename().string()));
    }
    return 0;
}

// Gone: no such process, or one that has ended and waits for its new parent to reap it.
bool gone(pid_t pid) {
    std::string stat = proc::read_file("/proc/" + std::to_string(pid) + "/stat");
    std::size_t close = stat.rfind(')');
    return close == std::string::npos || stat.compare(close + 1, 3, " Z ") == 0;
}

std::string hyperhelp() { return std::string(TEST_BUILD_DIR) + "/../resources/bin/hyperhelp"; }
}  // namespace

// The main window's Help starts the viewer on its topic (nothing set: the build tree's viewer
// and help file are found by themselves), the diagram window's Help shows its own topic in
// that same viewer. However the editor ends, its viewer ends with it: asked to quit on Exit,
// and on its own when the editor's window goes (kill -9). (The environment it is given:
// HelpClient.NoUsableRecordAppendsOneAndStartsTheViewerWithItsArgumentsAndNothingElse.)
TEST(HelpViewer, OneViewerServesTheEditorsWindowsAndEndsWithIt) {
    Display* dpy = proc::x_display();
    ASSERT_NE(dpy, nullptr);
    int ignored;
    ASSERT_TRUE(XTestQueryExtension(dpy, &ignored, &ignored, &ignored, &ignored));
    for (bool kill_editor : {false, true}) {
        SCOPED_TRACE(kill_editor ? "kill -9" : "Exit");
        testenv::TempDir dir;
        proc::Options o = proc::editor_options("sqlite:" + dir.path() + "/varo.db", dir.path());
        o.unset.insert(o.unset.end(), {"CORVANE_HOME", "HHPATH", "HHHOME"});
        proc::Child editor(proc::tarnedit(), o);
        unsigned long main = proc::wait_for_window(proc::main_title(proc::host_name()));
        ASSERT_NE(main, 0u);
        keys(dpy, main, XK_h, XK_w);  // Help > On This Window...
        unsigned long viewer = proc::wait_for_window("Tarnwright Help: The main window");
        ASSERT_NE(viewer, 0u) << "the viewer did not show topic 5000";
        pid_t viewer_pid = viewer_of(editor.pid());
        ASSERT_GT(viewer_pid, 0);

        if (kill_editor) {
            kill(editor.pid(), SIGKILL);
        } else {
            keys(dpy, main, XK_v, XK_b);  // View > Both: the diagram window too
            unsigned long diagram = proc::wait_for_window("Tarnwright: State Diagram");
            ASSERT_NE(diagram, 0u);
            XMoveWindow(dpy, viewer, 620, 30);
            XMoveWindow(dpy, diagram, 0, 610);
            keys(dpy, diagram, XK_h, XK_w);
            EXPECT_EQ(proc::wait_for_window("Tarnwright Help: The state-diagram window"), viewer)
                << "topic 5800 in the same viewer";
            if (const char* shots = std::getenv("TARNWRIGHT_SCREENSHOTS")) {
                std::this_thread::sleep_for(500ms);
                EXPECT_EQ(std::system(("import -window root " + std::string(shots) + "/help_viewer.png").c_str()), 0);
            }
            keys(dpy, main, XK_q);  // Exit
        }
        proc::Result r = editor.finish(20);
        if (!kill_editor) {
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(r.err.find("failed"), std::string::npos) << r.err;
        }
        auto ended = std::chrono::steady_clock::now();
        // A deadline, not a measure: the figure is printed for the record.
        EXPECT_TRUE(testenv::poll_until(20, 50, [&] { return gone(viewer_pid); }));
        std::printf("viewer gone %.2f s after the editor ended\n",
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - ended).count());
        EXPECT_TRUE(proc::wait_for_no_window(kill_editor ? "Tarnwright Help: The main window"
                                                         : "Tarnwright Help: The state-diagram window"));
    }
}

// A file the viewer cannot show (the reader's every reason is the unit test's): the reason on
// standard error (and on its status line), an empty page, no word about a missing topic.
TEST(HelpViewer, SaysWhyItCannotReadAFile) {
    ASSERT_NE(proc::x_display(), nullptr);
    testenv::TempDir dir;
    const std::string path = dir.path() + "/binary.hlp";
    std::ofstream(path, std::ios::binary) << std::string("\x7f" "ELF\2\1\0", 7);
    proc::Options o;
    o.args = {"-d", "4711", "-c", "5000", path};
    o.env["DISPLAY"] = std::getenv("DISPLAY");
    proc::Child viewer(hyperhelp(), o);
    unsigned long window = proc::wait_for_window("hyperhelp", 20, 0, true);
    ASSERT_NE(window, 0u);
    if (const char* shots = std::getenv("TARNWRIGHT_SCREENSHOTS")) {
        EXPECT_EQ(std::system(("import -window " + std::to_string(window) + " " + shots + "/help_viewer_binary.png").c_str()), 0);
    }
    proc::send_wm_delete(window);
    proc::Result r = viewer.finish(10);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "Can't read help file " + path + ": it is not text (byte 0x7f at offset 0)\n");
    EXPECT_TRUE(proc::wait_for_no_window("hyperhelp"));
}
