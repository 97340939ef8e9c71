// New, Open, Save and the overwrite confirmation, with their save-changes questions.
#include "edit/template_callbacks.h"

#include <Xm/List.h>

#include "app/globals.h"
#include "app/messages.h"
#include "diagram/draw_area.h"
#include "edit/callbacks.h"
#include "template/line_format.h"
#include "template/motif_text.h"
#include "template/name_rules.h"
#include "template/template_model.h"
#include "ui/gui_utils.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"

namespace {

std::string open_name() { return qor_handle.name() ? qor_handle.name() : ""; }

// The busy cursor on both top-level windows: these commands come from either.
struct EditorBusy {
    BusyCursor main{te_win};
    BusyCursor diagram{state_diagram_win};
};

// The template the user chose when a question or confirmation came up. A notification
// while it is up may select another line of the open list, which must not change what
// the answer acts on.
std::string chosen_template;

void start_new() {
    new_template();
    draw_diagram();
}

void open_chosen() {
    copy_bounded(open_template, sizeof open_template, chosen_template);
    template_open();
    draw_diagram();
}

}  // namespace

void main_new_template_cb(Widget, XtPointer, XtPointer) {
    if (!modified) {
        EditorBusy busy;
        start_new();
        return;
    }
    display_question(te_win, format_message(2, 200, {open_name()}).c_str(), save_changes_new, save_changes_cancel);
}

void save_changes_new(Widget, XtPointer, XtPointer) {
    close_question_dialog();
    EditorBusy busy;
    if (save_template()) start_new();
}

void save_changes_cancel(Widget, XtPointer, XtPointer) {
    close_question_dialog();
    EditorBusy busy;
    start_new();
}

void open_button_cb(Widget, XtPointer, XtPointer) {
    if (!modified) {
        EditorBusy busy;
        template_open();
        return;
    }
    chosen_template = open_template;
    display_question(te_win, format_message(2, 228, {open_name()}).c_str(), save_changes_open, save_changes_remove);
}

void save_changes_open(Widget, XtPointer, XtPointer) {
    close_question_dialog();
    EditorBusy busy;
    if (save_template()) open_chosen();
}

void save_changes_remove(Widget, XtPointer, XtPointer) {
    close_question_dialog();
    EditorBusy busy;
    open_chosen();
}

void main_save_button_cb(Widget, XtPointer, XtPointer) {
    EditorBusy busy;
    save_template();
}

void ol_browse_cb(Widget, XtPointer, XtPointer call_data) {
    auto* cbs = static_cast<XmListCallbackStruct*>(call_data);
    if (!cbs || !cbs->item) return;
    std::string word = lines::first_word(motif_text::plain(cbs->item));
    copy_bounded(open_template, sizeof open_template, word);
    XtSetSensitive(ol_ok_button, True);
    XtSetSensitive(ol_delete_button, True);
}

void delete_template_cb(Widget, XtPointer, XtPointer) {
    chosen_template = open_template;
    display_warning(open_list_win, format_message(2, 239, {open_template}).c_str(), delete_template_ok, cancel_warning);
}

void delete_template_ok(Widget, XtPointer, XtPointer) {
    close_warning_dialog();
    EditorBusy busy;
    std::string name = lines::first_word(chosen_template);
    Qor_Defn doomed = qori_template_find(name.c_str());
    if (!doomed.is_valid()) {
        error.reset_error();
        error_dialog(open_list_win, message_text(2, 601));
        return;
    }
    if (!qori_template_delete(doomed)) {
        error.reset_error();
        error_dialog(open_list_win, message_text(2, 600));
        return;  // the template is still there: the open one, and its edits, stay
    }
    if (name == open_name()) new_template();
    draw_diagram();
    int count = 0;
    XtVaGetValues(ol_list, XmNitemCount, &count, nullptr);
    if (count > 0) XmListSelectPos(ol_list, 1, True);
}

void overwrite_template_cb(Widget, XtPointer, XtPointer) {
    close_warning_dialog();
    EditorBusy busy;
    std::string name = name_word(motif_text::field(main_name));
    std::string descr = normalise_description(motif_text::field(main_description));
    overwrite_template(name.c_str(), descr.c_str());
}
