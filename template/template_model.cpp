#include "template/template_model.h"

#include <Xm/List.h>

#include <cstring>

#include "base/globals.h"
#include "base/messages.h"
#include "diagram/diagram_commands.h"
#include "diagram/diagram_object.h"
#include "diagram/draw_area.h"
#include "edit/generic.h"
#include "edit/template_callbacks.h"
#include "edit/template_news.h"
#include "edit/template_status.h"
#include "template/album_reader.h"
#include "ui/xm_string.h"
#include "template/name_rules.h"
#include "template/option_menus.h"
#include "template/text_view.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"

Qor_Defn qor_handle;
int modified = 0;

namespace {

enum { GROUND_NAME_SIZE = 200 };

const char* NONAME = "Noname";

std::string open_name() { return qor_handle.name() ? qor_handle.name() : ""; }

// The ground state, as the state editor adds a state.
bool add_ground_state(const char* poll_rate, const char* severity) {
    return Generic().add_state("Ground", "default", poll_rate, severity) != 0;
}

void clear_list(Widget list) {
    if (list) XmListDeleteAllItems(list);
}

// Every failure of a write: the engine's error reset, the dialog, the status.
int refuse_write(const std::string& dialog_text, const std::string& status) {
    error.reset_error();
    error_dialog(main_template_parent, dialog_text.c_str());
    set_status(status);
    return 0;
}

// What every successful write does last.
int saved() {
    set_status(format_message(msg::SAVE_COMPLETE_STATUS, {open_name()}));
    modified = 0;
    template_saved();
    return 1;
}

}  // namespace

void set_string(Widget label, const char* text) {
    if (!label) return;
    // An option menu's button keeps its menu's width: the value shows through its entry.
    if (show_in_option_menu(label, text ? text : "")) return;
    XmStr s(text ? text : "");
    XtVaSetValues(label, XmNlabelString, static_cast<XmString>(s), nullptr);
}

void set_status(const std::string& text) {
    set_string(main_message_label, text.c_str());
    set_string(sd_message_label, text.c_str());
}

void get_new_ground_pollrate(char* out) {
    copy_bounded(out, GROUND_NAME_SIZE, choose_ground_pollrate(album_names(qorPollRateContainer(DataUnit()))));
}

void get_new_ground_sev(char* out) {
    copy_bounded(out, GROUND_NAME_SIZE, choose_ground_severity(album_names(qorSeverityContainer(DataUnit()))));
}

void new_template() {
    set_field_text(main_name, NONAME);
    set_field_text(main_description, "No Description");
    clear_list(main_text_list);
    clear_list(ot_list);
    clear_list(transition_list);
    destroy_list();
    modified = 0;
    qor_handle = qori_template_create(NONAME, "None");

    char severity[GROUND_NAME_SIZE] = "";
    char poll_rate[GROUND_NAME_SIZE] = "";
    get_new_ground_sev(severity);
    get_new_ground_pollrate(poll_rate);
    if (!add_ground_state(poll_rate, severity)) {
        error_dialog(main_win_form, message_text(msg::GROUND_STATE_FAILED));
        // The lists and menus show the new, empty template rather than the one before it.
        build_state_list_window();
        build_state_list_buttons();
        template_started();
        return;
    }
    reset_layout();
    load_template();
    build_state_list_window();
    build_state_list_buttons();
    set_status(format_message(msg::OPEN_STATUS, {open_name()}));
    template_started();
}

namespace {
// The views of a template just read from the store.
void show_opened(const std::string& name) {
    arrange_if_overlapping();
    set_field_text(main_name, name);
    set_field_text(main_description, qor_handle.descr() ? qor_handle.descr() : "");
    build_state_list_window();
    build_state_list_buttons();
    // An open transition editor showed the template before.
    refresh_transition_lists();
    draw_diagram();
    modified = 0;
    template_started();
}
}  // namespace

void template_open() {
    reset_layout();
    std::string name = name_word(open_template);
    if (qor_handle.is_valid() && name == open_name()) return;

    set_field_text(main_name, name);
    destroy_list();
    qor_handle = qori_template_find(name.c_str());
    if (qor_handle.is_valid() && load_template()) {
        show_opened(name);
        set_status(format_message(msg::OPENED_STATUS, {name}));
        return;
    }
    error.reset_error();
    error_dialog(open_list_win, message_text(msg::TEMPLATE_MISSING));
    new_template();
    modified = 0;
}

int reload_template() {
    const char* stored = qor_handle.stored_name();
    if (!stored) return 0;
    std::string name = stored;
    Qor_Defn fresh = qori_template_find(name.c_str());
    if (!fresh.is_valid()) {
        error.reset_error();
        return 0;
    }
    qor_handle = fresh;
    reset_layout();
    destroy_list();
    load_template();
    show_opened(name);
    return 1;
}

int valid_description(const char* descr) {
    if (descr && description_has_text(descr)) return 1;
    error_dialog(main_template_parent, message_text(msg::DESCRIPTION_MISSING));
    return 0;
}

int save_template() {
    std::string text = field_text(main_name);
    // The open template's own name, stored before names were checked as text, may be saved again.
    bool kept = qor_handle.is_valid() && qor_handle.stored_name() && name_word(text) == open_name();
    std::string character;
    NameCheck check = check_name(text, kept, &character);
    if (check != NameCheck::Ok) {
        std::string refusal = name_refusal(check, character);
        if (!refusal.empty()) error_dialog(main_win_form, refusal.c_str());
        return 0;
    }
    std::string name = kept ? name_word(text) : new_name_word(text);
    set_field_text(main_name, name);
    if (name == NONAME) {
        error_dialog(main_win_form, message_text(msg::TEMPLATE_NAME_MISSING));
        return 0;
    }
    std::string raw = field_text(main_description);
    if (!valid_description(raw.c_str())) return 0;
    std::string descr = normalise_description(raw);
    set_field_text(main_description, descr);

    if (!qor_handle.is_valid()) {
        // No template is open when start-up could not reach Varo.
        error_dialog(main_win_form, message_text(msg::NO_TEMPLATE_OPEN));
        return 0;
    }
    if (name != open_name() && qori_template_find(name.c_str()).is_valid()) {
        ask_overwrite();
        return 0;
    }
    return write_template(name.c_str(), descr.c_str());
}

int write_template_as(const char* name, const char* descr) {
    if (qori_template_find(name).is_valid()) return refuse_write(message_text(msg::CREATE_FAILED_EXISTS), message_text(msg::CREATE_FAILED_EXISTS_STATUS));
    Qor_Defn result;
    if (qor_handle.stored_name()) {
        // The open template is stored under its old name: that one stays as it is.
        result = qori_template_copy(qor_handle, name, descr);
    } else if (qori_template_store(qor_handle, name, descr)) {
        result = qor_handle;
    }
    if (!result.is_valid()) {
        // Only a template without states is "incomplete"; any other refusal (a severity
        // deleted meanwhile, a store busy, gone or read-only) says why, as a save in place does.
        std::string why = qori_error_kind == QORI_REFUSED_INCOMPLETE ? message_text(msg::CREATE_FAILED_INCOMPLETE)
                                                                       : format_message(msg::SAVE_FAILED_REASON, {qori_error_str});
        return refuse_write(why, format_message(msg::SAVE_FAILED_STATUS, {open_name()}));
    }
    qor_handle = result;
    return saved();
}

int write_template(const char* name, const char* descr) {
    if (!qor_handle.is_valid() || open_name() != name) return write_template_as(name, descr);
    // Before the news arrives: one deleted and stored anew has the version this copy read.
    if (qori_template_fate(qor_handle) == QORI_STORED_UNKNOWN) error.reset_error();
    if (!qori_template_add(qor_handle, name, descr)) {
        std::string reason = qori_error_str;
        int kind = qori_error_kind;
        if (kind == QORI_REFUSED_CONFLICT || kind == QORI_REFUSED_NOT_FOUND) {
            // Another client saved or deleted it: offer a copy rather than overwrite theirs.
            error.reset_error();
            set_status(format_message(msg::SAVE_FAILED_STATUS_NAMED, {name}));
            offer_copy(reason, descr);
            return 0;
        }
        // "in use" is the usual reason; any other is named.
        bool in_use = kind == QORI_REFUSED_RUNNING || kind == QORI_REFUSED_IN_USE;
        std::string why = in_use ? message_text(msg::SAVE_FAILED_IN_USE) : format_message(msg::SAVE_FAILED_REASON, {reason});
        return refuse_write(why, format_message(msg::SAVE_FAILED_STATUS_NAMED, {name}));
    }
    return saved();
}

int overwrite_template(const char* name, const char* descr) {
    if (!qor_handle.is_valid()) return 0;
    Qor_Defn result = qori_template_replace(qor_handle, name, descr);
    if (!result.is_valid()) {
        // Says why: typically the stored template is running on a managed object.
        return refuse_write(format_message(msg::OVERWRITE_FAILED, {qori_error_str}), format_message(msg::SAVE_FAILED_STATUS, {open_name()}));
    }
    qor_handle = result;
    return saved();
}
