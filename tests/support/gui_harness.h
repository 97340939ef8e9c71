// The GUI test harness: real widget trees in process, driven by widget name as a user would
// (press() calls a button's activate callbacks, type_text() goes through the modify-verify
// callbacks, list and option choices notify). GuiTest gives each test a fresh SQLite store in a
// temporary folder and the display (a private Xvfb when DISPLAY names none); EXPECT_EXIT runs in
// the "threadsafe" style, in a fresh process with its own X connection.
#ifndef TARNWRIGHT_TESTS_SUPPORT_GUI_HARNESS_H
#define TARNWRIGHT_TESTS_SUPPORT_GUI_HARNESS_H

// gtest first: X's macros (None, Bool, ...) would break its headers.
#include <gtest/gtest.h>

#include <X11/Intrinsic.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace gui {

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    const std::string& temp_dir() const { return dir; }  // holds the store

private:
    std::string dir;
};

void ensure_x_server();  // DISPLAY names a running server (a private Xvfb if needed)
void open_display();     // the toolkit opened as the program does (once)
Widget test_shell();     // a realized 600 x 400 shell to hang dialogs on, one per test

// The program's start-up as main() does it, without the main loop; the arguments follow
// "tarnedit". False when Varo cannot be reached.
bool start_editor(const std::vector<std::string>& args = {});

// Widgets by name, searching every known tree (test_shell and start_editor add theirs), every
// realized top level and their popups; need() fails the test when there is none.
void add_root(Widget root);
Widget find(const std::string& name);
Widget need(const std::string& name);
std::vector<Widget> children(Widget composite);
void walk(Widget root, const std::function<void(Widget)>& visit);  // with its popups, in creation order

// X events and timers until nothing is pending; then, while build_unseen_menus is set (each
// test starts with it set), the option menus put off until their window shows are built, as a
// user opening the window would find them.
void process_events();
extern bool build_unseen_menus;

// Acting as a user would; false (and a test failure) when the widget is null, insensitive or
// unmanaged.
bool press(Widget button);  // push button, or a toggle flipped
bool type_text(Widget field, const std::string& text);    // replaces the whole contents
bool insert_text(Widget field, const std::string& text);  // at the insertion point
bool select_list_pos(Widget list, int position);          // 1-based, with notification
bool select_list_item(Widget list, const std::string& item);
bool activate_list_pos(Widget list, int position);  // double click
bool choose_option(Widget option_menu, const std::string& entry);  // by widget name or label
void close_from_window_manager(Widget shell);  // WM_DELETE_WINDOW
void send_wm_delete(Display* dpy, Window window);

std::vector<std::string> list_items(Widget list);
std::vector<int> selected_positions(Widget list);
std::string label(Widget w);
std::string text(Widget field);
std::string option_value(Widget option_menu);  // label of the current choice
std::string title(Widget shell);
bool sensitive(Widget w);
bool managed(Widget w);

// A managed message box in a dialog shell: what the user sees.
struct Dialog {
    Widget box = nullptr;
    std::string name, title, message;  // "ErrorDialog", ..., the shell's title, lines joined by "\n"
    std::vector<std::string> buttons;  // managed, left to right
    unsigned char style = 0;           // XmNdialogStyle
    int x = 0, y = 0;                  // where its shell is
    Widget button(const std::string& label) const;  // null and a failure when none
};

// Message dialogs up (error, warning, question, information), oldest first.
std::vector<Dialog> open_dialogs();
Dialog only_dialog();  // fails the test unless exactly one is up
// Answers every dialog up with its first button (OK, Yes); their messages.
std::vector<std::string> answer_all();

// The pixel drawn at x, y of w's window, and a named colour's pixel to compare with it.
unsigned long pixel_at(Widget w, int x, int y);
unsigned long named_pixel(Widget w, const char* colour);
// A pointer event at x, y of w's window (MotionNotify with the button held), dispatched as the
// server would deliver it.
void pointer_event(Widget w, int type, unsigned int button, int x, int y, unsigned int modifiers = 0);
// With TARNWRIGHT_SCREENSHOTS naming a folder: the shell's window (null: the screen) into it.
void snap(Widget shell, const std::string& file);

}  // namespace gui

#endif
