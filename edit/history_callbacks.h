// The History window of the open template: its stored versions, the chosen one's
// difference from the working copy, and Open This Version. The callbacks are in
// ui/callbacks.h.
#ifndef TARNWRIGHT_EDIT_HISTORY_CALLBACKS_H
#define TARNWRIGHT_EDIT_HISTORY_CALLBACKS_H

#include "template/template_change.h"

// While the window is up it follows the template: a save, open or new template lists the
// versions again; an edit shows the chosen version against the working copy as it now is.
void history_view(const TemplateChange& change);

#endif
