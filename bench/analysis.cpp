// Template analysis: checking one template of 100 and 1000 states, and finding the users of a
// condition over 10 and 100 stored templates (what the condition window's "Used by:" costs).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "analysis/analysis.h"

namespace an = varo::analysis;

namespace {

varo::TemplateDef make_template(const std::string& name, int states) {
    varo::TemplateDef def;
    def.name = name;
    for (int i = 0; i < states; ++i)
        def.states.push_back({i == 0 ? "Ground" : "S" + std::to_string(i), "", "Normal", "Poll"});
    for (int i = 0; i < states; ++i) {
        const std::string& from = def.states[i].name;
        def.transitions.push_back({from, def.states[(i + 1) % states].name, "LinkDown",
                                   {{"COMMAND", "\"/usr/bin/logger\"", "\"up\""}}});
        if (i) def.transitions.push_back({from, "Ground", "HighErrors", {{"CONDITION", "LinkDown", ""}}});
    }
    return def;
}

void BM_CheckTemplate(benchmark::State& state) {
    varo::TemplateDef def = make_template("Bench", static_cast<int>(state.range(0)));
    an::ServerNames names{{"Normal"}, {"Poll"}, {"LinkDown", "HighErrors"}};
    for (auto _ : state) benchmark::DoNotOptimize(an::check(def, names));
}
BENCHMARK(BM_CheckTemplate)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_FindUsesInStore(benchmark::State& state) {
    std::string pattern = (std::filesystem::temp_directory_path() / "varo-bench.XXXXXX").string();
    std::string dir = mkdtemp(pattern.data());
    {
        auto store = varo::open_store("sqlite:" + dir + "/bench.db");
        for (int i = 0; i < state.range(0); ++i) store->insert_template(make_template("T" + std::to_string(i), 20));
        for (auto _ : state) benchmark::DoNotOptimize(an::find_uses(*store, an::NameKind::Condition, "HighErrors"));
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}
BENCHMARK(BM_FindUsesInStore)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
