// The database layer over libpq: one connection that runs the statements and listens for
// the change notifications the database's own triggers raise.
#include <libpq-fe.h>

#include <strings.h>

#include <cstdlib>
#include <optional>
#include <memory>
#include <string>
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

bool starts_with_select(const std::string& sql) {
    std::size_t i = sql.find_first_not_of(" \t\r\n(");
    return i != std::string::npos && strncasecmp(sql.c_str() + i, "SELECT", 6) == 0;
}

class PgDb final : public Db {
public:
    explicit PgDb(ConnPtr conn) : conn_(std::move(conn)) {
        describe_ = "postgresql:host=" + std::string(PQhost(conn_.get())) + " port=" + PQport(conn_.get()) +
                    " dbname=" + PQdb(conn_.get());
        // Quiet the server's NOTICE chatter (IF NOT EXISTS and the like) on stderr.
        PQsetNoticeProcessor(conn_.get(), [](void*, const char*) {}, nullptr);
        run("SET client_min_messages = warning", {});
        // A lock another session holds (an idle transaction left open in psql, say) refuses
        // the one statement after the same wait as SQLite's busy timeout, instead of hanging.
        run("SET lock_timeout = 5000", {});
        run("LISTEN varo_change", {});
    }

    Dialect dialect() const override { return Dialect::PostgreSQL; }
    std::string describe() const override { return describe_; }

    void exec(const std::string& sql, const Params& params) override { run(sql, params); }

    Rows query(const std::string& sql, const Params& params) override {
        ResultPtr res = run(sql, params);
        Rows rows;
        int nrows = PQntuples(res.get()), ncols = PQnfields(res.get());
        rows.reserve(static_cast<std::size_t>(nrows));
        std::vector<bool> integral(static_cast<std::size_t>(ncols));
        for (int c = 0; c < ncols; ++c) {
            Oid t = PQftype(res.get(), c);
            integral[static_cast<std::size_t>(c)] =
                t == kInt8Oid || t == kInt4Oid || t == kInt2Oid || t == kOidOid || t == kBoolOid;
        }
        for (int r = 0; r < nrows; ++r) {
            Row row;
            row.columns.reserve(static_cast<std::size_t>(ncols));
            for (int c = 0; c < ncols; ++c) {
                if (PQgetisnull(res.get(), r, c)) {
                    row.columns.emplace_back(nullptr);
                    continue;
                }
                const char* v = PQgetvalue(res.get(), r, c);
                if (!integral[static_cast<std::size_t>(c)])
                    row.columns.emplace_back(std::string(v, static_cast<std::size_t>(PQgetlength(res.get(), r, c))));
                else if (PQftype(res.get(), c) == kBoolOid)
                    row.columns.emplace_back(std::int64_t{v[0] == 't' ? 1 : 0});
                else
                    row.columns.emplace_back(std::int64_t{std::strtoll(v, nullptr, 10)});
            }
            rows.push_back(std::move(row));
        }
        return rows;
    }

    void begin() override {
        // Repeatable read: one snapshot for the whole write, and a row another client changed
        // since it was taken refuses the change (run again, it then sees the other's version).
        // A check that must not be overtaken rests on a row both writers change (a template's
        // version) or on a constraint (names, conditions in use, running templates), never on
        // the isolation level: serializable would also refuse writers of unrelated objects
        // whose rows merely share a page.
        run("BEGIN ISOLATION LEVEL REPEATABLE READ", {});
        in_transaction_ = true;
    }

    void commit() override {
        ResultPtr res = run("COMMIT", {});
        in_transaction_ = false;
        // COMMIT of a transaction that already failed answers ROLLBACK instead of an error.
        if (std::string(PQcmdStatus(res.get())) == "ROLLBACK")
            throw StoreError(StoreError::Conflict, "The change was rolled back by the server");
    }

    void rollback() noexcept override {
        if (!in_transaction_) return;
        in_transaction_ = false;
        if (PQstatus(conn_.get()) != CONNECTION_OK) return;
        PQclear(PQexec(conn_.get(), "ROLLBACK"));
    }

    bool retryable(const StoreError&) const override { return last_retryable_; }

    std::optional<std::string> denied_role() const override {
        if (!denied_) return std::nullopt;
        return std::string(PQuser(conn_.get()));
    }

    int notification_fd() const override { return PQsocket(conn_.get()); }

    ChangeReport take_changes() override {
        ChangeReport report;
        PGconn* c = conn_.get();
        // Reads only what has already arrived: never waits for the server.
        if (PQstatus(c) != CONNECTION_OK || !PQconsumeInput(c) || PQstatus(c) != CONNECTION_OK) {
            report.disconnected = true;
            return report;
        }
        while (PGnotify* n = PQnotifies(c)) {
            std::string album = n->extra ? n->extra : "";
            PQfreemem(n);
            if (album == album_name(Album::Templates)) report.templates = true;
            else if (album == album_name(Album::Severities)) report.severities = true;
            else if (album == album_name(Album::PollRates)) report.poll_rates = true;
            else if (album == album_name(Album::Conditions)) report.conditions = true;
        }
        return report;
    }

private:
    ResultPtr run(const std::string& sql, const Params& params) {
        last_retryable_ = false;
        denied_ = false;
        PGconn* c = conn_.get();
        if (PQstatus(c) != CONNECTION_OK)
            throw StoreError(StoreError::Unavailable, "The connection to the store is lost");
        NumberedSql numbered = number_placeholders(sql);
        if (numbered.count != params.size())
            throw StoreError(StoreError::Corrupt, "Statement takes " + std::to_string(numbered.count) +
                                                      " values, given " + std::to_string(params.size()));
        std::vector<std::string> texts(params.size());
        std::vector<const char*> values(params.size(), nullptr);
        std::vector<Oid> types(params.size(), 0);  // 0: the server infers from the context
        for (std::size_t i = 0; i < params.size(); ++i) {
            if (const auto* n = std::get_if<std::int64_t>(&params[i])) {
                texts[i] = std::to_string(*n);
                types[i] = kInt8Oid;
                values[i] = texts[i].c_str();
            } else if (const auto* s = std::get_if<std::string>(&params[i])) {
                // Text goes over as a C string: a NUL inside would cut it short unnoticed.
                if (s->find('\0') != std::string::npos)
                    throw StoreError(StoreError::Invalid, "A text holding a NUL byte cannot be stored");
                values[i] = s->c_str();
            }
        }
        ResultPtr res(PQexecParams(c, numbered.text.c_str(), static_cast<int>(params.size()), types.data(),
                                   values.data(), nullptr, nullptr, 0));
        ExecStatusType status = res ? PQresultStatus(res.get()) : PGRES_FATAL_ERROR;
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return res;
        fail(res.get(), sql);
    }

    [[noreturn]] void fail(const PGresult* res, const std::string& sql) {
        PGconn* c = conn_.get();
        const char* state = res ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
        std::string text = trimmed(res ? PQresultErrorField(res, PG_DIAG_MESSAGE_PRIMARY) : nullptr);
        if (text.empty()) text = trimmed(PQerrorMessage(c));
        if (PQstatus(c) != CONNECTION_OK || !state)
            throw StoreError(StoreError::Unavailable, "The connection to the store is lost: " + text);
        last_retryable_ = in_transaction_ && is_retryable_sqlstate(state);
        denied_ = std::string(state) == "42501";
        if (denied_) {
            // The server names its table; the user knows what the statement was for.
            text = "role " + std::string(PQuser(c)) + " may not " + (starts_with_select(sql) ? "read" : "change") +
                   " the store";
        } else if (is_retryable_sqlstate(state)) {
            text = "the store is busy with other clients' changes: try again";
        } else if (std::string(state) == "55P03") {
            text = "the store is busy (another session holds a lock): " + text;
        }
        throw StoreError(kind_for_sqlstate(state, sql), text);
    }

    ConnPtr conn_;
    std::string describe_;
    bool in_transaction_ = false;
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
