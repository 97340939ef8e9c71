#include "template/store_rights.h"
#include "template/template_model.h"

#include <memory>

#include "varo/store.h"

#include "base/globals.h"
#include "base/messages.h"
#include "template/album_reader.h"
#include "template/name_rules.h"

Qor_Defn qor_handle;
int modified = 0;
TemplateFields template_fields;

namespace {

enum { GROUND_NAME_SIZE = 200 };

const char* NONAME = "Noname";

// The contents and fields last saved, or as started, opened or reloaded: what "unchanged" means.
Qor_Snapshot saved_contents;
TemplateFields saved_fields;

int differs_from_saved() {
    return template_fields == saved_fields && qori_template_snapshot(qor_handle) == saved_contents ? 0 : 1;
}

// A whole new working copy: shown, then taken as unchanged (after the views, which may
// place its states).
void replaced(Change kind, MessageId status) {
    modified = 0;
    saved_fields = template_fields;
    announce({kind, 0, status});
    saved_contents = qori_template_snapshot(qor_handle);
}

SaveOutcome refused(SaveResult result, const std::string& reason = std::string()) {
    error.reset_error();
    return {result, reason, "", ""};
}

SaveOutcome stored(const char* name, const char* descr) {
    modified = 0;
    saved_contents = qori_template_snapshot(qor_handle);
    template_fields = saved_fields = {name, descr};
    announce({Change::Saved, 0, msg::SAVE_COMPLETE_STATUS});
    return {SaveResult::Saved, "", name, descr};
}

}  // namespace

std::string template_name() { return qor_handle.name() ? qor_handle.name() : ""; }

bool saved(const SaveOutcome& outcome) { return outcome.result == SaveResult::Saved; }

void get_new_ground_pollrate(char* out) {
    copy_bounded(out, GROUND_NAME_SIZE, choose_ground_pollrate(album_names(qorPollRateContainer(DataUnit()))));
}

void get_new_ground_sev(char* out) {
    copy_bounded(out, GROUND_NAME_SIZE, choose_ground_severity(album_names(qorSeverityContainer(DataUnit()))));
}

StartResult new_template() {
    template_fields = {NONAME, "No Description"};
    qor_handle = qori_template_create(NONAME, "None");

    char severity[GROUND_NAME_SIZE] = "";
    char poll_rate[GROUND_NAME_SIZE] = "";
    get_new_ground_sev(severity);
    get_new_ground_pollrate(poll_rate);
    if (!qori_state_add(qor_handle, "Ground", poll_rate, severity, "default")) {
        error.reset_error();
        // The views show the new, empty template rather than the one before it.
        replaced(Change::Started, MessageId{0, 0});
        return StartResult::GroundRefused;
    }
    replaced(Change::Started, msg::OPEN_STATUS);
    return StartResult::Started;
}

OpenResult template_open() {
    std::string name = name_word(open_template);
    if (qor_handle.is_valid() && name == template_name()) return OpenResult::AlreadyOpen;
    qor_handle = qori_template_find(name.c_str());
    if (!qor_handle.is_valid()) {
        error.reset_error();
        return OpenResult::NotFound;
    }
    Qor_StateQueue states;
    if (!qor_handle.get_statesq(states)) {
        error.reset_error();
        qor_handle = Qor_Defn();
        return OpenResult::Unreadable;
    }
    template_fields = {name, qor_handle.descr() ? qor_handle.descr() : ""};
    replaced(Change::Opened, msg::OPENED_STATUS);
    return OpenResult::Opened;
}

int reload_template() {
    const char* stored_name = qor_handle.stored_name();
    if (!stored_name) return 0;
    std::string name = stored_name;
    Qor_Defn fresh = qori_template_find(name.c_str());
    if (!fresh.is_valid()) {
        error.reset_error();
        return 0;
    }
    qor_handle = fresh;
    template_fields = {name, qor_handle.descr() ? qor_handle.descr() : ""};
    replaced(Change::Reloaded, MessageId{0, 0});
    return 1;
}

SaveOutcome save_template(const std::string& name_text, const std::string& descr_text) {
    // Nothing goes to the store that it would refuse this role.
    if (!store_rights().templates) return {SaveResult::SaveRefused, read_only_text(), "", ""};
    // The open template's own name, stored before names were checked as text, may be saved again.
    bool kept = qor_handle.is_valid() && qor_handle.stored_name() && name_word(name_text) == template_name();
    std::string character;
    NameCheck check = check_name(name_text, kept, &character);
    if (check == NameCheck::Blank) return {SaveResult::BlankName, "", "", ""};
    if (check != NameCheck::Ok) return {SaveResult::NameRefused, name_refusal(check, character), "", ""};
    std::string name = kept ? name_word(name_text) : new_name_word(name_text);
    if (name == NONAME) return {SaveResult::Noname, "", name, ""};
    if (!description_has_text(descr_text)) return {SaveResult::NoDescription, "", name, ""};
    std::string descr = normalise_description(descr_text);
    SaveOutcome outcome;
    if (!qor_handle.is_valid())
        outcome = {SaveResult::NoTemplate, "", "", ""};
    else if (name != template_name() && qori_template_find(name.c_str()).is_valid())
        outcome = refused(SaveResult::NameTaken);
    else
        outcome = write_template(name.c_str(), descr.c_str());
    outcome.name = name;
    outcome.descr = descr;
    return outcome;
}

SaveOutcome write_template_as(const char* name, const char* descr) {
    if (qori_template_find(name).is_valid()) return refused(SaveResult::CreateNameStored);
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
        if (qori_error_kind == QORI_REFUSED_INCOMPLETE) return refused(SaveResult::Incomplete);
        return refused(SaveResult::CreateRefused, qori_error_str);
    }
    qor_handle = result;
    return stored(name, descr);
}

SaveOutcome write_template(const char* name, const char* descr) {
    if (!qor_handle.is_valid() || template_name() != name) return write_template_as(name, descr);
    // Before the news arrives: one deleted and stored anew has the version this copy read.
    if (qori_template_fate(qor_handle) == QORI_STORED_UNKNOWN) error.reset_error();
    if (!qori_template_add(qor_handle, name, descr)) {
        std::string reason = qori_error_str;
        int kind = qori_error_kind;
        // Another client saved or deleted it: a copy may be offered rather than overwrite theirs.
        if (kind == QORI_REFUSED_CONFLICT || kind == QORI_REFUSED_NOT_FOUND)
            return refused(SaveResult::ChangedElsewhere, reason);
        if (kind == QORI_REFUSED_RUNNING || kind == QORI_REFUSED_IN_USE) return refused(SaveResult::InUse, reason);
        return refused(SaveResult::SaveRefused, reason);
    }
    return stored(name, descr);
}

SaveOutcome overwrite_template(const char* name, const char* descr) {
    if (!qor_handle.is_valid()) return {SaveResult::NoTemplate, "", "", ""};
    Qor_Defn result = qori_template_replace(qor_handle, name, descr);
    // Typically the stored template is running on a managed object.
    if (!result.is_valid()) return refused(SaveResult::OverwriteRefused, qori_error_str);
    qor_handle = result;
    return stored(name, descr);
}

void template_edited(unsigned parts, MessageId status) {
    modified = 1;
    announce({Change::Edited, parts, status});
}

void template_fields_typed(const TemplateFields& fields) {
    if (fields == template_fields) return;
    template_fields = fields;
    // Typed back to what is stored: unmodified again, unless the contents were edited.
    int was = modified;
    modified = fields == saved_fields ? (modified ? differs_from_saved() : 0) : 1;
    MessageId status = modified ? msg::FIELDS_MODIFIED_STATUS : was ? msg::FIELDS_UNMODIFIED_STATUS : MessageId{0, 0};
    announce({Change::Edited, EDITED_FIELDS, status});
}

void take_version(const varo::TemplateDef& version, MessageId status) {
    qori_template_restore(qor_handle, Qor_Snapshot(std::make_shared<const varo::TemplateDef>(version)));
    template_fields.descr = version.descr;
    template_edited(EDITED_STATES | EDITED_TRANSITIONS | EDITED_PLACES | EDITED_FIELDS | EDITED_VERSION, status);
}

void restore_template(const Qor_Snapshot& contents, const TemplateFields& fields, MessageId status) {
    qori_template_restore(qor_handle, contents);
    template_fields = fields;
    modified = differs_from_saved();
    announce({Change::Restored, 0, status});
}

RecoverResult recover_template(const varo::Journal& journal) {
    Qor_Defn copy = qori_template_resume(journal.contents, journal.stored_name.c_str(), journal.version);
    if (!copy.is_valid()) {
        error.reset_error();
        return RecoverResult::Refused;
    }
    qor_handle = copy;
    template_fields = {journal.name_field, journal.descr_field};
    modified = 1;
    announce({Change::Opened, 0, msg::RECOVERED_STATUS});
    // "Unchanged" is what is stored under its name, if anything.
    saved_contents = Qor_Snapshot();
    saved_fields = TemplateFields();
    Qor_Defn stored = journal.stored_name.empty() ? Qor_Defn() : qori_template_find(journal.stored_name.c_str());
    if (stored.is_valid()) {
        saved_contents = qori_template_snapshot(stored);
        saved_fields = {stored.name(), stored.descr() ? stored.descr() : ""};
    }
    error.reset_error();
    switch (qori_template_fate(qor_handle)) {
    case QORI_STORED_CHANGED: return RecoverResult::ChangedElsewhere;
    case QORI_STORED_GONE: return RecoverResult::DeletedElsewhere;
    default: error.reset_error(); return RecoverResult::Recovered;
    }
}
