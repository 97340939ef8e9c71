// Templates: working copies made and read, and whole definitions written to Varo.
#include "platform/qori_internal.h"

using namespace qori_detail;

namespace {
bool refuse_template(const std::string& name, const varo::StoreError& err, bool deleting) {
    std::string subject = "Template " + quoted(name);
    switch (err.kind()) {
    case varo::StoreError::Exists: return refuse(ERR_EXISTS, "A template named " + quoted(name) + " already exists");
    case varo::StoreError::Running:
        return refuse(ERR_RUNNING, subject + (deleting ? " is running on a managed object"
                                                       : " is in use: it is running on a managed object"));
    case varo::StoreError::Conflict:
        return refuse(ERR_CONFLICT, subject + " was changed by another client since it was read");
    case varo::StoreError::NotFound: return refuse(ERR_NOT_FOUND, subject + " is not stored in Varo");
    default: return refuse_store_error(subject, err);
    }
}

// Runs a write of a whole definition; refusals are worded for the template `name`.
template <class Fn>
bool write_template(const std::string& name, Fn&& fn, bool deleting = false) {
    Engine& e = engine();
    if (!e.store) return refuse(ERR_NOT_CONNECTED, "Not connected to Varo");
    try {
        fn(*e.store);
    } catch (const varo::StoreError& err) {
        return refuse_template(name, err, deleting);
    } catch (const std::exception& err) {
        return refuse(ERR_INTERNAL, err.what());
    }
    mark_changed(QORI_ALBUM_TEMPLATES, name);
    return true;
}

// The copy to save, after checking the name and description it is saved under.
TemplateCopy* savable(const Qor_Defn& t, const char* name, const char* descr) {
    TemplateCopy* copy = t.working_copy().get();
    if (!copy) return refuse(ERR_INVALID, "No template"), nullptr;
    if (!check_name("Template", name) || !check_descr("Template", descr)) return nullptr;
    if (copy->states.empty())
        return refuse(ERR_INCOMPLETE, "Template " + quoted(copy->name) + " is incomplete: it has no states"), nullptr;
    return copy;
}

void adopt(TemplateCopy& copy, varo::TemplateDef def, std::int64_t version) {
    copy.name = def.name;
    copy.descr = def.descr;
    copy.stored_as = def.name;
    copy.version = version;
    copy.stale = QORI_STORED_SAME;
    def.version = version;
    copy.stored_contents = std::make_shared<const varo::TemplateDef>(std::move(def));
}

std::string stale_text(const TemplateCopy& copy) {
    return "Template " + quoted(copy.stored_as) +
           (copy.stale == QORI_STORED_GONE ? " was deleted by another client since it was read"
                                           : " was changed by another client since it was read");
}
}  // namespace

Qor_Defn qori_template_create(const char* name, const char* descr) {
    if (!check_name("Template", name) || !check_descr("Template", descr)) return Qor_Defn();
    auto copy = std::make_shared<TemplateCopy>();
    copy->name = name;
    copy->descr = descr ? descr : "";
    return Qor_Defn(copy);
}

Qor_Defn qori_template_find(const char* name) {
    if (!check_name("Template", name)) return Qor_Defn();
    std::optional<varo::TemplateDef> def;
    if (!with_store("Reading template " + quoted(name), [&](varo::Store& s) { def = s.load_template(name); }))
        return Qor_Defn();
    if (!def) return refuse(ERR_NOT_FOUND, "Template " + quoted(name) + " does not exist"), Qor_Defn();
    return Qor_Defn(TemplateCopy::from_def(*def));
}

Qor_Defn qori_template_resume(const varo::TemplateDef& contents, const char* stored_name, long long version) {
    if (!check_name("Template", contents.name.c_str()) || !check_descr("Template", contents.descr.c_str()))
        return Qor_Defn();
    auto copy = std::make_shared<TemplateCopy>();
    copy->name = contents.name;
    copy->descr = contents.descr;
    if (stored_name && *stored_name) {
        std::optional<varo::TemplateDef> stored;
        if (!with_store("Reading template " + quoted(stored_name),
                        [&](varo::Store& s) { stored = s.load_template(stored_name); }))
            return Qor_Defn();
        copy->stored_as = stored_name;
        copy->version = version;
        if (!stored)
            copy->stale = QORI_STORED_GONE;
        else if (stored->version != version)
            copy->stale = QORI_STORED_CHANGED;
        else
            copy->stored_contents = std::make_shared<const varo::TemplateDef>(std::move(*stored));
    }
    copy->fill(copy, contents);
    return Qor_Defn(copy);
}

char qori_template_add(Qor_Defn& t, const char* name, const char* descr) {
    TemplateCopy* copy = savable(t, name, descr);
    if (!copy) return 0;
    if (copy->stored_as.empty())
        return refuse(ERR_NOT_FOUND, "Template " + quoted(copy->name) + " has not been stored yet");
    if (copy->stored_as != name)
        return refuse(ERR_INVALID, "Template " + quoted(copy->stored_as) + " can only be saved in place under its own name");
    if (copy->stale != QORI_STORED_SAME) return refuse(ERR_CONFLICT, stale_text(*copy));
    varo::TemplateDef def = copy->to_def(name, descr ? descr : "");
    std::int64_t version = 0;
    if (!write_template(name, [&](varo::Store& s) { version = s.update_template(def, copy->version); })) return 0;
    adopt(*copy, std::move(def), version);
    return 1;
}

char qori_template_store(Qor_Defn& t, const char* name, const char* descr) {
    TemplateCopy* copy = savable(t, name, descr);
    if (!copy) return 0;
    varo::TemplateDef def = copy->to_def(name, descr ? descr : "");
    std::int64_t version = 0;
    if (!write_template(name, [&](varo::Store& s) { version = s.insert_template(def); })) return 0;
    adopt(*copy, std::move(def), version);
    return 1;
}

Qor_Defn qori_template_copy(Qor_Defn& t, const char* name, const char* descr) {
    TemplateCopy* copy = savable(t, name, descr);
    if (!copy) return Qor_Defn();
    varo::TemplateDef def = copy->to_def(name, descr ? descr : "");
    if (!write_template(name, [&](varo::Store& s) { def.version = s.insert_template(def, varo::ChangeKind::Copy); })) return Qor_Defn();
    return Qor_Defn(TemplateCopy::from_def(def));
}

Qor_Defn qori_template_replace(Qor_Defn& t, const char* name, const char* descr) {
    TemplateCopy* copy = savable(t, name, descr);
    if (!copy) return Qor_Defn();
    varo::TemplateDef def = copy->to_def(name, descr ? descr : "");
    if (!write_template(name, [&](varo::Store& s) { def.version = s.overwrite_template(def); })) return Qor_Defn();
    return Qor_Defn(TemplateCopy::from_def(def));
}

char qori_template_delete(Qor_Defn& t) {
    TemplateCopy* copy = t.working_copy().get();
    if (!copy) return refuse(ERR_INVALID, "No template");
    if (copy->stored_as.empty())
        return refuse(ERR_NOT_FOUND, "Template " + quoted(copy->name) + " is not stored in Varo");
    std::string name = copy->stored_as;
    if (!write_template(name, [&](varo::Store& s) { s.delete_template(name); }, true)) return 0;
    copy->stored_as.clear();
    copy->version = 0;
    copy->stored_contents.reset();
    copy->stale = QORI_STORED_SAME;
    return 1;
}

char qori_template_history(const char* name, std::vector<varo::TemplateVersion>& versions) {
    if (!check_name("Template", name)) return 0;
    return with_store("Reading the history of template " + quoted(name),
                      [&](varo::Store& s) { versions = s.template_history(std::string(name), false); });
}

char qori_template_version(const char* name, long long version, std::optional<varo::TemplateDef>& def) {
    if (!check_name("Template", name)) return 0;
    return with_store("Reading version " + std::to_string(version) + " of template " + quoted(name),
                      [&](varo::Store& s) { def = s.template_version(name, version); });
}

bool Qor_Snapshot::operator==(const Qor_Snapshot& o) const {
    if (!def || !o.def) return def == o.def;
    return def == o.def || def->same_content(*o.def);
}

Qor_Snapshot qori_template_snapshot(const Qor_Defn& t) {
    const TemplateCopy* copy = t.working_copy().get();
    if (!copy) return refuse(ERR_INVALID, "No template"), Qor_Snapshot();
    // Without name, description and version: those belong to the copy, not to its contents.
    varo::TemplateDef def = copy->to_def("", "");
    def.version = 0;
    return Qor_Snapshot(std::make_shared<const varo::TemplateDef>(std::move(def)));
}

char qori_template_restore(Qor_Defn& t, const Qor_Snapshot& contents) {
    const std::shared_ptr<TemplateCopy>& copy = t.working_copy();
    if (!copy) return refuse(ERR_INVALID, "No template");
    if (!contents.is_valid()) return refuse(ERR_INVALID, "No contents to restore");
    copy->fill(copy, *contents.contents());
    return 1;
}

QoriStoredFate qori_template_fate(Qor_Defn& t, long long* version) {
    if (version) *version = 0;
    TemplateCopy* copy = t.working_copy().get();
    if (!copy) return refuse(ERR_INVALID, "No template"), QORI_STORED_UNKNOWN;
    if (copy->stored_as.empty()) return QORI_STORED_NONE;
    std::optional<varo::TemplateDef> stored;
    if (!with_store("Reading template " + quoted(copy->stored_as),
                    [&](varo::Store& s) { stored = s.load_template(copy->stored_as); }))
        return QORI_STORED_UNKNOWN;
    QoriStoredFate fate = QORI_STORED_SAME;
    if (!stored) {
        fate = QORI_STORED_GONE;
    } else {
        if (version) *version = stored->version;
        // A template deleted and stored anew may hold a version number seen before.
        bool same = stored->version == copy->version &&
                    (!copy->stored_contents || stored->same_content(*copy->stored_contents));
        if (!same) fate = QORI_STORED_CHANGED;
    }
    if (fate != QORI_STORED_SAME) copy->stale = fate;
    return fate;
}
