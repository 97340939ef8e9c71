// Where the open template's states stand in the diagram: one moved by hand, all of them
// arranged, a new one given a free place, and none moved by a delete. The diagram's objects follow the change announced, or, for a template just read,
// the caller that arranged it.
#ifndef TARNWRIGHT_TEMPLATE_TEMPLATE_PLACES_H
#define TARNWRIGHT_TEMPLATE_TEMPLATE_PLACES_H

#include <string>

#include "diagram/picture/scene.h"
#include "template/template_edits.h"

namespace edits {

// Keeps the corner a state was let go at. Refused without a word for a name the template
// does not know (a placeholder: only its object moved).
EditOutcome place_state(const std::string& name, int x, int y);

// Lays out every state and keeps the places. `by_user`: an edit of the template that may
// take longer (a better picture of a bigger one); otherwise part of reading it, taking no
// longer than the reading did, and nothing is announced.
EditOutcome arrange_states(bool by_user);

}  // namespace edits

// Whether states placed by slots overlap, as in a template just read: it is arranged then.
bool states_overlap();

// A free place for one more state of the open template (picture::free_corner).
picture::Corner free_state_place();
// Gives each state without a place of its own the place it is shown at: a state placed by
// its order would otherwise move when one before it is deleted.
void pin_state_places();

#endif
