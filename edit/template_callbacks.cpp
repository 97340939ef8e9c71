// New, Open, Save and the overwrite confirmation, with their save-changes questions.
#include "edit/template_callbacks.h"

#include <Xm/List.h>

#include "base/globals.h"
#include "base/messages.h"
#include "diagram/draw_area.h"
#include "ui/callbacks.h"
#include "edit/editor_busy.h"
#include "template/line_format.h"
#include "ui/xm_string.h"
#include "template/name_rules.h"
#include "template/template_model.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"

namespace {

std::string open_name() { return qor_handle.name() ? qor_handle.name() : ""; }

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

// A New or Open whose save stopped to ask about an overwrite: it goes on once the
// overwrite is written, and is dropped when the overwrite is cancelled or refused (the
// changes are not stored, so the template stays).
void (*after_overwrite)() = nullptr;
bool overwrite_asked = false;

void save_then(void (*next)()) {
    after_overwrite = nullptr;
    overwrite_asked = false;
    if (save_template())
        next();
    else if (overwrite_asked)
        after_overwrite = next;
}

}  // namespace

void main_new_template_cb(Widget, XtPointer, XtPointer) {
    if (!modified) {
        EditorBusy busy;
        start_new();
        return;
    }
    display_question(te_win, format_message(msg::SAVE_CHANGES_BEFORE_NEW, {open_name()}).c_str(), save_changes_new, save_changes_cancel);
}

void save_changes_new(Widget, XtPointer, XtPointer) {
    close_question_dialog();
    EditorBusy busy;
    save_then(start_new);
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
    display_question(te_win, format_message(msg::SAVE_CHANGES_BEFORE_OPEN, {open_name()}).c_str(), save_changes_open, save_changes_remove);
}

void save_changes_open(Widget, XtPointer, XtPointer) {
    close_question_dialog();
    EditorBusy busy;
    save_then(open_chosen);
}

void save_changes_remove(Widget, XtPointer, XtPointer) {
    close_question_dialog();
    EditorBusy busy;
    open_chosen();
}

void main_save_button_cb(Widget, XtPointer, XtPointer) {
    EditorBusy busy;
    after_overwrite = nullptr;
    save_template();
}

void ol_browse_cb(Widget, XtPointer, XtPointer call_data) {
    auto* cbs = static_cast<XmListCallbackStruct*>(call_data);
    if (!cbs || !cbs->item) return;
    std::string word = lines::first_word(xm_string_text(cbs->item));
    copy_bounded(open_template, sizeof open_template, word);
    XtSetSensitive(ol_ok_button, True);
    XtSetSensitive(ol_delete_button, True);
}

void delete_template_cb(Widget, XtPointer, XtPointer) {
    chosen_template = open_template;
    display_warning(open_list_win, format_message(msg::DELETE_TEMPLATE_QUESTION, {open_template}).c_str(), delete_template_ok, cancel_warning);
}

void delete_template_ok(Widget, XtPointer, XtPointer) {
    close_warning_dialog();
    EditorBusy busy;
    std::string name = lines::first_word(chosen_template);
    Qor_Defn doomed = qori_template_find(name.c_str());
    if (!doomed.is_valid()) {
        error.reset_error();
        error_dialog(open_list_win, message_text(msg::TEMPLATE_NOT_FOUND));
        return;
    }
    if (qori_template_delete(doomed)) {
        if (name == open_name()) new_template();
    } else {
        // The template is still there: the open one, and its edits, stay.
        error.reset_error();
        error_dialog(open_list_win, message_text(msg::DELETE_TEMPLATE_FAILED));
    }
    draw_diagram();
    int count = 0;
    XtVaGetValues(ol_list, XmNitemCount, &count, nullptr);
    if (count > 0) XmListSelectPos(ol_list, 1, True);
}

void ask_overwrite() {
    overwrite_asked = true;
    display_warning(te_win, message_text(msg::TEMPLATE_OVERWRITE), overwrite_template_cb, cancel_overwrite_cb);
}

void overwrite_template_cb(Widget, XtPointer, XtPointer) {
    close_warning_dialog();
    void (*next)() = after_overwrite;
    after_overwrite = nullptr;
    EditorBusy busy;
    std::string name = name_word(field_text(main_name));
    std::string descr = normalise_description(field_text(main_description));
    if (overwrite_template(name.c_str(), descr.c_str()) && next) next();
}

void cancel_overwrite_cb(Widget w, XtPointer client_data, XtPointer call_data) {
    after_overwrite = nullptr;
    cancel_warning(w, client_data, call_data);
}
