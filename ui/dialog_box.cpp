// The message-dialog classes: one message box each, styled by its constructor.
#include "ui/dialog_box.h"

#include <Xm/MessageB.h>
#include <Xm/Xm.h>

#include "base/messages.h"
#include "ui/xm_string.h"

namespace {
// What a button number selects: the message box child, its label and its callback list.
struct ButtonSlot {
    unsigned char child;
    const char* label_resource;
    const char* callback_resource;
};

const ButtonSlot* button_slot(int n) {
    static const ButtonSlot slots[] = {
        {XmDIALOG_OK_BUTTON, XmNokLabelString, XmNokCallback},
        {XmDIALOG_CANCEL_BUTTON, XmNcancelLabelString, XmNcancelCallback},
        {XmDIALOG_HELP_BUTTON, XmNhelpLabelString, XmNhelpCallback},
    };
    static_assert(OK_BUTTON == 1 && CANCEL_BUTTON == 2 && HELP_BUTTON == 3, "slots follow the button numbers");
    if (n < OK_BUTTON || n > HELP_BUTTON) return nullptr;
    return &slots[n - 1];
}

// Owns a compound string made here.
class OwnedXmString {
public:
    explicit OwnedXmString(XmString s) : str(s) {}
    ~OwnedXmString() { XmStringFree(str); }
    OwnedXmString(const OwnedXmString&) = delete;
    OwnedXmString& operator=(const OwnedXmString&) = delete;
    XmString get() const { return str; }

private:
    XmString str;
};

// "\n" in a message starts a new line.
XmString multi_line(const char* text) {
    return XmStringCreateLtoR(const_cast<char*>(text ? text : ""), const_cast<char*>(XmFONTLIST_DEFAULT_TAG));
}
}  // namespace

AppsDialogBox::~AppsDialogBox() {
    if (!dialog) return;
    XtRemoveCallback(dialog, XmNdestroyCallback, widget_destroyed, this);
    XtUnmanageChild(dialog);
    // The shell goes with its only child, so no empty dialog shells pile up.
    Widget shell = XtParent(dialog);
    XtDestroyWidget(XtIsShell(shell) ? shell : dialog);
    dialog = nullptr;
}

void AppsDialogBox::widget_destroyed(Widget, XtPointer self, XtPointer) {
    static_cast<AppsDialogBox*>(self)->dialog = nullptr;
}

void AppsDialogBox::create(Creator creator, Widget parent, const char* name) {
    dialog = creator(parent, const_cast<char*>(name), nullptr, 0);
    XtAddCallback(dialog, XmNdestroyCallback, widget_destroyed, this);
}

void AppsDialogBox::set_modal() {
    if (dialog) XtVaSetValues(dialog, XmNdialogStyle, XmDIALOG_FULL_APPLICATION_MODAL, nullptr);
}

void AppsDialogBox::set_shell_title_message(MessageId id) { change_title(message_text(id)); }

void AppsDialogBox::setmessage(const char* text) {
    if (!dialog) return;
    OwnedXmString message(multi_line(text));
    XtVaSetValues(dialog, XmNmessageString, message.get(), nullptr);
}

void AppsDialogBox::manage() {
    if (dialog) XtManageChild(dialog);
}

void AppsDialogBox::unmanage() {
    if (dialog) XtUnmanageChild(dialog);
}

void AppsDialogBox::manage_button(int n) {
    const ButtonSlot* slot = button_slot(n);
    if (dialog && slot) XtManageChild(XmMessageBoxGetChild(dialog, slot->child));
}

void AppsDialogBox::unmanage_button(int n) {
    const ButtonSlot* slot = button_slot(n);
    if (dialog && slot) XtUnmanageChild(XmMessageBoxGetChild(dialog, slot->child));
}

void AppsDialogBox::label_button(int n, const char* text) {
    const ButtonSlot* slot = button_slot(n);
    if (!dialog || !slot) return;
    OwnedXmString label(XmStringCreateSimple(const_cast<char*>(text ? text : "")));
    XtVaSetValues(dialog, slot->label_resource, label.get(), nullptr);
}

void AppsDialogBox::add_callback(int n, XtCallbackProc proc, void* data) {
    const ButtonSlot* slot = button_slot(n);
    if (dialog && slot && proc) XtAddCallback(dialog, slot->callback_resource, proc, data);
}

void AppsDialogBox::change_title(const char* text) {
    if (dialog) XtVaSetValues(XtParent(dialog), XtNtitle, text ? text : "", nullptr);
}

ErrDialogBox::ErrDialogBox(Widget parent, const char* message) {
    create(XmCreateErrorDialog, parent, "ErrorDialog");
    set_modal();
    set_shell_title_message(msg::ERROR_DIALOG_TITLE);
    unmanage_button(CANCEL_BUTTON);
    unmanage_button(HELP_BUTTON);
    setmessage(message);
    unmanage();
}

QuestionDialogBox::QuestionDialogBox(Widget parent, const char* message) {
    create(XmCreateQuestionDialog, parent, "QuestionDialog");
    set_modal();
    set_shell_title_message(msg::QUESTION_DIALOG_TITLE);
    unmanage_button(HELP_BUTTON);
    OwnedXmString text(multi_line(message));
    XmStr yes(message_text(msg::YES));
    XmStr no(message_text(msg::NO));
    XtVaSetValues(dialog, XmNmessageString, text.get(), XmNokLabelString, static_cast<XmString>(yes),
                  XmNcancelLabelString, static_cast<XmString>(no), nullptr);
    unmanage();
}

WarningDialogBox::WarningDialogBox(Widget parent, const char* message) {
    create(XmCreateWarningDialog, parent, "WarningDialog");
    set_modal();
    set_shell_title_message(msg::WARNING_DIALOG_TITLE);
    unmanage_button(HELP_BUTTON);
    setmessage(message);
    unmanage();
}

InformationDialogBox::InformationDialogBox(Widget parent, const char* message) {
    create(XmCreateInformationDialog, parent, "InformationDialog");
    set_shell_title_message(msg::INFORMATION_DIALOG_TITLE);
    unmanage_button(CANCEL_BUTTON);
    unmanage_button(HELP_BUTTON);
    setmessage(message);
    unmanage();
}
