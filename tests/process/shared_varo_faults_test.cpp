// Three editors on one shared Varo whose server goes away under them: every editor that lost
// its session shows one error dialog (the in-process test reads its "Platform has
// disconnected") and ends with status 1 when it is answered; the others carry on; what the
// store held is there whole afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
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

int editor_sessions(const std::string& conninfo) {
    return std::atoi(testenv::pg_admin(conninfo, "SELECT count(*) FROM pg_stat_activity WHERE application_name = $1",
                                       "tarnwright")
                         .c_str());
}

struct Fault {
    const char* what;
    std::function<void(testenv::PrivatePgServer&)> act;
    int told;      // how many of the three lose their session
    bool stopped;  // the server is left down
};

TEST(SharedVaroFaults, EditorsThatLoseTheServerAreToldOnceAndEndWithStatus1) {
    REQUIRE_POSTGRES();
    testenv::PrivatePgServer server;
    ASSERT_FALSE(server.conninfo().empty());
    const std::string store = "pg:" + server.conninfo();
    testenv::TempDir dir;
    ASSERT_EQ(proc::run_varoctl(store, {"import", "-"}, kStore).status, 0);
    const std::string before = proc::run_varoctl(store, {"export"}).out;
    ASSERT_NE(before.find("Thermo"), std::string::npos);

    const std::vector<Fault> faults = {
        {"server stopped", [](testenv::PrivatePgServer& s) { s.stop(); }, 3, true},
        {"server restarted", [](testenv::PrivatePgServer& s) { s.stop(), s.start(); }, 3, false},
        {"one backend terminated",
         [](testenv::PrivatePgServer& s) {
             testenv::pg_admin(s.conninfo(),
                               "SELECT pg_terminate_backend(min(pid)) FROM pg_stat_activity WHERE application_name = $1",
                               "tarnwright");
         },
         1, false},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        std::vector<std::unique_ptr<proc::Child>> editors;
        std::vector<unsigned long> mains;
        for (int e = 1; e <= 3; ++e) {
            const std::string host = "e" + std::to_string(e);
            editors.push_back(std::make_unique<proc::Child>(
                proc::tarnedit(), proc::editor_options(store, dir.path(), {"-host", host, "-t", "Thermo"})));
            mains.push_back(proc::wait_for_window(proc::main_title(host)));
            ASSERT_NE(mains.back(), 0u) << "editor " << e << " did not start";
        }
        ASSERT_TRUE(testenv::poll_until(10, 100, [&] { return editor_sessions(server.conninfo()) == 3; }));
        for (unsigned long m : mains) EXPECT_EQ(proc::count_windows(kError, m), 0);

        fault.act(server);
        // Each editor's idle loop looks every 100 ms; give them all time to notice.
        std::vector<unsigned long> dialogs(3, 0);
        int told = 0;
        testenv::poll_until(10, 100, [&] {
            told = 0;
            for (int e = 0; e < 3; ++e) told += (dialogs[e] = proc::wait_for_window(kError, 0, mains[e])) != 0;
            return told >= fault.told;
        });
        // A second dialog, or one from an editor that kept its session, would be up by now.
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        for (int e = 0; e < 3; ++e) {
            SCOPED_TRACE("editor " + std::to_string(e + 1));
            if (dialogs[e]) {
                EXPECT_EQ(proc::count_windows(kError, mains[e]), 1) << "told more than once";
                proc::press_return_in(dialogs[e]);
                proc::Result r = editors[e]->finish(10);
                EXPECT_TRUE(r.exited);
                EXPECT_EQ(r.status, 1);
            } else {
                EXPECT_EQ(proc::count_windows(kError, mains[e]), 0);
                EXPECT_TRUE(editors[e]->running());
                proc::send_wm_delete(mains[e]);
                EXPECT_EQ(editors[e]->finish(10).status, 0) << "an editor that kept its session ends normally";
            }
        }
        EXPECT_EQ(told, fault.told);
        if (fault.stopped) server.start();
        EXPECT_EQ(proc::run_varoctl(store, {"export"}).out, before) << "the store changed";
    }
}

}  // namespace
