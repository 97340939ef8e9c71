// Changing and removing states of the open template, shared by the state editor and the
// configure-states dialog (adding is Generic::add_state).
#ifndef TARNWRIGHT_EDIT_STATE_EDITING_H
#define TARNWRIGHT_EDIT_STATE_EDITING_H

#include <X11/Intrinsic.h>

#include <cstddef>
#include <optional>

#include "diagram/picture/scene.h"

// New poll rate and severity for the named state; the description is never changed.
// window takes the busy cursor and parents the error dialogs.
void modify_state(Widget window, Widget name, Widget descr, Widget pollrate_menu, Widget severity_menu);
// The named state with the transitions that enter it; clears both fields on success.
void delete_state(Widget window, Widget name, Widget descr);

// OK of the two delete confirmations.
void delete_state_edit_ok(Widget w, XtPointer client_data, XtPointer call_data);
void delete_configure_state_ok(Widget w, XtPointer client_data, XtPointer call_data);

// Removes up to `limit` diagram placeholders ("NoName" states the template does not know)
// and redraws. Returns how many went.
std::size_t remove_placeholders(std::size_t limit);
// Where the state tool put the newest placeholder; none when there is none.
std::optional<picture::Corner> placeholder_place();

#endif
