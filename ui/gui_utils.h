// Small user-interface utilities shared by every window: label and status texts, the busy cursor, the window icon,
// show-and-raise for dialogs, and the start-up report to a launching process.
#ifndef TARNWRIGHT_UI_GUI_UTILS_H
#define TARNWRIGHT_UI_GUI_UTILS_H

#include <X11/Intrinsic.h>

#include <string>

// Sets a label's text.
void set_string(Widget label, const char* text);
// Writes a status text to both status lines, the main window's first.
void set_status(const std::string& text);

void set_busy_cursor(Widget w);
void reset_busy_cursor(Widget w);

// Shows the busy cursor on w for the life of the scope.
class BusyCursor {
public:
    explicit BusyCursor(Widget w) : widget(w) { set_busy_cursor(widget); }
    ~BusyCursor() { reset_busy_cursor(widget); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    Widget widget;
};

int g2_setupIconPixmap(char** xpm, Widget shell, const char* icon_name, int width, int height);
void g2_win_show(Widget w);  // manage w and raise its shell
void g2_panel_response(int fd, const char* text);

// The window manager's close of a shell runs proc. With keep_mapped the shell itself does
// nothing more (proc decides whether it goes); otherwise it also goes as its deleteResponse says.
void route_window_close(Widget shell, XtCallbackProc proc, XtPointer client_data, bool keep_mapped);

#endif
