// The message dialogs that editing operations put up, told apart from the editor windows
// that a test keeps open (which are message boxes in dialog shells too).
#ifndef TARNWRIGHT_TESTS_SUPPORT_EDIT_DIALOGS_H
#define TARNWRIGHT_TESTS_SUPPORT_EDIT_DIALOGS_H

#include "support/gui_harness.h"

#include <X11/Intrinsic.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace gui {

// Each once: a dialog over a window reached from two searched trees is walked twice.
inline std::vector<Dialog> message_dialogs() {
    std::vector<Dialog> found;
    for (const Dialog& d : open_dialogs()) {
        bool message = d.name == "ErrorDialog" || d.name == "WarningDialog" || d.name == "QuestionDialog" ||
                       d.name == "InformationDialog";
        bool seen = false;
        for (const Dialog& f : found) seen = seen || f.box == d.box;
        if (message && !seen) found.push_back(d);
    }
    return found;
}

// Their texts, oldest first.
inline std::vector<std::string> dialog_messages() {
    std::vector<std::string> texts;
    for (const Dialog& d : message_dialogs()) texts.push_back(d.message);
    return texts;
}

// The one message dialog up; fails the test unless there is exactly one.
inline Dialog only_message() {
    std::vector<Dialog> found = message_dialogs();
    if (found.size() != 1) {
        ADD_FAILURE() << "expected one message dialog, found " << found.size();
        return Dialog();
    }
    return found.front();
}

// Answers each with its first button (OK).
inline void dismiss_messages() {
    for (const Dialog& d : message_dialogs()) press(d.button(d.buttons.at(0)));
}

// The texts of the message dialogs up, oldest first, each then closed with its OK.
inline std::vector<std::string> answer_messages() {
    std::vector<std::string> seen;
    for (const Dialog& d : message_dialogs()) {
        seen.push_back(d.message);
        press(d.button("OK"));
    }
    return seen;
}

// With TARNWRIGHT_SCREENSHOTS naming a folder: the window as the user sees it now.
inline void snap_window(Widget shell, const std::string& file) {
    const char* dir = std::getenv("TARNWRIGHT_SCREENSHOTS");
    if (!dir) return;
    process_events();
    std::string command = "import -window " + std::to_string(XtWindow(shell)) + " '" + dir + "/" + file + "'";
    EXPECT_EQ(0, std::system(command.c_str()));
}

}  // namespace gui

#endif
