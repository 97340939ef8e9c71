// Recover or Discard, one journal at a time.
#include "edit/recovery_offer.h"

#include <unistd.h>

#include <string>
#include <vector>

#include "base/messages.h"
#include "edit/editor_busy.h"
#include "template/recovery_journal.h"
#include "template/template_model.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"

namespace {

std::vector<varo::JournalFile> offered;
void (*after_offer)() = nullptr;

// The name the user knew the template by.
std::string known_name(const varo::Journal& j) {
    if (!j.stored_name.empty()) return j.stored_name;
    if (j.name_field.find_first_not_of(" \t") != std::string::npos) return j.name_field;
    return j.contents.name;
}

void offer_next() {
    if (offered.empty()) {
        void (*then)() = after_offer;
        after_offer = nullptr;
        if (then) then();
        return;
    }
    const varo::Journal& j = offered.front().journal;
    std::string text = format_message(msg::RECOVER_QUESTION, {known_name(j), varo::journal_time_text(j.time)});
    display_question(te_win, text.c_str(), recover_cb, discard_recovery_cb);
    current_question_dialog->label_button(OK_BUTTON, message_text(msg::RECOVER_BUTTON));
    current_question_dialog->label_button(CANCEL_BUTTON, message_text(msg::DISCARD_BUTTON));
}

}  // namespace

void offer_recovery(void (*then)()) {
    after_offer = then;
    offered = orphan_journals();
    offer_next();
}

void recover_cb(Widget, XtPointer, XtPointer) {
    close_question_dialog();
    if (offered.empty()) return;
    varo::JournalFile chosen = offered.front();
    offered.clear();
    after_offer = nullptr;
    EditorBusy busy;
    RecoverResult result = recover_template(chosen.journal);
    if (result == RecoverResult::Refused) {
        error_dialog(main_template_parent,
                     format_message(msg::RECOVER_FAILED, {qori_error_text(), chosen.path}).c_str());
        return;
    }
    // Kept by this editor from now on: its own journal is whole before the old one goes.
    write_journal_now();
    ::unlink(chosen.path.c_str());
    if (result == RecoverResult::ChangedElsewhere)
        error_dialog(main_template_parent,
                     format_message(msg::RECOVERED_CHANGED_ELSEWHERE, {chosen.journal.stored_name}).c_str());
    if (result == RecoverResult::DeletedElsewhere)
        error_dialog(main_template_parent,
                     format_message(msg::RECOVERED_DELETED_ELSEWHERE, {chosen.journal.stored_name}).c_str());
}

void discard_recovery_cb(Widget, XtPointer, XtPointer) {
    close_question_dialog();
    if (offered.empty()) return;
    varo::keep_as_discarded(offered.front().path);
    offered.erase(offered.begin());
    offer_next();
}
