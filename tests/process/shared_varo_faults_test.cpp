// Three editors on one shared Varo, and the server ends one editor's session under it: that
// editor alone shows one error dialog (the in-process test reads its "Platform has
// disconnected") and ends with status 1 when it is answered; the others carry on; what the
// store held is there whole afterwards. (The whole server stopped under an editor: the
// trials' endings; a session that stays lost however the server comes back: the PostgreSQL
// layer's tests.)
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "support/pg_server.h"
#include "support/process_runner.h"
#include "support/store_fixture.h"

namespace {

const char* const kStore = R"({
  "format": "tarnwright-varo", "format_version": 1,
  "severities": [], "poll_rates": [], "conditions": [],
  "templates": [ { "name": "Thermo", "descr": "Watches the temperature",
    "states": [ { "name": "Ground", "descr": "", "severity": "Normal", "poll_rate": "Poll" },
                { "name": "Down", "descr": "down", "severity": "Critical", "poll_rate": "Poll" } ],
    "transitions": [ { "from": "Ground", "to": "Down", "condition": "LinkDown", "actions": [] } ] } ]
}
)";

const char* const kError = "Tarnwright: Error";

// The editors' sessions on the database conninfo names.
std::string sessions(const std::string& conninfo, const std::string& what) {
    return testenv::pg_admin(conninfo, "SELECT " + what + " FROM pg_stat_activity WHERE application_name = $1"
                             " AND datname = current_database()", "tarnwright");
}

TEST(SharedVaroFaults, TheEditorThatLosesItsSessionIsToldOnceAndEndsWithStatus1) {
    REQUIRE_POSTGRES();
    testenv::ScratchPgDatabase db;
    const std::string store = "pg:" + db.conninfo();
    testenv::TempDir dir;
    ASSERT_EQ(proc::run_varoctl(store, {"import", "-"}, kStore).status, 0);
    const std::string before = proc::run_varoctl(store, {"export"}).out;
    ASSERT_NE(before.find("Thermo"), std::string::npos);

    std::vector<std::unique_ptr<proc::Child>> editors;
    std::vector<unsigned long> mains;
    for (int e = 1; e <= 3; ++e) {
        const std::string host = "e" + std::to_string(e);
        editors.push_back(std::make_unique<proc::Child>(
            proc::tarnedit(), proc::editor_options(store, dir.path(), {"-host", host, "-t", "Thermo"})));
        mains.push_back(proc::wait_for_window(proc::main_title(host)));
        ASSERT_NE(mains.back(), 0u) << "editor " << e << " did not start";
    }
    ASSERT_TRUE(testenv::poll_until(10, 100, [&] { return sessions(db.conninfo(), "count(*)") == "3"; }));
    sessions(db.conninfo(), "pg_terminate_backend(min(pid))");

    // Each editor's idle loop looks every 100 ms; a second dialog, or one from an editor that
    // kept its session, would be up a moment later.
    std::vector<unsigned long> dialogs(3, 0);
    int told = 0;
    testenv::poll_until(10, 100, [&] {
        told = 0;
        for (int e = 0; e < 3; ++e) told += (dialogs[e] = proc::wait_for_window(kError, 0, mains[e])) != 0;
        return told >= 1;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(told, 1);
    for (int e = 0; e < 3; ++e) {
        SCOPED_TRACE("editor " + std::to_string(e + 1));
        EXPECT_EQ(proc::count_windows(kError, mains[e]), dialogs[e] ? 1 : 0) << "told more than once, or told wrongly";
        if (dialogs[e]) proc::press_return_in(dialogs[e]);
        else proc::send_wm_delete(mains[e]);
        proc::Result r = editors[e]->finish(10);
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.status, dialogs[e] ? 1 : 0);
    }
    EXPECT_EQ(proc::run_varoctl(store, {"export"}).out, before) << "the store changed";
}

}  // namespace
