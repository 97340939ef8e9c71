// See pg_server.h.
#include "support/pg_server.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <sstream>

namespace testenv {

namespace {

struct ConnCloser {
    void operator()(PGconn* c) const { PQfinish(c); }
};
struct ResultClearer {
    void operator()(PGresult* r) const { PQclear(r); }
};

// Runs a bash script with the throwaway-server functions loaded; returns its output.
std::string run_script(const std::string& script, bool* ok) {
    std::string full = ". \"$TW_PG_SCRIPT\" && " + script;
    setenv("TW_PG_SCRIPT", (std::string(TEST_SOURCE_DIR) + "/../scripts/pg-throwaway.sh").c_str(), 1);
    setenv("TW_PG_CMD", full.c_str(), 1);
    FILE* p = popen("bash -c \"$TW_PG_CMD\"", "r");
    std::string out;
    if (!p) {
        *ok = false;
        return out;
    }
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    *ok = pclose(p) == 0;
    return out;
}

}  // namespace

std::string pg_admin(const std::string& conninfo, const std::string& sql, const std::string& param) {
    std::unique_ptr<PGconn, ConnCloser> conn(PQconnectdb(conninfo.c_str()));
    if (PQstatus(conn.get()) != CONNECTION_OK) {
        ADD_FAILURE() << "cannot reach the test server: " << PQerrorMessage(conn.get());
        return "";
    }
    const char* values[1] = {param.c_str()};
    std::unique_ptr<PGresult, ResultClearer> res(
        PQexecParams(conn.get(), sql.c_str(), param.empty() ? 0 : 1, nullptr, values, nullptr, nullptr, 0));
    ExecStatusType st = PQresultStatus(res.get());
    if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) {
        ADD_FAILURE() << sql << ": " << PQresultErrorMessage(res.get());
        return "";
    }
    if (st == PGRES_TUPLES_OK && PQntuples(res.get()) > 0 && PQnfields(res.get()) > 0)
        return PQgetvalue(res.get(), 0, 0);
    return "";
}

ScratchPgDatabase::ScratchPgDatabase() : admin_(env_conninfo()) {
    static std::atomic<int> counter{0};
    std::random_device rd;
    // Only letters, digits and '_': the name is safe as an identifier.
    name_ = "varo_t" + std::to_string(getpid()) + "_" + std::to_string(counter++) + "_" + std::to_string(rd() % 100000);
    pg_admin(admin_, "CREATE DATABASE " + name_);
    // A later setting of the same key wins in a libpq key=value string.
    conninfo_ = admin_ + " dbname=" + name_;
}

ScratchPgDatabase::~ScratchPgDatabase() {
    if (!admin_.empty()) pg_admin(admin_, "DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
}

int ScratchPgDatabase::terminate_clients() const {
    std::string n = pg_admin(admin_,
                             "SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity "
                             "WHERE datname = $1 AND pid <> pg_backend_pid()",
                             name_);
    return std::atoi(n.c_str());
}

namespace {
const char* const kGroups[] = {"read", "edit", "admin"};
}

GroupRoles::GroupRoles(const ScratchPgDatabase& db) : db_(db) {
    for (const char* group : kGroups) {
        pg_admin(db_.conninfo(), "CREATE ROLE " + role(group) + " LOGIN");
        pg_admin(db_.conninfo(), "GRANT varo_" + std::string(group) + " TO " + role(group));
    }
}

GroupRoles::~GroupRoles() {
    for (const char* group : kGroups) {
        pg_admin(db_.conninfo(), "DROP OWNED BY " + role(group));
        pg_admin(db_.conninfo(), "DROP ROLE " + role(group));
    }
}

PrivatePgServer::PrivatePgServer() {
    bool ok = false;
    std::string out = run_script("pg_throwaway_start >&2 && echo \"$PG_TMP\" && echo \"$VARO_TEST_PG\"", &ok);
    std::istringstream lines(out);
    std::getline(lines, dir_);
    std::getline(lines, conninfo_);
    if (!ok) conninfo_.clear();
}

namespace {
// pg_ctl on the server in dir, as the user who owns it, with these arguments after -D.
bool pg_ctl(const std::string& dir, const std::string& args) {
    bool ok = false;
    setenv("TW_PG_DIR", dir.c_str(), 1);
    run_script("pg_run_as \"$(stat -c %U \"$TW_PG_DIR\")\" \"$(pg_bin_dir)/pg_ctl\" -D \"$TW_PG_DIR/data\" " + args, &ok);
    return ok;
}
}  // namespace

void PrivatePgServer::stop() { EXPECT_TRUE(pg_ctl(dir_, "-m fast -w stop")) << "could not stop the private server"; }

void PrivatePgServer::start() {
    EXPECT_TRUE(pg_ctl(dir_, "-l \"$TW_PG_DIR/server.log\" -w restart >/dev/null"))
        << "could not start the private server again";
}

PrivatePgServer::~PrivatePgServer() {
    if (!dir_.empty()) pg_ctl(dir_, "-m immediate stop >/dev/null 2>&1; rm -rf \"$TW_PG_DIR\"");
}

}  // namespace testenv
