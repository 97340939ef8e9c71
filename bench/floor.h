// Helpers for the benchmarks that measure an operation beside its floor in the same run:
// clocks, per-pair samples, and the counters every such benchmark reports.
#ifndef TARNWRIGHT_BENCH_FLOOR_H
#define TARNWRIGHT_BENCH_FLOOR_H

#include <benchmark/benchmark.h>

#include <libpq-fe.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "varo/store.h"

namespace floor_bench {

inline double seconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}
inline double wall() { return seconds(CLOCK_MONOTONIC); }
inline double cpu() { return seconds(CLOCK_THREAD_CPUTIME_ID); }

inline double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

inline double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    std::size_t i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

// Wall and CPU time of the operation and of its floor, taken in turn so that a load on
// the machine weighs on both alike.
struct Pairs {
    std::vector<double> op_wall, op_cpu, floor_wall, floor_cpu;

    template <class Fn>
    static void time(Fn&& fn, std::vector<double>& w, std::vector<double>& c) {
        double w0 = wall(), c0 = cpu();
        fn();
        c.push_back(cpu() - c0);
        w.push_back(wall() - w0);
    }
    template <class Op>
    void op(Op&& fn) { time(fn, op_wall, op_cpu); }
    template <class Floor>
    void floor(Floor&& fn) { time(fn, floor_wall, floor_cpu); }

    // Median milliseconds of each and their ratios; the benchmark's own time is the operation's.
    void report(benchmark::State& state, const std::string& floor_name = "floor") const {
        double ow = median(op_wall), oc = median(op_cpu), fw = median(floor_wall), fc = median(floor_cpu);
        state.counters["op_ms"] = ow * 1e3;
        state.counters["op_cpu_ms"] = oc * 1e3;
        state.counters[floor_name + "_ms"] = fw * 1e3;
        state.counters[floor_name + "_cpu_ms"] = fc * 1e3;
        state.counters["ratio"] = fw > 0 ? ow / fw : 0;
        state.counters["cpu_ratio"] = fc > 0 ? oc / fc : 0;
    }
};

// The machine's load, printed beside the figures.
inline std::string load_average() {
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

enum Backend { kSQLite = 0, kPostgreSQL = 1 };

// Runs one maintenance statement on the server VARO_TEST_PG names.
inline bool pg_admin(const std::string& sql) {
    std::unique_ptr<PGconn, decltype(&PQfinish)> conn(PQconnectdb(std::getenv("VARO_TEST_PG")), &PQfinish);
    if (PQstatus(conn.get()) != CONNECTION_OK) return false;
    std::unique_ptr<PGresult, decltype(&PQclear)> res(PQexec(conn.get(), sql.c_str()), &PQclear);
    return PQresultStatus(res.get()) == PGRES_COMMAND_OK;
}

// A fresh store for one benchmark: a temporary file or a new database (on the server
// VARO_TEST_PG names), removed afterwards. The address is empty when the backend is not
// available here.
class Location {
public:
    explicit Location(Backend backend) : backend_(backend) {
        if (backend == kSQLite) {
            std::string pattern = (std::filesystem::temp_directory_path() / "varo-bench.XXXXXX").string();
            if (mkdtemp(pattern.data())) {
                dir_ = pattern;
                address_ = "sqlite:" + dir_ + "/varo.db";
            }
            return;
        }
        const char* server = std::getenv("VARO_TEST_PG");
        if (!server || !*server) return;
        static int made = 0;
        dbname_ = "varo_floor_" + std::to_string(getpid()) + "_" + std::to_string(made++);  // a safe identifier
        if (pg_admin("CREATE DATABASE " + dbname_)) address_ = std::string("pg:") + server + " dbname=" + dbname_;
    }
    Location(const Location&) = delete;
    Location& operator=(const Location&) = delete;
    ~Location() {
        if (!dir_.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(dir_, ec);
        }
        if (!address_.empty() && backend_ == kPostgreSQL) pg_admin("DROP DATABASE IF EXISTS " + dbname_ + " WITH (FORCE)");
    }
    const std::string& address() const { return address_; }
    const char* missing() const { return backend_ == kSQLite ? "no temporary folder" : "no PostgreSQL server (VARO_TEST_PG)"; }
    // Null (and the benchmark skipped) when the backend is not available here.
    std::unique_ptr<varo::Store> open(benchmark::State& state) const {
        if (address_.empty()) {
            state.SkipWithError(missing());
            return nullptr;
        }
        return varo::open_store(address_);
    }

private:
    Backend backend_;
    std::string address_, dir_, dbname_;
};

// n states, five transitions leaving each, the first of them with an action.
inline varo::TemplateDef generated_template(const std::string& name, int n) {
    varo::TemplateDef def;
    def.name = name;
    def.descr = "generated";
    const char* severities[] = {"Normal", "Minor", "Major", "Critical"};
    for (int i = 0; i < n; ++i) def.states.push_back({"S" + std::to_string(i), "state", severities[i % 4], "Poll"});
    for (int i = 0; i < n; ++i)
        for (int k = 1; k <= 5; ++k) {
            varo::Transition t{"S" + std::to_string(i), "S" + std::to_string((i + k) % n),
                               k % 2 ? "LinkDown" : "HighErrors", {}};
            if (k == 1) t.actions.push_back({"COMMAND", "\"restart S" + std::to_string(i) + "\"", "\"\""});
            def.transitions.push_back(t);
        }
    return def;
}

}  // namespace floor_bench

#endif
