#include "edit/template_status.h"

#include "base/messages.h"
#include "edit/template_news.h"
#include "edit/undo_history.h"
#include "template/template_model.h"

std::string template_name() { return qor_handle.name() ? qor_handle.name() : ""; }

void mark_modified(MessageId number) {
    modified = 1;
    set_status(format_message(number, {template_name()}));
    history_record();
}

void template_started() {
    history_start();
    news_forget();
}

void template_saved() {
    history_saved();
    news_forget();
}
