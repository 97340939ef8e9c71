// Undo and redo of the open template: a snapshot taken after every edit, put back through
// the document, whose change rebuilds the views as after an edit.
#include "edit/undo_history.h"

#include "ui/callbacks.h"
#include "edit/editor_busy.h"
#include "ui/xm_string.h"
#include "template/template_model.h"
#include "ui/widgets.h"

namespace {

UndoHistory<TemplateStep> history;
Widget typing_in = nullptr;   // the field whose typing the present step holds
bool restoring = false;       // the fields are being set back: not typing

TemplateStep present_step() {
    return TemplateStep{qori_template_snapshot(qor_handle), field_text(main_name),
                        field_text(main_description)};
}

void set_sensitive(Widget w, bool on) {
    if (w) XtSetSensitive(w, on ? True : False);
}

void history_update_menus() {
    for (Widget w : {main_edit_undo, sd_edit_undo}) set_sensitive(w, history.can_undo());
    for (Widget w : {main_edit_redo, sd_edit_redo}) set_sensitive(w, history.can_redo());
}

// A template was started, opened or reloaded: the history starts again from it.
void history_start() {
    typing_in = nullptr;
    history.start(present_step());
    history_update_menus();
}

void history_record() {
    if (!qor_handle.is_valid()) return;
    typing_in = nullptr;
    TemplateStep step = present_step();
    // A refused delete still counts as a change; it is no step to undo.
    const TemplateStep& now = history.present();
    if (step.contents == now.contents && step.name == now.name && step.descr == now.descr) return;
    history.record(std::move(step));
    history_update_menus();
}

void put_back(const TemplateStep& step, MessageId status_number) {
    typing_in = nullptr;
    restore_template(step.contents, TemplateFields{step.name, step.descr}, status_number);
}

}  // namespace

void undo_view(const TemplateChange& change) {
    switch (change.kind) {
    case Change::Started:
    case Change::Opened:
    case Change::Reloaded:
        history_start();
        break;
    case Change::Edited:
        // Typing is a step of its own, kept by main_field_changed_cb.
        if (change.parts != EDITED_FIELDS) history_record();
        break;
    case Change::Restored:
        typing_in = nullptr;
        history_update_menus();
        break;
    case Change::Saved:
    case Change::Album:
    case Change::Rights:
        break;
    }
}

void fields_view(const TemplateChange& change) {
    // Typing is not refreshed (the field is where the text comes from); a version taken whole is.
    if ((change.kind == Change::Edited && !(change.parts & EDITED_VERSION)) || change.kind == Change::Album) return;
    // Not typing: the history is not told of it. A copy, as each field set is read back.
    TemplateFields shown = template_fields;
    restoring = true;
    set_field_text(main_name, shown.name);
    set_field_text(main_description, shown.descr);
    restoring = false;
}

namespace {
// Typing into a field is a step of the history, one per field typed into.
void record_typing(Widget w) {
    const TemplateStep& now = history.present();
    // Compared before the snapshot, which copies the whole template.
    if (field_text(main_name) == now.name && field_text(main_description) == now.descr) return;
    TemplateStep step = present_step();
    if (typing_in == w) {
        history.amend(std::move(step));
        return;
    }
    history.record(std::move(step));
    typing_in = w;
    history_update_menus();
}
}  // namespace

void main_field_changed_cb(Widget w, XtPointer, XtPointer) {
    TemplateFields typed{field_text(main_name), field_text(main_description)};
    if (restoring || !qor_handle.is_valid()) {
        template_fields = typed;
        return;
    }
    record_typing(w);
    template_fields_typed(typed);
}

void main_undo_cb(Widget, XtPointer, XtPointer) {
    if (!history.can_undo() || !qor_handle.is_valid()) return;
    EditorBusy busy;
    put_back(history.undo(present_step()), msg::UNDONE_STATUS);
}

void main_redo_cb(Widget, XtPointer, XtPointer) {
    if (!history.can_redo() || !qor_handle.is_valid()) return;
    EditorBusy busy;
    put_back(history.redo(present_step()), msg::REDONE_STATUS);
}
