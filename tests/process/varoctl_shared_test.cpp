// varoctl between the embedded store and a shared PostgreSQL one: moving a store across
// and back changes nothing, and both answer every command alike.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/pg_server.h"
#include "support/process.h"
#include "support/store_fixture.h"

using testenv::ProcessResult;

namespace {

ProcessResult varoctl(const std::string& store, std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), {"--store", store});
    return testenv::run_process(VAROCTL_BINARY, args, input);
}

std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Texts a careless transfer would bend: quotes, backslashes, non-ASCII, '?' and '$1'.
const char* const kContents = R"({
  "format": "tarnwright-varo",
  "format_version": 1,
  "severities": [ { "name": "Warning", "value": 5, "color": "gold" },
                  { "name": "Über", "value": 32767, "color": "#ff00ff" } ],
  "poll_rates": [ { "name": "Fast", "rate": 1 } ],
  "conditions": [ { "name": "Hot", "descr": "too hot? say \"$1\" \\ twice", "code": "# degrees\ntemp > 70\n" } ],
  "templates": [ {
    "name": "Thermo", "descr": "Watches the température",
    "states": [
      { "name": "Ground", "descr": "", "severity": "Normal", "poll_rate": "default_rate" },
      { "name": "Warm", "descr": "getting 'warm'", "severity": "Über", "poll_rate": "Fast" },
      { "name": "Cold", "descr": "", "severity": "Warning", "poll_rate": "Poll" }
    ],
    "transitions": [
      { "from": "Warm", "to": "Ground", "condition": "LinkDown", "actions": [] },
      { "from": "Ground", "to": "Warm", "condition": "Hot", "actions": [
        { "kind": "MAIL", "arg0": "\"ops@example.org\"", "arg1": "\"it's ? warm\"" },
        { "kind": "COMMAND", "arg0": "\"/usr/bin/logger\"", "arg1": "\"\"" },
        { "kind": "CONDITION", "arg0": "LinkDown", "arg1": "" } ] },
      { "from": "Ground", "to": "Cold", "condition": "HighErrors", "actions": [] }
    ]
  } ]
}
)";

class VaroctlShared : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_POSTGRES();
        scratch = std::make_unique<testenv::ScratchPgDatabase>();
        pg = "pg:" + scratch->conninfo();
        sqlite = "sqlite:" + dir.path() + "/a.db";
        std::ofstream(file("in.json"), std::ios::binary) << kContents;
    }
    std::string file(const std::string& name) const { return dir.path() + "/" + name; }

    testenv::TempDir dir;
    std::unique_ptr<testenv::ScratchPgDatabase> scratch;
    std::string pg, sqlite;
};

TEST_F(VaroctlShared, ExportFromSQLiteImportIntoPostgreSQLAndBackIsExact) {
    ASSERT_EQ(varoctl(sqlite, {"import", file("in.json")}).status, 0);
    ASSERT_EQ(varoctl(sqlite, {"export", file("from-sqlite.json")}).status, 0);
    const std::string first = read(file("from-sqlite.json"));
    ASSERT_NE(first.find("Thermo"), std::string::npos);

    ProcessResult r = varoctl(pg, {"import", file("from-sqlite.json")});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(varoctl(pg, {"export", file("from-pg.json")}).status, 0);
    EXPECT_EQ(read(file("from-pg.json")), first);

    const std::string back = "sqlite:" + dir.path() + "/b.db";
    ASSERT_EQ(varoctl(back, {"import", file("from-pg.json")}).status, 0);
    ASSERT_EQ(varoctl(back, {"export", file("back.json")}).status, 0);
    EXPECT_EQ(read(file("back.json")), first);

    // One template alone, and the listings, read the same from either store.
    EXPECT_EQ(varoctl(pg, {"export", "--template", "Thermo", "-"}).out,
              varoctl(sqlite, {"export", "--template", "Thermo", "-"}).out);
    for (const char* album : {"templates", "conditions", "severities", "pollrates"})
        EXPECT_EQ(varoctl(pg, {"list", album}).out, varoctl(sqlite, {"list", album}).out) << album;

    // The store variable reaches the shared store as well.
    setenv("VARO_STORE", pg.c_str(), 1);
    r = testenv::run_process(VAROCTL_BINARY, {"show", "template", "Thermo"});
    unsetenv("VARO_STORE");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, varoctl(sqlite, {"show", "template", "Thermo"}).out);
}

TEST_F(VaroctlShared, BothStoresRefuseAlikeWithTheSameWords) {
    for (const std::string& store : {sqlite, pg}) ASSERT_EQ(varoctl(store, {"import", file("in.json")}).status, 0);
    const std::vector<std::vector<std::string>> steps = {
        {"add", "severity", "Warning", "6", "gold"},  // exists
        {"add", "pollrate", "Slow", "0"},             // out of range
        {"delete", "condition", "Hot"},               // used by Thermo
        {"delete", "condition", "LinkDown"},          // raised by an action
        {"delete", "severity", "Nope"},               // not there
        {"run", "Thermo", "rack7"},
        {"delete", "template", "Thermo"},             // running
        {"stop", "Thermo", "rack7"},
        {"stop", "Thermo", "rack7"},                  // not running
        {"delete", "template", "Thermo"},
        {"delete", "condition", "Hot"},               // free now
        {"show", "template", "Thermo"},               // gone
    };
    for (const auto& step : steps) {
        ProcessResult a = varoctl(sqlite, step), b = varoctl(pg, step);
        std::string what;
        for (const auto& w : step) what += w + " ";
        EXPECT_EQ(a.status, b.status) << what;
        EXPECT_EQ(a.out, b.out) << what;
        EXPECT_EQ(a.err, b.err) << what;
    }
}

}  // namespace
