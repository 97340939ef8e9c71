// Severities, poll rates and conditions: written to Varo at once, one transaction each.
#include "platform/qori_internal.h"
#include "varo/condition_parser.h"

using namespace qori_detail;

namespace {
// The store's own refusal, worded for the object at hand where its kind says enough.
bool refuse_object(const char* what, const char* name, const varo::StoreError& err) {
    std::string subject = std::string(what) + " " + quoted(name);
    switch (err.kind()) {
    case varo::StoreError::Exists: return refuse(ERR_EXISTS, subject + " already exists");
    case varo::StoreError::NotFound: return refuse(ERR_NOT_FOUND, subject + " does not exist");
    case varo::StoreError::InUse: return refuse(ERR_IN_USE, subject + " is used by a stored template");
    default: return refuse_store_error("", err);
    }
}

template <class Fn>
char write_object(const char* what, const char* name, Fn&& fn, QoriAlbumKind album) {
    Engine& e = engine();
    if (!e.store) return refuse(ERR_NOT_CONNECTED, "Not connected to Varo");
    try {
        fn(*e.store);
    } catch (const varo::StoreError& err) {
        return refuse_object(what, name, err);
    } catch (const std::exception& err) {
        return refuse(ERR_INTERNAL, err.what());
    }
    mark_changed(album, name ? name : "");
    return 1;
}

// Colours are X colour names written as one word, as the editor's field takes them.
bool check_color(const char* color) { return check_name("Color", color); }

// The checker's own text, without the condition's name in front, so that its line, column
// and expectation fit the bounded error text however long the name.
bool check_code(const char* code) {
    if (auto wrong = varo::condition_code_error(code ? code : "")) return refuse(ERR_INVALID, *wrong);
    return true;
}
}  // namespace

char qori_severity_add(const char* name, int value, const char* color) {
    if (!check_name("Severity", name) || !check_range("Severity value", value) || !check_color(color)) return 0;
    varo::Severity s{name, value, color};
    return write_object("Severity", name, [&](varo::Store& st) { st.add_severity(s); }, QORI_ALBUM_SEVERITIES);
}

char qori_severity_replace(const char* name, int value, const char* color) {
    if (!check_name("Severity", name) || !check_range("Severity value", value) || !check_color(color)) return 0;
    varo::Severity s{name, value, color};
    return write_object("Severity", name, [&](varo::Store& st) { st.replace_severity(s); }, QORI_ALBUM_SEVERITIES);
}

char qori_severity_delete(const char* name) {
    if (!check_name("Severity", name)) return 0;
    return write_object("Severity", name, [&](varo::Store& st) { st.delete_severity(name); }, QORI_ALBUM_SEVERITIES);
}

char qori_pollrate_add(const char* name, int rate) {
    if (!check_name("Poll rate", name) || !check_range("Poll rate", rate)) return 0;
    varo::PollRate p{name, rate};
    return write_object("Poll rate", name, [&](varo::Store& st) { st.add_poll_rate(p); }, QORI_ALBUM_POLLRATES);
}

char qori_pollrate_replace(const char* name, int rate) {
    if (!check_name("Poll rate", name) || !check_range("Poll rate", rate)) return 0;
    varo::PollRate p{name, rate};
    return write_object("Poll rate", name, [&](varo::Store& st) { st.replace_poll_rate(p); }, QORI_ALBUM_POLLRATES);
}

char qori_pollrate_delete(const char* name) {
    if (!check_name("Poll rate", name)) return 0;
    return write_object("Poll rate", name, [&](varo::Store& st) { st.delete_poll_rate(name); }, QORI_ALBUM_POLLRATES);
}

char qori_condition_add(const char* name, const char* descr, const char* code) {
    if (!check_name("Condition", name) || !check_descr("Condition", descr) || !check_code(code)) return 0;
    varo::Condition c{name, descr ? descr : "", code ? code : ""};
    return write_object("Condition", name, [&](varo::Store& st) { st.add_condition(c); }, QORI_ALBUM_CONDITIONS);
}

char qori_condition_replace(const char* name, const char* descr, const char* code) {
    if (!check_name("Condition", name) || !check_descr("Condition", descr) || !check_code(code)) return 0;
    varo::Condition c{name, descr ? descr : "", code ? code : ""};
    return write_object("Condition", name, [&](varo::Store& st) { st.replace_condition(c); }, QORI_ALBUM_CONDITIONS);
}

char qori_condition_delete(const char* name) {
    if (!check_name("Condition", name)) return 0;
    return write_object("Condition", name, [&](varo::Store& st) { st.delete_condition(name); },
                        QORI_ALBUM_CONDITIONS);
}

DataUnit qori_condition_get(const char* name, char* descr) {
    if (descr) descr[0] = '\0';
    Qor_Cond cond = qorCond_Find(name);
    if (!cond.is_valid()) return DataUnit();
    if (descr) copy_cut(descr, QORI_DESCR_MAX + 1, cond.descr());
    // The value owns its text, so it outlives the condition and any refresh.
    return DataUnit(std::string(cond.code()));
}
