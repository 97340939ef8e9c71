// Tables and migrations of the store, per dialect where the two differ.
#include "varo/schema.h"

#include <optional>
#include <string>
#include <vector>

namespace varo::schema {

namespace {

struct Migration {
    int version;
    std::vector<std::string> (*statements)(Dialect);
    void (*seed)(Db&);
};

// The tables whose changes are reported, and the album each belongs to.
const std::vector<std::pair<const char*, Album>>& notified_tables() {
    static const std::vector<std::pair<const char*, Album>> tables = {
        {"templates", Album::Templates},   {"states", Album::Templates},       {"transitions", Album::Templates},
        {"actions", Album::Templates},     {"severities", Album::Severities}, {"poll_rates", Album::PollRates},
        {"conditions", Album::Conditions}};
    return tables;
}

// PostgreSQL tells every listening client which album changed, from the database itself, so
// a change made by any client (or by hand) is heard. NOTIFY folds repeats within one
// transaction and delivers nothing for one that rolls back.
std::vector<std::string> notify_triggers(const std::vector<std::pair<const char*, Album>>& tables) {
    std::vector<std::string> out = {
        "CREATE OR REPLACE FUNCTION varo_notify_change() RETURNS trigger LANGUAGE plpgsql AS $$"
        " BEGIN PERFORM pg_notify('varo_change', TG_ARGV[0]); RETURN NULL; END $$",
    };
    for (const auto& [table, album] : tables) {
        const std::string t = table, a = album_name(album);
        out.push_back("CREATE TRIGGER " + t + "_changed AFTER INSERT OR UPDATE OR DELETE ON " + t +
                      " FOR EACH ROW EXECUTE FUNCTION varo_notify_change('" + a + "')");
        out.push_back("CREATE TRIGGER " + t + "_emptied AFTER TRUNCATE ON " + t +
                      " FOR EACH STATEMENT EXECUTE FUNCTION varo_notify_change('" + a + "')");
    }
    return out;
}

// Names and texts are TEXT in both dialects; values, positions and versions are integers.
// Severities and poll rates are named by states without a foreign key: changing one is
// a delete followed by an add, which must stay possible while templates use it.
// Conditions named by transitions (or raised by actions) cannot be deleted while used.
std::vector<std::string> version1(Dialect dialect) {
    const std::string bigint = dialect == Dialect::PostgreSQL ? "BIGINT" : "INTEGER";
    std::vector<std::string> statements = {
        "CREATE TABLE severities ("
        " name TEXT PRIMARY KEY,"
        " value INTEGER NOT NULL CHECK (value BETWEEN 1 AND 32767),"
        " color TEXT NOT NULL)",
        "CREATE TABLE poll_rates ("
        " name TEXT PRIMARY KEY,"
        " rate INTEGER NOT NULL CHECK (rate BETWEEN 1 AND 32767))",
        "CREATE TABLE conditions ("
        " name TEXT PRIMARY KEY,"
        " descr TEXT NOT NULL,"
        " code TEXT NOT NULL)",
        "CREATE TABLE templates ("
        " name TEXT PRIMARY KEY,"
        " descr TEXT NOT NULL,"
        " version " + bigint + " NOT NULL CHECK (version >= 1))",
        "CREATE TABLE states ("
        " template TEXT NOT NULL REFERENCES templates (name) ON DELETE CASCADE,"
        " position INTEGER NOT NULL,"
        " name TEXT NOT NULL,"
        " descr TEXT NOT NULL,"
        " severity TEXT NOT NULL,"
        " poll_rate TEXT NOT NULL,"
        " PRIMARY KEY (template, position),"
        " UNIQUE (template, name))",
        "CREATE TABLE transitions ("
        " template TEXT NOT NULL REFERENCES templates (name) ON DELETE CASCADE,"
        " position INTEGER NOT NULL,"
        " from_state TEXT NOT NULL,"
        " to_state TEXT NOT NULL,"
        " cond TEXT NOT NULL REFERENCES conditions (name) ON DELETE RESTRICT,"
        " PRIMARY KEY (template, position),"
        " FOREIGN KEY (template, from_state) REFERENCES states (template, name) ON DELETE CASCADE,"
        " FOREIGN KEY (template, to_state) REFERENCES states (template, name) ON DELETE CASCADE)",
        "CREATE INDEX transitions_cond ON transitions (cond)",
        "CREATE TABLE actions ("
        " template TEXT NOT NULL,"
        " transition INTEGER NOT NULL,"
        " position INTEGER NOT NULL,"
        " kind TEXT NOT NULL CHECK (kind IN ('COMMAND', 'MAIL', 'CONDITION')),"
        " arg0 TEXT NOT NULL,"
        " arg1 TEXT NOT NULL,"
        " raises TEXT REFERENCES conditions (name) ON DELETE RESTRICT,"
        " PRIMARY KEY (template, transition, position),"
        " FOREIGN KEY (template, transition) REFERENCES transitions (template, position) ON DELETE CASCADE)",
        "CREATE INDEX actions_raises ON actions (raises)",
        "CREATE TABLE running ("
        " object TEXT NOT NULL,"
        " template TEXT NOT NULL REFERENCES templates (name) ON DELETE RESTRICT,"
        " PRIMARY KEY (object, template))",
        "CREATE INDEX running_template ON running (template)",
        "CREATE TABLE album_changes ("
        " album TEXT PRIMARY KEY,"
        " counter " + bigint + " NOT NULL)",
    };
    if (dialect == Dialect::PostgreSQL)
        for (std::string& sql : notify_triggers(notified_tables())) statements.push_back(std::move(sql));
    return statements;
}

void seed1(Db& db) {
    for (const char* album : {"templates", "severities", "poll_rates", "conditions"})
        db.exec("INSERT INTO album_changes (album, counter) VALUES (?, 0)", {std::string(album)});
    struct {
        const char* name;
        int value;
        const char* color;
    } severities[] = {{"Normal", 1, "green"}, {"Minor", 2, "yellow"}, {"Major", 3, "orange"}, {"Critical", 4, "red"}};
    for (const auto& s : severities)
        db.exec("INSERT INTO severities (name, value, color) VALUES (?, ?, ?)",
                {std::string(s.name), std::int64_t{s.value}, std::string(s.color)});
    db.exec("INSERT INTO poll_rates (name, rate) VALUES (?, ?)", {std::string("Poll"), std::int64_t{60}});
    db.exec("INSERT INTO poll_rates (name, rate) VALUES (?, ?)", {std::string("default_rate"), std::int64_t{300}});
    db.exec("INSERT INTO conditions (name, descr, code) VALUES (?, ?, ?)",
            {std::string("LinkDown"), std::string("The interface is not up"), std::string("ifOperStatus != \"up\"\n")});
    db.exec("INSERT INTO conditions (name, descr, code) VALUES (?, ?, ?)",
            {std::string("HighErrors"), std::string("More than 100 input errors on an interface that is up"),
             std::string("# errors only count while the link is up\n"
                         "ifOperStatus == \"up\" and ifInErrors > 100\n")});
}

// Each state may carry its place in the diagram; states stored before have none.
std::vector<std::string> state_positions(Dialect) {
    return {
        "ALTER TABLE states ADD COLUMN x INTEGER CHECK (x BETWEEN 0 AND 32767)",
        "ALTER TABLE states ADD COLUMN y INTEGER CHECK (y BETWEEN 0 AND 32767)",
    };
}

// Large saves: the transitions naming a state are found by index when a save removes the
// old states (each removed state looks for them); PostgreSQL's notifications are raised once
// a statement, not once a row, as a save writes each table with one statement.
std::vector<std::string> bulk_saves(Dialect dialect) {
    std::vector<std::string> out = {"CREATE INDEX IF NOT EXISTS transitions_from ON transitions (template, from_state)",
                                    "CREATE INDEX IF NOT EXISTS transitions_to ON transitions (template, to_state)"};
    if (dialect != Dialect::PostgreSQL) return out;
    for (const auto& [table, album] : notified_tables()) {
        const std::string t = table;
        out.push_back("DROP TRIGGER IF EXISTS " + t + "_changed ON " + t);
        out.push_back("CREATE TRIGGER " + t + "_changed AFTER INSERT OR UPDATE OR DELETE ON " + t +
                      " FOR EACH STATEMENT EXECUTE FUNCTION varo_notify_change('" + album_name(album) + "')");
    }
    return out;
}

const std::vector<Migration>& migrations() {
    static const std::vector<Migration> list = {
        {1, version1, seed1}, {2, state_positions, nullptr}, {3, bulk_saves, nullptr}};
    return list;
}

bool version_table_exists(Db& db) {
    Rows rows = db.query(db.dialect() == Dialect::PostgreSQL
                             ? "SELECT CASE WHEN to_regclass('schema_version') IS NULL THEN 0 ELSE 1 END"
                             : "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'schema_version'");
    return !rows.empty() && rows[0].integer(0) > 0;
}

int read_version(Db& db) {
    Rows rows = db.query("SELECT max(version) FROM schema_version");
    return rows.empty() || rows[0].is_null(0) ? 0 : static_cast<int>(rows[0].integer(0));
}

}  // namespace

int stored_version(Db& db) { return read_version(db); }

namespace {
// PostgreSQL does not serialise CREATE TABLE IF NOT EXISTS between sessions: programs opening
// one store take turns on a lock. It is taken before the transaction begins, so that the
// transaction's snapshot already shows what the previous holder made (a repeatable-read
// transaction's snapshot is fixed by its first statement, which would be the lock itself).
class SchemaLock {
public:
    explicit SchemaLock(Db& db) : db_(db), held_(db.dialect() == Dialect::PostgreSQL) {
        if (held_) db_.query("SELECT pg_advisory_lock(?)", {kLockKey});
    }
    ~SchemaLock() {
        try {
            if (held_) db_.query("SELECT pg_advisory_unlock(?)", {kLockKey});
        } catch (const StoreError&) {
            // A lost session has let go of its locks already.
        }
    }
    SchemaLock(const SchemaLock&) = delete;
    SchemaLock& operator=(const SchemaLock&) = delete;

private:
    static constexpr std::int64_t kLockKey = 7263001;
    Db& db_;
    bool held_;
};
}  // namespace

namespace {
StoreError too_new(int version) {
    return StoreError(StoreError::Corrupt, "the store has schema version " + std::to_string(version) +
                                               ", newer than this program knows (" + std::to_string(kLatestVersion) +
                                               ")");
}
}  // namespace

int apply(Db& db) {
    // A store already up to date is only read: a full disk, a file or a role that may only be
    // read still serve reads, and a read command writes nothing. On PostgreSQL one statement
    // (one round trip) tells, failing while the store is not made yet.
    std::optional<int> current;
    if (db.dialect() == Dialect::PostgreSQL) {
        try {
            current = read_version(db);
        } catch (const StoreError&) {
            // Not made yet (or not readable this way): the locked path below tells.
        }
    } else if (version_table_exists(db)) {
        current = read_version(db);
    }
    if (current) {
        if (*current == kLatestVersion) return *current;
        if (*current > kLatestVersion) throw too_new(*current);
    }
    SchemaLock lock(db);
    return in_transaction(db, [&] {
        // Created only when missing: even IF NOT EXISTS needs the right to create tables,
        // which a PostgreSQL role that only uses the store need not have.
        if (!version_table_exists(db)) db.exec("CREATE TABLE schema_version (version INTEGER NOT NULL)");
        int version = read_version(db);
        if (version > kLatestVersion) throw too_new(version);
        for (const Migration& m : migrations()) {
            if (m.version <= version) continue;
            for (const std::string& sql : m.statements(db.dialect())) db.exec(sql);
            if (m.seed) m.seed(db);
            db.exec("DELETE FROM schema_version");
            db.exec("INSERT INTO schema_version (version) VALUES (?)", {std::int64_t{m.version}});
            version = m.version;
        }
        return version;
    });
}

}  // namespace varo::schema
