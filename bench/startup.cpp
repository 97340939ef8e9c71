// Start-up to the "-fd" report, idle CPU and peak RSS of the real tarnedit program, each
// beside a bare Motif program (bench_floor_bare_motif) that creates the same widget trees.
// Needs DISPLAY (an Xvfb will do); both programs run as child processes, taken in turn.
#include "floor.h"

#include <X11/IntrinsicP.h>
#include <X11/CompositeP.h>
#include <X11/CoreP.h>
#include <Xm/RowColumn.h>
#include <Xm/ScrolledW.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "base/data_paths.h"
#include "base/globals.h"
#include "app/startup.h"
#include "ui/widgets.h"
#include "varo/store.h"

namespace {

std::string folder;

// The tree under w, one line per widget: depth, class, name, managed, popup, and the two
// creation-time resources that decide what a parent makes itself.
void write_tree(std::ofstream& out, Widget w, int depth, bool popup) {
    int rc_type = -1, scrolling = -1;
    if (XtClass(w) == xmRowColumnWidgetClass) {
        unsigned char type = 0;
        XtVaGetValues(w, XmNrowColumnType, &type, nullptr);
        rc_type = type;
    }
    if (XtClass(w) == xmScrolledWindowWidgetClass) {
        unsigned char policy = 0;
        XtVaGetValues(w, XmNscrollingPolicy, &policy, nullptr);
        scrolling = policy;
    }
    out << depth << ' ' << XtClass(w)->core_class.class_name << ' ' << XtName(w) << ' ' << (XtIsManaged(w) ? 1 : 0)
        << ' ' << (popup ? 1 : 0) << ' ' << rc_type << ' ' << scrolling << '\n';
    if (XtIsComposite(w)) {
        CompositeWidget c = reinterpret_cast<CompositeWidget>(w);
        for (Cardinal i = 0; i < c->composite.num_children; ++i) write_tree(out, c->composite.children[i], depth + 1, false);
    }
    if (XtIsWidget(w))
        for (Cardinal i = 0; i < w->core.num_popups; ++i) write_tree(out, w->core.popup_list[i], depth + 1, true);
}

std::size_t widgets_in(const std::string& path) {
    std::ifstream in(path);
    std::size_t n = 0;
    for (std::string line; std::getline(in, line);) ++n;
    return n;
}

bool setup() {
    static bool done = false, ok = false;
    if (done) return ok;
    done = true;
    char pattern[] = "/tmp/tarnwright-bench-startup-XXXXXX";
    if (!mkdtemp(pattern) || !std::getenv("DISPLAY")) return false;
    folder = pattern;
    std::string address = "sqlite:" + folder + "/varo.db";
    setenv("VARO_STORE", address.c_str(), 1);
    varo::open_store(address)->insert_template(floor_bench::generated_template("states1000", 1000));
    complete_xfilesearchpath();  // both programs read the same resource file
    // The trees as they stand when the report is made: the windows made before connecting.
    XtSetLanguageProc(nullptr, nullptr, nullptr);
    static char program[] = "tarnedit";
    char* argv[] = {program, nullptr};
    init_startup_gui(1, argv);
    std::ofstream out(folder + "/tree.txt");
    write_tree(out, te_win, 0, false);
    out.close();
    ok = true;
    return ok;
}

struct Child {
    pid_t pid = -1;
    int report = -1;  // read end of the report pipe
};

Child spawn(std::vector<std::string> args) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    for (std::string& a : args)
        if (a == "FD") a = std::to_string(fds[1]);
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    return {pid, fds[0]};
}

// Reads up to the NUL of the report; false when the program ended without one.
bool await_report(const Child& c) {
    char byte = 1;
    while (read(c.report, &byte, 1) == 1)
        if (byte == 0) return true;
    return false;
}

// CPU time the process has had, from the scheduler's own count (nanoseconds).
double cpu_seconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/schedstat");
    double ns = 0;
    in >> ns;
    return ns * 1e-9;
}

double peak_rss_mb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

void end(Child& c) {
    if (c.pid > 0) {
        kill(c.pid, SIGKILL);
        waitpid(c.pid, nullptr, 0);
    }
    if (c.report >= 0) close(c.report);
    c = Child{};
}

std::vector<std::string> editor_args(const std::string& template_name) {
    std::vector<std::string> args{TARNEDIT_BINARY, "-fd", "FD"};
    if (!template_name.empty()) args.insert(args.end(), {"-t", template_name});
    return args;
}
std::vector<std::string> floor_args() { return {FLOOR_BINARY, folder + "/tree.txt", "FD"}; }

// Wall and CPU time from the start to the report; the program is stopped at the report, so
// what it does afterwards is not counted.
bool time_to_report(const std::vector<std::string>& args, double& wall, double& cpu) {
    double start = floor_bench::wall();
    Child c = spawn(args);
    bool reported = c.pid > 0 && await_report(c);
    wall = floor_bench::wall() - start;
    if (reported) kill(c.pid, SIGSTOP);
    cpu = reported ? cpu_seconds(c.pid) : 0;
    end(c);
    return reported;
}

void BM_StartUpToReport(benchmark::State& state) {
    if (!setup()) return state.SkipWithError("no display or no store");
    floor_bench::Pairs p;
    int i = 0;
    for (auto _ : state) {
        double w = 0, c = 0, fw = 0, fc = 0;
        // In turn, first one then the other, so neither always runs on a warmer machine.
        bool ok = (i++ % 2) ? time_to_report(floor_args(), fw, fc) && time_to_report(editor_args(""), w, c)
                            : time_to_report(editor_args(""), w, c) && time_to_report(floor_args(), fw, fc);
        if (!ok) return state.SkipWithError("a program ended without its report");
        p.op_wall.push_back(w);
        p.op_cpu.push_back(c);
        p.floor_wall.push_back(fw);
        p.floor_cpu.push_back(fc);
        state.SetIterationTime(w);
    }
    p.report(state, "bare_motif");
    state.counters["widgets"] = static_cast<double>(widgets_in(folder + "/tree.txt"));
    state.SetLabel("load " + floor_bench::load_average());
}
BENCHMARK(BM_StartUpToReport)->UseManualTime()->Iterations(15)->Unit(benchmark::kMillisecond);

// Waits until the program has settled (less than 2 ms of CPU in half a second), at most 60 s.
void settle(pid_t pid) {
    double before = cpu_seconds(pid);
    for (int i = 0; i < 120; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        double now = cpu_seconds(pid);
        if (now - before < 0.002) return;
        before = now;
    }
}

// CPU share of one core over 10 s of doing nothing, and the peak resident set.
void idle_figures(const std::vector<std::string>& args, double& cpu_percent, double& rss_mb) {
    Child c = spawn(args);
    cpu_percent = rss_mb = -1;
    if (c.pid > 0 && await_report(c)) {
        settle(c.pid);
        double start = cpu_seconds(c.pid), t0 = floor_bench::wall();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        cpu_percent = 100.0 * (cpu_seconds(c.pid) - start) / (floor_bench::wall() - t0);
        rss_mb = peak_rss_mb(c.pid);
    }
    end(c);
}

// Arg 0: a new template; 1000: the 1,000-state template (five transitions a state) opened.
void BM_IdleCpuAndPeakRss(benchmark::State& state) {
    if (!setup()) return state.SkipWithError("no display or no store");
    for (auto _ : state) {
        double cpu = 0, rss = 0, floor_cpu = 0, floor_rss = 0;
        idle_figures(editor_args(state.range(0) ? "states" + std::to_string(state.range(0)) : ""), cpu, rss);
        idle_figures(floor_args(), floor_cpu, floor_rss);
        if (cpu < 0 || floor_cpu < 0) return state.SkipWithError("a program ended without its report");
        state.counters["idle_cpu_pct"] = cpu;
        state.counters["peak_rss_mb"] = rss;
        state.counters["bare_motif_idle_cpu_pct"] = floor_cpu;
        state.counters["bare_motif_peak_rss_mb"] = floor_rss;
        state.counters["rss_ratio"] = floor_rss > 0 ? rss / floor_rss : 0;
        state.SetIterationTime(10);
    }
    state.counters["states"] = static_cast<double>(state.range(0));
    state.SetLabel("load " + floor_bench::load_average());
}
BENCHMARK(BM_IdleCpuAndPeakRss)->Arg(0)->Arg(1000)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
