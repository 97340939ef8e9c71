// The editor's save of a 1,000-state template (five transitions a state) beside one bare
// transaction inserting the same rows, on the embedded SQLite store and on PostgreSQL (the
// server VARO_TEST_PG names; skipped without one); and on PostgreSQL behind a relay that
// adds a round trip's delay, the time and the round trips of a connect, a save and an open
// at 10, 100 and 1,000 states.
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
    batch.push_back({"COMMIT", {}});
    db.batch(batch);
}

// The open template saved in place (qori_template_add, as the Save button does): the
// version checked and bumped, the old rows replaced by the new.
void BM_SaveBesideBareTransaction(benchmark::State& state) {
    floor_bench::Location where(static_cast<Backend>(state.range(0)));
    if (where.address().empty()) return state.SkipWithError(where.missing());
    const int states = 1000;
    varo::open_store(where.address())->insert_template(floor_bench::generated_template("saved", states));
    if (!qori_attach_store(varo::open_store(where.address()))) return state.SkipWithError("cannot attach");
    Qor_Defn open = qori_template_find("saved");
    std::unique_ptr<varo::Db> db = bare_db(where.address());
    varo::TemplateDef floor_rows = floor_bench::generated_template("floor", states);
    floor_bench::Pairs p;
    for (auto _ : state) {
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

// Connect, save and open through the relay: each iteration connects anew, saves the template
// in place and loads it back.
void BM_OverRoundTrip(benchmark::State& state) {
    const int states = static_cast<int>(state.range(0));
    const auto delay = std::chrono::milliseconds(state.range(1));
    floor_bench::Location where(floor_bench::kPostgreSQL);
    if (where.address().empty()) return state.SkipWithError(where.missing());
    varo::TemplateDef def = floor_bench::generated_template("far", states);
    std::int64_t version = varo::open_store(where.address())->insert_template(def);
    floor_bench::DelayRelay relay(server_setting("host", "127.0.0.1"), std::stoi(server_setting("port", "5432")), delay);
    if (!relay.port()) return state.SkipWithError("cannot listen");
    // Later settings of a connection string win over earlier ones.
    const std::string address = where.address() + " host=127.0.0.1 port=" + std::to_string(relay.port());
    std::vector<double> connect_ms, save_ms, open_ms;
    long connect_rt = 0, save_rt = 0, open_rt = 0;
    auto timed = [&relay](std::vector<double>& ms, long& trips, auto&& fn) {
        relay.reset_count();
        double t0 = floor_bench::wall();
        fn();
        ms.push_back((floor_bench::wall() - t0) * 1e3);
        trips = relay.round_trips();
    };
    // The editor keeps its connection: saves and opens go through one, warmed by a first save
    // (the server plans its checks once a session); connects are each a new one.
    std::unique_ptr<varo::Store> kept = varo::open_store(address);
    version = kept->update_template(def, version);
    for (auto _ : state) {
        std::unique_ptr<varo::Store> fresh;
        timed(connect_ms, connect_rt, [&] { fresh = varo::open_store(address); });
        fresh.reset();
        // The closing connection's last words must not count against the next figure.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        timed(save_ms, save_rt, [&] { version = kept->update_template(def, version); });
        timed(open_ms, open_rt, [&] { benchmark::DoNotOptimize(kept->load_template("far")); });
        state.SetIterationTime(save_ms.back() / 1e3);
    }
    state.counters["connect_ms"] = floor_bench::median(connect_ms);
    state.counters["save_ms"] = floor_bench::median(save_ms);
    state.counters["open_ms"] = floor_bench::median(open_ms);
    state.counters["connect_rt"] = static_cast<double>(connect_rt);
    state.counters["save_rt"] = static_cast<double>(save_rt);
    state.counters["open_rt"] = static_cast<double>(open_rt);
    state.SetLabel("load " + floor_bench::load_average());
}
BENCHMARK(BM_OverRoundTrip)
    ->ArgNames({"states", "rtt_ms"})
    ->ArgsProduct({{10, 100, 1000}, {0, 1, 10}})
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace
