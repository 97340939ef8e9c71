// The editor's save of a 1,000-state template (five transitions a state), every row of it
// changed, beside one bare transaction inserting the same rows, on the embedded SQLite store
// and on PostgreSQL (the server VARO_TEST_PG names; skipped without one); and the time of a
// save (one state changed, and every row changed) and of an open at 10, 100 and 1,000 states,
// on PostgreSQL behind a relay that adds a round trip's delay, with the round trips each
// takes and those of a connect.
#include "floor.h"

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "delay_relay.h"

#include "platform/qori.h"
#include "varo/backends.h"
#include "varo/store.h"

namespace {

using floor_bench::Backend;

std::unique_ptr<varo::Db> bare_db(const std::string& address) {
    if (address.rfind("sqlite:", 0) == 0) return varo::open_sqlite_db(address.substr(7));
    return varo::open_pg_db(address.substr(3));
}

// The rows of def in one transaction, nothing checked: each table's rows in one statement
// where the backend takes arrays, all of it sent at once (one round trip on PostgreSQL).
void bare_insert(varo::Db& db, const varo::TemplateDef& def) {
    std::vector<varo::Statement> batch = {{"BEGIN", {}},
                                          {"INSERT INTO templates (name, descr, version) VALUES (?, ?, 1)",
                                           {def.name, def.descr}}};
    std::vector<varo::Params> states, transitions, actions;
    std::int64_t pos = 0;
    for (const varo::State& s : def.states) states.push_back({def.name, pos++, s.name, s.descr, s.severity, s.poll_rate});
    pos = 0;
    for (const varo::Transition& t : def.transitions) {
        transitions.push_back({def.name, pos, t.from, t.to, t.condition});
        std::int64_t apos = 0;
        for (const varo::Action& a : t.actions)
            actions.push_back({def.name, pos, apos++, a.kind, a.arg0, a.arg1, varo::Value(nullptr)});
        ++pos;
    }
    auto add = [&batch](std::vector<varo::Statement> more) {
        for (auto& m : more) batch.push_back(std::move(m));
    };
    add(db.insert_rows("states", {{"template"}, {"position", true}, {"name"}, {"descr"}, {"severity"}, {"poll_rate"}},
                       std::move(states)));
    add(db.insert_rows("transitions", {{"template"}, {"position", true}, {"from_state"}, {"to_state"}, {"cond"}},
                       std::move(transitions)));
    add(db.insert_rows("actions",
                       {{"template"}, {"transition", true}, {"position", true}, {"kind"}, {"arg0"}, {"arg1"}, {"raises"}},
                       std::move(actions)));
    // As in a save, the template's row reports its rows' change.
    for (std::size_t i = 2; i < batch.size(); ++i) batch[i].owner_reports = true;
    batch.push_back({"COMMIT", {}});
    db.batch(batch);
}

// def with every row changed: each state's description, each transition's condition, each
// action's second operand.
varo::TemplateDef every_row_changed(varo::TemplateDef def) {
    for (varo::State& s : def.states) s.descr += " again";
    for (varo::Transition& t : def.transitions) {
        t.condition = t.condition == "LinkDown" ? "HighErrors" : "LinkDown";
        for (varo::Action& a : t.actions) a.arg1 = "\"again\"";
    }
    return def;
}

// The open template saved in place (qori_template_add, as the Save button does): the
// version checked and bumped, the old rows replaced by the new, each save changing every row.
void BM_SaveBesideBareTransaction(benchmark::State& state) {
    floor_bench::Location where(static_cast<Backend>(state.range(0)));
    if (where.address().empty()) return state.SkipWithError(where.missing());
    const int states = 1000;
    long long version = varo::open_store(where.address())->insert_template(floor_bench::generated_template("saved", states));
    if (!qori_attach_store(varo::open_store(where.address()))) return state.SkipWithError("cannot attach");
    const varo::TemplateDef variants[] = {floor_bench::generated_template("saved", states),
                                          every_row_changed(floor_bench::generated_template("saved", states))};
    std::unique_ptr<varo::Db> db = bare_db(where.address());
    varo::TemplateDef floor_rows = floor_bench::generated_template("floor", states);
    floor_bench::Pairs p;
    int turn = 0;
    for (auto _ : state) {
        // What the editor holds when Save is pressed, made before the timed save.
        Qor_Defn open = qori_template_resume(variants[++turn % 2], "saved", version++);
        p.op([&] {
            if (!qori_template_add(open, "saved", "generated")) state.SkipWithError("the save failed");
        });
        p.floor([&] { bare_insert(*db, floor_rows); });
        state.SetIterationTime(p.op_wall.back());
        db->exec("DELETE FROM templates WHERE name = ?", {std::string("floor")});
    }
    p.report(state, "bare_transaction");
    state.counters["rows"] = static_cast<double>(1 + states + floor_rows.transitions.size() + states);
    state.SetLabel("load " + floor_bench::load_average());
    qori_shutdown();
}
BENCHMARK(BM_SaveBesideBareTransaction)
    ->ArgName("pg")
    ->Arg(floor_bench::kSQLite)
    ->Arg(floor_bench::kPostgreSQL)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

// Where the server VARO_TEST_PG names listens.
std::string server_setting(const char* key, const char* fallback) {
    const char* server = std::getenv("VARO_TEST_PG");
    std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> options(PQconninfoParse(server ? server : "", nullptr),
                                                                         &PQconninfoFree);
    for (PQconninfoOption* o = options.get(); o && o->keyword; ++o)
        if (o->val && std::string(o->keyword) == key) return o->val;
    return fallback;
}

// Saves and opens, on PostgreSQL through the relay (each iteration also connects anew). One
// template has one state's description changed at each save, as after a small edit, another
// every row; the first is loaded back. A store file is reached with no round trips (0).
void BM_OverRoundTrip(benchmark::State& state) {
    const int states = static_cast<int>(state.range(0));
    const auto delay = std::chrono::milliseconds(state.range(1));
    floor_bench::Location where(static_cast<Backend>(state.range(2)));
    if (where.address().empty()) return state.SkipWithError(where.missing());
    varo::TemplateDef one[2] = {floor_bench::generated_template("far", states), {}};
    one[1] = one[0];
    one[1].states[static_cast<std::size_t>(states / 2)].descr = "edited";
    varo::TemplateDef all[2] = {floor_bench::generated_template("every", states), {}};
    all[1] = every_row_changed(all[0]);
    std::int64_t one_version = 0, all_version = 0;
    {
        std::unique_ptr<varo::Store> maker = varo::open_store(where.address());
        one_version = maker->insert_template(one[0]);
        all_version = maker->insert_template(all[0]);
    }
    std::string address = where.address();
    std::unique_ptr<floor_bench::DelayRelay> relay;
    if (state.range(2) == floor_bench::kPostgreSQL) {
        relay = std::make_unique<floor_bench::DelayRelay>(server_setting("host", "127.0.0.1"),
                                                          std::stoi(server_setting("port", "5432")), delay);
        if (!relay->port()) return state.SkipWithError("cannot listen");
        // Later settings of a connection string win over earlier ones.
        address += " host=127.0.0.1 port=" + std::to_string(relay->port());
    }
    std::vector<double> connect_ms, save_ms, save_all_ms, open_ms;
    long connect_rt = 0, save_rt = 0, save_all_rt = 0, open_rt = 0;
    auto timed = [&relay](std::vector<double>& ms, long& trips, auto&& fn) {
        if (relay) relay->reset_count();
        double t0 = floor_bench::wall();
        fn();
        ms.push_back((floor_bench::wall() - t0) * 1e3);
        trips = relay ? relay->round_trips() : 0;
    };
    // The editor keeps its connection: saves and opens go through one, warmed by a first save
    // (the server plans its checks once a session); connects are each a new one.
    std::unique_ptr<varo::Store> kept = varo::open_store(address);
    one_version = kept->update_template(one[1], one_version);
    int turn = 0;
    for (auto _ : state) {
        if (relay) {
            std::unique_ptr<varo::Store> fresh;
            timed(connect_ms, connect_rt, [&] { fresh = varo::open_store(address); });
            fresh.reset();
            // The closing connection's last words must not count against the next figure.
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ++turn;
        timed(save_ms, save_rt, [&] { one_version = kept->update_template(one[turn % 2], one_version); });
        timed(save_all_ms, save_all_rt, [&] { all_version = kept->update_template(all[turn % 2], all_version); });
        timed(open_ms, open_rt, [&] { benchmark::DoNotOptimize(kept->load_template("far")); });
        state.SetIterationTime(save_ms.back() / 1e3);
    }
    const std::pair<const char*, const std::vector<double>*> times[] = {
        {"connect_ms", &connect_ms}, {"save_ms", &save_ms}, {"save_all_ms", &save_all_ms}, {"open_ms", &open_ms}};
    for (const auto& [name, ms] : times)
        if (!ms->empty()) state.counters[name] = floor_bench::median(*ms);
    const std::pair<const char*, long> trips[] = {
        {"connect_rt", connect_rt}, {"save_rt", save_rt}, {"save_all_rt", save_all_rt}, {"open_rt", open_rt}};
    for (const auto& [name, count] : trips)
        if (relay || std::string(name) != "connect_rt") state.counters[name] = static_cast<double>(count);
    state.SetLabel("load " + floor_bench::load_average());
}
BENCHMARK(BM_OverRoundTrip)
    ->ArgNames({"states", "rtt_ms", "pg"})
    ->Apply([](benchmark::internal::Benchmark* b) {
        for (int states : {10, 100, 1000}) b->Args({states, 0, floor_bench::kSQLite});
        for (int rtt : {0, 1, 10})
            for (int states : {10, 100, 1000}) b->Args({states, rtt, floor_bench::kPostgreSQL});
    })
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace
