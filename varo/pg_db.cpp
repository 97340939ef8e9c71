// The database layer over libpq: one connection that runs the statements and listens for
// the change notifications the database's own triggers raise.
#include <libpq-fe.h>

#include <poll.h>
#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "varo/backends.h"
#include "varo/db.h"
#include "varo/pg_support.h"

namespace varo {

namespace {

// Type oids of the results we read as integers and of the parameters we bind.
constexpr Oid kBoolOid = 16, kInt8Oid = 20, kInt2Oid = 21, kInt4Oid = 23, kOidOid = 26;

struct ConnCloser {
    void operator()(PGconn* c) const { PQfinish(c); }
};
struct ResultClearer {
    void operator()(PGresult* r) const { PQclear(r); }
};
using ConnPtr = std::unique_ptr<PGconn, ConnCloser>;
using ResultPtr = std::unique_ptr<PGresult, ResultClearer>;

std::string trimmed(const char* text) {
    std::string s = text ? text : "";
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

bool starts_with(const std::string& sql, const char* word) {
    std::size_t i = sql.find_first_not_of(" \t\r\n(");
    return i != std::string::npos && strncasecmp(sql.c_str() + i, word, std::strlen(word)) == 0;
}

// Every session's settings. A lock another session holds (an idle transaction left open in
// psql, say) refuses the one statement after the same wait as SQLite's busy timeout, instead
// of hanging; the server's NOTICE chatter stays off stderr; and the session hears the changes.
// Each statement is planned for the values it is given: a plan made once for any array would
// take an array of thousands of rows for ten, and compare them pair by pair.
constexpr const char* kSetup[] = {"SET client_min_messages = warning", "SET lock_timeout = 5000",
                                  "SET plan_cache_mode = force_custom_plan", "LISTEN varo_change"};

class PgDb final : public Db {
public:
    explicit PgDb(ConnPtr conn) : conn_(std::move(conn)) {
        describe_ = "postgresql:host=" + std::string(PQhost(conn_.get())) + " port=" + PQport(conn_.get()) +
                    " dbname=" + PQdb(conn_.get());
        // Quiet the server's NOTICE chatter (IF NOT EXISTS and the like) on stderr.
        PQsetNoticeProcessor(conn_.get(), [](void*, const char*) {}, nullptr);
        // A pipeline is sent without blocking, taking in the server's answers while it goes
        // (flush_pipeline): blocked on a full socket each way, client and server would wait
        // for each other.
        if (PQsetnonblocking(conn_.get(), 1) != 0) broken_ = true;
    }

    Dialect dialect() const override { return Dialect::PostgreSQL; }
    std::string describe() const override { return describe_; }

    void exec(const std::string& sql, const Params& params) override { send({Statement{sql, params}}); }

    Rows query(const std::string& sql, const Params& params) override {
        std::vector<ResultPtr> results = send({Statement{sql, params}});
        return rows_of(results.back().get());
    }

    std::vector<Rows> batch(const std::vector<Statement>& statements) override {
        std::vector<ResultPtr> results = send(statements);
        std::vector<Rows> out;
        out.reserve(results.size());
        for (const ResultPtr& r : results) out.push_back(rows_of(r.get()));
        return out;
    }

    // One statement for all the rows: each column's values go over as one array.
    std::vector<Statement> insert_rows(const std::string& table, const std::vector<Column>& columns,
                                       std::vector<Params> rows) const override {
        if (rows.empty()) return {};
        std::string sql = "INSERT INTO " + table + " (";
        for (std::size_t i = 0; i < columns.size(); ++i) sql += (i ? ", " : "") + columns[i].name;
        Params params;
        sql += ") SELECT * FROM " + unnest_of(columns, std::move(rows), params);
        return {{sql, std::move(params)}};
    }

    // Only the rows that differ from the stored ones are removed and added: a save that
    // changes one state of a large template rewrites that state and what names it, not the
    // whole template. Rows are compared whole (EXCEPT takes NULLs as equal); those to remove
    // are then found by the columns that are never NULL, which hold their key.
    RowsReplacement replace_rows(const std::string& table, const Column& owner, const Value& key,
                                 const std::vector<Column>& columns, std::vector<Params> rows) const override {
        std::string list, never_null;
        for (const Column& c : columns) {
            list += (list.empty() ? "" : ", ") + c.name;
            if (!c.nullable) never_null += (never_null.empty() ? "" : ", ") + c.name;
        }
        Params arrays;
        const std::string given = "SELECT * FROM " + unnest_of(columns, std::move(rows), arrays);
        const std::string stored = "SELECT " + list + " FROM " + table + " WHERE " + owner.name + " = ?";
        Params remove = {key, key}, add = {key};
        remove.insert(remove.end(), arrays.begin(), arrays.end());
        add.insert(add.end(), arrays.begin(), arrays.end());
        add.push_back(key);
        return {{{"DELETE FROM " + table + " WHERE " + owner.name + " = ? AND (" + never_null + ") IN (SELECT " +
                      never_null + " FROM (" + stored + " EXCEPT ALL " + given + ") AS changed)",
                  std::move(remove)}},
                {{"INSERT INTO " + table + " (" + owner.name + ", " + list + ") SELECT ?::" + array_type(owner, false) +
                      ", * FROM (" + given + " EXCEPT ALL " + stored + ") AS changed",
                  std::move(add)}}};
    }

    std::string text_list_source() const override { return "unnest(?::text[]) AS l(value)"; }
    Value text_list(const std::vector<std::string>& texts) const override {
        return array_literal(std::vector<Value>(texts.begin(), texts.end()));
    }

    void begin() override {
        // Repeatable read: one snapshot for the whole write, and a row another client changed
        // since it was taken refuses the change (run again, it then sees the other's version).
        // A check that must not be overtaken rests on a row both writers change (a template's
        // version) or on a constraint (names, conditions in use, running templates), never on
        // the isolation level: serializable would also refuse writers of unrelated objects
        // whose rows merely share a page. The BEGIN goes with the transaction's first
        // statements, not on its own.
        begin_owed_ = true;
        in_transaction_ = true;
    }

    // Held until the next statements or the commit: a save's rows go with its commit.
    void queue(const std::vector<Statement>& statements) override {
        queued_.insert(queued_.end(), statements.begin(), statements.end());
    }

    void commit() override {
        if (begin_owed_ && queued_.empty()) {  // nothing was sent: nothing to commit
            begin_owed_ = in_transaction_ = false;
            return;
        }
        std::vector<ResultPtr> res = send({Statement{"COMMIT", {}}});
        in_transaction_ = false;
        // COMMIT of a transaction that already failed answers ROLLBACK instead of an error.
        if (std::string(PQcmdStatus(res.back().get())) == "ROLLBACK")
            throw StoreError(StoreError::Conflict, "The change was rolled back by the server");
    }

    void rollback() noexcept override {
        queued_.clear();
        if (!in_transaction_) return;
        in_transaction_ = false;
        if (begin_owed_) {
            begin_owed_ = false;
            return;
        }
        PGconn* c = conn_.get();
        if (broken_ || PQstatus(c) != CONNECTION_OK) return;
        // Nothing is queued between pipelines: one statement, sent and answered in turn.
        if (PQsetnonblocking(c, 0) != 0) return;
        PQclear(PQexec(c, "ROLLBACK"));
        if (PQsetnonblocking(c, 1) != 0) broken_ = true;
    }

    bool retryable(const StoreError&) const override { return last_retryable_; }

    std::optional<std::string> denied_role() const override {
        if (!denied_) return std::nullopt;
        return "role " + std::string(PQuser(conn_.get()));
    }

    // A right counts when every table it writes takes inserts and deletes (an update is a
    // delete and an insert to the store's saves).
    Rights rights() override {
        Rows rows = query(
            "SELECT current_user::text,"
            " bool_and(has_table_privilege(t, 'INSERT') AND has_table_privilege(t, 'DELETE'))"
            "  FILTER (WHERE t IN ('templates', 'states', 'transitions', 'actions', 'running')),"
            " bool_and(has_table_privilege(t, 'INSERT') AND has_table_privilege(t, 'DELETE'))"
            "  FILTER (WHERE t IN ('severities', 'poll_rates', 'conditions'))"
            " FROM unnest(ARRAY['templates', 'states', 'transitions', 'actions', 'running', 'severities',"
            " 'poll_rates', 'conditions']) AS t",
            {});
        if (rows.empty()) return {};
        return {rows[0].text(0), rows[0].integer(1) != 0, rows[0].integer(2) != 0};
    }

    int notification_fd() const override { return PQsocket(conn_.get()); }

    ChangeReport take_changes() override {
        ChangeReport report;
        PGconn* c = conn_.get();
        if (setup_owed_ && !broken_ && PQstatus(c) == CONNECTION_OK) {
            try {
                send({}, false);  // the LISTEN first
            } catch (const StoreError&) {
                report.disconnected = true;
                return report;
            }
        }
        // Reads only what has already arrived: never waits for the server.
        if (broken_ || PQstatus(c) != CONNECTION_OK || !PQconsumeInput(c) || PQstatus(c) != CONNECTION_OK) {
            report.disconnected = true;
            return report;
        }
        while (PGnotify* n = PQnotifies(c)) {
            std::string payload = n->extra ? n->extra : "";
            PQfreemem(n);
            if (payload == "roles")
                report.rights = true;
            else
                read_payload(payload, report);
        }
        return report;
    }

private:
    static std::string array_type(const Column& c, bool array) {
        return std::string(c.integer ? "bigint" : "text") + (array ? "[]" : "");
    }

    // unnest() of the rows' columns, each column's values added to params as one array.
    static std::string unnest_of(const std::vector<Column>& columns, std::vector<Params> rows, Params& params) {
        std::string arrays;
        std::vector<Value> column;
        column.reserve(rows.size());
        for (std::size_t i = 0; i < columns.size(); ++i) {
            arrays += std::string(i ? ", " : "") + "?::" + array_type(columns[i], true);
            column.clear();
            for (Params& row : rows) column.push_back(std::move(row.at(i)));
            params.emplace_back(array_literal(column));
        }
        return "unnest(" + arrays + ")";
    }

    // The album, then a line a name led by its kind; the album alone: the whole album.
    static void read_payload(const std::string& payload, ChangeReport& report) {
        std::size_t end = payload.find('\n');
        std::optional<Album> album = album_named(payload.substr(0, end));
        if (!album) return;
        if (end == std::string::npos) return report.mark(*album);
        while (end != std::string::npos) {
            std::size_t start = end + 1;
            end = payload.find('\n', start);
            std::string item = payload.substr(start, end == std::string::npos ? std::string::npos : end - start);
            if (item.size() < 2) return report.mark(*album);
            report.mark(*album, item[0], item.substr(1));
        }
    }

    // A statement's placeholders numbered and its values as libpq takes them.
    struct Bound {
        std::string sql;  // as the caller wrote it, for messages
        std::string key;  // numbered text and parameter types: one prepared statement each
        std::string numbered;
        std::vector<std::string> texts;
        std::vector<const char*> values;
        std::vector<Oid> types;
    };

    static Bound bind(const Statement& statement) {
        Bound b;
        b.sql = statement.sql;
        const Params& params = statement.params;
        NumberedSql numbered = number_placeholders(statement.sql);
        if (numbered.count != params.size())
            throw StoreError(StoreError::Corrupt, "Statement takes " + std::to_string(numbered.count) +
                                                      " values, given " + std::to_string(params.size()));
        b.numbered = std::move(numbered.text);
        b.texts.resize(params.size());
        b.values.assign(params.size(), nullptr);
        b.types.assign(params.size(), 0);  // 0: the server infers from the context
        b.key = b.numbered;
        for (std::size_t i = 0; i < params.size(); ++i) {
            if (const auto* n = std::get_if<std::int64_t>(&params[i])) {
                b.texts[i] = std::to_string(*n);
                b.types[i] = kInt8Oid;
                b.values[i] = b.texts[i].c_str();
            } else if (const auto* s = std::get_if<std::string>(&params[i])) {
                // Text goes over as a C string: a NUL inside would cut it short unnoticed.
                if (s->find('\0') != std::string::npos)
                    throw StoreError(StoreError::Invalid, "A text holding a NUL byte cannot be stored");
                b.values[i] = s->c_str();
            }
            b.key += '\x1f' + std::to_string(b.types[i]);
        }
        return b;
    }

    // Sends the statements (after the BEGIN the transaction still owes) in one pipeline, each
    // as a prepared statement (prepared in the same pipeline the first time), and returns
    // their results in order; throws the first failure.
    std::vector<ResultPtr> send(const std::vector<Statement>& statements, bool with_begin_allowed = true) {
        last_retryable_ = false;
        denied_ = false;
        PGconn* c = conn_.get();
        if (broken_ || PQstatus(c) != CONNECTION_OK)
            throw StoreError(StoreError::Unavailable, "The connection to the store is lost");
        // The session's settings go with its first statements, outside any transaction of
        // theirs: a pipeline runs what comes before an explicit BEGIN as a transaction of its own.
        if (setup_owed_ && ((begin_owed_ && with_begin_allowed) ||
                            std::any_of(statements.begin(), statements.end(),
                                        [](const Statement& st) { return starts_with(st.sql, "BEGIN"); })))
            send({}, false);
        std::vector<Bound> bound;
        bound.reserve(statements.size() + 4);
        if (setup_owed_)
            for (const char* sql : kSetup) bound.push_back(bind({sql, {}}));
        bool with_begin = begin_owed_ && with_begin_allowed;
        if (with_begin) bound.push_back(bind({"BEGIN ISOLATION LEVEL REPEATABLE READ", {}}));
        // Bound values point into the statements: the queued ones are kept until sent.
        std::vector<Statement> queued;
        if (with_begin_allowed) {
            queued.swap(queued_);
            for (const Statement& s : queued) bound.push_back(bind(s));
        }
        const std::size_t owed = bound.size();
        for (const Statement& s : statements) bound.push_back(bind(s));

        if (!PQenterPipelineMode(c)) lost("cannot start a pipeline");
        // The name each statement runs as, and whether this pipeline prepares it first.
        std::vector<std::pair<std::string, bool>> names;
        std::unordered_map<std::string, std::string> preparing;
        for (const Bound& b : bound) {
            auto found = prepared_.find(b.key);
            if (found != prepared_.end()) {
                names.emplace_back(found->second, false);
            } else if (auto again = preparing.find(b.key); again != preparing.end()) {
                names.emplace_back(again->second, false);
            } else {
                std::string name = "v" + std::to_string(++statements_named_);
                if (!PQsendPrepare(c, name.c_str(), b.numbered.c_str(), static_cast<int>(b.types.size()),
                                   b.types.data()))
                    lost("cannot send a statement");
                preparing.emplace(b.key, name);
                names.emplace_back(name, true);
            }
            if (!PQsendQueryPrepared(c, names.back().first.c_str(), static_cast<int>(b.values.size()),
                                     b.values.data(), nullptr, nullptr, 0))
                lost("cannot send a statement");
        }
        if (!PQpipelineSync(c)) lost("cannot send a statement");
        flush_pipeline();
        if (with_begin) begin_owed_ = false;

        // One result (then a null) for each prepare and each statement, then the sync.
        std::vector<ResultPtr> results, prepares;
        const PGresult* failed = nullptr;
        const Bound* failed_statement = nullptr;
        for (std::size_t i = 0; i < bound.size(); ++i) {
            const Bound& b = bound[i];
            if (names[i].second) {
                ResultPtr prep = next_result();
                if (PQresultStatus(prep.get()) == PGRES_COMMAND_OK) {
                    prepared_.emplace(b.key, names[i].first);
                } else if (!failed) {
                    failed = prep.get();
                    failed_statement = &b;
                }
                prepares.push_back(std::move(prep));
            }
            ResultPtr res = next_result();
            ExecStatusType status = PQresultStatus(res.get());
            if (!failed && status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
                failed = res.get();
                failed_statement = &b;
            }
            results.push_back(std::move(res));
        }
        PGresult* sync = PQgetResult(c);
        bool synced = sync && PQresultStatus(sync) == PGRES_PIPELINE_SYNC;
        PQclear(sync);
        if (!synced || !PQexitPipelineMode(c)) lost("the answer was cut short");
        // A failure undoes the settings sent with it: they go again with the next statements.
        if (failed) fail(failed, failed_statement->sql);
        setup_owed_ = false;
        results.erase(results.begin(), results.begin() + static_cast<std::ptrdiff_t>(owed));
        return results;
    }

    // Sends what the pipeline queued, reading the server's answers into libpq's buffer
    // whenever it has some, so that neither side's full socket stops the other.
    void flush_pipeline() {
        PGconn* c = conn_.get();
        for (;;) {
            int left = PQflush(c);
            if (left == 0) return;
            if (left < 0) lost("cannot send a statement");
            pollfd fd{PQsocket(c), POLLIN | POLLOUT, 0};
            if (poll(&fd, 1, -1) < 0) {
                if (errno == EINTR) continue;
                lost("cannot send a statement");
            }
            if ((fd.revents & (POLLIN | POLLERR | POLLHUP)) && !PQconsumeInput(c)) lost("cannot send a statement");
        }
    }

    // The next result of a pipeline, and the null that ends it.
    ResultPtr next_result() {
        ResultPtr res(PQgetResult(conn_.get()));
        if (!res) lost("the answer was cut short");
        PGresult* end = PQgetResult(conn_.get());
        if (end) {
            PQclear(end);
            lost("the answer was out of step");
        }
        return res;
    }

    [[noreturn]] void lost(const char* what) {
        std::string text = one_line(PQerrorMessage(conn_.get()));
        broken_ = true;  // out of step with the server: never used again
        throw StoreError(StoreError::Unavailable,
                         "The connection to the store is lost: " + std::string(what) + (text.empty() ? "" : ": " + text));
    }

    static Rows rows_of(const PGresult* res) {
        Rows rows;
        int nrows = PQntuples(res), ncols = PQnfields(res);
        rows.reserve(static_cast<std::size_t>(nrows));
        std::vector<Oid> types(static_cast<std::size_t>(ncols));
        for (int c = 0; c < ncols; ++c) types[static_cast<std::size_t>(c)] = PQftype(res, c);
        for (int r = 0; r < nrows; ++r) {
            Row row;
            row.columns.reserve(static_cast<std::size_t>(ncols));
            for (int c = 0; c < ncols; ++c) {
                if (PQgetisnull(res, r, c)) {
                    row.columns.emplace_back(nullptr);
                    continue;
                }
                const char* v = PQgetvalue(res, r, c);
                Oid t = types[static_cast<std::size_t>(c)];
                if (t == kBoolOid)
                    row.columns.emplace_back(std::int64_t{v[0] == 't' ? 1 : 0});
                else if (t == kInt8Oid || t == kInt4Oid || t == kInt2Oid || t == kOidOid)
                    row.columns.emplace_back(std::int64_t{std::strtoll(v, nullptr, 10)});
                else
                    row.columns.emplace_back(std::string(v, static_cast<std::size_t>(PQgetlength(res, r, c))));
            }
            rows.push_back(std::move(row));
        }
        return rows;
    }

    [[noreturn]] void fail(const PGresult* res, const std::string& sql) {
        PGconn* c = conn_.get();
        const char* state = res ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
        std::string text = trimmed(res ? PQresultErrorField(res, PG_DIAG_MESSAGE_PRIMARY) : nullptr);
        if (text.empty()) text = one_line(PQerrorMessage(c));
        if (PQstatus(c) != CONNECTION_OK || !state)
            throw StoreError(StoreError::Unavailable, "The connection to the store is lost: " + text);
        last_retryable_ = in_transaction_ && is_retryable_sqlstate(state);
        denied_ = std::string(state) == "42501";
        if (denied_) {
            // The server names its table; the user knows what the statement was for.
            text = "role " + std::string(PQuser(c)) + " may not " +
                   (starts_with(sql, "SELECT") ? "read the store (that takes varo_read)" : "change the store");
        } else if (is_retryable_sqlstate(state)) {
            text = "the store is busy with other clients' changes: try again";
        } else if (std::string(state) == "55P03") {
            text = "the store is busy (another session holds a lock): " + text;
        }
        throw StoreError(kind_for_sqlstate(state, sql), text);
    }

    ConnPtr conn_;
    std::string describe_;
    std::unordered_map<std::string, std::string> prepared_;  // statement key -> prepared name
    std::vector<Statement> queued_;  // sent with the transaction's next statements
    int statements_named_ = 0;
    bool broken_ = false;
    bool in_transaction_ = false;
    bool begin_owed_ = false;  // begun, but its BEGIN goes with the first statement
    bool setup_owed_ = true;   // the session's settings go with its first statements
    bool last_retryable_ = false;
    bool denied_ = false;  // the last statement was refused for want of a privilege
};

}  // namespace

std::unique_ptr<Db> open_pg_db(const std::string& conninfo) {
    Settings settings = connection_settings(conninfo);
    std::vector<const char*> keys, values;
    for (const auto& kv : settings) {
        keys.push_back(kv.first.c_str());
        values.push_back(kv.second.c_str());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    ConnPtr conn(PQconnectdbParams(keys.data(), values.data(), 0));
    if (!conn) throw StoreError(StoreError::Unavailable, "Cannot reach the store: out of memory");
    if (PQstatus(conn.get()) != CONNECTION_OK)
        throw StoreError(StoreError::Unavailable, "Cannot reach the store: " + one_line(PQerrorMessage(conn.get())));
    return std::make_unique<PgDb>(std::move(conn));
}

}  // namespace varo
