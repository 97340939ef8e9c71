// Undo and redo of the open template: snapshots taken where every edit passes, put back
// with the views rebuilt as after an edit.
#include "edit/undo_history.h"

#include "base/messages.h"
#include "diagram/draw_area.h"
#include "ui/callbacks.h"
#include "edit/editor_busy.h"
#include "edit/template_status.h"
#include "ui/xm_string.h"
#include "template/template_model.h"
#include "template/text_view.h"
#include "ui/widgets.h"

namespace {

UndoHistory<TemplateStep> history;
Qor_Snapshot saved;           // the contents last saved, or as started or opened
Widget typing_in = nullptr;   // the field whose typing the present step holds
bool restoring = false;       // the fields are being set back: not typing

TemplateStep present_step() {
    return TemplateStep{qori_template_snapshot(qor_handle), field_text(main_name),
                        field_text(main_description)};
}

void set_sensitive(Widget w, bool on) {
    if (w) XtSetSensitive(w, on ? True : False);
}

// Puts a step back and rebuilds every view from it, as an edit does.
void put_back(const TemplateStep& step, MessageId status_number) {
    typing_in = nullptr;
    qori_template_restore(qor_handle, step.contents);
    restoring = true;
    set_field_text(main_name, step.name);
    set_field_text(main_description, step.descr);
    restoring = false;
    load_template();
    build_state_list_window();
    build_state_list_buttons();
    refresh_transition_lists();
    draw_diagram();
    modified = step.contents == saved ? 0 : 1;
    set_status(format_message(status_number, {template_name()}));
    history_update_menus();
}

}  // namespace

void history_start() {
    typing_in = nullptr;
    TemplateStep step = present_step();
    saved = step.contents;
    history.start(std::move(step));
    history_update_menus();
}

void history_saved() { saved = qori_template_snapshot(qor_handle); }

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

void history_update_menus() {
    for (Widget w : {main_edit_undo, sd_edit_undo}) set_sensitive(w, history.can_undo());
    for (Widget w : {main_edit_redo, sd_edit_redo}) set_sensitive(w, history.can_redo());
}

void main_field_changed_cb(Widget w, XtPointer, XtPointer) {
    if (restoring || !qor_handle.is_valid()) return;
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
