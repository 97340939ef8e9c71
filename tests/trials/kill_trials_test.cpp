// An edit session ended every way a session ends, then restarted: the restart offers the
// recovery journal, and what is saved from it is the working copy of the last finished edit (or
// of the one before, for a kill inside the journal's write), never less. The kill trials repeat a
// SIGKILL at a random moment TARNWRIGHT_KILL_TRIALS times (100 by default).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <sstream>
#include <thread>

#include "support/gui_harness.h"
#include "support/pg_server.h"
#include "support/process_runner.h"
#include "support/store_fixture.h"
#include "varo/transfer.h"

namespace {

const char* const BASE =
    R"({"format": "tarnwright-varo", "format_version": 1, "severities": [], "poll_rates": [], "conditions": [],
        "templates": [{"name": "Trial", "descr": "kill trials", "states": [
          {"name": "Ground", "descr": "default", "severity": "Normal", "poll_rate": "Poll"}], "transitions": []}]})";

varo::TemplateDef only_template(const std::string& exchange) { return varo::parse_transfer(exchange).templates.at(0); }

bool same(varo::TemplateDef a, varo::TemplateDef b) {
    a.name = b.name = a.descr = b.descr = "";
    return a.same_content(b);
}

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// One session of the replaying editor on a fresh template "Trial", and its restart.
struct Session {
    explicit Session(const std::string& address = "") : store(address) {
        if (store.empty()) store = "sqlite:" + dir.path() + "/varo.db";
        EXPECT_EQ(0, proc::run_varoctl(store, {"import", "-"}, BASE).status);
        o = proc::editor_options(store, dir.path(), {"-t", "Trial"});
        o.env["TRIAL_LOG"] = dir.path() + "/edits.log";
    }
    // The template as stored, then the working copies after each finished edit.
    std::vector<varo::TemplateDef> edits() const {
        std::vector<varo::TemplateDef> out{only_template(BASE)};
        std::istringstream lines(proc::read_file(dir.path() + "/edits.log"));
        for (std::string line; std::getline(lines, line);)
            if (!line.empty()) out.push_back(only_template(line));
        return out;
    }
    // Restarted: whether recovery was offered, and whether what was saved is the last edit
    // (1), the one before (0) or neither (-1).
    std::pair<bool, int> restart() {
        std::vector<varo::TemplateDef> done = edits();
        proc::Options again = o;
        again.env["TRIAL_MODE"] = "recover";
        again.env["DISPLAY"] = std::getenv("DISPLAY");  // the session's may be gone
        proc::Result r = proc::run(REPLAY_BINARY, again, 30);
        EXPECT_TRUE(r.exited && r.status == 0) << r.err;
        proc::Result exported = proc::run_varoctl(store, {"export", "--template", "Trial"});
        if (exported.status != 0) return {false, -1};
        varo::TemplateDef saved = only_template(exported.out);
        bool offered = r.out.rfind("offered", 0) == 0;
        if (same(saved, done.back())) return {offered, 1};
        return {offered, done.size() > 1 && same(saved, done[done.size() - 2]) ? 0 : -1};
    }
    testenv::TempDir dir;
    std::string store;
    proc::Options o;
};

// A display of its own: the trials' windows come and go beside the other tests' ones.
void own_display() {
    unsetenv("DISPLAY");
    gui::ensure_x_server();
}

}  // namespace

TEST(Endings, EveryEndingKeepsTheLastEditForTheRestart) {
    own_display();
    std::unique_ptr<testenv::PrivatePgServer> pg;
    if (testenv::postgres_available()) pg = std::make_unique<testenv::PrivatePgServer>();
    enum How { WindowClose, Signal, XServerKilled, StoreStopped };
    const struct {
        const char* what;
        How how;
        int signal, status;
    } endings[] = {
        {"window manager's close", WindowClose, 0, 0},   {"SIGTERM", Signal, SIGTERM, 128 + SIGTERM},
        {"SIGHUP", Signal, SIGHUP, 128 + SIGHUP},        {"SIGINT", Signal, SIGINT, 128 + SIGINT},
        {"X server killed", XServerKilled, 0, 1},        {"PostgreSQL stopped", StoreStopped, 0, 1},
    };
    for (const auto& e : endings) {
        SCOPED_TRACE(e.what);
        if (e.how == StoreStopped && (!pg || pg->conninfo().empty())) {
            if (testenv::postgres_required()) ADD_FAILURE() << "no PostgreSQL server";
            continue;
        }
        Session s(e.how == StoreStopped ? "pg:" + pg->conninfo() : "");
        std::unique_ptr<proc::Child> x;  // a second X server, to be killed under the editor
        if (e.how == XServerKilled) {  // on a display number it picks and tells once it listens
            int fds[2];
            ASSERT_EQ(0, pipe(fds));
            proc::Options xo;
            xo.args = {"-displayfd", "3", "-nolisten", "tcp"};
            xo.fds[3] = fds[1];
            x = std::make_unique<proc::Child>("Xvfb", xo);
            std::string n;
            for (char c; read(fds[0], &c, 1) == 1 && c != '\n';) n += c;
            close(fds[0]);
            s.o.env["DISPLAY"] = ":" + n;
        }
        proc::Child editor(REPLAY_BINARY, s.o);
        const std::string done = s.dir.path() + "/edits.log.done";
        ASSERT_TRUE(testenv::poll_until(30, 100, [&] { return access(done.c_str(), F_OK) == 0; })) << editor.finish(1).err;
        sleep_ms(300);  // the journal's idle write
        if (e.how == WindowClose) proc::send_wm_delete(proc::wait_for_window(proc::main_title(proc::host_name())));
        if (e.how == Signal) kill(editor.pid(), e.signal);
        if (e.how == XServerKilled) kill(x->pid(), SIGKILL);
        if (e.how == StoreStopped) {
            pg->stop();
            unsigned long dialog = proc::wait_for_window("Tarnwright: Error");
            ASSERT_NE(0u, dialog);
            proc::press_return_in(dialog);
        }
        proc::Result r = editor.finish(20);
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(e.status, r.status) << r.err;
        if (e.how == StoreStopped) pg->start();
        EXPECT_EQ(std::make_pair(true, 1), s.restart());
    }
}

TEST(KillTrials, EveryKilledSessionIsRecoveredToItsLastOrNextToLastEdit) {
    own_display();
    int trials = std::getenv("TARNWRIGHT_KILL_TRIALS") ? std::atoi(std::getenv("TARNWRIGHT_KILL_TRIALS")) : 100;
    std::mt19937 rng(20261208);
    int offered = 0, last = 0;
    for (int trial = 0; trial < trials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        Session s;
        s.o.env["TRIAL_SEED"] = std::to_string(trial);
        {
            proc::Child editor(REPLAY_BINARY, s.o);
            sleep_ms(300 + static_cast<int>(rng() % 4200));
            ASSERT_TRUE(editor.running()) << editor.finish(1).err;
            kill(editor.pid(), SIGKILL);
            editor.finish(5);
        }
        auto [was_offered, kept] = s.restart();
        EXPECT_GE(kept, 0) << s.edits().size() - 1 << " edits finished";
        // Nothing to offer only when nothing was kept yet: killed before the first edit was written.
        if (!was_offered) {
            EXPECT_LE(s.edits().size(), 2u);
        }
        offered += was_offered;
        last += kept == 1;
    }
    std::printf("%d trials: %d offered recovery, %d recovered the last edit, %d the one before\n", trials, offered,
                last, trials - last);
}
