// PostgreSQL for tests: a database of its own per test on the throwaway server the test
// command started (VARO_TEST_PG), and a private server for the tests that stop one.
#ifndef TARNWRIGHT_TESTS_PG_SERVER_H
#define TARNWRIGHT_TESTS_PG_SERVER_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// Skips the test without PostgreSQL, or fails it when PostgreSQL is required (CI).
#define REQUIRE_POSTGRES()                                                         \
    do {                                                                           \
        if (!testenv::postgres_available()) {                                      \
            if (testenv::postgres_required()) FAIL() << "VARO_TEST_PG is not set"; \
            GTEST_SKIP() << "no PostgreSQL (VARO_TEST_PG) in this environment";    \
        }                                                                          \
    } while (0)

namespace testenv {

// The test server's maintenance connection string (VARO_TEST_PG, set by the test command's
// throwaway server), and whether its absence is a failure (VARO_REQUIRE_PG=1, as in CI).
inline std::string env_conninfo() { return std::getenv("VARO_TEST_PG") ? std::getenv("VARO_TEST_PG") : ""; }
inline bool postgres_available() { return !env_conninfo().empty(); }
inline bool postgres_required() { return std::getenv("VARO_REQUIRE_PG") && std::string(std::getenv("VARO_REQUIRE_PG")) == "1"; }

// The value of key in a libpq key=value string ("" when absent).
inline std::string conninfo_setting(const std::string& conninfo, const std::string& key) {
    std::size_t at = conninfo.find(key + "=");
    return at == std::string::npos ? "" : conninfo.substr(at + key.size() + 1, conninfo.find(' ', at) - at - key.size() - 1);
}

// Runs one statement on the server's maintenance connection and returns the first column
// of the first row ("" when none). Fails the test on an error.
std::string pg_admin(const std::string& conninfo, const std::string& sql, const std::string& param = "");

// A fresh, empty database on VARO_TEST_PG, dropped (with its clients) when destroyed.
class ScratchPgDatabase {
public:
    ScratchPgDatabase();
    ~ScratchPgDatabase();
    ScratchPgDatabase(const ScratchPgDatabase&) = delete;
    ScratchPgDatabase& operator=(const ScratchPgDatabase&) = delete;

    const std::string& name() const { return name_; }
    const std::string& conninfo() const { return conninfo_; }  // a libpq key=value string
    // Ends every other session on this database, as an administrator would.
    int terminate_clients() const;

private:
    std::string admin_, name_, conninfo_;
};

// A login role in each group of the store made in db (varo_read, varo_edit, varo_admin), named
// after the database; dropped when destroyed.
class GroupRoles {
public:
    explicit GroupRoles(const ScratchPgDatabase& db);
    ~GroupRoles();
    GroupRoles(const GroupRoles&) = delete;
    GroupRoles& operator=(const GroupRoles&) = delete;

    std::string role(const std::string& group) const { return db_.name() + "_" + group; }  // "read", "edit", "admin"
    std::string address(const std::string& group) const { return "pg:" + db_.conninfo() + " user=" + role(group); }

private:
    const ScratchPgDatabase& db_;
};

// A server of its own, in a temporary folder, for tests that stop or restart it.
class PrivatePgServer {
public:
    PrivatePgServer();  // started; conninfo() empty when it could not be
    ~PrivatePgServer();
    PrivatePgServer(const PrivatePgServer&) = delete;
    PrivatePgServer& operator=(const PrivatePgServer&) = delete;

    const std::string& conninfo() const { return conninfo_; }
    void stop();   // fast shutdown: sessions are told and closed
    void start();  // again, on the same port

private:
    std::string dir_, conninfo_;
};

}  // namespace testenv

#endif
