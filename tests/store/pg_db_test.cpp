// The PostgreSQL database layer against a real server: transactions that fail or are
// overtaken, the connection's own settings, and a lost connection.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

#include "support/pg_server.h"
#include "support/store_fixture.h"
#include "varo/backends.h"

namespace {

using varo::ChangeReport;
using varo::Db;
using varo::StoreError;

using testenv::refusal;

// Polls the way the editor's idle loop does, until something is reported or time is up.
ChangeReport poll_until_reported(Db& db) {
    ChangeReport r;
    testenv::poll_until(5, 10, [&] { return (r = db.take_changes()).any() || r.disconnected; });
    return r;
}

void make_tables(Db& db) {
    db.exec("CREATE TABLE conds (name text PRIMARY KEY, code text NOT NULL CHECK (length(code) > 0))");
    db.exec("CREATE TABLE uses (id bigint PRIMARY KEY, cond text NOT NULL REFERENCES conds(name), note text)");
}

TEST(PgDb, AFailedTransactionLeavesNothingAndIsNotReportedAsDone) {
    REQUIRE_POSTGRES();
    testenv::ScratchPgDatabase scratch;
    auto db = varo::open_pg_db(scratch.conninfo());
    make_tables(*db);
    db->exec("INSERT INTO conds VALUES ('a', 'x')");

    EXPECT_EQ(refusal([&] {
                  varo::in_transaction(*db, [&] {
                      db->exec("INSERT INTO conds VALUES ('b', 'x')");
                      db->exec("INSERT INTO conds VALUES ('a', 'x')");
                  });
              }),
              StoreError::Exists);
    EXPECT_EQ(db->query("SELECT count(*) FROM conds")[0].integer(0), 1);

    // A failure swallowed inside the transaction still may not commit: the server dropped it.
    EXPECT_EQ(refusal([&] {
                  varo::in_transaction(*db, [&] {
                      db->exec("INSERT INTO conds VALUES ('c', 'x')");
                      try {
                          db->exec("INSERT INTO conds VALUES ('a', 'x')");
                      } catch (const StoreError&) {
                      }
                  });
              }),
              StoreError::Conflict);
    EXPECT_EQ(db->query("SELECT count(*) FROM conds")[0].integer(0), 1);

    // The connection is usable afterwards.
    varo::in_transaction(*db, [&] { db->exec("INSERT INTO conds VALUES ('d', 'x')"); });
    EXPECT_EQ(db->query("SELECT count(*) FROM conds")[0].integer(0), 2);
}

TEST(PgDb, ATransactionOvertakenByAnotherRunsAgainOnFreshData) {
    REQUIRE_POSTGRES();
    testenv::ScratchPgDatabase scratch;
    auto a = varo::open_pg_db(scratch.conninfo());
    auto b = varo::open_pg_db(scratch.conninfo());
    make_tables(*a);
    a->exec("INSERT INTO conds VALUES ('a', 'x')");

    // a decides from what it read; b changes that under it and commits first.
    int attempts = 0;
    std::string seen;
    varo::in_transaction(*a, [&] {
        ++attempts;
        seen = a->query("SELECT code FROM conds WHERE name = 'a'")[0].text(0);
        if (attempts == 1) b->exec("UPDATE conds SET code = 'y' WHERE name = 'a'");
        a->exec("UPDATE conds SET code = ? WHERE name = 'a'", {seen + "z"});
    });
    EXPECT_EQ(attempts, 2);
    EXPECT_EQ(a->query("SELECT code FROM conds WHERE name = 'a'")[0].text(0), "yz");
}

int socket_option(int fd, int level, int name) {
    int value = -1;
    socklen_t len = sizeof value;
    return getsockopt(fd, level, name, &value, &len) == 0 ? value : -1;
}

TEST(PgDb, ConnectionWatchesForASilentPeerAndNamesItself) {
    REQUIRE_POSTGRES();
    testenv::ScratchPgDatabase scratch;
    auto db = varo::open_pg_db(scratch.conninfo());
    const int port = std::stoi(testenv::conninfo_setting(scratch.conninfo(), "port"));

    // The process's one TCP connection to the server.
    int found = -1;
    for (int fd = 0; fd < 1024 && found < 0; ++fd) {
        sockaddr_in peer{};
        socklen_t len = sizeof peer;
        if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &len) == 0 && peer.sin_family == AF_INET &&
            ntohs(peer.sin_port) == port)
            found = fd;
    }
    ASSERT_GE(found, 0);
    EXPECT_EQ(socket_option(found, SOL_SOCKET, SO_KEEPALIVE), 1);
    EXPECT_EQ(socket_option(found, IPPROTO_TCP, TCP_KEEPIDLE), 5);
    EXPECT_EQ(socket_option(found, IPPROTO_TCP, TCP_KEEPINTVL), 2);
    EXPECT_EQ(socket_option(found, IPPROTO_TCP, TCP_KEEPCNT), 3);
    EXPECT_EQ(socket_option(found, IPPROTO_TCP, TCP_USER_TIMEOUT), 15000);

    EXPECT_EQ(testenv::pg_admin(testenv::env_conninfo(),
                                "SELECT application_name FROM pg_stat_activity WHERE datname = $1", scratch.name()),
              "tarnwright");
}

// Roles the administrator made: one that may use the store's tables but not create any
// (PostgreSQL 15's default for every role but the database's owner) uses a store the owner
// made; one that may only read is told what it may not change, in the store's terms, never
// the server's table names; one without CONNECT is told the server's reason on one line.
TEST(PgDb, RolesAreToldWhatTheyMayNotDoInTheStoresTerms) {
    REQUIRE_POSTGRES();
    testenv::ScratchPgDatabase scratch;
    varo::open_store("pg:" + scratch.conninfo());
    const std::string db = scratch.conninfo(), prefix = scratch.name();  // letters, digits and '_' only
    const struct {
        std::string role, grants;
        StoreError::Kind open, add_poll_rate, save;
        std::vector<std::string> said;  // in the refusals' texts
    } roles[] = {
        {prefix + "_user", "SELECT, INSERT, UPDATE, DELETE", StoreError::Corrupt, StoreError::Corrupt,
         StoreError::Corrupt, {}},
        {prefix + "_reader", "SELECT", StoreError::Corrupt, StoreError::Busy, StoreError::Busy,
         {"role " + prefix + "_reader may not change poll rates", "role " + prefix + "_reader may not change templates"}},
        {prefix + "_outsider", "", StoreError::Unavailable, StoreError::Corrupt, StoreError::Corrupt,
         {"permission denied for database \"" + scratch.name() + "\"; User does not have CONNECT privilege."}},
    };  // Corrupt: not refused
    testenv::pg_admin(db, "REVOKE CREATE ON SCHEMA public FROM PUBLIC");
    testenv::pg_admin(db, "REVOKE CONNECT ON DATABASE " + scratch.name() + " FROM PUBLIC");
    for (const auto& r : roles) {
        SCOPED_TRACE(r.role);
        testenv::pg_admin(db, "CREATE ROLE " + r.role + " LOGIN");
        if (r.grants.empty()) continue;
        testenv::pg_admin(db, "GRANT CONNECT ON DATABASE " + scratch.name() + " TO " + r.role);
        testenv::pg_admin(db, "GRANT " + r.grants + " ON ALL TABLES IN SCHEMA public TO " + r.role);
    }
    for (const auto& r : roles) {
        SCOPED_TRACE(r.role);
        std::string texts;
        auto outcome = [&](const std::function<void()>& fn) {
            try {
                fn();
                return StoreError::Corrupt;
            } catch (const StoreError& e) {
                texts += std::string(e.what()) + "|";
                return e.kind();
            }
        };
        std::unique_ptr<varo::Store> store;
        EXPECT_EQ(outcome([&] { store = varo::open_store("pg:" + db + " user=" + r.role); }), r.open);
        if (store) {
            EXPECT_EQ(store->list_severities().size(), 4u);
            EXPECT_EQ(outcome([&] { store->add_poll_rate({r.role, 5}); }), r.add_poll_rate);
            EXPECT_EQ(outcome([&] { store->insert_template(testenv::sample_template("T" + r.role)); }), r.save);
        }
        for (const std::string& text : r.said) EXPECT_NE(texts.find(text), std::string::npos) << texts;
        for (const char* internal : {"poll_rates", "album_changes", "table", "FATAL", "\n"})
            EXPECT_EQ(texts.find(internal), std::string::npos) << texts;
    }
    for (const auto& r : roles) {
        testenv::pg_admin(db, "DROP OWNED BY " + r.role);
        testenv::pg_admin(db, "DROP ROLE " + r.role);
    }
}

// Lists come in byte order, as from SQLite, whatever collation the database was made with
// (most servers' default is a language's, which puts "apple" before "Banana").
TEST(PgDb, ListsAreInByteOrderWhateverTheDatabasesCollation) {
    REQUIRE_POSTGRES();
    testenv::ScratchPgDatabase scratch;
    auto store = varo::open_store("pg:" + scratch.conninfo());
    if (testenv::pg_admin(scratch.conninfo(), "SELECT count(*) FROM pg_collation WHERE collname = 'en-x-icu'") != "1")
        GTEST_SKIP() << "the server has no ICU collation";
    testenv::pg_admin(scratch.conninfo(), "ALTER TABLE poll_rates ALTER COLUMN name TYPE text COLLATE \"en-x-icu\"");
    store->add_poll_rate({"apple", 5});
    store->add_poll_rate({"Banana", 5});
    std::vector<std::string> names;
    for (const varo::PollRate& p : store->list_poll_rates()) names.push_back(p.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Banana", "Poll", "apple", "default_rate"}));
}

// A write waiting on a lock another session keeps (an idle transaction left open) is refused
// as busy after a while, as under SQLite, instead of hanging the program.
TEST(PgDb, AWriteWaitingOnAnotherSessionsLockIsRefusedNotHung) {
    REQUIRE_POSTGRES();
    testenv::ScratchPgDatabase scratch;
    auto store = varo::open_store("pg:" + scratch.conninfo());
    auto holder = varo::open_pg_db(scratch.conninfo());
    holder->begin();
    holder->exec("LOCK TABLE poll_rates IN ACCESS EXCLUSIVE MODE");
    std::string text;
    auto write = std::async(std::launch::async, [&] { return refusal([&] { store->add_poll_rate({"Fast", 5}); }, &text); });
    bool answered = write.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    holder->rollback();
    EXPECT_TRUE(answered) << "the write still waits for the lock";
    EXPECT_EQ(write.get(), StoreError::Busy) << text;
    EXPECT_NE(text.find("the store is busy"), std::string::npos) << text;
}

TEST(PgDb, StoppedServerIsReportedAsDisconnectedAndUnreachableServerRefused) {
    REQUIRE_POSTGRES();
    testenv::PrivatePgServer server;
    ASSERT_FALSE(server.conninfo().empty());
    auto db = varo::open_pg_db(server.conninfo());
    db->exec("CREATE TABLE t (v bigint)");
    server.stop();
    EXPECT_TRUE(poll_until_reported(*db).disconnected);
    server.start();
    EXPECT_TRUE(db->take_changes().disconnected);

    // Nothing listens on the server's port once it is stopped: the open is refused.
    server.stop();
    EXPECT_EQ(refusal([&] { varo::open_pg_db(server.conninfo()); }), StoreError::Unavailable);
}

}  // namespace
