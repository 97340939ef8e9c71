// A template save and the change-notification latency between two clients, on the embedded
// SQLite store and on PostgreSQL (the server VARO_TEST_PG names; skipped without one).
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "floor.h"
#include "varo/store.h"

namespace {

using floor_bench::Backend;
using floor_bench::kPostgreSQL;
using floor_bench::kSQLite;
using floor_bench::Location;

varo::TemplateDef ten_state_template() {
    varo::TemplateDef def;
    def.name = "Bench";
    def.descr = "benchmark template";
    const char* severities[] = {"Normal", "Minor", "Major", "Critical"};
    for (int i = 0; i < 10; ++i)
        def.states.push_back({i == 0 ? "Ground" : "S" + std::to_string(i), "state " + std::to_string(i),
                              severities[i % 4], i % 2 ? "Poll" : "default_rate"});
    for (int i = 0; i < 10; ++i) {
        varo::Transition t{def.states[i].name, def.states[(i + 1) % 10].name, i % 2 ? "HighErrors" : "LinkDown", {}};
        t.actions.push_back({"COMMAND", "\"/usr/bin/logger\"", "\"moved\""});
        t.actions.push_back({"MAIL", "\"ops@example.org\"", "\"state changed\""});
        def.transitions.push_back(t);
    }
    return def;
}

// Saving the open template in place: one transaction replacing 10 states, 10 transitions
// and 20 actions after checking the version.
void BM_SaveTemplate(benchmark::State& state) {
    Location where(static_cast<Backend>(state.range(0)));
    auto store = where.open(state);
    if (!store) return;
    varo::TemplateDef def = ten_state_template();
    std::int64_t version = store->insert_template(def);
    for (auto _ : state) version = store->update_template(def, version);
}
BENCHMARK(BM_SaveTemplate)->ArgName("pg")->Arg(kSQLite)->Arg(kPostgreSQL)->Unit(benchmark::kMillisecond);

// From the moment one client's change is stored to the moment the other client's poll
// reports it, polling without pause (the editor polls every 100 ms on top of this).
void BM_NotificationLatency(benchmark::State& state) {
    Location where(static_cast<Backend>(state.range(0)));
    auto writer = where.open(state);
    if (!writer) return;
    auto reader = where.open(state);
    reader->poll_changes();
    bool present = false;
    for (auto _ : state) {
        if (present)
            writer->delete_severity("Bench");
        else
            writer->add_severity({"Bench", 9, "blue"});
        present = !present;
        auto stored = std::chrono::steady_clock::now();
        while (!reader->poll_changes().severities) {
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - stored).count());
    }
}
BENCHMARK(BM_NotificationLatency)
    ->ArgName("pg")
    ->Arg(kSQLite)
    ->Arg(kPostgreSQL)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// What the editor's idle loop costs when nothing changes.
void BM_IdlePoll(benchmark::State& state) {
    Location where(static_cast<Backend>(state.range(0)));
    auto store = where.open(state);
    if (!store) return;
    store->poll_changes();
    for (auto _ : state) benchmark::DoNotOptimize(store->poll_changes());
}
BENCHMARK(BM_IdlePoll)->ArgName("pg")->Arg(kSQLite)->Arg(kPostgreSQL)->Unit(benchmark::kMicrosecond);

}  // namespace
