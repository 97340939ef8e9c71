// A shared Varo seen through the engine: -host names the PostgreSQL server, and a server that
// goes away runs the "DISCONNECTED" callbacks once. (Another client's changes reaching the
// callbacks: the notification tests on both stores, and the two-editor end-to-end tests.)
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>

#include "platform/qori.h"
#include "support/pg_server.h"
#include "support/store_fixture.h"

namespace {

// One poll period of the editor's idle loop.
constexpr auto kPollPeriod = std::chrono::milliseconds(100);

std::array<int, 4> album_runs;
int disconnected_runs = 0;

void count_album(void* client, void*) { ++album_runs[reinterpret_cast<std::intptr_t>(client)]; }
void count_disconnected(void*, void*) { ++disconnected_runs; }

// Registers as the editor does: poll rates, severities, conditions, templates, then the
// disconnect event.
void register_like_the_editor() {
    album_runs = {0, 0, 0, 0};
    disconnected_runs = 0;
    DataUnit none;
    auto cb = [](QoriAlbumKind k) {
        return Callback(SchedContext::current(), count_album, reinterpret_cast<void*>(static_cast<std::intptr_t>(k)));
    };
    qorPollRateContainer(none).add_callback(cb(QORI_ALBUM_POLLRATES), nullptr);
    qorSeverityContainer(none).add_callback(cb(QORI_ALBUM_SEVERITIES), nullptr);
    qorCondContainer(none).add_callback(cb(QORI_ALBUM_CONDITIONS), nullptr);
    qorDefnContainer(none).add_callback(cb(QORI_ALBUM_TEMPLATES), nullptr);
    _qor_dimons3g.when(DataUnit("DISCONNECTED"), Callback(SchedContext::current(), count_disconnected, nullptr));
}

// Dispatches as the idle loop does until the disconnect callbacks ran, then some more.
void dispatch_through_a_disconnect() {
    for (int i = 0; i < 100 && disconnected_runs == 0; ++i) {
        dispatch_recursive(0);
        std::this_thread::sleep_for(kPollPeriod / 2);
    }
    for (int i = 0; i < 5; ++i) dispatch_recursive(0);
}

// The value of key in a libpq key=value string ("" when absent).
std::string setting(const std::string& conninfo, const std::string& key) {
    std::size_t at = conninfo.find(key + "=");
    if (at == std::string::npos) return "";
    std::string v = conninfo.substr(at + key.size() + 1);
    return v.substr(0, v.find(' '));
}

TEST(SharedVaroHost, HostNamesThePostgreSQLServerAndLibpqsVariablesTheRest) {
    REQUIRE_POSTGRES();
    testenv::ScratchPgDatabase scratch;
    unsetenv("VARO_STORE");
    unsetenv("PGSERVICE");
    unsetenv("PGDATABASE");
    setenv("PGPORT", setting(scratch.conninfo(), "port").c_str(), 1);
    setenv("PGUSER", setting(scratch.conninfo(), "user").c_str(), 1);
    // "127.1" is the loopback address but not a name of this machine: the shared store.
    const std::string address = varo::store_address_for_host("127.1");
    try {
        varo::open_store(address);
        ADD_FAILURE() << "a database the server does not have was opened";
    } catch (const varo::StoreError& e) {
        EXPECT_EQ(e.kind(), varo::StoreError::Unavailable);
        EXPECT_NE(std::string(e.what()).find("\"varo\""), std::string::npos) << e.what();  // the default name
    }

    setenv("PGDATABASE", scratch.name().c_str(), 1);
    ASSERT_TRUE(qori_init("127.1")) << qori_error_str;
    ASSERT_TRUE(qori_severity_add("Shared", 7, "gold"));
    qori_shutdown();
    auto direct = varo::open_store("pg:" + scratch.conninfo());
    EXPECT_TRUE(direct->find_severity("Shared"));
    unsetenv("PGDATABASE");
}

TEST(SharedVaroDisconnect, StoppedServerRunsTheDisconnectCallbacksOnce) {
    REQUIRE_POSTGRES();
    testenv::PrivatePgServer server;
    ASSERT_FALSE(server.conninfo().empty());
    ASSERT_TRUE(qori_attach_store(varo::open_store("pg:" + server.conninfo())));
    register_like_the_editor();
    dispatch_recursive(0);
    server.stop();
    dispatch_through_a_disconnect();
    EXPECT_EQ(disconnected_runs, 1);
    // Back again: this client stays disconnected (the editor has ended by then).
    server.start();
    for (int i = 0; i < 5; ++i) dispatch_recursive(0);
    EXPECT_EQ(disconnected_runs, 1);
    qori_shutdown();
}

}  // namespace
