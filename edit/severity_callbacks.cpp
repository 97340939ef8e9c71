// The severity window: Add, Modify, Delete and the choice of a line.
#include <Xm/List.h>

#include <sstream>

#include "base/messages.h"
#include "ui/callbacks.h"
#include "edit/field_checks.h"
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

void add_severity_cb(Widget, XtPointer, XtPointer) {
    BusyCursor busy(severity_edit_win);
    generic.add_severity(severity_name, severity_value, severity_color);
}

void modify_severity_cb(Widget w, XtPointer, XtPointer) {
    BusyCursor busy(severity_edit_win);
    Widget where = XtParent(w);
    auto refuse = [where](MessageId number) { error_dialog(where, message_text(number)); };

    std::string text = field_text(severity_name);
    if (!valid_name(text, where, true)) return refuse(msg::SEVERITY_NAME_MISSING);
    std::string name = name_word(text);
    set_field_text(severity_name, name);
    std::optional<int> value = read_number(field_text(severity_value), QORI_VALUE_MIN, QORI_VALUE_MAX);
    if (!value) return refuse(msg::SEVERITY_VALUE_INVALID);
    text = field_text(severity_color);
    if (!valid_name(text, where)) return refuse(msg::SEVERITY_COLOR_MISSING);
    std::string color = name_word(text);
    set_field_text(severity_color, color);
    if (!qorSeverity_Find(name.c_str()).is_valid()) {
        error.reset_error();
        return refuse(msg::SEVERITY_NOT_ON_PLATFORM);
    }
    // One replace: the server keeps the old definition or holds the new one, never neither.
    if (!qori_severity_replace(name.c_str(), *value, color.c_str())) {
        bool gone = qori_error_kind == QORI_REFUSED_NOT_FOUND;
        error.reset_error();
        refuse(gone ? msg::SEVERITY_NOT_ON_PLATFORM : msg::ADD_SEVERITY_FAILED);
    }
}

void delete_severity_cb(Widget w, XtPointer, XtPointer) {
    std::string text = field_text(severity_name);
    if (!valid_name(text, XtParent(w), true)) {
        error_dialog(XtParent(w), message_text(msg::DELETE_SEVERITY_NAME_MISSING));
        return;
    }
    std::string name = name_word(text);
    set_field_text(severity_name, name);
    std::string question = delete_question(UsedKind::Severity, format_message(msg::DELETE_SEVERITY_QUESTION, {name}), name);
    display_warning(severity_edit_win, question.c_str(), delete_severity_ok, cancel_warning);
}

void delete_severity_ok(Widget, XtPointer, XtPointer) {
    close_warning_dialog();
    BusyCursor busy(severity_edit_win);
    if (!generic.delete_severity(severity_name)) return;
    for (Widget field : {severity_name, severity_color, severity_value}) set_field_text(field, "");
}

void severity_list_selection_cb(Widget, XtPointer, XtPointer call_data) {
    auto* cbs = static_cast<XmListCallbackStruct*>(call_data);
    if (!cbs || !cbs->item) return;
    std::istringstream words(xm_string_text(cbs->item));
    for (Widget field : {severity_name, severity_value, severity_color}) {
        std::string word;
        words >> word;
        set_field_text(field, word);
    }
    show_users(UsedKind::Severity, field_text(severity_name));
}
