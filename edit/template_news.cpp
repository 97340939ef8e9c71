// What another client did to the template open here, told once per change.
#include "edit/template_news.h"

#include <X11/Shell.h>

#include "base/messages.h"
#include "edit/editor_busy.h"
#include "edit/template_callbacks.h"
#include "ui/xm_string.h"
#include "template/name_rules.h"
#include "template/template_model.h"
#include "ui/gui_utils.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"

namespace {

// The change last told for the open copy, so that later notifications (another template
// saved, a list refreshed) do not tell it again.
struct News {
    QoriStoredFate fate = QORI_STORED_SAME;
    long long version = 0;
    bool operator==(const News& o) const { return fate == o.fate && version == o.version; }
};
News told;

std::string diagram_title;  // as the resource file words it, taken before the first news
std::string offered_name, offered_descr;

// Copies tried before giving up: name, name_2, ... name_99.
enum { OFFERED_NAMES = 99 };

void set_diagram_title(const std::string& title) {
    if (state_diagram_win) XtVaSetValues(state_diagram_win, XtNtitle, title.c_str(), nullptr);
}

void tell(MessageId status_number, MessageId title_number, const std::string& name) {
    set_status(format_message(status_number, {name}));
    if (!state_diagram_win) return;
    if (diagram_title.empty()) {
        char* title = nullptr;
        XtVaGetValues(state_diagram_win, XtNtitle, &title, nullptr);
        diagram_title = title ? title : "";
    }
    set_diagram_title(format_message(title_number, {diagram_title, name}));
}

// Reloaded when it can be; told as deleted when it was meanwhile (the changes here stay).
void reload_and_tell(const std::string& name) {
    if (reload_template())
        tell(msg::CHANGED_ELSEWHERE_RELOADED_STATUS, msg::CHANGED_ELSEWHERE_TITLE, name);
    else
        tell(msg::DELETED_ELSEWHERE_STATUS, msg::DELETED_ELSEWHERE_TITLE, name);
}

std::string stored_name() { return qor_handle.stored_name() ? qor_handle.stored_name() : template_name(); }

// The first name no stored template has, or "" after OFFERED_NAMES tries.
std::string free_name(const std::string& name) {
    for (int n = 1; n <= OFFERED_NAMES; ++n) {
        std::string candidate = numbered_name(name, n);
        bool taken = qori_template_find(candidate.c_str()).is_valid();
        error.reset_error();
        if (!taken) return candidate;
    }
    return std::string();
}

}  // namespace

void check_open_template() {
    if (!qor_handle.is_valid()) return;
    long long version = 0;
    QoriStoredFate fate = qori_template_fate(qor_handle, &version);
    if (fate == QORI_STORED_UNKNOWN) error.reset_error();
    if (fate != QORI_STORED_CHANGED && fate != QORI_STORED_GONE) return;
    News news{fate, version};
    if (news == told) return;
    told = news;
    std::string name = stored_name();
    if (fate == QORI_STORED_GONE) {
        tell(msg::DELETED_ELSEWHERE_STATUS, msg::DELETED_ELSEWHERE_TITLE, name);
        return;
    }
    if (!modified) {
        reload_and_tell(name);
        return;
    }
    tell(msg::CHANGED_ELSEWHERE_STATUS, msg::CHANGED_ELSEWHERE_TITLE, name);
    // A question already up (save changes before New or Open) is left to its answer; the
    // status line and the title have told, and a Save would be refused.
    if (current_question_dialog) return;
    display_question(te_win, format_message(msg::CHANGED_ELSEWHERE_QUESTION, {name}).c_str(), news_reload_cb, news_keep_cb);
    current_question_dialog->label_button(OK_BUTTON, message_text(msg::RELOAD_BUTTON));
    current_question_dialog->label_button(CANCEL_BUTTON, message_text(msg::KEEP_BUTTON));
}

namespace {
void news_forget() {
    told = News();
    if (!diagram_title.empty()) set_diagram_title(diagram_title);
}
}  // namespace

void news_view(const TemplateChange& change) {
    switch (change.kind) {
    case Change::Started:
    case Change::Opened:
    case Change::Reloaded:
    case Change::Saved:
        news_forget();
        break;
    case Change::Album:
        if (change.album == AlbumKind::Templates) check_open_template();
        break;
    case Change::Edited:
    case Change::Restored:
    case Change::Rights:
        break;
    }
}

void news_reload_cb(Widget, XtPointer, XtPointer) {
    close_question_dialog();
    EditorBusy busy;
    reload_and_tell(stored_name());
}

// Keeping the changes, like declining the offer, only closes the question.
void news_keep_cb(Widget, XtPointer, XtPointer) { close_question_dialog(); }

void offer_copy(const std::string& reason, const std::string& descr) {
    offered_name = free_name(stored_name());
    offered_descr = descr;
    if (offered_name.empty()) {
        error_dialog(main_template_parent, format_message(msg::SAVE_FAILED_REASON, {reason}).c_str());
        return;
    }
    display_question(te_win, format_message(msg::SAVE_COPY_QUESTION, {reason, offered_name}).c_str(), offer_copy_cb, news_keep_cb);
}

void offer_copy_cb(Widget, XtPointer, XtPointer) {
    close_question_dialog();
    EditorBusy busy;
    set_field_text(main_name, offered_name);
    show_save_outcome(write_template_as(offered_name.c_str(), offered_descr.c_str()), offered_name);
}
