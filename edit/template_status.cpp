#include "edit/template_status.h"

#include "base/messages.h"
#include "template/store_rights.h"
#include "template/template_model.h"
#include "ui/gui_utils.h"

void status_view(const TemplateChange& change) {
    std::string read_only = read_only_text();
    if (change.kind == Change::Rights) {
        set_status(read_only.empty() ? format_message(msg::RIGHTS_GRANTED, {store_rights().role}) : read_only);
        return;
    }
    if (!change.status.number) return;
    // A role that may not change templates keeps being told so; one that may not change the
    // server's objects works on templates as usual.
    set_status(store_rights().templates ? format_message(change.status, {template_name()}) : read_only);
}
