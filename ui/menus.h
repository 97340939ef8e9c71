// Menu-bar pieces shared by the two top-level windows.
#ifndef TARNWRIGHT_UI_MENUS_H
#define TARNWRIGHT_UI_MENUS_H

#include "ui/build_helpers.h"

// A menu bar across the top of a form.
Widget make_menu_bar(Widget form, const char* name);
// A one-of-many view toggle of a View menu, using the application's select colour.
Widget make_view_toggle(Widget pulldown, const char* name, const Binds& value_changed);

#endif
