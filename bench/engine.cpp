// The request engine over the embedded store: the idle dispatch the editor runs every
// 100 ms, building and saving a template of 10 and 100 states through working copies, the
// undo step every edit takes and puts back, and the check of the open template that every
// change of the template album costs.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/qori.h"
#include "varo/store.h"

namespace {

struct BenchEngine {
    std::string dir;
    BenchEngine() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qori-bench.XXXXXX").string();
        dir = mkdtemp(pattern.data());
        qori_attach_store(varo::open_store("sqlite:" + dir + "/bench.db"));
    }
    ~BenchEngine() {
        qori_shutdown();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

// States S0..S(n-1), each with a transition to the next carrying a command.
Qor_Defn build(int states) {
    Qor_Defn t = qori_template_create("Bench", "benchmark template");
    for (int i = 0; i < states; ++i)
        qori_state_add(t, ("S" + std::to_string(i)).c_str(), "Poll", "Normal", "state");
    for (int i = 0; i < states; ++i)
        qori_transition_add(t, ("S" + std::to_string(i)).c_str(), ("S" + std::to_string((i + 1) % states)).c_str(),
                            "LinkDown", "COMMAND", "\"/usr/bin/logger \"", "\"\"");
    return t;
}

void noop(void*, void*) {}

void BM_IdleDispatch(benchmark::State& state) {
    BenchEngine e;
    for (QoriAlbumKind k : {QORI_ALBUM_TEMPLATES, QORI_ALBUM_SEVERITIES, QORI_ALBUM_POLLRATES, QORI_ALBUM_CONDITIONS})
        Qor_GenericAlbum(k).add_callback(Callback(SchedContext::current(), noop, nullptr), nullptr);
    for (auto _ : state) dispatch_recursive(0);
}
BENCHMARK(BM_IdleDispatch)->Unit(benchmark::kMicrosecond);

void BM_BuildWorkingCopy(benchmark::State& state) {
    BenchEngine e;
    for (auto _ : state) benchmark::DoNotOptimize(build(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_BuildWorkingCopy)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_SaveInPlace(benchmark::State& state) {
    BenchEngine e;
    Qor_Defn t = build(static_cast<int>(state.range(0)));
    qori_template_store(t, "Bench", "d");
    for (auto _ : state)
        if (!qori_template_add(t, "Bench", "d")) state.SkipWithError(qori_error_str);
}
BENCHMARK(BM_SaveInPlace)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_UndoStep(benchmark::State& state) {
    BenchEngine e;
    Qor_Defn t = build(static_cast<int>(state.range(0)));
    Qor_Snapshot before = qori_template_snapshot(t);
    for (auto _ : state) {
        benchmark::DoNotOptimize(qori_template_snapshot(t));
        qori_template_restore(t, before);
    }
}
BENCHMARK(BM_UndoStep)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

void BM_StoredFate(benchmark::State& state) {
    BenchEngine e;
    Qor_Defn t = build(static_cast<int>(state.range(0)));
    qori_template_store(t, "Bench", "d");
    for (auto _ : state)
        if (qori_template_fate(t) != QORI_STORED_SAME) state.SkipWithError("not the same");
}
BENCHMARK(BM_StoredFate)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

}  // namespace
