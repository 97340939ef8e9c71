// The one way to report a failure (error_dialog), to confirm a destructive step
// (display_warning) and to ask whether to save (display_question).
#ifndef TARNWRIGHT_UI_MESSAGE_DIALOGS_H
#define TARNWRIGHT_UI_MESSAGE_DIALOGS_H

#include <X11/Intrinsic.h>

#include "template/template_edits.h"
#include "ui/dialog_box.h"

// The dialog of each kind that is currently up, or null. Cleared whenever the dialog
// it points to is deleted.
extern ErrDialogBox* current_error_dialog;
extern QuestionDialogBox* current_question_dialog;
extern WarningDialogBox* current_warning_dialog;

// The common error report: over w's parent, at x 500, y 500; closes itself on OK.
// Several can be up together.
void error_dialog(Widget w, const char* message);
// An edit's refusal as an error over w's parent (none for one refused without a word);
// whether the edit was done.
bool tell_refusal(Widget w, const EditOutcome& outcome);
// An error over parent titled "Tarnwright: Error" whose OK and Cancel run the given
// callbacks (which must close it or end the program). Cancel is shown when given, and the
// window manager's close of the dialog runs it too.
void error_dialog(Widget parent, const char* message, XtCallbackProc ok, XtCallbackProc cancel);
// OK of the common error dialog; client data is the ErrDialogBox (null: the current one).
void error_dialog_cb(Widget w, XtPointer client_data, XtPointer call_data);

// A Yes/No question and an OK/Cancel confirmation. A previous one still up is closed first.
void display_question(Widget parent, const char* message, XtCallbackProc ok, XtCallbackProc cancel);
void display_warning(Widget parent, const char* message, XtCallbackProc ok, XtCallbackProc cancel);
// Cancel of every confirmation: closes the current warning dialog.
void cancel_warning(Widget w, XtPointer client_data, XtPointer call_data);

// What every confirmation OK and every save-changes answer does first.
void close_warning_dialog();
void close_question_dialog();

#endif
