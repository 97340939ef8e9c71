// Menu-bar pieces shared by the two top-level windows.
#ifndef TARNWRIGHT_UI_MENUS_H
#define TARNWRIGHT_UI_MENUS_H

#include "ui/build_helpers.h"

// A menu bar across the top of a form.
Widget make_menu_bar(Widget form, const char* name);
// A one-of-many view toggle of a View menu, using the application's select colour.
Widget make_view_toggle(Widget pulldown, const char* name, const Binds& value_changed);

// What the two top windows' Template, Edit and setup menus share, in order: each entry with its
// widget name and global in the main window and in the diagram window, and what it does (a
// separator when it does nothing).
enum TopWindow { MAIN_WINDOW = 0, DIAGRAM_WINDOW = 1 };
struct SharedMenuEntry {
    const char* name[2];
    Widget* widget[2];
    Binds activate;
};
extern const std::vector<SharedMenuEntry> shared_template_entries;
extern const std::vector<SharedMenuEntry> shared_edit_entries;
extern const std::vector<SharedMenuEntry> shared_setup_entries;
void make_shared_entries(Widget pulldown, TopWindow window, const std::vector<SharedMenuEntry>& entries);

#endif
