#include "edit/template_status.h"

#include "base/messages.h"
#include "template/template_model.h"
#include "ui/gui_utils.h"

void status_view(const TemplateChange& change) {
    if (change.status.number) set_status(format_message(change.status, {template_name()}));
}
