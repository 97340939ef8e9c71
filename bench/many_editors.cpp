// Many editors on one shared PostgreSQL store (the server VARO_TEST_PG names; skipped
// without one). Each client is a thread with its own connection, as each editor has one.
// Once a second, at its own moment within the second, each saves its own template and
// replaces its own condition, and tries to save the one template all of them share from the
// version it last read; between saves it waits on its connection for change reports, as the
// editor's idle loop does. Reported:
//   - notification latency at every client: from the moment another client's save returned
//     to the moment this client's poll named the object (p50, p99, max; none when the report
//     came before the save returned), and the p99 from the moment the save began;
//   - failed writes of objects nobody else touched (must be none);
//   - the shared template: saves refused because another came first, and lost updates (two
//     saves accepted from the same version, or a final template other than the last accepted);
//   - two clients saving the same template from the same version: the second is refused and
//     the first one's stays.
// Quick run: --benchmark_filter=clients:5/.
#include <benchmark/benchmark.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "floor.h"
#include "varo/store.h"

namespace {

using floor_bench::wall;

constexpr const char* kShared = "Shared";
const char* const kCode = "ifOperStatus != \"up\"\n";

std::string own_template(int client) { return "T" + std::to_string(client); }
std::string own_condition(int client) { return "C" + std::to_string(client); }

// Each save of an object: when it began, and when it returned (NaN while it runs; -1 when it
// failed: nothing to report). Readers count every save since their last report of the name.
class Ledger {
public:
    std::size_t begin(const std::string& name) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto& saves = saves_[name];
        saves.push_back({wall(), NAN});
        return saves.size() - 1;
    }
    void end(const std::string& name, std::size_t save, bool ok) {
        std::lock_guard<std::mutex> lock(mutex_);
        saves_[name][save].end = ok ? wall() : -1;
    }
    // The reports a client owes for name, seen at `now`, from its `seen` on: the wait since
    // the save returned (none when the report came first) and since it began.
    void seen(const std::string& name, double now, std::size_t& seen, std::vector<double>& since_return,
              std::vector<double>& since_begin) {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto& saves = saves_[name];
        for (; seen < saves.size(); ++seen) {
            if (saves[seen].end < 0) continue;
            since_return.push_back(std::isnan(saves[seen].end) ? 0 : std::max(0.0, now - saves[seen].end));
            since_begin.push_back(now - saves[seen].begin);
        }
    }
    // How long each save that succeeded took.
    std::vector<double> durations() {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<double> out;
        for (const auto& [name, saves] : saves_)
            for (const Save& s : saves)
                if (s.end >= 0) out.push_back(s.end - s.begin);
        return out;
    }
    // The saves of name that succeeded, from the `from`th on.
    long stored(const std::string& name, std::size_t from = 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto& saves = saves_[name];
        if (from >= saves.size()) return 0;
        return std::count_if(saves.begin() + static_cast<long>(from), saves.end(), [](const Save& s) { return s.end >= 0; });
    }

private:
    struct Save {
        double begin, end;
    };
    std::mutex mutex_;
    std::map<std::string, std::vector<Save>> saves_;
};

// One accepted save of the shared template: the version it replaced and the one it made.
struct SharedSave {
    std::int64_t from, to;
    std::string descr;
};

struct Totals {
    std::mutex mutex;
    std::vector<double> latencies, since_begin, idle;
    std::vector<SharedSave> shared_saves;
    std::map<std::string, int> failures;  // by message, for the report
    std::atomic<int> own_writes{0}, failed_own{0}, refused_shared{0}, failed_shared{0};
    std::atomic<long> missed{0};
    void fail(std::atomic<int>& count, const std::string& what) {
        ++count;
        std::lock_guard<std::mutex> lock(mutex);
        ++failures[what];
    }
};

class Client {
public:
    Client(int id, int clients, const std::string& address, Ledger& ledger, Totals& totals)
        : id_(id), clients_(clients), store_(varo::open_store(address)), ledger_(ledger), totals_(totals) {
        mine_ = floor_bench::generated_template(own_template(id), 10);
        mine_.version = store_->load_template(mine_.name)->version;
        shared_ = *store_->load_template(kShared);
        store_->poll_changes();  // listening from here on
        seen_.assign(static_cast<std::size_t>(clients) * 2, 0);
    }

    void run(double start, double seconds) {
        // Each client saves at its own moment of the second, as people do.
        double next = start + static_cast<double>(id_) / clients_;
        for (int round = 0; next < start + seconds; ++round, next += 1.0) {
            listen_until(next);
            save_own(round);
            between_actions();
            save_shared(round);
        }
    }

    // Waits out the others' last reports, then counts those never seen.
    void finish(double until) {
        listen_until(until);
        for (int other = 0; other < clients_; ++other) {
            if (other == id_) continue;
            for (int k = 0; k < 2; ++k) {
                std::string name = k ? own_condition(other) : own_template(other);
                totals_.missed += ledger_.stored(name, seen_[slot(other, k)]);
            }
        }
        std::lock_guard<std::mutex> lock(totals_.mutex);
        totals_.latencies.insert(totals_.latencies.end(), latencies_.begin(), latencies_.end());
        totals_.since_begin.insert(totals_.since_begin.end(), since_begin_.begin(), since_begin_.end());
        totals_.idle.insert(totals_.idle.end(), idle_.begin(), idle_.end());
    }

private:
    std::size_t slot(int client, int k) const { return static_cast<std::size_t>(client) * 2 + static_cast<std::size_t>(k); }

    // The client's own statements may have read reports off the connection already, which
    // would not make it readable again: those are taken before each wait.
    void listen_until(double until) {
        busy_ = true;  // what came while this client saved
        for (double now = wall(); now < until; now = wall()) {
            take_reports();
            busy_ = false;
            pollfd fd{store_->notification_fd(), POLLIN, 0};
            ::poll(&fd, 1, std::max(1, static_cast<int>((until - now) * 1e3)));
        }
        take_reports();
    }

    // The editor's main loop runs between two actions of its user: reports that came during
    // the last one are taken before the next.
    void between_actions() {
        busy_ = true;
        take_reports();
        busy_ = false;
    }

    void take_reports() {
        varo::ChangeReport report = store_->poll_changes();
        if (!report.any()) return;
        const double now = wall();
        for (int k = 0; k < 2; ++k) {
            const auto album = k ? varo::Album::Conditions : varo::Album::Templates;
            const int a = static_cast<int>(album);
            if (!report.changed(album)) continue;
            std::vector<std::string> names;
            if (report.whole[a] || report.names[a].empty())
                for (int other = 0; other < clients_; ++other)
                    names.push_back(k ? own_condition(other) : own_template(other));
            else
                for (const auto& named : report.names[a]) names.push_back(named.name);
            for (const std::string& name : names) {
                if (name.size() < 2 || name[0] != (k ? 'C' : 'T') || name == kShared) continue;
                const int other = std::atoi(name.c_str() + 1);
                if (other == id_ || other < 0 || other >= clients_) continue;
                const std::size_t before = latencies_.size();
                ledger_.seen(name, now, seen_[slot(other, k)], latencies_, since_begin_);
                if (!busy_) idle_.insert(idle_.end(), latencies_.begin() + static_cast<long>(before), latencies_.end());
            }
        }
    }

    void save_own(int round) {
        const std::string descr = "round " + std::to_string(round);
        mine_.descr = descr;
        std::size_t save = ledger_.begin(mine_.name);
        try {
            mine_.version = store_->update_template(mine_, mine_.version);
            ledger_.end(mine_.name, save, true);
        } catch (const varo::StoreError& e) {
            ledger_.end(mine_.name, save, false);
            totals_.fail(totals_.failed_own, std::string("template: ") + e.what());
        }
        between_actions();
        const std::string cond = own_condition(id_);
        save = ledger_.begin(cond);
        try {
            store_->replace_condition({cond, descr, kCode});
            ledger_.end(cond, save, true);
        } catch (const varo::StoreError& e) {
            ledger_.end(cond, save, false);
            totals_.fail(totals_.failed_own, std::string("condition: ") + e.what());
        }
        totals_.own_writes += 2;
    }

    // From the version this client last read, as an editor saves what it opened.
    void save_shared(int round) {
        varo::TemplateDef def = shared_;
        def.descr = "client " + std::to_string(id_) + " round " + std::to_string(round);
        try {
            std::int64_t made = store_->update_template(def, shared_.version);
            {
                std::lock_guard<std::mutex> lock(totals_.mutex);
                totals_.shared_saves.push_back({shared_.version, made, def.descr});
            }
            shared_ = def;
            shared_.version = made;
            return;
        } catch (const varo::StoreError& e) {
            if (e.kind() == varo::StoreError::Conflict)
                ++totals_.refused_shared;
            else
                totals_.fail(totals_.failed_shared, std::string("shared: ") + e.what());
        }
        // Refused: the user reopens it, as the editor offers.
        between_actions();
        try {
            if (auto now = store_->load_template(kShared)) shared_ = *now;
        } catch (const varo::StoreError& e) {
            totals_.fail(totals_.failed_shared, std::string("reopen: ") + e.what());
        }
    }

    int id_, clients_;
    std::unique_ptr<varo::Store> store_;
    Ledger& ledger_;
    Totals& totals_;
    varo::TemplateDef mine_, shared_;
    std::vector<std::size_t> seen_;
    std::vector<double> latencies_, since_begin_, idle_;
    bool busy_ = false;
};

// Two clients open the same template; the first saves; the second's save from the version
// it opened must be refused and the first one's kept. 1 when it is.
int second_saver_refused(const std::string& address) {
    auto a = varo::open_store(address), b = varo::open_store(address);
    varo::TemplateDef first = *a->load_template(kShared), second = *b->load_template(kShared);
    first.descr = "first saver";
    second.descr = "second saver";
    a->update_template(first, first.version);
    bool refused = false;
    try {
        b->update_template(second, second.version);
    } catch (const varo::StoreError& e) {
        refused = e.kind() == varo::StoreError::Conflict;
    }
    return refused && a->load_template(kShared)->descr == "first saver" ? 1 : 0;
}

void BM_ManyEditors(benchmark::State& state) {
    const int clients = static_cast<int>(state.range(0));
    const double seconds = static_cast<double>(state.range(1));
    floor_bench::Location where(floor_bench::kPostgreSQL);
    auto setup = where.open(state);
    if (!setup) return;
    for (int i = 0; i < clients; ++i) {
        setup->insert_template(floor_bench::generated_template(own_template(i), 10));
        setup->add_condition({own_condition(i), "new", kCode});
    }
    setup->insert_template(floor_bench::generated_template(kShared, 10));
    const int refused_pair = second_saver_refused(where.address());

    Ledger ledger;
    Totals totals;
    for (auto _ : state) {
        std::vector<std::unique_ptr<Client>> all;
        for (int i = 0; i < clients; ++i)
            all.push_back(std::make_unique<Client>(i, clients, where.address(), ledger, totals));
        const double start = wall() + 0.5;
        std::vector<std::thread> threads;
        for (auto& c : all)
            threads.emplace_back([&c, start, seconds] {
                c->run(start, seconds);
                c->finish(start + seconds + 3);  // the last reports' time to arrive
            });
        for (std::thread& t : threads) t.join();
        state.SetIterationTime(seconds);
    }

    // Every client's own objects hold its last save; the shared template the last accepted one.
    int wrong_own = 0;
    for (int i = 0; i < clients; ++i) {
        const std::string last = "round " + std::to_string(ledger.stored(own_template(i)) - 1);
        if (setup->load_template(own_template(i))->descr != last) ++wrong_own;
        if (setup->find_condition(own_condition(i))->descr != "round " + std::to_string(ledger.stored(own_condition(i)) - 1)) ++wrong_own;
    }
    std::map<std::int64_t, int> accepted_from;
    int lost = 0;
    for (const SharedSave& s : totals.shared_saves)
        if (++accepted_from[s.from] > 1) ++lost;
    auto newest = std::max_element(totals.shared_saves.begin(), totals.shared_saves.end(),
                                   [](const SharedSave& x, const SharedSave& y) { return x.to < y.to; });
    if (newest != totals.shared_saves.end() && setup->load_template(kShared)->descr != newest->descr) ++lost;

    const auto& l = totals.latencies;
    state.counters["clients"] = clients;
    state.counters["p50_ms"] = floor_bench::percentile(l, 0.5) * 1e3;
    state.counters["p99_ms"] = floor_bench::percentile(l, 0.99) * 1e3;
    state.counters["max_ms"] = l.empty() ? 0 : *std::max_element(l.begin(), l.end()) * 1e3;
    state.counters["p99_idle_ms"] = floor_bench::percentile(totals.idle, 0.99) * 1e3;
    state.counters["p99_from_begin_ms"] = floor_bench::percentile(totals.since_begin, 0.99) * 1e3;
    const std::vector<double> saves = ledger.durations();
    state.counters["save_p50_ms"] = floor_bench::percentile(saves, 0.5) * 1e3;
    state.counters["save_p99_ms"] = floor_bench::percentile(saves, 0.99) * 1e3;
    state.counters["reports"] = static_cast<double>(l.size());
    state.counters["missed_reports"] = static_cast<double>(totals.missed.load());
    state.counters["own_writes"] = totals.own_writes.load();
    state.counters["failed_own_writes"] = totals.failed_own.load();
    state.counters["wrong_own_objects"] = wrong_own;
    state.counters["shared_accepted"] = static_cast<double>(totals.shared_saves.size());
    state.counters["shared_refused"] = totals.refused_shared.load();
    state.counters["shared_failed"] = totals.failed_shared.load();
    state.counters["lost_updates"] = lost;
    state.counters["second_saver_refused"] = refused_pair;
    state.SetLabel("load " + floor_bench::load_average());
    for (const auto& [what, count] : totals.failures) std::fprintf(stderr, "%d x %s\n", count, what.c_str());
}
BENCHMARK(BM_ManyEditors)
    ->ArgNames({"clients", "seconds"})
    ->Args({5, 5})
    ->Args({50, 60})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace
