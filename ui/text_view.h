// The views rebuilt from the open template: the main window's text view, the state list
// and the transition lists.
#ifndef TARNWRIGHT_UI_TEXT_VIEW_H
#define TARNWRIGHT_UI_TEXT_VIEW_H

#include <X11/Intrinsic.h>

#include "template/template_change.h"
#include "ui/option_menus.h"

int load_template();  // 1 = rebuilt; 0 = no template to read, the view unchanged
void build_state_list_window();
void get_transitions(Widget list, const char* state);
void state_dump(const char* state);
void transition_dump(const char* from, const char* to);
// Scrolls the 1-based position into view if needed, then selects it with notification.
void make_item_visible(Widget list, int position);

// The text view follows every change of the template's contents.
void text_view(const TemplateChange& change);
// The state list and the menus that offer its states follow every change of the states.
void state_lists_view(const TemplateChange& change);

#endif
