// The modify-verify callbacks behind name and number fields: a refused insertion leaves the
// field as it was, whether typed or pasted.
#include "edit/field_checks.h"

#include <Xm/Xm.h>

#include "base/messages.h"
#include "ui/callbacks.h"
#include "template/name_rules.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"

namespace {
bool posix_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The inserted bytes of a text-verify call, or null for a deletion.
const XmTextBlockRec* inserted_text(XtPointer call_data) {
    auto* cbs = static_cast<XmTextVerifyCallbackStruct*>(call_data);
    if (!cbs || !cbs->text || !cbs->text->ptr || cbs->text->length <= 0) return nullptr;
    return cbs->text;
}
}  // namespace

bool name_insertion_allowed(const char* text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i)
        if (posix_space(text[i])) return false;
    return true;
}

bool number_insertion_allowed(const char* text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

void verify_no_space(Widget, XtPointer, XtPointer call_data) {
    if (const XmTextBlockRec* block = inserted_text(call_data))
        if (!name_insertion_allowed(block->ptr, static_cast<std::size_t>(block->length)))
            static_cast<XmTextVerifyCallbackStruct*>(call_data)->doit = False;
}

void verify_number(Widget, XtPointer, XtPointer call_data) {
    if (const XmTextBlockRec* block = inserted_text(call_data))
        if (!number_insertion_allowed(block->ptr, static_cast<std::size_t>(block->length)))
            static_cast<XmTextVerifyCallbackStruct*>(call_data)->doit = False;
}

int valid_name(const std::string& text, Widget parent, bool kept) {
    std::string character;
    NameCheck check = check_name(text, kept, &character);
    if (check == NameCheck::Ok) return 1;
    std::string refusal = name_refusal(check, character);
    if (!refusal.empty()) error_dialog(parent, refusal.c_str());
    return 0;
}

int valid_description(const char* descr) {
    if (descr && description_has_text(descr)) return 1;
    error_dialog(main_template_parent, message_text(msg::DESCRIPTION_MISSING));
    return 0;
}
