// News of the open template from other clients. A save, replacement or deletion elsewhere is
// told at once on both status lines and in the diagram window's title; with nothing unsaved
// here the template is reloaded by itself, otherwise the user is asked once whether to
// reload it or keep the changes. Nothing stored is overwritten unless the user chooses it.
#ifndef TARNWRIGHT_EDIT_TEMPLATE_NEWS_H
#define TARNWRIGHT_EDIT_TEMPLATE_NEWS_H

#include <X11/Intrinsic.h>

#include <string>

#include "template/template_change.h"

// The news as a view: after the template album changed, what became of the template open
// here; once it was replaced or saved, no news is pending any longer.
void news_view(const TemplateChange& change);
// After the template album changed: what became of the template open here.
void check_open_template();

// A save in place refused because the stored template changed or is gone: the refusal,
// with reason, offers to store the changes under the first free name instead.
void offer_copy(const std::string& reason, const std::string& descr);

// The answers of the reload question and of the offer.
void news_reload_cb(Widget w, XtPointer client_data, XtPointer call_data);
void news_keep_cb(Widget w, XtPointer client_data, XtPointer call_data);
void offer_copy_cb(Widget w, XtPointer client_data, XtPointer call_data);

#endif
