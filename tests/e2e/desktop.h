// The real tarnedit driven as a user drives it: key presses and pointer clicks made by
// xdotool through XTest, windows found by their titles, results read back through varoctl.
// Keys follow the program's own traversal (Tab between groups, arrows inside one, space to
// press or to post an option menu) and the mnemonics and accelerators of its resource file.
#ifndef TARNWRIGHT_TESTS_E2E_DESKTOP_H
#define TARNWRIGHT_TESTS_E2E_DESKTOP_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/process_runner.h"

// Skips the test when xdotool or an X server is missing, or fails it when the test command
// insists on every test running (TARNWRIGHT_REQUIRE_E2E=1, as in CI).
#define REQUIRE_DESKTOP()                                                                    \
    do {                                                                                     \
        const char* missing = e2e::xdotool().empty() ? "xdotool is not installed"            \
                              : !proc::x_display()   ? "no X server (DISPLAY or Xvfb) to run on" \
                                                     : nullptr;                              \
        if (missing && e2e::required()) FAIL() << missing;                                   \
        if (missing) GTEST_SKIP() << missing;                                                \
    } while (0)

namespace e2e {

// The xdotool executable along PATH, "" when there is none.
std::string xdotool();
// TARNWRIGHT_REQUIRE_E2E=1: a missing tool is a failure, not a reason to skip.
bool required();

// Steps, each one user action, with a pause after it for the program to take it in
// (TARNWRIGHT_E2E_TRACE=1 prints them as they are made):
//   "Tab", "space", "Down", "Return", ...   one key (xdotool's key names)
//   "alt+e", "ctrl+s"                       a key with its modifier held
//   "=text"                                 typed text
//   "clear"                                 selects a text field's whole text (typing replaces it)
using Steps = std::vector<std::string>;

class Editor {
public:
    // Starts tarnedit on the store; the host names it in the title (the store wins over it).
    Editor(const std::string& store, const std::string& host, const std::vector<std::string>& args = {});
    ~Editor();
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    // The main window (0 if it never showed).
    unsigned long main() const { return main_window; }
    // A top-level window of this editor with this title, waiting for it to show.
    unsigned long window(const std::string& title, double timeout_seconds = 10) const;
    // Gives the window the keyboard focus and makes the steps in it.
    void in(unsigned long window, const Steps& steps) const;
    // Moves a top-level window (what a window manager would do; no input is made).
    void move(unsigned long window, int x, int y) const;
    // Template > Exit from the keyboard; the program's end.
    proc::Result exit();

private:
    std::unique_ptr<proc::Child> child;
    unsigned long main_window = 0;
};

// Clicks a pointer button at a point of a window.
void click(unsigned long window, int x, int y, int button = 1);

// The diagram window's drawing area and its three tool buttons (state, transition,
// condition), found in its window tree.
unsigned long drawing_area(unsigned long diagram);
unsigned long tool_button(unsigned long diagram, int index);

// The window's pixels as the screen shows them.
std::vector<char> pixels(unsigned long window);

// `varoctl --store <store> <args>`, with that standard input; its standard output (empty
// with a failure noted).
std::string varoctl(const std::string& store, const std::vector<std::string>& args, const std::string& input = "");
// Polls varoctl until its output contains the text (up to timeout seconds).
bool varoctl_shows(const std::string& store, const std::vector<std::string>& args, const std::string& text,
                   double timeout_seconds = 15);

// With TARNWRIGHT_SCREENSHOTS naming a folder: the screen's top left corner of that size
// into <folder>/<name>.png.
void screenshot(const std::string& name, int width, int height);

}  // namespace e2e

#endif
