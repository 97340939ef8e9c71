// The condition window: choosing a condition, Add, Modify and Delete. Changes go to the
// server at once; the list follows through the change notification, which Add and Modify
// let run before they show the condition in it.
#include <Xm/List.h>
#include <Xm/Text.h>

#include <string>

#include "base/messages.h"
#include "ui/callbacks.h"
#include "edit/field_checks.h"
#include "edit/server_object_callbacks.h"
#include "edit/used_by.h"
#include "platform/qori.h"
#include "ui/xm_string.h"
#include "template/name_rules.h"
#include "template/template_model.h"
#include "ui/gui_utils.h"
#include "ui/message_dialogs.h"
#include "ui/text_view.h"
#include "ui/widgets.h"

namespace {

// The condition whose code the code field holds, "" when it holds none or only what the user
// typed. Choosing another condition then empties the field, so that Modify cannot write one
// condition's code into another.
std::string code_of;

std::string code_text() {
    char* text = XmTextGetString(ct_condition_code);
    std::string code = text ? text : "";
    XtFree(text);
    return code;
}

void set_code(const std::string& code, const std::string& owner) {
    XmTextSetString(ct_condition_code, const_cast<char*>(code.c_str()));
    code_of = owner;
}

void refuse(Widget where, const std::string& text) { error_dialog(where, text.c_str()); }

// The name field checked and written back as one word; refused with the given message.
// kept: the name of a stored condition, to be changed or deleted; else a new one.
bool take_name(Widget where, MessageId refusal, std::string& name, bool kept) {
    std::string text = field_text(ct_name_text);
    if (!valid_name(text, where, kept)) {
        refuse(where, message_text(refusal));
        return false;
    }
    name = kept ? name_word(text) : new_name_word(text);
    set_field_text(ct_name_text, name);
    return true;
}

// The description and code of Add and Modify; valid_description says why it refuses.
bool take_definition(Widget where, MessageId missing_code, std::string& descr, std::string& code) {
    std::string raw = field_text(ct_description_text);
    if (!valid_description(raw.c_str())) return false;
    descr = normalise_description(raw);
    set_field_text(ct_description_text, descr);
    code = code_text();
    if (!description_has_text(code)) {
        refuse(where, message_text(missing_code));
        return false;
    }
    return true;
}

// Scrolls the list to the condition and selects it; a name the refreshed list lacks (another
// client deleted it meanwhile) selects nothing rather than some other condition.
void show_in_list(const std::string& name) {
    int position = XmListItemPos(ct_condition_list, XmStr(name));
    if (position > 0) make_item_visible(ct_condition_list, position);
}

}  // namespace

void ct_select_condition_cb(Widget w, XtPointer, XtPointer call_data) {
    auto* cbs = static_cast<XmListCallbackStruct*>(call_data);
    if (!cbs || !cbs->item) return;
    std::string name = cut_utf8(xm_string_text(cbs->item), QORI_NAME_MAX);
    char descr[QORI_DESCR_MAX + 1];
    DataUnit code = qori_condition_get(name.c_str(), descr);
    if (code.empty()) {
        error.reset_error();
        refuse(XtParent(w), format_message(msg::CONDITION_LOAD_FAILED, {name}));
        return;
    }
    set_field_text(ct_name_text, name);
    set_field_text(ct_description_text, descr);
    show_users(UsedKind::Condition, name);
    if (cbs->reason == XmCR_DEFAULT_ACTION)
        set_code(code.str(), name);
    else if (!code_of.empty() && code_of != name)
        set_code("", "");
}

void ct_add_button_cb(Widget w, XtPointer, XtPointer) {
    Widget where = XtParent(w);
    std::string name, descr, code;
    if (!take_name(where, msg::ADD_CONDITION_NAME_MISSING, name, false) || !take_definition(where, msg::ADD_CONDITION_CODE_MISSING, descr, code)) return;
    BusyCursor busy(condition_text_win);
    if (!qori_condition_add(name.c_str(), descr.c_str(), code.c_str())) {
        error.reset_error();
        refuse(where, format_message(msg::ADD_CONDITION_ERROR, {qori_error_str}));
        return;
    }
    code_of = name;
    dispatch_recursive(0);
    show_in_list(name);
}

void ct_modify_button_cb(Widget w, XtPointer, XtPointer) {
    Widget where = XtParent(w);
    std::string name, descr, code;
    if (!take_name(where, msg::MODIFY_CONDITION_NAME_MISSING, name, true)) return;
    if (!qorCond_Find(name.c_str()).is_valid()) {
        error.reset_error();
        refuse(where, message_text(msg::CONDITION_NOT_IN_STORE));
        return;
    }
    if (!take_definition(where, msg::MODIFY_CONDITION_CODE_MISSING, descr, code)) return;
    BusyCursor busy(condition_text_win);
    // One replace: refused, the server still holds the old definition and the fields keep
    // what the user typed, for correction.
    if (!qori_condition_replace(name.c_str(), descr.c_str(), code.c_str())) {
        int kind = qori_error_kind;
        std::string why = format_message(msg::MODIFY_CONDITION_ERROR, {qori_error_str});
        error.reset_error();
        if (kind == QORI_REFUSED_IN_USE) why = message_text(msg::CONDITION_IN_TEMPLATE);
        if (kind == QORI_REFUSED_NOT_FOUND) why = message_text(msg::CONDITION_NOT_IN_STORE);
        refuse(where, why);
        return;
    }
    code_of = name;
    dispatch_recursive(0);
    show_in_list(name);
}

void ct_delete_button_cb(Widget w, XtPointer, XtPointer) {
    Widget where = XtParent(w);
    std::string name;
    if (!take_name(where, msg::DELETE_CONDITION_NAME_MISSING, name, true)) return;
    if (!qorCond_Find(name.c_str()).is_valid()) {
        error.reset_error();
        refuse(where, message_text(msg::CONDITION_MISSING));
        return;
    }
    std::string question = delete_question(UsedKind::Condition, format_message(msg::DELETE_CONDITION_QUESTION, {name}), name);
    display_warning(condition_text_win, question.c_str(), delete_condition_ok, cancel_warning);
}

void delete_condition_ok(Widget, XtPointer, XtPointer) {
    close_warning_dialog();
    BusyCursor busy(condition_text_win);
    std::string name = name_word(field_text(ct_name_text));
    if (!qori_condition_delete(name.c_str())) {
        bool gone = qori_error_kind == QORI_REFUSED_NOT_FOUND;
        error.reset_error();
        refuse(condition_text_win, gone ? message_text(msg::CONDITION_MISSING) : in_use_text(UsedKind::Condition, name));
        return;
    }
    set_field_text(ct_name_text, "");
    set_field_text(ct_description_text, "");
    set_code("", "");
}
