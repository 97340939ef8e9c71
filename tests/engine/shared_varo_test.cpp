// A shared Varo seen through the engine: -host names the PostgreSQL server, libpq's variables
// the rest. (A server that goes away: the PostgreSQL layer's tests and the notification tests;
// another client's changes: the notification tests and the two-editor end-to-end tests.)
#include <gtest/gtest.h>

#include "platform/qori.h"
#include "support/pg_server.h"
#include "support/store_fixture.h"

namespace {

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

}  // namespace
