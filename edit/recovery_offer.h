// The offer of unsaved changes that an editor which is gone left in its recovery journal: at
// start-up and whenever New or Open is about to replace the open template, each journal of
// this store is offered in turn with Recover (the default) and Discard. A discarded journal is
// kept as the last discarded copy, for recovery by hand.
#ifndef TARNWRIGHT_EDIT_RECOVERY_OFFER_H
#define TARNWRIGHT_EDIT_RECOVERY_OFFER_H

#include <X11/Intrinsic.h>

// Offers the journals, then runs `then` (may be null) once every one was discarded, or at
// once when there are none; a recovered copy is open instead and `then` is not run.
void offer_recovery(void (*then)());

void recover_cb(Widget w, XtPointer client_data, XtPointer call_data);
void discard_recovery_cb(Widget w, XtPointer client_data, XtPointer call_data);

#endif
