// Placeholder numbering, connection settings and error mapping of the PostgreSQL backend.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "support/store_fixture.h"
#include "varo/pg_support.h"

namespace {

using varo::StoreError;

TEST(PgPlaceholders, NumbersOnlyThoseOutsideQuotesAndComments) {
    auto n = varo::number_placeholders("SELECT a FROM t WHERE a = ? AND b IN (?, ?)");
    EXPECT_EQ(n.text, "SELECT a FROM t WHERE a = $1 AND b IN ($2, $3)");
    EXPECT_EQ(n.count, 3u);

    n = varo::number_placeholders("SELECT '?', 'it''s ?', \"col?\" FROM t WHERE x = ? -- why?\nAND y = ?");
    EXPECT_EQ(n.text, "SELECT '?', 'it''s ?', \"col?\" FROM t WHERE x = $1 -- why?\nAND y = $2");
    EXPECT_EQ(n.count, 2u);

    n = varo::number_placeholders("/* ? */ SELECT ? ");
    EXPECT_EQ(n.text, "/* ? */ SELECT $1 ");

    // Dollar-quoted bodies (trigger functions) are left alone; a parameter-like "$1" is not a tag.
    n = varo::number_placeholders("CREATE FUNCTION f() AS $body$ SELECT '?' || ? $body$; SELECT $$?$$, ?");
    EXPECT_EQ(n.text, "CREATE FUNCTION f() AS $body$ SELECT '?' || ? $body$; SELECT $$?$$, $1");
    n = varo::number_placeholders("SELECT $1, ?");
    EXPECT_EQ(n.text, "SELECT $1, $1");

    // An unterminated quote swallows the rest instead of running past the end.
    n = varo::number_placeholders("SELECT 'open ?");
    EXPECT_EQ(n.text, "SELECT 'open ?");
    EXPECT_EQ(n.count, 0u);
}

std::map<std::string, std::string> settings_of(const std::string& conninfo) {
    std::map<std::string, std::string> m;
    for (const auto& kv : varo::connection_settings(conninfo)) m[kv.first] = kv.second;
    return m;
}

TEST(PgSettings, AddsKeepalivesAndDefaultDatabaseButKeepsWhatIsGiven) {
    unsetenv("PGDATABASE");
    unsetenv("PGSERVICE");
    const std::pair<const char*, std::map<std::string, std::string>> cases[] = {
        // (The keepalives and the rest it adds: on the socket, in the PostgreSQL layer's test.)
        {"host='nms1'", {{"host", "nms1"}, {"dbname", "varo"}, {"connect_timeout", "5"}}},
        {"postgresql://ops@nms2:5433/inventory?connect_timeout=20",
         {{"host", "nms2"}, {"port", "5433"}, {"user", "ops"}, {"dbname", "inventory"}, {"connect_timeout", "20"}}},
    };
    for (const auto& [conninfo, expected] : cases) {
        auto m = settings_of(conninfo);
        for (const auto& [key, value] : expected) EXPECT_EQ(m[key], value) << conninfo << " " << key;
    }

    // The environment or a service file names the database: no default is forced on it.
    EXPECT_EQ(settings_of("host=nms1 service=shared").count("dbname"), 0u);
    setenv("PGDATABASE", "other", 1);
    EXPECT_EQ(settings_of("host=nms1").count("dbname"), 0u);
    unsetenv("PGDATABASE");
}

TEST(PgSettings, UnreadableConninfoIsUnavailable) {
    std::string text;
    EXPECT_EQ(testenv::refusal([] { varo::connection_settings("host=nms1 nonsense_key=1"); }, &text),
              StoreError::Unavailable);
    EXPECT_NE(text.find("nonsense_key"), std::string::npos) << text;
}

}  // namespace

TEST(PgSupport, PasswordsNeverReachAMessage) {
    const std::pair<const char*, const char*> cases[] = {
        {"host=db password=s3cret dbname=varo", "host=db password=*** dbname=varo"},
        {"password = 's e\\'c' host=db", "password =*** host=db"},
        {"host=db sslpassword=k", "host=db sslpassword=***"},
        {"host=db mypassword=x", "host=db mypassword=x"},  // not a libpq keyword
        {"host=db", "host=db"},
        {"postgresql://ann:s3cret@db:5432/varo", "postgresql://ann:***@db:5432/varo"},
        {"postgres://ann@db/varo?password=s3cret&sslmode=require", "postgres://ann@db/varo?password=***&sslmode=require"},
        {"postgresql://db/varo", "postgresql://db/varo"},
    };
    for (const auto& c : cases) EXPECT_EQ(varo::redact_address(c.first), c.second) << c.first;

    for (const char* bad : {"host=db password=two words", "postgresq://ann:s3cret@db", "PG:password=s3cret host=db",
                            "postgresql:/ann:s3cret@db/varo"}) {
        std::string text;
        try {
            varo::open_store(std::string("pg:") + bad);
        } catch (const varo::StoreError& e) {
            text = e.what();
        }
        try {
            varo::open_store(bad);
        } catch (const varo::StoreError& e) {
            text += e.what();
        }
        EXPECT_EQ(text.find("words"), std::string::npos) << text;
        EXPECT_EQ(text.find("s3cret"), std::string::npos) << text;
    }
}
