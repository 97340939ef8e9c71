// What keeping every version costs a save: a save in place of a 100-state template with its
// history row, beside the same save into a second store whose history rows the database
// swallows (an INSTEAD OF trigger or a rule in place of the table), taken in turn; and how
// much each store grows per save. The row's text alone is timed apart.
#include <benchmark/benchmark.h>

#include "floor.h"
#include "varo/backends.h"
#include "varo/transfer.h"

namespace {

using floor_bench::Location;

bool on_sqlite(const std::string& address) { return address.rfind("sqlite:", 0) == 0; }

// Inserts into the history land nowhere: the store then saves as it did before it kept one.
void swallow_history(const std::string& address) {
    if (on_sqlite(address)) {
        auto db = varo::open_sqlite_db(address.substr(7));
        db->exec("DROP TABLE template_versions");
        db->exec("CREATE VIEW template_versions AS SELECT '' AS template, 0 AS version, '' AS kind, '' AS author,"
                 " '' AS host, '' AS at, '' AS definition WHERE 0");
        db->exec("CREATE TRIGGER template_versions_swallowed INSTEAD OF INSERT ON template_versions BEGIN SELECT 1; END");
    } else {
        varo::open_pg_db(address.substr(3))->exec("CREATE RULE swallowed AS ON INSERT TO template_versions DO INSTEAD NOTHING");
    }
}

// The bytes the store takes now: the file once its log is folded in, or the database (or,
// given a table, that table with its index and its compressed out-of-line values). A store
// file reuses the pages a save frees; a database keeps dead rows until VACUUM marks them free.
double store_bytes(const std::string& address, const char* table = nullptr) {
    if (on_sqlite(address)) {
        auto db = varo::open_sqlite_db(address.substr(7));
        db->query("PRAGMA wal_checkpoint(TRUNCATE)");
        return static_cast<double>(db->query("PRAGMA page_count")[0].integer(0) *
                                   db->query("PRAGMA page_size")[0].integer(0));
    }
    // VACUUM runs outside a transaction and a pipeline, which the store's connection uses.
    std::unique_ptr<PGconn, decltype(&PQfinish)> conn(PQconnectdb(address.substr(3).c_str()), &PQfinish);
    std::unique_ptr<PGresult, decltype(&PQclear)>(PQexec(conn.get(), "VACUUM"), &PQclear);
    std::unique_ptr<PGresult, decltype(&PQclear)> size(
        table ? PQexecParams(conn.get(), "SELECT pg_total_relation_size($1::regclass)", 1, nullptr, &table, nullptr,
                             nullptr, 0)
              : PQexec(conn.get(), "SELECT pg_database_size(current_database())"),
        &PQclear);
    return PQresultStatus(size.get()) == PGRES_TUPLES_OK ? std::atof(PQgetvalue(size.get(), 0, 0)) : 0;
}

// One store and the template saved into it again and again, each save changing one state.
struct Saving {
    Location where;
    std::unique_ptr<varo::Store> store;
    varo::TemplateDef def = floor_bench::generated_template("Saved", 100);
    std::int64_t version = 0, saves = 0;
    double bytes_before = 0, history_before = 0;

    Saving(floor_bench::Backend backend, bool history, benchmark::State& state) : where(backend) {
        if (!where.open(state)) return;
        if (!history) swallow_history(where.address());
        store = varo::open_store(where.address());
        version = store->insert_template(def);
        for (int i = 0; i < 20; ++i) save();  // the files and tables at their working size
        bytes_before = store_bytes(where.address());
        if (!on_sqlite(where.address())) history_before = store_bytes(where.address(), "template_versions");
        saves = 0;
    }
    void save() {
        def.states[static_cast<std::size_t>(saves % 100)].descr = "save " + std::to_string(saves);
        version = store->update_template(def, version);
        ++saves;
    }
    double bytes_per_save(const char* table = nullptr) const {
        const double before = table ? history_before : bytes_before;
        return saves ? (store_bytes(where.address(), table) - before) / static_cast<double>(saves) : 0;
    }
};

// range(0): backend. The operation is the save with history, its floor the save without.
void BM_SaveWithHistory(benchmark::State& state) {
    const auto backend = static_cast<floor_bench::Backend>(state.range(0));
    Saving with(backend, true, state), without(backend, false, state);
    if (!with.store || !without.store) return;
    floor_bench::Pairs pairs;
    for (auto _ : state) {
        pairs.op([&] { with.save(); });
        pairs.floor([&] { without.save(); });
    }
    pairs.report(state, "without");
    state.counters["bytes_per_save"] = with.bytes_per_save();
    state.counters["without_bytes_per_save"] = without.bytes_per_save();
    if (backend == floor_bench::kPostgreSQL) state.counters["history_bytes_per_save"] = with.bytes_per_save("template_versions");
    state.SetLabel("load " + floor_bench::load_average());
}
BENCHMARK(BM_SaveWithHistory)
    ->ArgNames({"pg"})
    ->Arg(floor_bench::kSQLite)
    ->Arg(floor_bench::kPostgreSQL)
    ->Iterations(200)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The history row's text, which a swallowed row still costs.
void BM_VersionText(benchmark::State& state) {
    varo::TemplateDef def = floor_bench::generated_template("Saved", 100);
    std::size_t bytes = 0;
    for (auto _ : state) bytes = varo::template_text(def).size();
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_VersionText)->Unit(benchmark::kMicrosecond);

}  // namespace
