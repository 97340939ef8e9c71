// Varo, the management information store: one schema, two backends (an embedded SQLite
// file and a shared PostgreSQL database) behind one interface. Every write is one
// transaction; every refusal is a StoreError with a kind and a readable text.
#ifndef TARNWRIGHT_VARO_STORE_H
#define TARNWRIGHT_VARO_STORE_H

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace varo {

struct Severity {
    std::string name;
    int value = 0;
    std::string color;
    bool operator==(const Severity& o) const { return name == o.name && value == o.value && color == o.color; }
};

struct PollRate {
    std::string name;
    int rate = 0;
    bool operator==(const PollRate& o) const { return name == o.name && rate == o.rate; }
};

struct Condition {
    std::string name;
    std::string descr;
    std::string code;
    bool operator==(const Condition& o) const { return name == o.name && descr == o.descr && code == o.code; }
};

struct Action {
    std::string kind;  // "COMMAND", "MAIL" or "CONDITION"
    std::string arg0;
    std::string arg1;
    bool operator==(const Action& o) const { return kind == o.kind && arg0 == o.arg0 && arg1 == o.arg1; }
};

struct Transition {
    std::string from;
    std::string to;
    std::string condition;
    std::vector<Action> actions;  // in stored order
    bool operator==(const Transition& o) const {
        return from == o.from && to == o.to && condition == o.condition && actions == o.actions;
    }
};

// Where a state's circle sits in the diagram: the top-left corner of its box, in pixels.
struct StatePosition {
    int x = 0;
    int y = 0;
    bool operator==(const StatePosition& o) const { return x == o.x && y == o.y; }
};

struct State {
    std::string name;
    std::string descr;
    std::string severity;
    std::string poll_rate;
    std::optional<StatePosition> position = std::nullopt;  // none: the diagram places it
    bool operator==(const State& o) const {
        return name == o.name && descr == o.descr && severity == o.severity && poll_rate == o.poll_rate &&
               position == o.position;
    }
};

// A whole template. States in stored order; transitions in stored order (the order of the
// transitions leaving one state is the order the editor shows and moves).
struct TemplateDef {
    std::string name;
    std::string descr;
    std::vector<State> states;
    std::vector<Transition> transitions;
    std::int64_t version = 0;  // set by the store; 0 for a definition never stored
    bool same_content(const TemplateDef& o) const {
        return name == o.name && descr == o.descr && states == o.states && transitions == o.transitions;
    }
};

struct TemplateSummary {
    std::string name;
    std::string descr;
};

struct RunningTemplate {
    std::string object;    // managed object
    std::string template_name;
};

// What made a version of a template (or removed it), as the history records it.
enum class ChangeKind { Save, Copy, Overwrite, Import, Restore, Delete, Existing };
const char* change_kind_name(ChangeKind kind);  // "save", "copy", ... "existing" (there before history)

// One version in a template's history, or its deletion (no definition). The author is the
// PostgreSQL session's role, or on a store file the user of the operating system; the time
// is the store's, "YYYY-MM-DD HH:MM:SS" in UTC.
struct TemplateVersion {
    std::string template_name;
    std::int64_t version = 0;
    std::string kind;
    std::string author;
    std::string host;
    std::string time;
    bool deleted() const { return kind == "delete"; }
};

// A version as an exchange file carries it: no definition for a deletion.
struct VersionRecord {
    TemplateVersion about;
    std::optional<TemplateDef> definition;
};

// Everything an import brings, stored as one transaction (see Store::import_contents).
struct StoreContents {
    std::vector<Severity> severities;
    std::vector<PollRate> poll_rates;
    std::vector<Condition> conditions;
    std::vector<TemplateDef> templates;
    // Earlier versions, only when asked for. Taken for the names the store knows nothing of
    // (neither a template nor a history), before the templates: a store's own history is
    // never rewritten, and an imported template numbers on after the file's versions.
    std::vector<VersionRecord> history;
};

// What the user connected may change: templates (and which run on managed objects), and the
// server objects (severities, poll rates, conditions). The role is the PostgreSQL session's
// role, or for a store file the user of the operating system.
struct Rights {
    std::string role;
    bool templates = true;
    bool server_objects = true;
    bool operator==(const Rights& o) const {
        return role == o.role && templates == o.templates && server_objects == o.server_objects;
    }
};

// The groups of a shared store: varo_read, varo_edit (templates too), varo_admin (everything).
enum class Level { Read, Edit, Admin };
const char* level_role(Level level);  // "varo_read", "varo_edit", "varo_admin"
// One change of a severity, poll rate or condition: what it was and what it became, each as
// a JSON object of its values ("" for none: added, or deleted).
struct Activity {
    std::string time;
    std::string author;
    std::string host;
    std::string album;   // "severity", "poll rate" or "condition"
    std::string name;
    std::string action;  // "added", "changed" or "deleted"
    std::string before;
    std::string after;
};

enum class Album { Templates = 0, Severities = 1, PollRates = 2, Conditions = 3 };
const char* album_name(Album album);  // "templates", "severities", "poll_rates", "conditions"
std::optional<Album> album_named(const std::string& name);

class StoreError : public std::runtime_error {
public:
    enum Kind {
        Invalid,      // a value the schema does not accept (name, length, range, bad code)
        NotFound,     // a named object does not exist
        Exists,       // a named object already exists
        InUse,        // a condition, severity or poll rate a stored template uses
        Running,      // a template running on a managed object
        Conflict,     // the stored template changed since the working copy was read
        Unavailable,  // the store cannot be reached or the connection was lost
        Busy,         // this write cannot be taken now (locked too long, read-only, not permitted)
        Corrupt       // the store holds something it should not (schema too new, bad rows)
    };
    StoreError(Kind kind, const std::string& text) : std::runtime_error(text), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// What the last poll found: the albums changed since the previous poll (by this client or
// any other), and whether the store has become unreachable.
struct ChangeReport {
    bool templates = false, severities = false, poll_rates = false, conditions = false;
    bool disconnected = false;
    bool rights = false;  // a role's membership changed: what this one may do may have too
    bool any() const { return templates || severities || poll_rates || conditions; }
    bool changed(Album a) const;

    // What changed in an album, where the store could say: each name once, with the last
    // of '+' (added), '~' (changed) or '-' (removed) the store reported for it. An album
    // marked changed without names, or marked whole, is to be read whole.
    struct Named {
        std::string name;
        char kind;
    };
    std::vector<Named> names[4];  // by Album
    bool whole[4] = {false, false, false, false};
    void mark(Album a);  // changed, names unknown
    void mark(Album a, char kind, const std::string& name);
    void merge(const ChangeReport& other);
    bool named_only(Album a) const { return changed(a) && !whole[static_cast<int>(a)]; }
};

class Store {
public:
    virtual ~Store() = default;

    virtual std::string describe() const = 0;  // e.g. "sqlite:/home/u/.local/share/tarnwright/varo.db"
    virtual int schema_version() = 0;

    // Templates.
    virtual std::vector<TemplateSummary> list_templates() = 0;  // sorted by name
    // One template's name and description, without reading its states.
    virtual std::optional<TemplateSummary> find_template_summary(const std::string& name);
    virtual std::optional<TemplateDef> load_template(const std::string& name) = 0;
    // First store under def.name; Exists when the name is taken. Returns the new version.
    // kind: Save, or Copy for a copy under a new name (as the history records it).
    virtual std::int64_t insert_template(const TemplateDef& def, ChangeKind kind = ChangeKind::Save) = 0;
    // Replace the template stored as def.name, if its version is still expected_version
    // (Conflict otherwise; NotFound when gone; Running when it runs). Returns the new version.
    virtual std::int64_t update_template(const TemplateDef& def, std::int64_t expected_version) = 0;
    // Replace whatever is stored as def.name (or insert); Running when it runs.
    virtual std::int64_t overwrite_template(const TemplateDef& def) = 0;
    virtual void delete_template(const std::string& name) = 0;  // NotFound, Running

    // History. Every write of a template records the version it makes (or the deletion) in
    // its own transaction; versions of one name are numbered on across deletions.
    // Newest first: one template's versions and deletions, or (no name) every template's,
    // those of deleted templates only when deleted_too.
    virtual std::vector<TemplateVersion> template_history(const std::optional<std::string>& name, bool deleted_too);
    // The definition a version held; none for an unknown version or a deletion.
    virtual std::optional<TemplateDef> template_version(const std::string& name, std::int64_t version);
    // Stores that version again as the newest (bringing back a deleted template); NotFound for
    // an unknown version, Running, Invalid (a severity it names is gone...). Returns the new version.
    virtual std::int64_t restore_template(const std::string& name, std::int64_t version);
    // Keeps the newest `keep` (at least 1) versions of each stored template; a deleted
    // template's history is kept whole, or dropped when deleted_too. Returns the rows removed.
    virtual std::int64_t prune_history(int keep, bool deleted_too);
    // The changes of severities, poll rates and conditions, newest first.
    virtual std::vector<Activity> activity_log();

    // Severities, poll rates, conditions (each list sorted by name).
    virtual std::vector<Severity> list_severities() = 0;
    virtual std::optional<Severity> find_severity(const std::string& name) = 0;
    virtual void add_severity(const Severity& s) = 0;            // Exists, Invalid
    virtual void delete_severity(const std::string& name) = 0;   // NotFound
    virtual std::vector<PollRate> list_poll_rates() = 0;
    virtual std::optional<PollRate> find_poll_rate(const std::string& name) = 0;
    virtual void add_poll_rate(const PollRate& p) = 0;           // Exists, Invalid
    virtual void delete_poll_rate(const std::string& name) = 0;  // NotFound
    virtual std::vector<Condition> list_conditions() = 0;
    // The same without their code, in no set order: what a list of conditions shows, for less reading.
    virtual std::vector<Condition> list_condition_summaries() { return list_conditions(); }
    virtual std::optional<Condition> find_condition(const std::string& name) = 0;
    virtual void add_condition(const Condition& c) = 0;          // Exists, Invalid (code)
    virtual void delete_condition(const std::string& name) = 0;  // NotFound, InUse
    // Change an existing object under its name in one transaction, so that every client sees
    // either the old definition or the new one. NotFound, Invalid; a condition a stored
    // template uses is refused as InUse, as its deletion would be.
    virtual void replace_severity(const Severity& s) = 0;
    virtual void replace_poll_rate(const PollRate& p) = 0;
    virtual void replace_condition(const Condition& c) = 0;

    // Managed objects running templates.
    virtual std::vector<RunningTemplate> list_running() = 0;
    virtual void set_running(const std::string& object, const std::string& template_name) = 0;
    virtual void set_stopped(const std::string& object, const std::string& template_name) = 0;

    // Adds each object, or replaces the one stored under its name, all in one transaction:
    // any refusal (Invalid, Running...) leaves the store as it was.
    virtual void import_contents(const StoreContents& contents) = 0;

    // Runs fn, which only reads, with every read in it seeing the store as of one moment,
    // whatever other clients commit meanwhile: a whole export stays self-consistent.
    virtual void read_consistently(const std::function<void()>& fn) { fn(); }

    // Writes a consistent copy of the whole store to file, whatever other clients write
    // meanwhile. Only a store in a file has one; the others say how they are copied.
    virtual void backup_to(const std::string& file);

    // What this connection's role may change, as the store says now.
    virtual Rights rights() { return {}; }
    // Makes role a member of the group of level only (none: revoke), and tells every editor.
    // Only a shared store has roles; the rights to a store file are those to the file.
    virtual void set_level(const std::string& role, std::optional<Level> level);

    // Change notifications: never waits.
    virtual ChangeReport poll_changes() = 0;
    // Readable when poll_changes may have news, so a client can wait for it; -1 when the
    // backend gives no such descriptor (poll then). poll_changes drains it.
    virtual int notification_fd() const { return -1; }
};

// How long the opener keeps the store. On a full disk the file's shared index cannot be made:
// one command may then read with the file to itself, a session (the editor) is refused.
enum class Hold { Session, OneCommand };

// Opens (creating and seeding on first use) the store an address names:
//   "sqlite:PATH" or a PATH ending in ".db"          the embedded file
//   "postgresql://..." / "postgres://..." / "pg:CONNINFO"   PostgreSQL through libpq
// Only a path that does not exist (or an empty file) is made a store: an existing file that is
// not one is refused and left as it is. Nothing is written when nothing needs writing.
// Throws StoreError(Unavailable) when it cannot be opened.
std::unique_ptr<Store> open_store(const std::string& address, Hold hold = Hold::Session);

// Whether a PostgreSQL address carries a password (key=value or URI): fine in the environment,
// but not on a command line, where every user can read it.
bool holds_password(const std::string& address);

// The store qori_init(host) opens: VARO_STORE when set; the per-user embedded file
// when host is this machine; otherwise PostgreSQL on host (database "varo" unless
// PGDATABASE says otherwise).
std::string store_address_for_host(const std::string& host);

}  // namespace varo

#endif
