// History..., from the Template menus of both windows.
#include "edit/history_callbacks.h"

#include <Xm/List.h>

#include <optional>
#include <vector>

#include "base/messages.h"
#include "template/template_model.h"
#include "template/template_snapshot.h"
#include "template/version_diff.h"
#include "ui/callbacks.h"
#include "ui/gui_utils.h"
#include "ui/list_items.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"

namespace {

std::vector<varo::TemplateVersion> listed;  // by list position
std::optional<varo::TemplateDef> chosen;    // the version shown against the working copy

void clear_diff(const std::string& label) {
    chosen.reset();
    set_list_lines(hist_diff_list, {});
    set_string(hist_diff_label, label.c_str());
    XtSetSensitive(hist_open_button, False);
}

// The chosen version against the working copy as it is now.
void show_diff() {
    if (!chosen) return;
    const varo::TemplateDef working = definition_of(qor_handle);
    const std::string v = std::to_string(chosen->version);
    std::vector<std::string> shown;
    std::vector<const char*> renditions;
    for (const lines::DiffLine& d : lines::line_diff(lines::text_view_lines(working), lines::text_view_lines(*chosen))) {
        shown.push_back((d.kind == lines::DiffLine::Added ? "+ " : d.kind == lines::DiffLine::Removed ? "- " : "  ") + d.text);
        renditions.push_back(d.kind == lines::DiffLine::Added ? "added" : d.kind == lines::DiffLine::Removed ? "removed" : nullptr);
    }
    set_list_lines(hist_diff_list, shown, renditions);
    bool same_lines = true;
    for (const char* r : renditions) same_lines = same_lines && !r;
    std::string label = !same_lines ? format_message(msg::HISTORY_DIFF, {v, v})
                        : working.states == chosen->states && working.transitions == chosen->transitions &&
                                  template_fields.descr == chosen->descr
                            ? format_message(msg::HISTORY_SAME, {v})
                            : format_message(msg::HISTORY_SAME_LINES, {v});
    set_string(hist_diff_label, label.c_str());
    XtSetSensitive(hist_open_button, True);
}

// The open template's versions, newest first.
void list_versions() {
    listed.clear();
    const std::string name = template_name();
    if (!name.empty() && !qori_template_history(name.c_str(), listed)) {
        listed.clear();
        error_dialog(hist_dialog, format_message(msg::HISTORY_READ_FAILED, {qori_error_text()}).c_str());
    }
    std::vector<std::string> shown;
    for (const varo::TemplateVersion& v : listed) shown.push_back(lines::version_line(v));
    set_list_lines(hist_version_list, shown);
    clear_diff(listed.empty() ? format_message(msg::HISTORY_NOT_STORED, {name}) : message_text(msg::HISTORY_CHOOSE));
}

}  // namespace

void history_view(const TemplateChange& change) {
    if (!hist_dialog || !XtIsManaged(hist_dialog)) return;
    if (change.kind == Change::Edited || change.kind == Change::Restored) show_diff();
    else if (change.kind != Change::Album) list_versions();
}

void template_history_cb(Widget, XtPointer, XtPointer) {
    BusyCursor busy(te_win);
    XtManageChild(hist_dialog);
    list_versions();
}

void hist_version_cb(Widget, XtPointer, XtPointer call_data) {
    auto* cb = static_cast<XmListCallbackStruct*>(call_data);
    if (!cb || cb->item_position < 1 || static_cast<std::size_t>(cb->item_position) > listed.size()) return;
    BusyCursor busy(history_win);
    const varo::TemplateVersion& v = listed[static_cast<std::size_t>(cb->item_position) - 1];
    const std::string number = std::to_string(v.version);
    if (v.deleted()) return clear_diff(format_message(msg::HISTORY_DELETION, {number}));
    std::optional<varo::TemplateDef> def;
    if (!qori_template_version(v.template_name.c_str(), v.version, def) || !def) {
        clear_diff(message_text(msg::HISTORY_CHOOSE));
        return error_dialog(hist_dialog, format_message(msg::HISTORY_VERSION_FAILED, {number, qori_error_text()}).c_str());
    }
    chosen = std::move(def);
    show_diff();
}

void hist_open_cb(Widget, XtPointer, XtPointer) {
    if (!chosen || !qor_handle.is_valid()) return;
    BusyCursor busy(history_win);
    take_version(*chosen, msg::HISTORY_OPENED_STATUS);
}
