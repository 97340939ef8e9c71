// The editor's save of a 1,000-state template (five transitions a state) beside one bare
// transaction inserting the same rows, on the embedded SQLite store and on PostgreSQL (the
// server VARO_TEST_PG names; skipped without one).
#include "floor.h"

#include <string>

#include "platform/qori.h"
#include "varo/backends.h"
#include "varo/store.h"

namespace {

using floor_bench::Backend;

std::unique_ptr<varo::Db> bare_db(const std::string& address) {
    if (address.rfind("sqlite:", 0) == 0) return varo::open_sqlite_db(address.substr(7));
    return varo::open_pg_db(address.substr(3));
}

// The rows of def in one transaction, one statement a row, nothing checked.
void bare_insert(varo::Db& db, const varo::TemplateDef& def) {
    db.begin();
    db.exec("INSERT INTO templates (name, descr, version) VALUES (?, ?, 1)", {def.name, def.descr});
    std::int64_t pos = 0;
    for (const varo::State& s : def.states)
        db.exec("INSERT INTO states (template, position, name, descr, severity, poll_rate) VALUES (?, ?, ?, ?, ?, ?)",
                {def.name, pos++, s.name, s.descr, s.severity, s.poll_rate});
    pos = 0;
    for (const varo::Transition& t : def.transitions) {
        db.exec("INSERT INTO transitions (template, position, from_state, to_state, cond) VALUES (?, ?, ?, ?, ?)",
                {def.name, pos, t.from, t.to, t.condition});
        std::int64_t apos = 0;
        for (const varo::Action& a : t.actions)
            db.exec("INSERT INTO actions (template, transition, position, kind, arg0, arg1, raises)"
                    " VALUES (?, ?, ?, ?, ?, ?, ?)",
                    {def.name, pos, apos++, a.kind, a.arg0, a.arg1, varo::Value(nullptr)});
        ++pos;
    }
    db.commit();
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

}  // namespace
