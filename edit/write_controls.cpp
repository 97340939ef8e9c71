#include "edit/write_controls.h"

#include <Xm/List.h>

#include "template/store_rights.h"
#include "ui/widgets.h"

namespace {
void set_sensitive(std::initializer_list<Widget> widgets, bool on) {
    for (Widget w : widgets)
        if (w) XtSetSensitive(w, on ? True : False);
}

// The Open dialog's Delete also needs a template chosen.
bool template_chosen() {
    int* positions = nullptr;
    int count = 0;
    if (!ol_list || !XmListGetSelectedPos(ol_list, &positions, &count)) return false;
    XtFree(reinterpret_cast<char*>(positions));
    return count > 0;
}
}  // namespace

void write_controls_view(const TemplateChange& change) {
    if (change.kind != Change::Rights) return;
    const QoriRights& rights = store_rights();
    // Save as under a new name writes too: a role that may not change templates only views them.
    set_sensitive({main_save_button, sd_template_save, state_edit_add_button, state_edit_modify_button,
                   state_edit_delete_button, tran_add_button, tran_delete_button, cs_apply,
                   cs_modify, cs_delete},
                  rights.templates);
    set_sensitive({ol_delete_button}, rights.templates && template_chosen());
    set_sensitive({te_pollrate_add_button, te_pollrate_modify_button, te_pollrate_delete_button,
                   te_severity_add_button, te_severity_modify_button, te_severity_delete_button, ct_add_button,
                   ct_modify_button, ct_delete_button},
                  rights.server_objects);
}

void store_rights_changed(void*, void*) { read_store_rights(); }
