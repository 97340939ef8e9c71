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
#include "platform/qori.h"
#include "varo/backends.h"
#include "varo/sql_store.h"

namespace {

using varo::ChangeReport;
using varo::Db;
using varo::StoreError;

using testenv::refusal;

// Polls the way the editor's idle loop does, until something is reported or time is up.
ChangeReport poll_until_reported(Db& db) {
    ChangeReport r;
    testenv::poll_until(5, 10, [&] { return (r = db.take_changes()).any() || r.rights || r.disconnected; });
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

// A login role in each group, and one the administrator gave bare grants (tables only, no
// right to create any, as PostgreSQL 15 gives every role but the owner): what
// each may do, asked and tried through the store and the engine; every refusal names the role
// and the right, never a table. A change of membership is heard, and counts at once.
TEST(PgDb, EachGroupMayDoWhatItsRightsSayAndIsToldWhatItMayNot) {
    REQUIRE_POSTGRES();
    testenv::ScratchPgDatabase scratch;
    auto owner = varo::open_store("pg:" + scratch.conninfo());
    testenv::GroupRoles roles(scratch);
    const std::string db = scratch.conninfo(), bare = scratch.name() + "_bare";
    testenv::pg_admin(db, "CREATE ROLE " + bare + " LOGIN");
    testenv::pg_admin(db, "GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO " + bare);
    const struct {
        std::string role;
        bool templates, server_objects, grants;
        std::vector<std::string> said;  // in the refusals' texts
    } cases[] = {
        {roles.role("read"), false, false, false,
         {"role " + roles.role("read") + " may not change templates (that takes varo_edit)",
          "role " + roles.role("read") + " may not make others members of varo_read (that takes varo_admin)"}},
        {roles.role("edit"), true, false, false, {"role " + roles.role("edit") + " may not change poll rates (that takes varo_admin)"}},
        {roles.role("admin"), true, true, true, {}},
        {bare, true, true, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.role);
        std::string texts;
        auto done = [&](const std::function<void()>& fn) {
            try {
                fn();
                return true;
            } catch (const StoreError& e) {
                EXPECT_EQ(e.kind(), StoreError::Busy) << e.what();
                texts += std::string(e.what()) + "|";
                return false;
            }
        };
        auto store = varo::open_store("pg:" + db + " user=" + c.role);
        EXPECT_EQ(store->rights(), (varo::Rights{c.role, c.templates, c.server_objects}));
        EXPECT_EQ(store->list_severities().size(), 4u);
        EXPECT_EQ(done([&] { store->insert_template(testenv::sample_template("T" + c.role)); }), c.templates);
        EXPECT_EQ(done([&] { store->set_running("host", "T" + c.role); }), c.templates);
        EXPECT_EQ(done([&] { store->add_poll_rate({"P" + c.role, 5}); }), c.server_objects);
        if (c.role != bare) {
            EXPECT_EQ(done([&] { store->set_level(roles.role("read"), varo::Level::Read); }), c.grants);
        }
        for (const std::string& text : c.said) EXPECT_NE(texts.find(text), std::string::npos) << texts;
        for (const char* internal : {"poll_rates", "album_changes", "table", "\n"})
            EXPECT_EQ(texts.find(internal), std::string::npos) << texts;
    }
    // A history row names the session's role, whatever an editor writes into it.
    {
        auto editor = varo::open_store(roles.address("edit"));
        auto& raw = dynamic_cast<varo::SqlStore&>(*editor).db();
        raw.exec("INSERT INTO activity (album, name, action, author, host, at) VALUES ('severity', 'Forged', 'added', ?, 'h', 'now')",
                 {std::string("someone_else")});
        EXPECT_EQ(raw.query("SELECT author FROM activity WHERE name = 'Forged'").at(0).text(0), roles.role("edit"));
    }
    // The engine asks the same, and refuses with the same words.
    ASSERT_TRUE(qori_attach_store(varo::open_store(roles.address("read"))));
    QoriRights rights;
    ASSERT_TRUE(qori_rights(rights));
    EXPECT_FALSE(rights.templates);
    Qor_Defn t = qori_template_create("Engine", "by the engine");
    ASSERT_TRUE(qori_state_add(t, "Ground", "Poll", "Normal", ""));
    EXPECT_FALSE(qori_template_store(t, "Engine", "by the engine"));
    EXPECT_NE(std::string(qori_error_text()).find("may not change templates (that takes varo_edit)"), std::string::npos)
        << qori_error_text();

    // Made an editor, the reader hears of it and may change templates at once.
    auto reader = varo::open_store(roles.address("read"));
    owner->set_level(roles.role("read"), varo::Level::Edit);
    EXPECT_TRUE(poll_until_reported(dynamic_cast<varo::SqlStore&>(*reader).db()).rights);
    EXPECT_TRUE(reader->rights().templates);
    owner->set_level(roles.role("read"), std::nullopt);
    EXPECT_EQ(reader->rights(), (varo::Rights{roles.role("read"), false, false}));
    EXPECT_EQ(refusal([&] { owner->set_level("nobody_at_all", varo::Level::Read); }), StoreError::NotFound);

    qori_shutdown();
    testenv::pg_admin(db, "DROP OWNED BY " + bare);
    testenv::pg_admin(db, "DROP ROLE " + bare);
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
