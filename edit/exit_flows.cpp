// Exit paths. No question is asked: unsaved changes are lost by design.
#include "edit/exit_flows.h"

#include <cstdlib>

#include "ui/message_dialogs.h"

void main_exit_button_cb(Widget, XtPointer, XtPointer) { std::exit(0); }

void sd_exit_button_cb(Widget, XtPointer, XtPointer) { std::exit(0); }

void exit_no_save(Widget, XtPointer, XtPointer) {
    close_question_dialog();
    std::exit(1);
}
