// The diagram window's commands on the whole diagram: Arrange, and Export Diagram... to a
// PNG or SVG file (sd_arrange_cb, sd_export_cb, sd_export_ok_cb in edit/callbacks.h).
#ifndef TARNWRIGHT_DIAGRAM_DIAGRAM_COMMANDS_H
#define TARNWRIGHT_DIAGRAM_DIAGRAM_COMMANDS_H

// Lays out every state of the open template and keeps the places in it. `by_user` says so
// in the status line first, may take longer (a better picture of a bigger template) and
// is an edit of the template; arranging a template as it is read takes no longer than
// reading it did and is no edit. The objects move; the views are left to the change told.
// False when the layout failed (an error dialog says why).
bool arrange_diagram(bool by_user);
// As a template is read: arranges it when states placed by slots overlap.
void arrange_if_overlapping();

#endif
