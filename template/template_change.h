// The one change signal of the open template. Every change (a template started, opened,
// reloaded or saved, an edit, the server's albums changing) is announced once; the views
// registered at start-up refresh themselves from it, in the order they registered, which
// is the order the user sees them change in. No operation calls a view.
#ifndef TARNWRIGHT_TEMPLATE_TEMPLATE_CHANGE_H
#define TARNWRIGHT_TEMPLATE_TEMPLATE_CHANGE_H

#include <string>
#include <utility>
#include <vector>

#include "base/messages.h"

enum class Change {
    Started,   // a new template (with its ground state unless that was refused)
    Opened,    // a stored template read
    Reloaded,  // read again from the store, the changes made here dropped
    Saved,     // stored; the working copy may now be a copy under a new name
    Edited,    // states, transitions, actions or places changed (parts below)
    Restored,  // an undo or redo put a whole step back, fields included
    Album,     // the server's templates, poll rates, severities or conditions changed
    Rights     // what this editor's role may change (template/store_rights.h) changed
};

// What an edit touched, so that a view showing none of it keeps its selection.
enum EditedPart : unsigned {
    EDITED_STATES = 1,       // added, deleted, given a new poll rate or severity
    EDITED_TRANSITIONS = 2,  // transitions and actions added, deleted or reordered
    EDITED_PLACES = 4,       // where states stand in the diagram
    EDITED_FIELDS = 8,       // the name or description typed into the main window
    EDITED_VERSION = 16      // a former version taken whole as the working copy, description included
};

enum class AlbumKind { NoAlbum, Templates, PollRates, Severities, Conditions };

struct TemplateChange {
    Change kind;
    unsigned parts = 0;  // Edited: EditedPart flags
    MessageId status{0, 0};  // the status text naming the template; number 0: as it was
    AlbumKind album = AlbumKind::NoAlbum;
    // Album: the names that changed, each with '+' added, '~' changed or '-' removed;
    // null when the album is to be read whole.
    const std::vector<std::pair<std::string, char>>* names = nullptr;
};

using TemplateView = void (*)(const TemplateChange& change);

// Registers a view; a view registered already keeps its place.
void watch_template(TemplateView view);
// Every view is forgotten (a second start-up in one process registers anew).
void unwatch_template_views();
// Tells every view, once each, in registration order.
void announce(const TemplateChange& change);

#endif
