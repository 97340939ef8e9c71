// The controls that would write to the store, made insensitive for what the editor's role
// may not change: a view of Change::Rights.
#ifndef TARNWRIGHT_EDIT_WRITE_CONTROLS_H
#define TARNWRIGHT_EDIT_WRITE_CONTROLS_H

#include "template/template_change.h"

void write_controls_view(const TemplateChange& change);

// Asks the store what this role may change now (at connect, and when told memberships
// changed); the views follow.
void store_rights_changed(void* client_data, void* call_data);

#endif
