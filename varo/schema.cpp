// Tables and migrations of the store, per dialect where the two differ.
#include "varo/schema.h"

#include "varo/history.h"

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
// Severities and poll rates were named by states without a foreign key when changing one was
// a delete followed by an add; a change is one update now (see used_severities).
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

// PostgreSQL checks a foreign key with one query a row: a save of 1,000 states made 34,000 of
// them. A template's own rows are checked once a statement instead, over the rows it added
// or removed; the template's row is what orders writers of one template (every save updates
// or inserts it), so those checks take no locks of their own. A condition is shared by every
// template and deleted by other clients: its uses keep a real foreign key, one row for each
// template and condition, so a save checks and locks each condition it names once.
std::vector<std::string> set_checks(Dialect dialect) {
    if (dialect != Dialect::PostgreSQL) return {};
    std::vector<std::string> out = {
        "CREATE TABLE IF NOT EXISTS condition_uses ("
        " template TEXT NOT NULL,"
        " cond TEXT NOT NULL REFERENCES conditions (name) ON DELETE RESTRICT,"
        " PRIMARY KEY (template, cond))",
        "INSERT INTO condition_uses SELECT template, cond FROM transitions"
        " UNION SELECT template, raises FROM actions WHERE raises IS NOT NULL ON CONFLICT DO NOTHING",
        "ALTER TABLE actions DROP CONSTRAINT IF EXISTS actions_template_transition_fkey",
        "ALTER TABLE actions DROP CONSTRAINT IF EXISTS actions_raises_fkey",
        "ALTER TABLE transitions DROP CONSTRAINT IF EXISTS transitions_template_from_state_fkey",
        "ALTER TABLE transitions DROP CONSTRAINT IF EXISTS transitions_template_to_state_fkey",
        "ALTER TABLE transitions DROP CONSTRAINT IF EXISTS transitions_template_fkey",
        "ALTER TABLE transitions DROP CONSTRAINT IF EXISTS transitions_cond_fkey",
        "ALTER TABLE states DROP CONSTRAINT IF EXISTS states_template_fkey",
        // Removed states find their transitions through the template's key; the uses of a
        // condition in one template are looked up by both.
        "DROP INDEX IF EXISTS transitions_from",
        "DROP INDEX IF EXISTS transitions_to",
        "DROP INDEX IF EXISTS transitions_cond",
        "CREATE INDEX transitions_cond ON transitions (cond, template)",
        "DROP INDEX IF EXISTS actions_raises",
        "CREATE INDEX actions_raises ON actions (raises, template)",
        "CREATE OR REPLACE FUNCTION varo_rows_added() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
        " IF TG_TABLE_NAME = 'states' THEN"
        "  PERFORM 1 FROM templates WHERE name IN (SELECT DISTINCT template FROM added) FOR KEY SHARE;"
        "  IF EXISTS (SELECT 1 FROM added n WHERE NOT EXISTS (SELECT 1 FROM templates t WHERE t.name = n.template)) THEN"
        "   RAISE foreign_key_violation USING MESSAGE = 'a state names no stored template';"
        "  END IF;"
        " ELSIF TG_TABLE_NAME = 'transitions' THEN"
        "  IF EXISTS (SELECT 1 FROM added n WHERE"
        "    NOT EXISTS (SELECT 1 FROM states s WHERE s.template = n.template AND s.name = n.from_state)"
        "    OR NOT EXISTS (SELECT 1 FROM states s WHERE s.template = n.template AND s.name = n.to_state)) THEN"
        "   RAISE foreign_key_violation USING MESSAGE = 'a transition names no state of its template';"
        "  END IF;"
        "  INSERT INTO condition_uses SELECT DISTINCT template, cond FROM added ON CONFLICT DO NOTHING;"
        " ELSE"
        "  IF EXISTS (SELECT 1 FROM added n WHERE NOT EXISTS"
        "    (SELECT 1 FROM transitions t WHERE t.template = n.template AND t.position = n.transition)) THEN"
        "   RAISE foreign_key_violation USING MESSAGE = 'an action belongs to no transition';"
        "  END IF;"
        "  INSERT INTO condition_uses SELECT DISTINCT template, raises FROM added WHERE raises IS NOT NULL"
        "   ON CONFLICT DO NOTHING;"
        " END IF;"
        " RETURN NULL; END $$",
        // What a removed row held goes with it, as the cascades did.
        "CREATE OR REPLACE FUNCTION varo_rows_removed() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
        " IF TG_TABLE_NAME = 'templates' THEN"
        "  DELETE FROM actions WHERE template IN (SELECT name FROM removed);"
        "  DELETE FROM transitions WHERE template IN (SELECT name FROM removed);"
        "  DELETE FROM states WHERE template IN (SELECT name FROM removed);"
        " ELSIF TG_TABLE_NAME = 'states' THEN"
        "  DELETE FROM transitions t USING removed r WHERE t.template = r.template AND t.from_state = r.name;"
        "  DELETE FROM transitions t USING removed r WHERE t.template = r.template AND t.to_state = r.name;"
        " ELSIF TG_TABLE_NAME = 'transitions' THEN"
        "  DELETE FROM actions a USING removed r WHERE a.template = r.template AND a.transition = r.position;"
        " END IF;"
        " IF TG_TABLE_NAME IN ('transitions', 'actions') THEN"
        "  DELETE FROM condition_uses u WHERE u.template IN (SELECT DISTINCT template FROM removed)"
        "   AND NOT EXISTS (SELECT 1 FROM transitions t WHERE t.cond = u.cond AND t.template = u.template)"
        "   AND NOT EXISTS (SELECT 1 FROM actions a WHERE a.raises = u.cond AND a.template = u.template);"
        " END IF;"
        " RETURN NULL; END $$",
        // The columns that tie a template's rows together are changed by a delete and an insert,
        // never in place (nothing here does; a hand-made UPDATE is refused rather than unchecked).
        "CREATE OR REPLACE FUNCTION varo_keys_fixed() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
        " RAISE foreign_key_violation USING MESSAGE = TG_TABLE_NAME || ': a name or reference is changed by"
        " deleting the row and inserting it anew';"
        " END $$",
        "DROP TRIGGER IF EXISTS templates_keys ON templates",
        "CREATE TRIGGER templates_keys BEFORE UPDATE OF name ON templates FOR EACH ROW"
        " WHEN (OLD.name IS DISTINCT FROM NEW.name) EXECUTE FUNCTION varo_keys_fixed()",
        "DROP TRIGGER IF EXISTS states_keys ON states",
        "CREATE TRIGGER states_keys BEFORE UPDATE OF template, name ON states FOR EACH ROW"
        " WHEN ((OLD.template, OLD.name) IS DISTINCT FROM (NEW.template, NEW.name)) EXECUTE FUNCTION varo_keys_fixed()",
        "DROP TRIGGER IF EXISTS transitions_keys ON transitions",
        "CREATE TRIGGER transitions_keys BEFORE UPDATE OF template, position, from_state, to_state, cond ON transitions"
        " FOR EACH ROW WHEN ((OLD.template, OLD.position, OLD.from_state, OLD.to_state, OLD.cond) IS DISTINCT FROM"
        " (NEW.template, NEW.position, NEW.from_state, NEW.to_state, NEW.cond)) EXECUTE FUNCTION varo_keys_fixed()",
        "DROP TRIGGER IF EXISTS actions_keys ON actions",
        "CREATE TRIGGER actions_keys BEFORE UPDATE OF template, transition, raises ON actions FOR EACH ROW"
        " WHEN ((OLD.template, OLD.transition, OLD.raises) IS DISTINCT FROM (NEW.template, NEW.transition, NEW.raises))"
        " EXECUTE FUNCTION varo_keys_fixed()",
    };
    // Run again over a store that has them (a schema marked older by hand), they are made anew.
    const struct {
        const char *table, *event, *rows, *name, *function;
    } set_triggers[] = {{"states", "INSERT", "NEW", "added", "varo_rows_added"},
                        {"transitions", "INSERT", "NEW", "added", "varo_rows_added"},
                        {"actions", "INSERT", "NEW", "added", "varo_rows_added"},
                        {"templates", "DELETE", "OLD", "removed", "varo_rows_removed"},
                        {"states", "DELETE", "OLD", "removed", "varo_rows_removed"},
                        {"transitions", "DELETE", "OLD", "removed", "varo_rows_removed"},
                        {"actions", "DELETE", "OLD", "removed", "varo_rows_removed"}};
    for (const auto& t : set_triggers) {
        const std::string name = std::string(t.table) + "_" + t.name, table = t.table;
        out.push_back("DROP TRIGGER IF EXISTS " + name + " ON " + table);
        out.push_back("CREATE TRIGGER " + name + " AFTER " + t.event + " ON " + table + " REFERENCING " + t.rows +
                      " TABLE AS " + t.name + " FOR EACH STATEMENT EXECUTE FUNCTION " + t.function + "()");
    }
    return out;
}

// A severity or poll rate that states name cannot be deleted: the store looks for the states
// (by these indexes) inside the deletion's transaction, which on SQLite is the only writer.
// On PostgreSQL a save could start using it meanwhile: as for conditions, each template's uses
// keep a real foreign key, one row for each template and name, kept by a statement's trigger.
// States stored before, naming one deleted then, are kept as they are, without a use.
std::vector<std::string> used_severities(Dialect dialect) {
    std::vector<std::string> out = {"CREATE INDEX IF NOT EXISTS states_severity ON states (severity)",
                                    "CREATE INDEX IF NOT EXISTS states_poll_rate ON states (poll_rate)"};
    if (dialect != Dialect::PostgreSQL) return out;
    for (const char* kind : {"severity", "poll_rate"}) {
        const std::string k = kind, uses = k + "_uses", names = k == "severity" ? "severities" : "poll_rates";
        out.push_back("CREATE TABLE IF NOT EXISTS " + uses + " (template TEXT NOT NULL, " + k + " TEXT NOT NULL"
                      " REFERENCES " + names + " (name) ON DELETE RESTRICT, PRIMARY KEY (template, " + k + "))");
        out.push_back("INSERT INTO " + uses + " SELECT DISTINCT template, " + k + " FROM states WHERE " + k +
                      " IN (SELECT name FROM " + names + ") ON CONFLICT DO NOTHING");
    }
    out.push_back(
        "CREATE OR REPLACE FUNCTION varo_state_uses() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
        " IF TG_OP = 'INSERT' THEN"
        "  INSERT INTO severity_uses SELECT DISTINCT template, severity FROM added ON CONFLICT DO NOTHING;"
        "  INSERT INTO poll_rate_uses SELECT DISTINCT template, poll_rate FROM added ON CONFLICT DO NOTHING;"
        " ELSE"
        "  DELETE FROM severity_uses u WHERE u.template IN (SELECT DISTINCT template FROM removed)"
        "   AND NOT EXISTS (SELECT 1 FROM states s WHERE s.template = u.template AND s.severity = u.severity);"
        "  DELETE FROM poll_rate_uses u WHERE u.template IN (SELECT DISTINCT template FROM removed)"
        "   AND NOT EXISTS (SELECT 1 FROM states s WHERE s.template = u.template AND s.poll_rate = u.poll_rate);"
        " END IF;"
        " RETURN NULL; END $$");
    for (const char* event : {"INSERT", "DELETE"}) {
        const std::string e = event, name = e == "INSERT" ? "states_uses_added" : "states_uses_removed";
        out.push_back("DROP TRIGGER IF EXISTS " + name + " ON states");
        out.push_back("CREATE TRIGGER " + name + " AFTER " + e + " ON states REFERENCING " +
                      (e == "INSERT" ? "NEW TABLE AS added" : "OLD TABLE AS removed") +
                      " FOR EACH STATEMENT EXECUTE FUNCTION varo_state_uses()");
    }
    return out;
}

// Who may change a shared store: three group roles, each with the rights of the one before.
// varo_read reads everything; varo_edit also writes templates (with the uses of conditions,
// severities and poll rates their triggers keep) and which run where, and adds to the other tables (a history, a log);
// varo_admin also writes severities, poll rates and conditions and may remove from those. The grants are given again after every
// migration, so a table any later one adds is covered, and the owner's tables made by hand
// later get them by default. Where the owner may not make roles (no CREATEROLE), the store
// works as before, each role with the grants given to it by hand.
constexpr int kRolesVersion = 6;

std::vector<std::string> roles(Dialect dialect) {
    if (dialect != Dialect::PostgreSQL) return {};
    return {
        "CREATE OR REPLACE FUNCTION varo_grant_roles() RETURNS void LANGUAGE plpgsql AS $$"
        " DECLARE r text; t text; s text := current_schema();"
        " BEGIN"
        "  FOREACH r IN ARRAY ARRAY['varo_read', 'varo_edit', 'varo_admin'] LOOP"
        "   IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = r) THEN"
        "    BEGIN EXECUTE format('CREATE ROLE %I NOLOGIN', r);"
        "    EXCEPTION WHEN duplicate_object OR unique_violation THEN NULL;"  // another store made it meanwhile
        "     WHEN insufficient_privilege THEN RETURN; END;"
        "   END IF;"
        "  END LOOP;"
        "  IF NOT pg_has_role('varo_edit', 'varo_read', 'MEMBER') THEN GRANT varo_read TO varo_edit; END IF;"
        "  IF NOT pg_has_role('varo_admin', 'varo_edit', 'MEMBER') THEN"
        "   GRANT varo_edit TO varo_admin;"
        "   GRANT varo_read, varo_edit TO varo_admin WITH ADMIN OPTION;"
        "  END IF;"
        "  EXECUTE format('GRANT USAGE ON SCHEMA %I TO varo_read', s);"
        "  EXECUTE format('GRANT SELECT ON ALL TABLES IN SCHEMA %I TO varo_read', s);"
        "  EXECUTE format('GRANT EXECUTE ON ALL FUNCTIONS IN SCHEMA %I TO varo_read', s);"
        "  EXECUTE format('GRANT USAGE, SELECT ON ALL SEQUENCES IN SCHEMA %I TO varo_edit', s);"
        "  FOR t IN SELECT tablename FROM pg_tables WHERE schemaname = s LOOP"
        "   IF t IN ('templates', 'states', 'transitions', 'actions', 'running', 'condition_uses', 'severity_uses',"
        "    'poll_rate_uses') THEN"
        "    EXECUTE format('GRANT INSERT, UPDATE, DELETE ON %I.%I TO varo_edit', s, t);"
        "   ELSIF t IN ('severities', 'poll_rates', 'conditions') THEN"
        "    EXECUTE format('GRANT INSERT, UPDATE, DELETE ON %I.%I TO varo_admin', s, t);"
        "   ELSIF t NOT IN ('schema_version', 'album_changes') THEN"
        "    EXECUTE format('GRANT INSERT ON %I.%I TO varo_edit', s, t);"
        "    EXECUTE format('GRANT INSERT, UPDATE, DELETE ON %I.%I TO varo_admin', s, t);"
        "   END IF;"
        "  END LOOP;"
        "  EXECUTE format('ALTER DEFAULT PRIVILEGES IN SCHEMA %I GRANT SELECT ON TABLES TO varo_read', s);"
        "  EXECUTE format('ALTER DEFAULT PRIVILEGES IN SCHEMA %I GRANT INSERT ON TABLES TO varo_edit', s);"
        "  EXECUTE format('ALTER DEFAULT PRIVILEGES IN SCHEMA %I GRANT INSERT, UPDATE, DELETE ON TABLES TO varo_admin', s);"
        "  EXECUTE format('ALTER DEFAULT PRIVILEGES IN SCHEMA %I GRANT USAGE, SELECT ON SEQUENCES TO varo_edit', s);"
        " END $$",
        // Membership of one group at a time; every listening editor is told to ask again.
        // The caller's own rights decide (an owner, or a member of varo_admin for read and edit).
        "CREATE OR REPLACE FUNCTION varo_set_level(grantee text, grp text) RETURNS void LANGUAGE plpgsql AS $$"
        " DECLARE r text;"
        " BEGIN"
        "  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = grantee) THEN"
        "   RAISE EXCEPTION 'role \"%\" does not exist', grantee USING ERRCODE = 'no_data_found';"
        "  END IF;"
        "  FOREACH r IN ARRAY ARRAY['varo_read', 'varo_edit', 'varo_admin'] LOOP"
        "   IF r IS DISTINCT FROM grp AND EXISTS (SELECT FROM pg_auth_members m JOIN pg_roles g ON g.oid = m.roleid"
        "     JOIN pg_roles u ON u.oid = m.member WHERE g.rolname = r AND u.rolname = grantee) THEN"
        "    EXECUTE format('REVOKE %I FROM %I', r, grantee);"
        "   END IF;"
        "  END LOOP;"
        "  IF grp IS NOT NULL THEN EXECUTE format('GRANT %I TO %I', grp, grantee); END IF;"
        "  PERFORM pg_notify('varo_change', 'roles');"
        " END $$",
        "SELECT varo_grant_roles()",
    };
}

// Change reports that name what changed, recorded by the store itself so that a change made
// by any program (the sqlite3 shell and psql included) is told. A template's rows name the
// template as changed. PostgreSQL carries the names in the notification: the album, then a
// line a name, each led by '+' (added), '~' (changed) or '-' (removed); the album alone when
// that would be too long for a notification or a name holds a line break. SQLite keeps the
// last change of each name in a log its readers read from where they last stopped.
std::vector<std::string> named_changes(Dialect dialect) {
    std::vector<std::string> out;
    if (dialect == Dialect::PostgreSQL) {
        out.push_back(
            "CREATE OR REPLACE FUNCTION varo_notify_rows() RETURNS trigger LANGUAGE plpgsql AS $$"
            " DECLARE items text; broken boolean; col text := quote_ident(TG_ARGV[1]);"
            " added_kind text := CASE WHEN TG_ARGV[2] = 'parts' THEN '~' ELSE '+' END;"
            " removed_kind text := CASE WHEN TG_ARGV[2] = 'parts' THEN '~' ELSE '-' END;"
            " BEGIN"
            " IF TG_OP = 'INSERT' THEN"
            "  EXECUTE 'SELECT string_agg($1 || n, E''\n''), bool_or(strpos(n, E''\n'') > 0)"
            " FROM (SELECT DISTINCT ' || col || ' AS n FROM added) a' INTO items, broken USING added_kind;"
            " ELSIF TG_OP = 'DELETE' THEN"
            "  EXECUTE 'SELECT string_agg($1 || n, E''\n''), bool_or(strpos(n, E''\n'') > 0)"
            " FROM (SELECT DISTINCT ' || col || ' AS n FROM removed) r' INTO items, broken USING removed_kind;"
            " ELSE"
            "  EXECUTE 'SELECT string_agg(CASE WHEN r.n IS NULL THEN $1 WHEN a.n IS NULL THEN $2 ELSE ''~'' END"
            " || coalesce(a.n, r.n), E''\n''), bool_or(strpos(coalesce(a.n, r.n), E''\n'') > 0)"
            " FROM (SELECT DISTINCT ' || col || ' AS n FROM added) a"
            " FULL JOIN (SELECT DISTINCT ' || col || ' AS n FROM removed) r ON a.n = r.n'"
            "  INTO items, broken USING added_kind, removed_kind;"
            " END IF;"
            " IF items IS NULL THEN RETURN NULL; END IF;"
            " IF broken OR octet_length(items) > 7000 THEN PERFORM pg_notify('varo_change', TG_ARGV[0]);"
            " ELSE PERFORM pg_notify('varo_change', TG_ARGV[0] || E'\n' || items); END IF;"
            " RETURN NULL; END $$");
        for (const auto& [table, album] : notified_tables()) {
            const std::string t = table, a = album_name(album);
            const bool part = t != "templates" && album == Album::Templates;
            const std::string args = "'" + a + "', '" + (part ? "template" : "name") + "', '" + (part ? "parts" : "rows") + "'";
            out.push_back("DROP TRIGGER IF EXISTS " + t + "_changed ON " + t);
            const struct {
                const char *event, *tables;
            } events[] = {{"INSERT", "NEW TABLE AS added"},
                          {"DELETE", "OLD TABLE AS removed"},
                          {"UPDATE", "NEW TABLE AS added OLD TABLE AS removed"}};
            for (const auto& e : events) {
                const std::string name = t + "_" + e.event + "_told";
                out.push_back("DROP TRIGGER IF EXISTS " + name + " ON " + t);
                out.push_back("CREATE TRIGGER " + name + " AFTER " + e.event + " ON " + t + " REFERENCING " + e.tables +
                              " FOR EACH STATEMENT EXECUTE FUNCTION varo_notify_rows(" + args + ")");
            }
        }
        return out;
    }
    // A write of this program marks the log's last entry when it begins (and unmarks it before
    // its commit), so that a template's thousands of rows log it once a write; anyone else's
    // write logs every row.
    out.push_back("CREATE TABLE IF NOT EXISTS change_mark (began INTEGER NOT NULL)");
    out.push_back("DELETE FROM change_mark");
    out.push_back(std::string("INSERT INTO change_mark (began) VALUES (") + kUnmarked + ")");
    out.push_back("CREATE TABLE IF NOT EXISTS change_log ("
                  " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                  " album TEXT NOT NULL,"
                  " name TEXT NOT NULL,"
                  " kind TEXT NOT NULL,"
                  " UNIQUE (album, name))");
    for (const auto& [table, album] : notified_tables()) {
        const std::string t = table, a = "'" + std::string(album_name(album)) + "'";
        const bool part = t != "templates" && album == Album::Templates;
        // Not INSERT OR REPLACE: the statement that fires a trigger overrides its conflict
        // handling (an import's upsert would refuse the second entry of a name).
        auto log = [&](const std::string& row, const std::string& kind) {
            return "DELETE FROM change_log WHERE album = " + a + " AND name = " + row +
                   "; INSERT INTO change_log (album, name, kind) VALUES (" + a + ", " + row + ", " + kind + ");";
        };
        if (part) {
            for (const char* event : {"INSERT", "UPDATE", "DELETE"}) {
                const std::string name = t + "_" + event + "_told";
                const std::string body = std::string(event) == "INSERT" ? log("NEW.template", "'~'")
                                         : std::string(event) == "DELETE"
                                             ? log("OLD.template", "'~'")
                                             : log("OLD.template", "'~'") + " " + log("NEW.template", "'~'");
                const std::string key = std::string(event) == "INSERT" ? "NEW.template" : "OLD.template";
                out.push_back("DROP TRIGGER IF EXISTS " + name);
                out.push_back("CREATE TRIGGER " + name + " AFTER " + event + " ON " + t +
                              " WHEN coalesce((SELECT id FROM change_log WHERE album = " + a + " AND name = " + key +
                              "), 0) <= (SELECT began FROM change_mark) BEGIN " + body + " END");
            }
            continue;
        }
        const struct {
            const char* event;
            std::string body;
        } events[] = {{"INSERT", log("NEW.name", "'+'")},
                      {"DELETE", log("OLD.name", "'-'")},
                      {"UPDATE", "DELETE FROM change_log WHERE album = " + a + " AND name = OLD.name" +
                                     " AND OLD.name IS NOT NEW.name; INSERT INTO change_log (album, name, kind) SELECT " +
                                     a + ", OLD.name, '-' WHERE OLD.name IS NOT NEW.name; " +
                                     log("NEW.name", "CASE WHEN OLD.name IS NEW.name THEN '~' ELSE '+' END")}};
        for (const auto& e : events) {
            const std::string name = t + "_" + e.event + "_told";
            out.push_back("DROP TRIGGER IF EXISTS " + name);
            out.push_back("CREATE TRIGGER " + name + " AFTER " + e.event + " ON " + t + " BEGIN " + e.body + " END");
        }
    }
    return out;
}

// Every version of each template, and every change of a severity, poll rate or condition.
// A version is its definition as the exchange file writes a template; a deletion has none.
// The templates already stored start their history (history::record_existing).
std::vector<std::string> history_tables(Dialect dialect) {
    const bool pg = dialect == Dialect::PostgreSQL;
    return {
        "CREATE TABLE IF NOT EXISTS template_versions ("
        " template TEXT NOT NULL,"
        " version " + std::string(pg ? "BIGINT" : "INTEGER") + " NOT NULL,"
        " kind TEXT NOT NULL CHECK (kind IN ('save', 'copy', 'overwrite', 'import', 'restore', 'delete', 'existing')),"
        " author TEXT NOT NULL,"
        " host TEXT NOT NULL,"
        " at TEXT NOT NULL,"
        " definition TEXT CHECK ((definition IS NULL) = (kind = 'delete')),"
        " PRIMARY KEY (template, version))",
        "CREATE TABLE IF NOT EXISTS activity ("
        " id " + std::string(pg ? "BIGINT GENERATED ALWAYS AS IDENTITY" : "INTEGER") + " PRIMARY KEY,"
        " album TEXT NOT NULL CHECK (album IN ('severity', 'poll rate', 'condition')),"
        " name TEXT NOT NULL,"
        " action TEXT NOT NULL CHECK (action IN ('added', 'changed', 'deleted')),"
        " before TEXT,"
        " after TEXT,"
        " author TEXT NOT NULL,"
        " host TEXT NOT NULL,"
        " at TEXT NOT NULL)",
    };
}

// A save that changes every state removes them all, and the trigger that removes what named
// them looked for the transitions without an index: on a large template the server could
// take a second or more for it. Saves that change a few rows add few, so the indexes cost
// little there.
std::vector<std::string> removed_state_lookups(Dialect dialect) {
    if (dialect != Dialect::PostgreSQL) return {};
    return {"CREATE INDEX IF NOT EXISTS transitions_from ON transitions (template, from_state)",
            "CREATE INDEX IF NOT EXISTS transitions_to ON transitions (template, to_state)"};
}

// On a shared store a history row's author is the session's role: a member of varo_edit, who
// may add to the history, cannot write another's name into it. Administrators are trusted, so
// an import may carry the authors of the store it came from.
std::vector<std::string> stamped_authors(Dialect dialect) {
    if (dialect != Dialect::PostgreSQL) return {};
    std::vector<std::string> out = {
        "CREATE OR REPLACE FUNCTION varo_stamp_author() RETURNS trigger LANGUAGE plpgsql AS $$"
        " BEGIN"
        "  IF NOT pg_has_role(session_user, 'varo_admin', 'MEMBER') THEN NEW.author := session_user; END IF;"
        "  RETURN NEW;"
        " END $$"};
    for (const char* table : {"template_versions", "activity"})
        out.push_back(std::string("CREATE OR REPLACE TRIGGER ") + table + "_author BEFORE INSERT OR UPDATE ON " +
                      table + " FOR EACH ROW EXECUTE FUNCTION varo_stamp_author()");
    return out;
}

const std::vector<Migration>& migrations() {
    static const std::vector<Migration> list = {
        {1, version1, seed1},          {2, state_positions, nullptr}, {3, bulk_saves, nullptr},
        {4, set_checks, nullptr},      {5, used_severities, nullptr}, {kRolesVersion, roles, nullptr},
        {7, named_changes, nullptr},
        {8, history_tables, history::record_existing}, {9, removed_state_lookups, nullptr},
        {10, stamped_authors, nullptr}};
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

int apply(Db& db, int up_to) {
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
        if (*current >= up_to && *current <= kLatestVersion) return *current;
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
            if (m.version <= version || m.version > up_to) continue;
            for (const std::string& sql : m.statements(db.dialect())) db.exec(sql);
            if (m.seed) m.seed(db);
            db.exec("DELETE FROM schema_version");
            db.exec("INSERT INTO schema_version (version) VALUES (?)", {std::int64_t{m.version}});
            version = m.version;
        }
        // Tables the migrations just made get the roles' grants too.
        if (db.dialect() == Dialect::PostgreSQL && version >= kRolesVersion) db.exec("SELECT varo_grant_roles()");
        return version;
    });
}

}  // namespace varo::schema
