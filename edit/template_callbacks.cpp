// New, Open, Save and the overwrite confirmation, with their save-changes questions.
#include "edit/template_callbacks.h"

#include <Xm/List.h>

#include "base/globals.h"
#include "base/messages.h"
#include "ui/callbacks.h"
#include "edit/editor_busy.h"
#include "edit/recovery_offer.h"
#include "edit/template_news.h"
#include "template/line_format.h"
#include "ui/xm_string.h"
#include "template/name_rules.h"
#include "template/store_rights.h"
#include "ui/gui_utils.h"
#include "ui/list_items.h"
#include "ui/text_view.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"

namespace {

// The template the user chose when a question or confirmation came up. A notification
// while it is up may select another line of the open list, which must not change what
// the answer acts on.
std::string chosen_template;

// The template the user picked in the open list; "" when none. A line chosen for the user
// (the first, after a refresh) is no pick.
std::string picked_template;
bool choosing_for_user = false;

void open_chosen() {
    copy_bounded(open_template, sizeof open_template, chosen_template);
    open_named_template();
}

// New and Open first offer the unsaved changes an editor that is gone left behind.
void offer_then_new() { offer_recovery(start_new_template); }
void offer_then_open() { offer_recovery(open_chosen); }

// A New or Open whose save stopped to ask about an overwrite: it goes on once the
// overwrite is written, and is dropped when the overwrite is cancelled or refused (the
// changes are not stored, so the template stays).
void (*after_overwrite)() = nullptr;

void ask_overwrite() { display_warning(te_win, message_text(msg::TEMPLATE_OVERWRITE), overwrite_template_cb, cancel_overwrite_cb); }

// The main window's texts saved; what the save made of them is written back.
SaveOutcome save_fields() {
    SaveOutcome outcome = save_template(field_text(main_name), field_text(main_description));
    if (!outcome.name.empty()) set_field_text(main_name, outcome.name);
    bool descr_taken = outcome.result != SaveResult::Noname && outcome.result != SaveResult::NoDescription;
    if (!outcome.name.empty() && descr_taken) set_field_text(main_description, outcome.descr);
    show_save_outcome(outcome, outcome.name);
    return outcome;
}

void save_then(void (*next)()) {
    after_overwrite = nullptr;
    SaveOutcome outcome = save_fields();
    if (saved(outcome))
        next();
    else if (outcome.result == SaveResult::NameTaken)
        after_overwrite = next;
}

constexpr MessageId NO_MESSAGE{0, 0};

// What a refused save shows: the dialog (set 2, with the store's reason where %s) under its
// parent, then the status text, which names nobody, the open template or the name tried.
enum class Named { Nobody, OpenTemplate, NameTried };
struct Refusal {
    SaveResult result;
    MessageId dialog;
    Widget* parent;
    MessageId status;
    Named named;
};
const Refusal refusals[] = {
    {SaveResult::Noname, msg::TEMPLATE_NAME_MISSING, &main_win_form, NO_MESSAGE, Named::Nobody},
    {SaveResult::NoDescription, msg::DESCRIPTION_MISSING, &main_template_parent, NO_MESSAGE, Named::Nobody},
    {SaveResult::NoTemplate, msg::NO_TEMPLATE_OPEN, &main_win_form, NO_MESSAGE, Named::Nobody},
    {SaveResult::CreateNameStored, msg::CREATE_FAILED_EXISTS, &main_template_parent, msg::CREATE_FAILED_EXISTS_STATUS, Named::Nobody},
    {SaveResult::Incomplete, msg::CREATE_FAILED_INCOMPLETE, &main_template_parent, msg::SAVE_FAILED_STATUS, Named::OpenTemplate},
    {SaveResult::CreateRefused, msg::SAVE_FAILED_REASON, &main_template_parent, msg::SAVE_FAILED_STATUS, Named::OpenTemplate},
    {SaveResult::InUse, msg::SAVE_FAILED_IN_USE, &main_template_parent, msg::SAVE_FAILED_STATUS_NAMED, Named::NameTried},
    {SaveResult::SaveRefused, msg::SAVE_FAILED_REASON, &main_template_parent, msg::SAVE_FAILED_STATUS_NAMED, Named::NameTried},
    {SaveResult::ChangedElsewhere, NO_MESSAGE, nullptr, msg::SAVE_FAILED_STATUS_NAMED, Named::NameTried},
    {SaveResult::OverwriteRefused, msg::OVERWRITE_FAILED, &main_template_parent, msg::SAVE_FAILED_STATUS, Named::OpenTemplate},
};

}  // namespace

void show_save_outcome(const SaveOutcome& outcome, const std::string& name) {
    if (outcome.result == SaveResult::NameTaken) {
        ask_overwrite();
        return;
    }
    if (outcome.result == SaveResult::NameRefused) error_dialog(main_win_form, outcome.reason.c_str());
    for (const Refusal& r : refusals) {
        if (r.result != outcome.result) continue;
        if (r.dialog.number) error_dialog(*r.parent, format_message(r.dialog, {outcome.reason}).c_str());
        if (r.status.number && r.named == Named::Nobody) set_status(message_text(r.status));
        if (r.status.number && r.named != Named::Nobody)
            set_status(format_message(r.status, {r.named == Named::NameTried ? name : template_name()}));
    }
    if (outcome.result == SaveResult::ChangedElsewhere) offer_copy(outcome.reason, outcome.descr);
}

void start_new_template() {
    if (new_template() == StartResult::Started) return;
    error_dialog(main_template_parent, message_text(msg::GROUND_SET_FAILED));
    error_dialog(main_win_form, message_text(msg::GROUND_STATE_FAILED));
}

void open_named_template() {
    OpenResult result = template_open();
    if (result != OpenResult::NotFound && result != OpenResult::Unreadable) return;
    if (result == OpenResult::Unreadable) error_dialog(open_list_win, message_text(msg::LOAD_FAILED_CODE));
    error_dialog(open_list_win, message_text(msg::TEMPLATE_MISSING));
    start_new_template();
}

void main_new_template_cb(Widget, XtPointer, XtPointer) {
    if (!modified) {
        EditorBusy busy;
        offer_then_new();
        return;
    }
    display_question(te_win, format_message(msg::SAVE_CHANGES_BEFORE_NEW, {template_name()}).c_str(), save_changes_new, save_changes_cancel);
}

void save_changes_new(Widget, XtPointer, XtPointer) {
    close_question_dialog();
    EditorBusy busy;
    save_then(offer_then_new);
}

void save_changes_cancel(Widget, XtPointer, XtPointer) {
    close_question_dialog();
    EditorBusy busy;
    offer_then_new();
}

void open_button_cb(Widget, XtPointer, XtPointer) {
    chosen_template = open_template;
    if (!modified) {
        EditorBusy busy;
        offer_then_open();
        return;
    }
    display_question(te_win, format_message(msg::SAVE_CHANGES_BEFORE_OPEN, {template_name()}).c_str(), save_changes_open, save_changes_remove);
}

void save_changes_open(Widget, XtPointer, XtPointer) {
    close_question_dialog();
    EditorBusy busy;
    save_then(offer_then_open);
}

void save_changes_remove(Widget, XtPointer, XtPointer) {
    close_question_dialog();
    EditorBusy busy;
    offer_then_open();
}

void main_save_button_cb(Widget, XtPointer, XtPointer) {
    EditorBusy busy;
    after_overwrite = nullptr;
    save_fields();
}

void ol_browse_cb(Widget, XtPointer, XtPointer call_data) {
    auto* cbs = static_cast<XmListCallbackStruct*>(call_data);
    if (!cbs || !cbs->item) return;
    std::string word = lines::first_word(xm_string_text(cbs->item));
    if (!choosing_for_user) picked_template = word;
    copy_bounded(open_template, sizeof open_template, word);
    XtSetSensitive(ol_ok_button, True);
    XtSetSensitive(ol_delete_button, store_rights().templates ? True : False);
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
        if (name == template_name()) start_new_template();
    } else {
        // The template is still there: the open one, and its edits, stay.
        error.reset_error();
        error_dialog(open_list_win, message_text(msg::DELETE_TEMPLATE_FAILED));
    }
    reselect_open_list();
}

void reselect_open_list() {
    std::vector<std::string> lines = list_lines(ol_list);
    for (std::size_t i = 0; !picked_template.empty() && i < lines.size(); ++i)
        if (lines::first_word(lines[i]) == picked_template) return make_item_visible(ol_list, static_cast<int>(i) + 1);
    picked_template.clear();
    if (lines.empty()) return;
    choosing_for_user = true;
    XmListSelectPos(ol_list, 1, True);
    choosing_for_user = false;
}

void overwrite_template_cb(Widget, XtPointer, XtPointer) {
    close_warning_dialog();
    void (*next)() = after_overwrite;
    after_overwrite = nullptr;
    EditorBusy busy;
    std::string name = name_word(field_text(main_name));
    std::string descr = normalise_description(field_text(main_description));
    SaveOutcome outcome = overwrite_template(name.c_str(), descr.c_str());
    show_save_outcome(outcome, name);
    if (saved(outcome) && next) next();
}

void cancel_overwrite_cb(Widget w, XtPointer client_data, XtPointer call_data) {
    after_overwrite = nullptr;
    cancel_warning(w, client_data, call_data);
}
