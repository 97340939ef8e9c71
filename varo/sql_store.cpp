// Store operations over the database layer.
#include "varo/sql_store.h"

#include <map>
#include <set>

#include <nlohmann/json.hpp>

#include "varo/history.h"
#include "varo/schema.h"
#include "varo/transfer.h"
#include "base/utf8.h"

namespace varo {

namespace {
std::string quoted(const std::string& s) { return "\"" + s + "\""; }

// What a write of these albums changes, in the user's words.
std::string what_changes(std::initializer_list<Album> albums) {
    if (albums.size() == 0) return "which templates run on managed objects";
    std::string out;
    std::size_t i = 0;
    for (Album a : albums) {
        if (i++) out += i == albums.size() ? " and " : ", ";
        out += a == Album::PollRates ? "poll rates" : album_name(a);
    }
    return out;
}

bool server_objects(std::initializer_list<Album> albums) {
    for (Album a : albums)
        if (a != Album::Templates) return true;
    return false;
}
}  // namespace

// A write refused for want of a right: who, what, and the right it takes.
std::string SqlStore::refusal(const std::string& who, std::initializer_list<Album> albums) const {
    std::string text = who + " may not change " + what_changes(albums);
    if (db_->dialect() == Dialect::SQLite) return text + ": the store file is read-only to it";
    return text + " (that takes " + level_role(server_objects(albums) ? Level::Admin : Level::Edit) + ")";
}

namespace {
template <class T>
std::set<std::string> duplicate_free(const std::vector<T>& items, const char* what) {
    std::set<std::string> names;
    for (const T& item : items)
        if (!names.insert(item.name).second)
            throw StoreError(StoreError::Invalid, std::string(what) + " " + quoted(item.name) + " appears twice");
    return names;
}

Severity severity_from(const Row& r) { return {r.text(0), static_cast<int>(r.integer(1)), r.text(2)}; }
PollRate poll_rate_from(const Row& r) { return {r.text(0), static_cast<int>(r.integer(1))}; }
Condition condition_from(const Row& r) { return {r.text(0), r.text(1), r.text(2)}; }

// What the activity log keeps of a server object: its values, as a JSON object.
using Json = nlohmann::ordered_json;
std::string values_of(const Severity& s) { return Json{{"value", s.value}, {"color", s.color}}.dump(); }
std::string values_of(const PollRate& p) { return Json{{"rate", p.rate}}.dump(); }
std::string values_of(const Condition& c) { return Json{{"descr", c.descr}, {"code", c.code}}.dump(); }
template <class T>
std::string values_of(const std::optional<T>& o) { return o ? values_of(*o) : ""; }

// Newer versions first; a record ends with its definition.
constexpr const char* kVersionColumns = "template, version, kind, author, host, at";
TemplateVersion version_from(const Row& r) {
    return {r.text(0), r.integer(1), r.text(2), r.text(3), r.text(4), r.text(5)};
}
}  // namespace

SqlStore::SqlStore(std::unique_ptr<Db> db) : db_(std::move(db)), who_(history::Writer::of_this_process()) {
    schema::apply(*db_);
    db_->schema_ready();
    db_->take_changes();  // start from what is there now
}

template <class Fn>
auto SqlStore::write(std::initializer_list<Album> albums, Fn&& fn) -> decltype(fn()) {
    auto run = [&] {
        try {
            return in_transaction(*db_, fn);
        } catch (const StoreError& e) {
            if (auto who = db_->denied_role()) throw StoreError(e.kind(), refusal(*who, albums));
            throw;
        }
    };
    if constexpr (std::is_void_v<decltype(fn())>) {
        run();
        for (Album a : albums) own_.mark(a);
    } else {
        auto result = run();
        for (Album a : albums) own_.mark(a);
        return result;
    }
}

std::string SqlStore::describe() const { return db_->describe(); }

// Names sort by their bytes, as SQLite sorts them, whatever collation a PostgreSQL database
// was made with: lists and exports are the same from either backend.
std::string SqlStore::bytewise(const std::string& column) const {
    return db_->dialect() == Dialect::PostgreSQL ? column + " COLLATE \"C\"" : column;
}

int SqlStore::schema_version() { return schema::stored_version(*db_); }

std::string SqlStore::stored_name(const char* table, const std::string& name, const char* column) {
    if (is_nfc(name)) return name;
    // A name stored before names were normalised is still found as it was written.
    if (!db_->query(std::string("SELECT 1 FROM ") + table + " WHERE " + column + " = ?", {name}).empty()) return name;
    return nfc(name);
}

TemplateDef SqlStore::normalised(const TemplateDef& def, bool new_template) {
    TemplateDef out = def;
    out.name = new_template ? nfc(def.name) : stored_name("templates", def.name);
    for (State& s : out.states) {
        s.name = nfc(s.name);
        s.severity = stored_name("severities", s.severity);
        s.poll_rate = stored_name("poll_rates", s.poll_rate);
    }
    for (Transition& t : out.transitions) {
        t.from = nfc(t.from);
        t.to = nfc(t.to);
        t.condition = stored_name("conditions", t.condition);
        for (Action& a : t.actions)
            if (a.kind == "CONDITION") a.arg0 = stored_name("conditions", a.arg0);
    }
    return out;
}

// The stored names a template's check lets pass as they are: two statements, sent along with
// the statements of the write that needs them.
std::vector<Statement> SqlStore::kept_names_query(const std::string& template_name) {
    return {{"SELECT 1 FROM templates WHERE name = ?", {template_name}},
            {"SELECT name FROM states WHERE template = ?", {template_name}}};
}

KeptNames SqlStore::kept_names(const Rows& templates, const Rows& states) {
    KeptNames kept;
    kept.template_name = !templates.empty();
    for (const Row& r : states) kept.states.insert(r.text(0));
    return kept;
}


// ---- templates ----

std::vector<TemplateSummary> SqlStore::list_templates() {
    std::vector<TemplateSummary> out;
    for (const Row& r : db_->query("SELECT name, descr FROM templates ORDER BY " + bytewise("name"))) out.push_back({r.text(0), r.text(1)});
    return out;
}

std::optional<TemplateSummary> SqlStore::find_template_summary(const std::string& name) {
    Rows rows = db_->query("SELECT name, descr FROM templates WHERE name = ?", {stored_name("templates", name)});
    if (rows.empty()) return std::nullopt;
    return TemplateSummary{rows[0].text(0), rows[0].text(1)};
}

std::optional<TemplateDef> SqlStore::load_template(const std::string& given) {
    return read_stored_template(*db_, stored_name("templates", given));
}

std::optional<TemplateDef> read_stored_template(Db& db, const std::string& name) {
    // One statement, so the template is read from one snapshot even while others write it.
    Rows rows = db.query(
        "SELECT 0, 0, 0, descr, '', '', '', version, NULL, NULL FROM templates WHERE name = ?"
        " UNION ALL SELECT 1, position, 0, name, descr, severity, poll_rate, 0, x, y FROM states WHERE template = ?"
        " UNION ALL SELECT 2, position, 0, from_state, to_state, cond, '', 0, NULL, NULL FROM transitions"
        " WHERE template = ?"
        " UNION ALL SELECT 3, transition, position, kind, arg0, arg1, '', 0, NULL, NULL FROM actions"
        " WHERE template = ?"
        " ORDER BY 1, 2, 3",
        {name, name, name, name});
    if (rows.empty() || rows[0].integer(0) != 0) return std::nullopt;
    TemplateDef def;
    def.name = name;
    def.descr = rows[0].text(3);
    def.version = rows[0].integer(7);
    std::vector<std::int64_t> transition_positions;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const Row& r = rows[i];
        switch (r.integer(0)) {
        case 1:
            def.states.push_back({r.text(3), r.text(4), r.text(5), r.text(6)});
            if (!r.is_null(8) && !r.is_null(9))
                def.states.back().position =
                    StatePosition{static_cast<int>(r.integer(8)), static_cast<int>(r.integer(9))};
            break;
        case 2:
            def.transitions.push_back({r.text(3), r.text(4), r.text(5), {}});
            transition_positions.push_back(r.integer(1));
            break;
        case 3: {
            // Actions come after all transitions, ordered by transition then position.
            // Positions are written 0, 1, 2...; search only if a store holds others.
            std::int64_t owner = r.integer(1);
            std::size_t t = static_cast<std::size_t>(owner);
            if (owner < 0 || t >= transition_positions.size() || transition_positions[t] != owner) {
                t = 0;
                while (t < transition_positions.size() && transition_positions[t] != owner) ++t;
                if (t == transition_positions.size())
                    throw StoreError(StoreError::Corrupt, "an action of template " + quoted(name) + " has no transition");
            }
            def.transitions[t].actions.push_back({r.text(3), r.text(4), r.text(5)});
            break;
        }
        default: throw StoreError(StoreError::Corrupt, "unexpected row reading template " + quoted(name));
        }
    }
    return def;
}

bool SqlStore::template_exists(const std::string& name) {
    return !db_->query("SELECT 1 FROM templates WHERE name = ?", {name}).empty();
}

Statement SqlStore::running_of(const std::string& name) const {
    return {"SELECT object FROM running WHERE template = ? ORDER BY " + bytewise("object"), {name}};
}

void SqlStore::refuse_running(const std::string& name, const Rows& objects) {
    // Named: an import may replace many templates, and the refusal must say which one runs.
    if (!objects.empty())
        throw StoreError(StoreError::Running, "template " + quoted(name) + " is running on " + objects[0].text(0));
}

void SqlStore::refuse_running(const std::string& name) {
    Statement objects = running_of(name);
    refuse_running(name, db_->query(objects.sql, objects.params));
}

// One statement whatever the template's size: each kind of name goes over as one list.
Statement SqlStore::missing_references(const TemplateDef& def) const {
    std::set<std::string> severities, poll_rates, conditions;
    for (const State& s : def.states) {
        severities.insert(s.severity);
        poll_rates.insert(s.poll_rate);
    }
    for (const Transition& t : def.transitions) {
        conditions.insert(t.condition);
        for (const Action& a : t.actions)
            if (a.kind == "CONDITION") conditions.insert(a.arg0);
    }
    const std::string from = db_->text_list_source();
    auto list = [this](const std::set<std::string>& names) {
        return db_->text_list(std::vector<std::string>(names.begin(), names.end()));
    };
    return {"SELECT 1, value FROM " + from + " WHERE value NOT IN (SELECT name FROM severities)"
            " UNION ALL SELECT 2, value FROM " + from + " WHERE value NOT IN (SELECT name FROM poll_rates)"
            " UNION ALL SELECT 3, value FROM " + from + " WHERE value NOT IN (SELECT name FROM conditions)",
            {list(severities), list(poll_rates), list(conditions)}};
}

// The first missing name in the template's own order names the refusal.
void SqlStore::refuse_missing(const TemplateDef& def, const Rows& missing) {
    if (missing.empty()) return;
    std::set<std::string> lacking[3];
    for (const Row& r : missing)
        if (r.integer(0) >= 1 && r.integer(0) <= 3) lacking[r.integer(0) - 1].insert(r.text(1));
    const std::string where = "template " + quoted(def.name) + ": ";
    for (const State& s : def.states) {
        if (lacking[0].count(s.severity))
            throw StoreError(StoreError::Invalid,
                             where + "state " + quoted(s.name) + ": no severity " + quoted(s.severity));
        if (lacking[1].count(s.poll_rate))
            throw StoreError(StoreError::Invalid,
                             where + "state " + quoted(s.name) + ": no poll rate " + quoted(s.poll_rate));
    }
    for (const Transition& t : def.transitions) {
        if (lacking[2].count(t.condition))
            throw StoreError(StoreError::Invalid, where + "no condition " + quoted(t.condition));
        for (const Action& a : t.actions)
            if (a.kind == "CONDITION" && lacking[2].count(a.arg0))
                throw StoreError(StoreError::Invalid, where + "no condition " + quoted(a.arg0));
    }
}

// The statements that write def's states, transitions and actions (after removing the old
// ones): a few, whatever its size, where the backend takes columns as arrays. The template's
// own row is written in the same transaction, and its change report covers theirs.
std::vector<Statement> SqlStore::children(const TemplateDef& def, bool replacing) const {
    std::vector<Params> states, transitions, actions;
    states.reserve(def.states.size());
    transitions.reserve(def.transitions.size());
    std::int64_t pos = 0;
    for (const State& s : def.states) {
        Params row = {pos++, s.name, s.descr, s.severity, s.poll_rate};
        if (s.position) {
            row.emplace_back(std::int64_t{s.position->x});
            row.emplace_back(std::int64_t{s.position->y});
        } else {
            row.emplace_back(nullptr);
            row.emplace_back(nullptr);
        }
        states.push_back(std::move(row));
    }
    pos = 0;
    for (const Transition& t : def.transitions) {
        transitions.push_back({pos, t.from, t.to, t.condition});
        std::int64_t apos = 0;
        for (const Action& a : t.actions)
            actions.push_back({pos, apos++, a.kind, a.arg0, a.arg1, a.kind == "CONDITION" ? Value(a.arg0) : Value(nullptr)});
        ++pos;
    }
    const Column owner{"template"};
    RowsReplacement parts[] = {
        db_->replace_rows("states", owner, def.name,
                          {{"position", true}, {"name"}, {"descr"}, {"severity"}, {"poll_rate"}, {"x", true, true},
                           {"y", true, true}},
                          std::move(states)),
        db_->replace_rows("transitions", owner, def.name,
                          {{"position", true}, {"from_state"}, {"to_state"}, {"cond"}}, std::move(transitions)),
        db_->replace_rows("actions", owner, def.name,
                          {{"transition", true}, {"position", true}, {"kind"}, {"arg0"}, {"arg1"}, {"raises", false, true}},
                          std::move(actions))};
    // Removed from the actions up, added from the states down.
    std::vector<Statement> out;
    auto append = [&out](std::vector<Statement>& more) {
        for (Statement& s : more) {
            s.owner_reports = true;
            out.push_back(std::move(s));
        }
    };
    if (replacing)
        for (int i = 2; i >= 0; --i) append(parts[i].remove);
    for (RowsReplacement& p : parts) append(p.add);
    return out;
}

std::int64_t SqlStore::insert_template(const TemplateDef& given, ChangeKind kind) {
    const TemplateDef def = normalised(given, true);
    validate_template(def);
    return write({Album::Templates}, [&] {
        std::vector<Rows> found =
            db_->batch({{"SELECT 1 FROM templates WHERE name = ?", {def.name}}, missing_references(def)});
        if (!found[0].empty()) throw StoreError(StoreError::Exists, "template " + quoted(def.name) + " already exists");
        refuse_missing(def, found[1]);
        return first_version(def, kind);
    });
}

// A name with a history (a template deleted before) goes on numbering after it.
std::int64_t SqlStore::first_version(const TemplateDef& def, ChangeKind kind) {
    std::vector<Statement> statements = with_children(
        {"INSERT INTO templates (name, descr, version)"
         " SELECT ?, ?, COALESCE(MAX(version), 0) + 1 FROM template_versions WHERE template = ? RETURNING version",
         {def.name, def.descr, def.name}},
        def, false);
    statements.push_back(history::version_row(db_->dialect(), who_, kind, def.name, template_text(def)));
    return db_->batch(statements)[0].at(0).integer(0);
}

// The template's rows replaced by def's, and the version recorded: sent with the commit.
void SqlStore::replace_children(const TemplateDef& def, ChangeKind kind) {
    std::vector<Statement> statements = children(def, true);
    statements.push_back(history::version_row(db_->dialect(), who_, kind, def.name, template_text(def)));
    db_->queue(statements);
}

std::vector<Statement> SqlStore::with_children(Statement first, const TemplateDef& def, bool replacing) const {
    std::vector<Statement> out;
    out.push_back(std::move(first));
    for (Statement& s : children(def, replacing)) out.push_back(std::move(s));
    return out;
}

std::int64_t SqlStore::update_template(const TemplateDef& given, std::int64_t expected_version) {
    return write({Album::Templates}, [&] {
        const TemplateDef def = normalised(given, false);
        // The version test and the bump are one statement, so two writers cannot both pass it.
        // The names the check keeps are read in the same batch, before the bump: a template
        // the check refuses is rolled back with it.
        std::vector<Statement> statements = kept_names_query(def.name);
        statements.push_back(
            {"UPDATE templates SET descr = ?, version = version + 1 WHERE name = ? AND version = ? RETURNING version",
             {def.descr, def.name, expected_version}});
        statements.push_back(running_of(def.name));
        statements.push_back(missing_references(def));
        std::vector<Rows> found = db_->batch(statements);
        validate_template(def, kept_names(found[0], found[1]));
        found.erase(found.begin(), found.begin() + 2);
        if (found[0].empty()) {
            if (!template_exists(def.name))
                throw StoreError(StoreError::NotFound, "template " + quoted(def.name) + " does not exist");
            throw StoreError(StoreError::Conflict, "changed by another client");
        }
        refuse_running(def.name, found[1]);
        refuse_missing(def, found[2]);
        replace_children(def, ChangeKind::Save);
        return found[0][0].integer(0);
    });
}

std::int64_t SqlStore::store_template(const TemplateDef& def, ChangeKind kind, bool check) {
    std::vector<Statement> statements;
    if (check) statements = kept_names_query(def.name);
    statements.push_back(
        {"UPDATE templates SET descr = ?, version = version + 1 WHERE name = ? RETURNING version", {def.descr, def.name}});
    statements.push_back(running_of(def.name));
    statements.push_back(missing_references(def));
    std::vector<Rows> found = db_->batch(statements);
    if (check) {
        validate_template(def, kept_names(found[0], found[1]));
        found.erase(found.begin(), found.begin() + 2);
    }
    if (!found[0].empty()) {
        refuse_running(def.name, found[1]);
        refuse_missing(def, found[2]);
        replace_children(def, kind);
        return found[0][0].integer(0);
    }
    refuse_missing(def, found[2]);
    return first_version(def, kind);
}

std::int64_t SqlStore::overwrite_template(const TemplateDef& given) {
    return write({Album::Templates}, [&] {
        return store_template(normalised(given, false), ChangeKind::Overwrite, true);
    });
}

void SqlStore::delete_template(const std::string& given) {
    write({Album::Templates}, [&] {
        const std::string name = stored_name("templates", given);
        if (!template_exists(name)) throw StoreError(StoreError::NotFound, "template " + quoted(name) + " does not exist");
        refuse_running(name);
        try {
            db_->batch({history::deletion_row(db_->dialect(), who_, name), {"DELETE FROM templates WHERE name = ?", {name}}});
        } catch (const StoreError& e) {
            // Started running between the check and the delete (a concurrent server).
            if (e.kind() == StoreError::InUse) throw StoreError(StoreError::Running, "template " + quoted(name) + " is running on an object");
            throw;
        }
    });
}

// ---- severities, poll rates, conditions ----

std::vector<Severity> SqlStore::list_severities() {
    std::vector<Severity> out;
    for (const Row& r : db_->query("SELECT name, value, color FROM severities ORDER BY " + bytewise("name"))) out.push_back(severity_from(r));
    return out;
}

std::optional<Severity> SqlStore::find_severity(const std::string& name) {
    Rows rows = db_->query("SELECT name, value, color FROM severities WHERE name = ?", {stored_name("severities", name)});
    if (rows.empty()) return std::nullopt;
    return severity_from(rows[0]);
}

void SqlStore::add_severity(const Severity& given) {
    const Severity s{nfc(given.name), given.value, given.color};
    validate_severity(s);
    write({Album::Severities}, [&] {
        if (!db_->query("SELECT 1 FROM severities WHERE name = ?", {s.name}).empty())
            throw StoreError(StoreError::Exists, "severity " + quoted(s.name) + " already exists");
        db_->batch({{"INSERT INTO severities (name, value, color) VALUES (?, ?, ?)", {s.name, std::int64_t{s.value}, s.color}},
                    logged("severity", s.name, "", values_of(s))});
    });
}

void SqlStore::delete_severity(const std::string& given) {
    delete_unused(Album::Severities, "severities", "severity", "severity", given);
}

std::vector<PollRate> SqlStore::list_poll_rates() {
    std::vector<PollRate> out;
    for (const Row& r : db_->query("SELECT name, rate FROM poll_rates ORDER BY " + bytewise("name"))) out.push_back(poll_rate_from(r));
    return out;
}

std::optional<PollRate> SqlStore::find_poll_rate(const std::string& name) {
    Rows rows = db_->query("SELECT name, rate FROM poll_rates WHERE name = ?", {stored_name("poll_rates", name)});
    if (rows.empty()) return std::nullopt;
    return poll_rate_from(rows[0]);
}

void SqlStore::add_poll_rate(const PollRate& given) {
    const PollRate p{nfc(given.name), given.rate};
    validate_poll_rate(p);
    write({Album::PollRates}, [&] {
        if (!db_->query("SELECT 1 FROM poll_rates WHERE name = ?", {p.name}).empty())
            throw StoreError(StoreError::Exists, "poll rate " + quoted(p.name) + " already exists");
        db_->batch({{"INSERT INTO poll_rates (name, rate) VALUES (?, ?)", {p.name, std::int64_t{p.rate}}},
                    logged("poll rate", p.name, "", values_of(p))});
    });
}

void SqlStore::delete_poll_rate(const std::string& given) {
    delete_unused(Album::PollRates, "poll_rates", "poll rate", "poll_rate", given);
}

void SqlStore::delete_unused(Album album, const char* table, const char* what, const char* column,
                             const std::string& given) {
    write({album}, [&] {
        const std::string name = stored_name(table, given);
        if (db_->query(std::string("SELECT 1 FROM ") + table + " WHERE name = ?", {name}).empty())
            throw StoreError(StoreError::NotFound, std::string(what) + " " + quoted(name) + " does not exist");
        refuse_used(what, name, (std::string("SELECT DISTINCT template FROM states WHERE ") + column + " = ?").c_str(), 1);
        Rows gone = db_->query(std::string("DELETE FROM ") + table + " WHERE name = ? RETURNING *", {name});
        if (!gone.empty())
            log_change(what, name, album == Album::Severities ? values_of(severity_from(gone[0])) : values_of(poll_rate_from(gone[0])), "");
    });
}

std::vector<Condition> SqlStore::list_condition_summaries() {
    // A plain scan: the caller sorts, and seeking each row through the name index costs more.
    Rows rows = db_->query("SELECT name, descr FROM conditions");
    std::vector<Condition> out;
    out.reserve(rows.size());
    for (Row& r : rows)
        out.push_back({std::move(std::get<std::string>(r.columns[0])), std::move(std::get<std::string>(r.columns[1])), ""});
    return out;
}

std::vector<Condition> SqlStore::list_conditions() {
    std::vector<Condition> out;
    for (const Row& r : db_->query("SELECT name, descr, code FROM conditions ORDER BY " + bytewise("name"))) out.push_back(condition_from(r));
    return out;
}

std::optional<Condition> SqlStore::find_condition(const std::string& name) {
    Rows rows = db_->query("SELECT name, descr, code FROM conditions WHERE name = ?", {stored_name("conditions", name)});
    if (rows.empty()) return std::nullopt;
    return condition_from(rows[0]);
}

void SqlStore::add_condition(const Condition& given) {
    const Condition c{nfc(given.name), given.descr, given.code};
    validate_condition(c);
    write({Album::Conditions}, [&] {
        if (!db_->query("SELECT 1 FROM conditions WHERE name = ?", {c.name}).empty())
            throw StoreError(StoreError::Exists, "condition " + quoted(c.name) + " already exists");
        db_->batch({{"INSERT INTO conditions (name, descr, code) VALUES (?, ?, ?)", {c.name, c.descr, c.code}},
                    logged("condition", c.name, "", values_of(c))});
    });
}

void SqlStore::refuse_used(const std::string& what, const std::string& name, const char* users_sql, int uses) {
    Rows users = db_->query(std::string(users_sql) + " ORDER BY 1", Params(static_cast<std::size_t>(uses), name));
    if (users.empty()) return;
    // A few by name, so the user knows where to look; varoctl used lists them all.
    constexpr std::size_t kNamed = 3;
    std::string names;
    for (std::size_t i = 0; i < users.size() && i < kNamed; ++i) names += (i ? ", " : "") + quoted(users[i].text(0));
    if (users.size() > kNamed) names += " and " + std::to_string(users.size() - kNamed) + " more";
    throw StoreError(StoreError::InUse, what + " " + quoted(name) + " is used by template" +
                                            (users.size() > 1 ? "s " : " ") + names);
}

void SqlStore::refuse_used_condition(const std::string& name) {
    refuse_used("condition", name,
                "SELECT template FROM transitions WHERE cond = ? UNION SELECT template FROM actions WHERE raises = ?", 2);
}

void SqlStore::delete_condition(const std::string& given) {
    write({Album::Conditions}, [&] {
        const std::string name = stored_name("conditions", given);
        Rows old = db_->query("SELECT name, descr, code FROM conditions WHERE name = ?", {name});
        if (old.empty()) throw StoreError(StoreError::NotFound, "condition " + quoted(name) + " does not exist");
        refuse_used_condition(name);
        // The foreign keys refuse it too when a template starts using it meanwhile.
        db_->batch({{"DELETE FROM conditions WHERE name = ?", {name}},
                    logged("condition", name, values_of(condition_from(old[0])), "")});
    });
}

void SqlStore::replace_severity(const Severity& given) {
    write({Album::Severities}, [&] {
        const Severity s{stored_name("severities", given.name), given.value, given.color};
        validate_severity(s, true);
        std::vector<Rows> done = db_->batch({{"SELECT name, value, color FROM severities WHERE name = ?", {s.name}},
                                             {"UPDATE severities SET value = ?, color = ? WHERE name = ?",
                                              {std::int64_t{s.value}, s.color, s.name}}});
        if (done[0].empty()) throw StoreError(StoreError::NotFound, "severity " + quoted(s.name) + " does not exist");
        log_change("severity", s.name, values_of(severity_from(done[0][0])), values_of(s));
    });
}

void SqlStore::replace_poll_rate(const PollRate& given) {
    write({Album::PollRates}, [&] {
        const PollRate p{stored_name("poll_rates", given.name), given.rate};
        validate_poll_rate(p, true);
        std::vector<Rows> done = db_->batch({{"SELECT name, rate FROM poll_rates WHERE name = ?", {p.name}},
                                             {"UPDATE poll_rates SET rate = ? WHERE name = ?", {std::int64_t{p.rate}, p.name}}});
        if (done[0].empty()) throw StoreError(StoreError::NotFound, "poll rate " + quoted(p.name) + " does not exist");
        log_change("poll rate", p.name, values_of(poll_rate_from(done[0][0])), values_of(p));
    });
}

void SqlStore::replace_condition(const Condition& given) {
    write({Album::Conditions}, [&] {
        const Condition c{stored_name("conditions", given.name), given.descr, given.code};
        validate_condition(c, true);
        Rows old = db_->query("SELECT name, descr, code FROM conditions WHERE name = ?", {c.name});
        if (old.empty()) throw StoreError(StoreError::NotFound, "condition " + quoted(c.name) + " does not exist");
        refuse_used_condition(c.name);
        db_->batch({{"UPDATE conditions SET descr = ?, code = ? WHERE name = ?", {c.descr, c.code, c.name}},
                    logged("condition", c.name, values_of(condition_from(old[0])), values_of(c))});
    });
}

Statement SqlStore::logged(const char* album, const std::string& name, const std::string& before,
                           const std::string& after) const {
    return history::activity_row(db_->dialect(), who_, album, name, before, after);
}

void SqlStore::log_change(const char* album, const std::string& name, const std::string& before, const std::string& after) {
    Statement s = logged(album, name, before, after);
    db_->exec(s.sql, s.params);
}

// ---- history ----

std::vector<TemplateVersion> SqlStore::template_history(const std::optional<std::string>& given, bool deleted_too) {
    Rows rows;
    const std::string select = std::string("SELECT ") + kVersionColumns + " FROM template_versions";
    if (given) {
        std::string name = stored_name("template_versions", *given, "template");
        rows = db_->query(select + " WHERE template = ? ORDER BY version DESC", {name});
    } else {
        rows = db_->query(select + (deleted_too ? "" : " WHERE template IN (SELECT name FROM templates)") +
                          " ORDER BY at DESC, " + bytewise("template") + ", version DESC");
    }
    std::vector<TemplateVersion> out;
    out.reserve(rows.size());
    for (const Row& r : rows) out.push_back(version_from(r));
    return out;
}

std::optional<TemplateDef> SqlStore::template_version(const std::string& given, std::int64_t version) {
    const std::string name = stored_name("template_versions", given, "template");
    Rows rows = db_->query("SELECT definition FROM template_versions WHERE template = ? AND version = ?", {name, version});
    if (rows.empty() || rows[0].is_null(0)) return std::nullopt;
    TemplateDef def = template_from_text(rows[0].text(0));
    def.name = name;
    def.version = version;
    return def;
}

std::int64_t SqlStore::restore_template(const std::string& given, std::int64_t version) {
    return write({Album::Templates}, [&] {
        std::optional<TemplateDef> def = template_version(given, version);
        if (!def)
            throw StoreError(StoreError::NotFound,
                             "template " + quoted(given) + " has no version " + std::to_string(version) + " to restore");
        return store_template(*def, ChangeKind::Restore, true);
    });
}

std::int64_t SqlStore::prune_history(int keep, bool deleted_too) {
    if (keep < 1) throw StoreError(StoreError::Invalid, "at least the newest version of each template is kept");
    return write({}, [&] {
        std::vector<Statement> statements = {
            {"DELETE FROM template_versions WHERE template IN (SELECT name FROM templates) AND version <="
             " (SELECT version FROM templates WHERE name = template_versions.template) - ? RETURNING version",
             {std::int64_t{keep}}}};
        if (deleted_too)
            statements.push_back(
                {"DELETE FROM template_versions WHERE template NOT IN (SELECT name FROM templates) RETURNING version", {}});
        std::int64_t removed = 0;
        for (const Rows& rows : db_->batch(statements)) removed += static_cast<std::int64_t>(rows.size());
        return removed;
    });
}

std::vector<Activity> SqlStore::activity_log() {
    std::vector<Activity> out;
    for (const Row& r : db_->query("SELECT at, author, host, album, name, action, before, after FROM activity ORDER BY id DESC"))
        out.push_back({r.text(0), r.text(1), r.text(2), r.text(3), r.text(4), r.text(5), r.text(6), r.text(7)});
    return out;
}

// ---- managed objects ----

std::vector<RunningTemplate> SqlStore::list_running() {
    std::vector<RunningTemplate> out;
    for (const Row& r : db_->query("SELECT object, template FROM running ORDER BY " + bytewise("object") + ", " + bytewise("template")))
        out.push_back({r.text(0), r.text(1)});
    return out;
}

void SqlStore::set_running(const std::string& given_object, const std::string& given_template) {
    const std::string object = nfc(given_object);
    validate_name("managed object name", object);
    write({}, [&] {
        const std::string template_name = stored_name("templates", given_template);
        // Locks the template's row, so an update of it waits for this and then sees it running.
        if (db_->query("UPDATE templates SET version = version WHERE name = ? RETURNING name", {template_name}).empty())
            throw StoreError(StoreError::NotFound, "template " + quoted(template_name) + " does not exist");
        if (!db_->query("SELECT 1 FROM running WHERE object = ? AND template = ?", {object, template_name}).empty())
            throw StoreError(StoreError::Exists, "template " + quoted(template_name) + " is already running on " + object);
        db_->exec("INSERT INTO running (object, template) VALUES (?, ?)", {object, template_name});
    });
}

void SqlStore::set_stopped(const std::string& given_object, const std::string& given_template) {
    write({}, [&] {
        const std::string object = stored_name("running", given_object, "object");
        const std::string template_name = stored_name("templates", given_template);
        if (db_->query("DELETE FROM running WHERE object = ? AND template = ? RETURNING object", {object, template_name})
                .empty())
            throw StoreError(StoreError::NotFound, "template " + quoted(template_name) + " is not running on " + object);
    });
}

// ---- import ----

// One statement each: a row another client adds meanwhile is taken as the one to update.
void SqlStore::upsert_severity(const Severity& s) {
    db_->exec("INSERT INTO severities (name, value, color) VALUES (?, ?, ?)"
              " ON CONFLICT (name) DO UPDATE SET value = excluded.value, color = excluded.color",
              {s.name, std::int64_t{s.value}, s.color});
}

void SqlStore::upsert_poll_rate(const PollRate& p) {
    db_->exec("INSERT INTO poll_rates (name, rate) VALUES (?, ?) ON CONFLICT (name) DO UPDATE SET rate = excluded.rate",
              {p.name, std::int64_t{p.rate}});
}

void SqlStore::upsert_condition(const Condition& c) {
    db_->exec("INSERT INTO conditions (name, descr, code) VALUES (?, ?, ?)"
              " ON CONFLICT (name) DO UPDATE SET descr = excluded.descr, code = excluded.code",
              {c.name, c.descr, c.code});
}

void SqlStore::import_contents(const StoreContents& given) {
    // Everything an import brings is held to the whole rule for names, kept ones included.
    StoreContents contents = given;
    for (Severity& s : contents.severities) s.name = nfc(s.name);
    for (PollRate& p : contents.poll_rates) p.name = nfc(p.name);
    for (Condition& c : contents.conditions) c.name = nfc(c.name);
    for (TemplateDef& t : contents.templates) t = normalised(t, true);
    for (const Severity& s : contents.severities) validate_severity(s);
    for (const PollRate& p : contents.poll_rates) validate_poll_rate(p);
    for (const Condition& c : contents.conditions) validate_condition(c);
    for (const TemplateDef& t : contents.templates) validate_template(t);
    duplicate_free(contents.severities, "severity");
    duplicate_free(contents.poll_rates, "poll rate");
    duplicate_free(contents.conditions, "condition");
    duplicate_free(contents.templates, "template");
    write({Album::Templates, Album::Severities, Album::PollRates, Album::Conditions}, [&] {
        // What each object was, for the activity log: one read of each album.
        std::map<std::string, Severity> severities;
        std::map<std::string, PollRate> poll_rates;
        std::map<std::string, Condition> conditions;
        for (const Row& r : db_->query("SELECT name, value, color FROM severities")) severities[r.text(0)] = severity_from(r);
        for (const Row& r : db_->query("SELECT name, rate FROM poll_rates")) poll_rates[r.text(0)] = poll_rate_from(r);
        for (const Row& r : db_->query("SELECT name, descr, code FROM conditions")) conditions[r.text(0)] = condition_from(r);
        for (const Severity& s : contents.severities) {
            upsert_severity(s);
            auto old = severities.find(s.name);
            if (old == severities.end() || !(old->second == s))
                log_change("severity", s.name, old == severities.end() ? "" : values_of(old->second), values_of(s));
        }
        for (const PollRate& p : contents.poll_rates) {
            upsert_poll_rate(p);
            auto old = poll_rates.find(p.name);
            if (old == poll_rates.end() || !(old->second == p))
                log_change("poll rate", p.name, old == poll_rates.end() ? "" : values_of(old->second), values_of(p));
        }
        for (const Condition& c : contents.conditions) {
            upsert_condition(c);
            auto old = conditions.find(c.name);
            if (old == conditions.end() || !(old->second == c))
                log_change("condition", c.name, old == conditions.end() ? "" : values_of(old->second), values_of(c));
        }
        import_history(contents.history);
        for (const TemplateDef& t : contents.templates) store_template(t, ChangeKind::Import);
    });
}

// The file's versions of the names the store knows nothing of, as they were recorded (who,
// where, when), in one statement where the backend takes arrays.
void SqlStore::import_history(const std::vector<VersionRecord>& history) {
    if (history.empty()) return;
    std::set<std::string> known;
    for (const Row& r : db_->query("SELECT template FROM template_versions UNION SELECT name FROM templates"))
        known.insert(r.text(0));
    std::vector<Params> rows;
    for (const VersionRecord& v : history)
        if (!known.count(v.about.template_name))
            rows.push_back({v.about.template_name, v.about.version, v.about.kind, v.about.author, v.about.host,
                            v.about.time, v.definition ? Value(template_text(*v.definition)) : Value(nullptr)});
    if (rows.empty()) return;
    db_->batch(db_->insert_rows(
        "template_versions",
        {{"template"}, {"version", true}, {"kind"}, {"author"}, {"host"}, {"at"}, {"definition"}}, std::move(rows)));
}

// One snapshot: SQLite's write-ahead log keeps it for a deferred transaction from its first
// read; PostgreSQL keeps it for a repeatable-read one.
void SqlStore::read_consistently(const std::function<void()>& fn) {
    db_->exec(db_->dialect() == Dialect::PostgreSQL ? "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY" : "BEGIN");
    try {
        fn();
    } catch (...) {
        try {
            db_->exec("ROLLBACK");
        } catch (const StoreError&) {
            // A lost connection has ended the transaction already.
        }
        throw;
    }
    db_->exec("COMMIT");
}

// ---- changes ----

int SqlStore::notification_fd() const { return db_->notification_fd(); }

ChangeReport SqlStore::poll_changes() {
    ChangeReport report;
    try {
        report = db_->take_changes();
    } catch (const StoreError&) {
        report.disconnected = true;
    }
    // The store's own record names this client's changes too; an album it has nothing of
    // (a store that records none) is read whole.
    for (Album a : {Album::Templates, Album::Severities, Album::PollRates, Album::Conditions})
        if (own_.changed(a) && !report.changed(a)) report.mark(a);
    own_ = ChangeReport{};
    return report;
}

void SqlStore::set_level(const std::string& role, std::optional<Level> level) {
    if (db_->dialect() != Dialect::PostgreSQL) return Store::set_level(role, level);
    Value group = level ? Value(std::string(level_role(*level))) : Value(nullptr);
    try {
        in_transaction(*db_, [&] { db_->query("SELECT varo_set_level(?, ?)", {role, group}); });
    } catch (const StoreError& e) {
        auto who = db_->denied_role();
        if (!who) throw;
        std::string what = level ? std::string("make others members of ") + level_role(*level) : "revoke roles";
        throw StoreError(e.kind(), *who + " may not " + what + " (that takes " +
                                       (level == Level::Admin ? "the store's owner" : "varo_admin") + ")");
    }
}

}  // namespace varo
