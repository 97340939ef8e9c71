// The recovery journal's cost per edit at 10, 100 and 1,000 states: an edit (a state moved, as a
// drag ends) with the journal written as the idle turn writes it (snapshot, text, temporary file,
// fsync, rename), beside the same edit with the journal's text made but not written, and the edit
// alone. No display needed.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "platform/qori.h"
#include "template/recovery_journal.h"
#include "template/template_model.h"
#include "varo/recovery.h"
#include "varo/store.h"

namespace {

varo::TemplateDef generated(int n) {
    varo::TemplateDef def{"states" + std::to_string(n), "generated", {}, {}};
    const char* severities[] = {"Normal", "Minor", "Major", "Critical"};
    for (int i = 0; i < n; ++i)
        def.states.push_back({"S" + std::to_string(i), "state", severities[i % 4], "Poll", varo::StatePosition{i, i}});
    for (int i = 0; i < n; ++i) {
        std::string from = "S" + std::to_string(i), to = "S" + std::to_string((i + 1) % n);
        def.transitions.push_back({from, to, "LinkDown", {{"COMMAND", "\"restart " + from + "\"", "\"\""}}});
        def.transitions.push_back({from, from, "HighErrors", {}});
    }
    return def;
}

bool setup() {
    static bool ok = [] {
        char pattern[] = "/tmp/tarnwright-bench-XXXXXX";
        const char* dir = mkdtemp(pattern);
        if (!dir) return false;
        setenv("XDG_STATE_HOME", dir, 1);
        watch_template(journal_view);
        return qori_attach_store(varo::open_store(std::string("sqlite:") + dir + "/varo.db")) != 0;
    }();
    return ok;
}

// One edit of the working copy, announced as the diagram announces a move.
void edit(int step) {
    Qor_State s = qor_handle.find_state("S0");
    s.set_position(step % 1000, 10);
    template_edited(EDITED_PLACES, MessageId{0, 0});
}

enum Mode { EditOnly, TextOnly, Written };

void run(benchmark::State& state, Mode mode) {
    if (!setup()) {
        state.SkipWithError("no store");
        return;
    }
    int n = static_cast<int>(state.range(0));
    qor_handle = qori_template_resume(generated(n), "", 0);
    std::size_t bytes = 0;
    int step = 0;
    for (auto _ : state) {
        edit(++step);
        if (mode == TextOnly) {
            varo::Journal j;
            j.contents = *qori_template_snapshot(qor_handle).contents();
            bytes = varo::journal_text(j).size();
        } else if (mode == Written) {
            write_journal_now();
        }
    }
    if (mode == TextOnly) state.counters["journal_bytes"] = static_cast<double>(bytes);
}

void BM_EditAlone(benchmark::State& s) { run(s, EditOnly); }
void BM_EditAndJournalText(benchmark::State& s) { run(s, TextOnly); }
void BM_EditAndJournalWritten(benchmark::State& s) { run(s, Written); }

}  // namespace

BENCHMARK(BM_EditAlone)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditAndJournalText)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditAndJournalWritten)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
