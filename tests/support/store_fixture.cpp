// Fresh stores per test on SQLite and PostgreSQL.
#include "support/store_fixture.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "support/test_environment.h"

namespace testenv {

namespace {
struct PgCloser {
    void operator()(PGconn* c) const { PQfinish(c); }
};
struct PgClearer {
    void operator()(PGresult* r) const { PQclear(r); }
};

// Runs a statement on the maintenance database named by VARO_TEST_PG.
void pg_admin(const std::string& statement_with_identifier, const std::string& identifier) {
    std::unique_ptr<PGconn, PgCloser> conn(PQconnectdb(std::getenv("VARO_TEST_PG")));
    if (PQstatus(conn.get()) != CONNECTION_OK)
        throw std::runtime_error(std::string("cannot reach the test PostgreSQL server: ") + PQerrorMessage(conn.get()));
    // Identifiers cannot be bound: the generated name goes through libpq's own quoting.
    char* quoted = PQescapeIdentifier(conn.get(), identifier.c_str(), identifier.size());
    if (!quoted) throw std::runtime_error(PQerrorMessage(conn.get()));
    std::string sql = statement_with_identifier;
    sql.replace(sql.find("%I"), 2, quoted);
    PQfreemem(quoted);
    std::unique_ptr<PGresult, PgClearer> res(PQexec(conn.get(), sql.c_str()));
    if (PQresultStatus(res.get()) != PGRES_COMMAND_OK)
        throw std::runtime_error(sql + ": " + PQerrorMessage(conn.get()));
}

std::atomic<int> counter{0};
}  // namespace

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "varo-test.XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

StoreLocation::StoreLocation(Backend backend) : backend_(backend) {
    if (backend == Backend::SQLite) {
        std::string pattern = (std::filesystem::temp_directory_path() / "varo-store.XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        dir_ = pattern;
        address_ = "sqlite:" + dir_ + "/varo.db";
    } else {
        dbname_ = "varo_test_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
        pg_admin("CREATE DATABASE %I", dbname_);
        address_ = std::string("pg:") + std::getenv("VARO_TEST_PG") + " dbname=" + dbname_;
    }
}

StoreLocation::~StoreLocation() {
    try {
        if (backend_ == Backend::SQLite) {
            std::error_code ec;
            std::filesystem::remove_all(dir_, ec);
        } else {
            pg_admin("DROP DATABASE IF EXISTS %I WITH (FORCE)", dbname_);
        }
    } catch (const std::exception&) {
        // A test server already gone takes its databases with it.
    }
}

void StoreTest::SetUp() {
    if (GetParam() == Backend::PostgreSQL && !postgres_available()) {
        if (postgres_required()) FAIL() << "VARO_REQUIRE_PG=1 but VARO_TEST_PG names no PostgreSQL server";
        GTEST_SKIP() << "no PostgreSQL server (set VARO_TEST_PG)";
    }
    location = std::make_unique<StoreLocation>(GetParam());
    store = location->open();
}

void StoreTest::TearDown() {
    store.reset();
    location.reset();
}

void PrintTo(Backend backend, std::ostream* out) { *out << (backend == Backend::SQLite ? "SQLite" : "PostgreSQL"); }

std::string backend_label(const ::testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL";
}

varo::TemplateDef sample_template(const std::string& name, int states) {
    varo::TemplateDef def;
    def.name = name;
    def.descr = "Watches one interface";
    const char* severities[] = {"Normal", "Minor", "Major", "Critical"};
    for (int i = 0; i < states; ++i)
        def.states.push_back({i == 0 ? "Ground" : "S" + std::to_string(i), "state " + std::to_string(i),
                              severities[i % 4], i % 2 ? "Poll" : "default_rate"});
    for (int i = 0; i + 1 < states; ++i) {
        varo::Transition t{def.states[i].name, def.states[i + 1].name, i % 2 ? "HighErrors" : "LinkDown", {}};
        t.actions.push_back({"COMMAND", "\"/usr/bin/logger\"", "\"state " + std::to_string(i + 1) + "\""});
        if (i % 3 == 0) t.actions.push_back({"MAIL", "\"ops@example.org\"", "\"went down\""});
        if (i % 5 == 4) t.actions.push_back({"CONDITION", "LinkDown", ""});
        def.transitions.push_back(t);
    }
    return def;
}

}  // namespace testenv
