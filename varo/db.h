// The small database layer under the store: bound-parameter statements, one write
// transaction at a time, and the backend's change feed. The store's logic is written once
// over it; SQLite and PostgreSQL each implement it.
#ifndef TARNWRIGHT_VARO_DB_H
#define TARNWRIGHT_VARO_DB_H

#include <cstdint>
#include <optional>
#include <type_traits>
#include <string>
#include <variant>
#include <vector>

#include "varo/store.h"

namespace varo {

enum class Dialect { SQLite, PostgreSQL };

// A bound parameter or a column value: SQL NULL, an integer or a text.
using Value = std::variant<std::nullptr_t, std::int64_t, std::string>;
using Params = std::vector<Value>;

struct Row {
    std::vector<Value> columns;
    std::int64_t integer(std::size_t i) const;     // NULL reads as 0
    const std::string& text(std::size_t i) const;  // NULL reads as ""
    bool is_null(std::size_t i) const;
};
using Rows = std::vector<Row>;

// One statement of a batch.
struct Statement {
    std::string sql;
    Params params;
    // It writes rows of a template whose own row the same transaction writes, and that row's
    // change report covers them: a backend may leave out the rows' own change triggers.
    bool owner_reports = false;
};

// A column of rows written together: its name, whether it holds integers (else texts), and
// whether it may hold NULL.
struct Column {
    std::string name;
    bool integer = false;
    bool nullable = false;
};

// The statements that replace one owner's rows of a table: `remove` runs before the rows
// that name them are removed, `add` after the rows they name are added.
struct RowsReplacement {
    std::vector<Statement> remove, add;
};

class Db {
public:
    virtual ~Db() = default;
    virtual Dialect dialect() const = 0;
    virtual std::string describe() const = 0;

    // SQL is written with '?' placeholders; a backend that numbers them ($1, $2...)
    // rewrites them. Values are always bound, never pasted into the text.
    virtual void exec(const std::string& sql, const Params& params = {}) = 0;
    virtual Rows query(const std::string& sql, const Params& params = {}) = 0;

    // Runs the statements in order and returns the rows of each. A backend across a network
    // sends them all before it reads the first answer, so a batch costs one round trip
    // whatever its length. The first failure is thrown; the statements after it did nothing.
    virtual std::vector<Rows> batch(const std::vector<Statement>& statements);

    // Statements of the open transaction whose rows nobody reads. A backend across a network
    // may hold them back and send them with the transaction's next statements or its commit,
    // which then throws their failure; by default they run at once.
    virtual void queue(const std::vector<Statement>& statements) { batch(statements); }

    // The statements that insert these rows (each one value a column) into table: by default
    // one a row; one for them all where the backend takes a column's values as one array.
    virtual std::vector<Statement> insert_rows(const std::string& table, const std::vector<Column>& columns,
                                               std::vector<Params> rows) const;

    // The statements that make the rows of table whose column `owner` holds `key` exactly
    // `rows` (each one value a column of `columns`, the owner left out). By default all of
    // them are removed and added anew; a backend may leave alone the rows that stay the same.
    virtual RowsReplacement replace_rows(const std::string& table, const Column& owner, const Value& key,
                                         const std::vector<Column>& columns, std::vector<Params> rows) const;

    // A FROM-clause item yielding one text column named `value`, its rows given by one bound
    // parameter, and that parameter's value for these texts.
    virtual std::string text_list_source() const { return "json_each(?)"; }
    virtual Value text_list(const std::vector<std::string>& texts) const;

    // One write transaction. SQLite takes the write lock at once (BEGIN IMMEDIATE);
    // PostgreSQL runs it on one snapshot (REPEATABLE READ) and refuses it when a row it
    // changes was changed by another client meanwhile; one refused for that is run again.
    // Errors from the server are mapped to StoreError kinds (constraint violations,
    // lost connection -> Unavailable).
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() noexcept = 0;

    // Called once the schema is in place (made, brought up to date or found so).
    virtual void schema_ready() {}

    // A consistent copy of the whole database in file (see Store::backup_to).
    virtual void backup_to(const std::string& file);

    // Whether the failure just thrown inside a transaction was a serialization failure or
    // deadlock, so that running the whole transaction again may succeed.
    virtual bool retryable(const StoreError&) const { return false; }

    // Who the failure just thrown was refused to, when it was refused for want of a right:
    // "role NAME" on a server, "user NAME" for a file that user may not write.
    virtual std::optional<std::string> denied_role() const { return std::nullopt; }

    // What this connection may change (see Store::rights).
    virtual Rights rights() { return {}; }

    // The albums other clients (and, where the backend reports them, this one) changed
    // since the last call, and whether the connection is lost. Never waits.
    virtual ChangeReport take_changes() = 0;
    // A descriptor that turns readable when take_changes may have news; -1 when there is
    // none. Only take_changes reads it.
    virtual int notification_fd() const { return -1; }
};

// A short pause before running an overtaken transaction again, growing with each attempt
// and jittered, so that two writers that collided do not collide again in step.
void retry_pause(int attempt);

// Runs fn inside one write transaction, rolling back on any exception. A transaction the
// server refused only because another one overtook it runs again, a bounded number of times.
template <class Fn>
auto in_transaction(Db& db, Fn&& fn) -> decltype(fn()) {
    constexpr int kAttempts = 8;
    for (int attempt = 1;; ++attempt) {
        db.begin();
        try {
            if constexpr (std::is_void_v<decltype(fn())>) {
                fn();
                db.commit();
                return;
            } else {
                auto result = fn();
                db.commit();
                return result;
            }
        } catch (const StoreError& e) {
            bool again = attempt < kAttempts && db.retryable(e);
            db.rollback();
            if (!again) throw;
            retry_pause(attempt);
        } catch (...) {
            db.rollback();
            throw;
        }
    }
}

}  // namespace varo

#endif
