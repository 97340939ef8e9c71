// The poll-rate window: Add, Modify, Delete and the choice of a line.
#include <Xm/List.h>

#include <sstream>

#include "base/messages.h"
#include "ui/callbacks.h"
#include "edit/generic.h"
#include "edit/number_reader.h"
#include "edit/server_object_callbacks.h"
#include "edit/used_by.h"
#include "platform/qori.h"
#include "ui/xm_string.h"
#include "template/name_rules.h"
#include "ui/gui_utils.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"

void add_pollrate_cb(Widget, XtPointer, XtPointer) {
    BusyCursor busy(pollrate_win);
    generic.add_pollrate(pollrate_name, pollrate_value);
}

void modify_pollrate_cb(Widget w, XtPointer, XtPointer) {
    BusyCursor busy(pollrate_win);
    Widget where = XtParent(w);
    auto refuse = [where](MessageId number) { error_dialog(where, message_text(number)); };

    // Of several words the first names the poll rate.
    std::string name = name_word(field_text(pollrate_name));
    if (name.empty()) return refuse(msg::POLL_RATE_NAME_MISSING);
    set_field_text(pollrate_name, name);
    std::optional<int> rate = read_number(field_text(pollrate_value), QORI_VALUE_MIN, QORI_VALUE_MAX);
    if (!rate) return refuse(msg::POLL_RATE_VALUE_INVALID);
    if (!qorPollRate_Find(name.c_str()).is_valid()) {
        error.reset_error();
        return refuse(msg::POLL_RATE_NOT_ON_PLATFORM);
    }
    // One replace: the server keeps the old rate or holds the new one, never neither.
    if (!qori_pollrate_replace(name.c_str(), *rate)) {
        bool gone = qori_error_kind == QORI_REFUSED_NOT_FOUND;
        error.reset_error();
        refuse(gone ? msg::POLL_RATE_NOT_ON_PLATFORM : msg::ADD_POLL_RATE_ERROR);
    }
}

void delete_pollrate_cb(Widget, XtPointer, XtPointer) {
    std::string question =
        delete_question(UsedKind::PollRate, message_text(msg::DELETE_POLL_RATE_QUESTION), name_word(field_text(pollrate_name)));
    display_warning(pollrate_win, question.c_str(), delete_pollrate_ok, cancel_warning);
}

void delete_pollrate_ok(Widget, XtPointer, XtPointer) {
    close_warning_dialog();
    BusyCursor busy(pollrate_win);
    if (!generic.delete_pollrate(pollrate_name)) return;
    set_field_text(pollrate_name, "");
    set_field_text(pollrate_value, "");
}

void pollrate_selection_cb(Widget, XtPointer, XtPointer call_data) {
    auto* cbs = static_cast<XmListCallbackStruct*>(call_data);
    if (!cbs || !cbs->item) return;
    std::istringstream words(xm_string_text(cbs->item));
    for (Widget field : {pollrate_name, pollrate_value}) {
        std::string word;
        words >> word;
        set_field_text(field, word);
    }
    show_users(UsedKind::PollRate, field_text(pollrate_name));
}
