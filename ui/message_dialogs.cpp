// Error, warning and question dialogs and the callbacks that close them.
#include "ui/message_dialogs.h"

#include <Xm/MessageB.h>
#include <Xm/Xm.h>

#include "base/messages.h"
#include "ui/gui_utils.h"

ErrDialogBox* current_error_dialog = nullptr;
QuestionDialogBox* current_question_dialog = nullptr;
WarningDialogBox* current_warning_dialog = nullptr;

namespace {

void delete_error_dialog(ErrDialogBox* box) {
    if (!box) return;
    if (box == current_error_dialog) current_error_dialog = nullptr;
    box->unmanage();
    delete box;
}

// The window manager's close of a dialog runs the given callback instead of only
// unmapping it, so the program never stays behind with its question unanswered, nor with
// a dialog only hidden.
void route_close_to(Widget dialog, XtCallbackProc proc, XtPointer client_data = nullptr) {
    route_window_close(XtParent(dialog), proc, client_data, true);
}

// A question lives until one of its two answers: the window manager's close leaves it up.
void keep_up_when_closed(Widget dialog) { XtVaSetValues(XtParent(dialog), XmNdeleteResponse, XmDO_NOTHING, nullptr); }
}  // namespace

void error_dialog(Widget w, const char* message) {
    Widget parent = XtParent(w) ? XtParent(w) : w;
    ErrDialogBox* box = new ErrDialogBox(parent, message);
    current_error_dialog = box;
    box->add_callback(OK_BUTTON, error_dialog_cb, box);
    route_close_to(box->getwidget(), error_dialog_cb, box);
    // Without this Motif would centre the dialog over its parent instead.
    XtVaSetValues(box->getwidget(), XmNdefaultPosition, False, XmNx, 500, XmNy, 500, nullptr);
    box->manage();
}

bool tell_refusal(Widget w, const EditOutcome& outcome) {
    if (!outcome && outcome.reason.number != 0)
        error_dialog(w, format_message(outcome.reason, {outcome.argument}).c_str());
    return outcome.done;
}

void error_dialog(Widget parent, const char* message, XtCallbackProc ok, XtCallbackProc cancel) {
    ErrDialogBox* box = new ErrDialogBox(parent, message);
    current_error_dialog = box;
    box->change_title(message_text(msg::ERROR_TITLE));
    box->add_callback(OK_BUTTON, ok, nullptr);
    if (cancel) {
        box->add_callback(CANCEL_BUTTON, cancel, nullptr);
        box->manage_button(CANCEL_BUTTON);
        route_close_to(box->getwidget(), cancel);
    }
    box->manage();
}

void error_dialog_cb(Widget, XtPointer client_data, XtPointer) {
    ErrDialogBox* box = client_data ? static_cast<ErrDialogBox*>(client_data) : current_error_dialog;
    delete_error_dialog(box);
}

void close_warning_dialog() {
    WarningDialogBox* box = current_warning_dialog;
    current_warning_dialog = nullptr;
    if (!box) return;
    box->unmanage();
    delete box;
}

void close_question_dialog() {
    QuestionDialogBox* box = current_question_dialog;
    current_question_dialog = nullptr;
    if (!box) return;
    box->unmanage();
    delete box;
}

void display_question(Widget parent, const char* message, XtCallbackProc ok, XtCallbackProc cancel) {
    close_question_dialog();
    current_question_dialog = new QuestionDialogBox(parent, message);
    current_question_dialog->add_callback(OK_BUTTON, ok, nullptr);
    current_question_dialog->add_callback(CANCEL_BUTTON, cancel, nullptr);
    keep_up_when_closed(current_question_dialog->getwidget());
    current_question_dialog->manage();
}

void display_warning(Widget parent, const char* message, XtCallbackProc ok, XtCallbackProc cancel) {
    close_warning_dialog();
    current_warning_dialog = new WarningDialogBox(parent, message);
    current_warning_dialog->add_callback(OK_BUTTON, ok, nullptr);
    current_warning_dialog->add_callback(CANCEL_BUTTON, cancel, nullptr);
    route_close_to(current_warning_dialog->getwidget(), cancel);
    current_warning_dialog->manage();
}

void cancel_warning(Widget, XtPointer, XtPointer) { close_warning_dialog(); }
