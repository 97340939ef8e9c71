// The GUI test harness: real widget trees in process, driven by widget name.
//
// A GUI test derives its fixture from gui::GuiTest (or uses it directly with TEST_F):
//
//     TEST_F(GuiTest, DeleteAsksFirst) {
//         Widget shell = gui::test_shell();              // or gui::start_editor({"-t", "x"})
//         display_warning(shell, "Gone?", ok_cb, cancel_warning);
//         gui::Dialog d = gui::only_dialog();            // fails the test unless exactly one is up
//         EXPECT_EQ(d.title, "Warning");
//         gui::press(d.button("Cancel"));
//         EXPECT_TRUE(gui::open_dialogs().empty());
//     }
//
// SetUp gives every test a fresh, empty store (VARO_STORE names an SQLite file in a new
// temporary folder, removed by TearDown) and opens the display into the program's globals
// `app_context` and `display`. When DISPLAY is unset or names no server, the harness starts
// its own Xvfb for the test process. Each test runs in its own process (ctest), so each
// starts from a fresh widget tree.
//
// Driving widgets works as a user's action would: press() calls the activate callbacks with
// a proper call data (and fails the test if the widget is insensitive or unmanaged);
// type_text() goes through XmTextFieldReplace so modify-verify callbacks run; list and option
// choices notify their callbacks. Widgets are found by name: find(name) searches every widget
// tree the harness knows (the shells it made, the editor's top-level shells, and every realized
// top-level of the display), popups included.
//
// Exit paths are tested with EXPECT_EXIT: the harness switches death tests to the
// "threadsafe" style, which re-runs the test in a fresh process with its own X connection.
#ifndef TARNWRIGHT_TESTS_SUPPORT_GUI_HARNESS_H
#define TARNWRIGHT_TESTS_SUPPORT_GUI_HARNESS_H

// gtest first: X's macros (None, Bool, ...) would break its headers.
#include <gtest/gtest.h>

#include <X11/Intrinsic.h>

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

namespace gui {

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The temporary folder of this test (holds the store).
    const std::string& temp_dir() const { return dir; }

private:
    std::string dir;
};

// Makes sure DISPLAY names a running X server (starting a private Xvfb if needed).
void ensure_x_server();
// Opens the toolkit as the program does (no-op when already open).
void open_display();

// A realized 600 x 400 application shell to hang dialogs on, made once per test.
Widget test_shell();

// Runs the program's start-up (command line, windows, connection, ...) as main() does,
// without entering the main loop; the arguments follow argv[0] ("tarnedit"). Returns te_win.
// To start without a connection, point VARO_STORE somewhere unreachable first.
Widget start_editor(std::initializer_list<const char*> args = {});

// Widget trees searched by find(); test_shell and start_editor add theirs.
void add_root(Widget root);
// The first widget of that name, searching all trees and their popups; null if none.
Widget find(const std::string& name);
// Like find, but fails the test when there is no such widget.
Widget need(const std::string& name);

// Processes X events and timers until nothing is pending (work procedures are not run).
// Then, while build_unseen_menus is set (each test starts with it set), builds the option
// menus whose build waits for their window to be shown: tests drive dialogs without showing
// them and should find each menu as a user opening its window would.
void process_events();
extern bool build_unseen_menus;

// Acting as a user would. Each returns false (and fails the test) when the widget could not
// be used by a user: null, insensitive or unmanaged.
bool press(Widget button);                               // push button or toggle (flips it)
bool type_text(Widget field, const std::string& text);   // replaces the whole contents
bool insert_text(Widget field, const std::string& text); // at the insertion point
bool select_list_pos(Widget list, int position);         // 1-based, with notification
bool select_list_item(Widget list, const std::string& item);
bool activate_list_pos(Widget list, int position);       // double click: select + default action
// Chooses the entry of an option menu by widget name or by label; sets the menu history and
// runs the entry's activate callbacks.
bool choose_option(Widget option_menu, const std::string& entry);
// The window manager's close of a shell (WM_DELETE_WINDOW), as a window manager sends it; the
// same to any program's window.
void close_from_window_manager(Widget shell);
void send_wm_delete(Display* dpy, Window window);

// Reading back.
std::vector<std::string> list_items(Widget list);
std::vector<int> selected_positions(Widget list);
std::string label(Widget w);        // labelString of a label, button or gadget
std::string text(Widget field);     // value of a text field or text
std::string option_value(Widget option_menu);  // label of the current choice
std::string title(Widget shell);
bool sensitive(Widget w);           // XtIsSensitive (the widget and its ancestors)
bool managed(Widget w);

// A managed message box in a dialog shell: what the user sees.
struct Dialog {
    Widget box = nullptr;
    std::string name;                  // widget name, e.g. "ErrorDialog"
    std::string title;                 // the shell's title
    std::string message;               // lines joined by "\n"
    std::vector<std::string> buttons;  // labels of the managed buttons, left to right
    unsigned char style = 0;           // XmNdialogStyle
    int x = 0, y = 0;                  // where its shell is
    // The managed button with that label; null (and a test failure) when none.
    Widget button(const std::string& label) const;
};

// Every message dialog up (error, warning, question, information), oldest first; not the
// editor's own windows, which are message boxes in dialog shells too.
std::vector<Dialog> open_dialogs();
// The one dialog up; fails the test unless there is exactly one.
Dialog only_dialog();
// Answers every dialog up with its first button (OK, Yes); returns their messages.
std::vector<std::string> answer_all();

// The pixel drawn at x, y in w's window (after the server has caught up), and the pixel of a
// named colour in w's colormap, to compare with it.
unsigned long pixel_at(Widget w, int x, int y);
unsigned long named_pixel(Widget w, const char* colour);

// A pointer event at x, y of w's window (ButtonPress, ButtonRelease, or MotionNotify with the
// button held), dispatched through the toolkit as the server would deliver it.
void pointer_event(Widget w, int type, unsigned int button, int x, int y, unsigned int modifiers = 0);

// With TARNWRIGHT_SCREENSHOTS naming a folder: the window of the shell (null: the whole
// screen) as the user sees it now, into <folder>/<file>.
void snap(Widget shell, const std::string& file);

}  // namespace gui

#endif
