// The four server-backed lists (templates, poll rates, severities, conditions): filled at
// start-up, rebuilt with their option menus whenever Varo reports a change to their album,
// and the end of the program when the platform disconnects.
#ifndef TARNWRIGHT_APP_NOTIFICATIONS_H
#define TARNWRIGHT_APP_NOTIFICATIONS_H

#include <X11/Intrinsic.h>

#include "template/template_change.h"

// Each creates its window under parent (te_win), then fills its list and menus.
void init_template_win(Widget& parent);
void init_pollrate_win(Widget& parent);
void init_severity_win(Widget& parent);
void init_cond_win(Widget& parent);

void register_callbacks();

// Each album callback announces its album's change; this view patches the lines of the names
// the change tells, or refills the album's list whole when it tells none, and rebuilds the
// menus it feeds (the template list also keeps the user's pick, or chooses its first line).
void server_lists_view(const TemplateChange& change);

void update_template(void* client_data, void* call_data);
void update_pollrate(void* client_data, void* call_data);
void update_severity(void* client_data, void* call_data);
void update_condition(void* client_data, void* call_data);
void disconnected_cb(void* client_data, void* call_data);

// The list fills without the window creation, for the refreshes above and for tests.
void fill_template_list(bool refresh);
void fill_pollrate_list();
void fill_severity_list(bool start_up);
void fill_condition_list();

#endif
