// What the editor's role may change in the store: asked when the editor connects and again
// whenever the store says a membership changed. What it may not change is shown read-only,
// so that nothing is sent that the store would refuse.
#ifndef TARNWRIGHT_TEMPLATE_STORE_RIGHTS_H
#define TARNWRIGHT_TEMPLATE_STORE_RIGHTS_H

#include <string>

#include "platform/qori.h"

const QoriRights& store_rights();

// Asks the store again; announces Change::Rights when the answer differs from the last one
// (the first time: when it takes something away). A store that cannot be asked leaves the
// rights as they were.
void read_store_rights();

// "Read only: ROLE may not change templates" (or server objects); "" when it may change both.
std::string read_only_text();

// Forgets the last answer (a second start-up in one process asks anew).
void forget_store_rights();

#endif
