// Exit paths. No question is asked; unsaved changes stay in the recovery journal.
#include "edit/exit_flows.h"

#include <cstdlib>

#include "template/recovery_journal.h"
#include "ui/message_dialogs.h"

void end_program(int status) {
    write_journal_now();
    end_journal();
    std::exit(status);
}

void main_exit_button_cb(Widget, XtPointer, XtPointer) { end_program(0); }

void sd_exit_button_cb(Widget, XtPointer, XtPointer) { end_program(0); }

void exit_no_save(Widget, XtPointer, XtPointer) {
    close_question_dialog();
    end_program(1);
}
