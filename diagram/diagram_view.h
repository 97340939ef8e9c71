// The diagram as a view of the open template: its objects rebuilt from the template after
// every change, a template just read arranged when its states overlap, then repainted.
#ifndef TARNWRIGHT_DIAGRAM_DIAGRAM_VIEW_H
#define TARNWRIGHT_DIAGRAM_DIAGRAM_VIEW_H

#include "template/template_change.h"

// The objects built anew from the template, the selections kept by state name.
void build_diagram_objects();
void diagram_view(const TemplateChange& change);

#endif
