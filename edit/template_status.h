// The status lines as a view of the open template: each change that names a status text
// shows it on both, with the template's name.
#ifndef TARNWRIGHT_EDIT_TEMPLATE_STATUS_H
#define TARNWRIGHT_EDIT_TEMPLATE_STATUS_H

#include "template/template_change.h"

void status_view(const TemplateChange& change);

#endif
