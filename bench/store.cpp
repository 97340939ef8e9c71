// Storing and loading a template of 10 and 100 states, and changing a severity, in the
// embedded SQLite store.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "varo/store.h"

namespace {

varo::TemplateDef make_template(int states) {
    varo::TemplateDef def;
    def.name = "Bench";
    def.descr = "benchmark template";
    const char* severities[] = {"Normal", "Minor", "Major", "Critical"};
    for (int i = 0; i < states; ++i)
        def.states.push_back({i == 0 ? "Ground" : "S" + std::to_string(i), "state " + std::to_string(i),
                              severities[i % 4], i % 2 ? "Poll" : "default_rate"});
    // Two transitions leave each state, each with one or two actions.
    for (int i = 0; i < states; ++i) {
        const std::string& from = def.states[i].name;
        varo::Transition up{from, def.states[(i + 1) % states].name, "LinkDown", {}};
        up.actions.push_back({"COMMAND", "\"/usr/bin/logger\"", "\"up\""});
        varo::Transition back{from, def.states[0].name, "HighErrors", {}};
        back.actions.push_back({"MAIL", "\"ops@example.org\"", "\"errors\""});
        back.actions.push_back({"CONDITION", "LinkDown", ""});
        def.transitions.push_back(up);
        if (i != 0) def.transitions.push_back(back);
    }
    return def;
}

struct BenchStore {
    std::string dir;
    std::unique_ptr<varo::Store> store;
    BenchStore() {
        std::string pattern = (std::filesystem::temp_directory_path() / "varo-bench.XXXXXX").string();
        dir = mkdtemp(pattern.data());
        store = varo::open_store("sqlite:" + dir + "/bench.db");
    }
    ~BenchStore() {
        store.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

void BM_StoreTemplate(benchmark::State& state) {
    BenchStore b;
    varo::TemplateDef def = make_template(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(b.store->overwrite_template(def));
    state.counters["states"] = static_cast<double>(def.states.size());
    state.counters["transitions"] = static_cast<double>(def.transitions.size());
}
BENCHMARK(BM_StoreTemplate)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_UpdateTemplate(benchmark::State& state) {
    BenchStore b;
    varo::TemplateDef def = make_template(static_cast<int>(state.range(0)));
    std::int64_t version = b.store->insert_template(def);
    for (auto _ : state) version = b.store->update_template(def, version);
}
BENCHMARK(BM_UpdateTemplate)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_LoadTemplate(benchmark::State& state) {
    BenchStore b;
    b.store->insert_template(make_template(static_cast<int>(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(b.store->load_template("Bench"));
}
BENCHMARK(BM_LoadTemplate)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

// A Modify of a severity: one replace, against the delete and add it stands for.
void BM_ModifySeverity(benchmark::State& state) {
    BenchStore b;
    int value = 1;
    for (auto _ : state) {
        varo::Severity s{"Minor", value = value % 9 + 1, "pink"};
        if (state.range(0)) {
            b.store->replace_severity(s);
        } else {
            b.store->delete_severity(s.name);
            b.store->add_severity(s);
        }
    }
    state.SetLabel(state.range(0) ? "replace" : "delete+add");
}
BENCHMARK(BM_ModifySeverity)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void BM_PollChangesIdle(benchmark::State& state) {
    BenchStore b;
    for (auto _ : state) benchmark::DoNotOptimize(b.store->poll_changes());
}
BENCHMARK(BM_PollChangesIdle)->Unit(benchmark::kMicrosecond);

}  // namespace
