// The busy cursor on both top-level windows, for commands that may come from either.
#ifndef TARNWRIGHT_EDIT_EDITOR_BUSY_H
#define TARNWRIGHT_EDIT_EDITOR_BUSY_H

#include "ui/gui_utils.h"
#include "ui/widgets.h"

struct EditorBusy {
    BusyCursor main{te_win};
    BusyCursor diagram{state_diagram_win};
};

#endif
