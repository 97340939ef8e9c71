// History rows of the store.
#include "varo/history.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

#include "varo/sql_store.h"
#include "varo/transfer.h"

namespace varo {

const char* change_kind_name(ChangeKind kind) {
    switch (kind) {
    case ChangeKind::Save: return "save";
    case ChangeKind::Copy: return "copy";
    case ChangeKind::Overwrite: return "overwrite";
    case ChangeKind::Import: return "import";
    case ChangeKind::Restore: return "restore";
    case ChangeKind::Delete: return "delete";
    case ChangeKind::Existing: return "existing";
    }
    return "unknown";
}

namespace {
StoreError no_history() { return StoreError(StoreError::Invalid, "this store keeps no history"); }
}  // namespace

std::vector<TemplateVersion> Store::template_history(const std::optional<std::string>&, bool) { throw no_history(); }
std::optional<TemplateDef> Store::template_version(const std::string&, std::int64_t) { throw no_history(); }
std::int64_t Store::restore_template(const std::string&, std::int64_t) { throw no_history(); }
std::int64_t Store::prune_history(int, bool) { throw no_history(); }
std::vector<Activity> Store::activity_log() { throw no_history(); }

namespace history {

namespace {
// The store's clock, not the client's, so that clients with wrong clocks still agree.
std::string now(Dialect d) {
    return d == Dialect::PostgreSQL ? "to_char(now() AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS')"
                                    : "strftime('%Y-%m-%d %H:%M:%S', 'now')";
}

// PostgreSQL names the role the server authenticated, which no client can choose; a store
// file has no roles, and the user of the writing process is the best it knows.
std::string author(Dialect d) { return d == Dialect::PostgreSQL ? "session_user" : "?"; }

Statement template_row(Dialect d, const Writer& who, const char* kind, const char* version, const std::string& name,
                       Value definition) {
    Statement s{"INSERT INTO template_versions (template, version, kind, host, definition, at, author) SELECT name, " +
                    std::string(version) + ", ?, ?, ?, " + now(d) + ", " + author(d) +
                    " FROM templates WHERE name = ?",
                {std::string(kind), who.host, std::move(definition)}};
    if (d == Dialect::SQLite) s.params.emplace_back(who.user);
    s.params.emplace_back(name);
    return s;
}

Value text_or_null(const std::string& text) { return text.empty() ? Value(nullptr) : Value(text); }
}  // namespace

Writer Writer::of_this_process() {
    Writer w;
    std::vector<char> buffer(16384);
    passwd entry{}, *found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        w.user = found->pw_name;
    else
        w.user = "uid " + std::to_string(geteuid());
    char host[256] = {0};
    if (gethostname(host, sizeof host - 1) == 0) w.host = host;
    return w;
}

Statement version_row(Dialect d, const Writer& who, ChangeKind kind, const std::string& name,
                      const std::string& definition) {
    return template_row(d, who, change_kind_name(kind), "version", name, definition);
}

Statement deletion_row(Dialect d, const Writer& who, const std::string& name) {
    return template_row(d, who, change_kind_name(ChangeKind::Delete), "version + 1", name, nullptr);
}

Statement activity_row(Dialect d, const Writer& who, const char* album, const std::string& name,
                       const std::string& before, const std::string& after) {
    const char* action = before.empty() ? "added" : after.empty() ? "deleted" : "changed";
    Statement s{"INSERT INTO activity (album, name, action, before, after, host, at, author) VALUES (?, ?, ?, ?, ?, ?, " +
                    now(d) + ", " + author(d) + ")",
                {std::string(album), name, std::string(action), text_or_null(before), text_or_null(after), who.host}};
    if (d == Dialect::SQLite) s.params.emplace_back(who.user);
    return s;
}

void record_existing(Db& db) {
    // Who made them and when is not known: the record says so with an empty author and host.
    // A version recorded already (a store marked older by hand) is kept as it was.
    for (const Row& r : db.query("SELECT name FROM templates"))
        if (auto def = read_stored_template(db, r.text(0)))
            db.exec("INSERT INTO template_versions (template, version, kind, host, definition, at, author)"
                    " VALUES (?, ?, ?, '', ?, " + now(db.dialect()) + ", '') ON CONFLICT DO NOTHING",
                    {def->name, def->version, std::string(change_kind_name(ChangeKind::Existing)),
                     template_text(*def)});
}

}  // namespace history
}  // namespace varo
