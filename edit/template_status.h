// What every successful edit of the open template does last: mark it modified, say so in
// both status lines and record the step for undo. And what a template started, opened,
// reloaded or saved resets.
#ifndef TARNWRIGHT_EDIT_TEMPLATE_STATUS_H
#define TARNWRIGHT_EDIT_TEMPLATE_STATUS_H

#include <string>

#include "base/messages.h"

// The open template's name; "" when none is open.
std::string template_name();
// Sets `modified` and shows message (set 2) `number` with the template name.
void mark_modified(MessageId number);
// A template was started, opened or reloaded: a new undo history, no news pending.
void template_started();
// The open template was saved: what it holds now is what "unchanged" means.
void template_saved();

#endif
