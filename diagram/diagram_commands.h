// The diagram window's commands on the whole diagram: Arrange, and Export Diagram... to a
// PNG or SVG file (sd_arrange_cb, sd_export_cb, sd_export_ok_cb in edit/callbacks.h).
#ifndef TARNWRIGHT_DIAGRAM_DIAGRAM_COMMANDS_H
#define TARNWRIGHT_DIAGRAM_DIAGRAM_COMMANDS_H

// Lays out every state of the open template and keeps the places in it. `by_user` says so
// in the status line first, may take longer (a better picture of a bigger template) and
// draws and marks the template modified; arranging a template as it opens takes no longer
// than reading it did and leaves the drawing to the opening. False when the layout failed
// (an error dialog says why).
bool arrange_diagram(bool by_user);
// After a template is opened: arranges it when states placed by slots overlap.
void arrange_if_overlapping();

#endif
