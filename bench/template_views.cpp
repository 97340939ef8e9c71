// load_template + draw_diagram for templates of 10, 100 and 1,000 states, and the
// condition list's refresh with 10,000 conditions. Needs DISPLAY (an Xvfb will do).
// The fixture first: it brings gtest in before X defines its macros.
#include "support/editor_fixture.h"

#include <benchmark/benchmark.h>

#include <X11/Intrinsic.h>

#include <cstdlib>
#include <string>

#include "app/globals.h"
#include "app/notifications.h"
#include "diagram/draw_area.h"
#include "platform/qori.h"
#include "template/template_model.h"
#include "template/text_view.h"
#include "ui/widgets.h"
#include "varo/store.h"

namespace {

std::unique_ptr<varo::Store> other;

// A template of n states, each with three transitions (one a self-transition) and an action.
varo::TemplateDef generated(int n) {
    varo::TemplateDef def;
    def.name = "states" + std::to_string(n);
    def.descr = "generated";
    const char* severities[] = {"Normal", "Minor", "Major", "Critical"};
    for (int i = 0; i < n; ++i) def.states.push_back({"S" + std::to_string(i), "state", severities[i % 4], "Poll"});
    for (int i = 0; i < n; ++i) {
        std::string from = "S" + std::to_string(i);
        def.transitions.push_back({from, "S" + std::to_string((i + 1) % n), "LinkDown",
                                   {{"COMMAND", "\"restart " + from + "\"", "\"\""}}});
        def.transitions.push_back({from, "S" + std::to_string((i + 1) % n), "HighErrors", {}});
        def.transitions.push_back({from, from, "LinkDown", {}});
    }
    return def;
}

bool setup() {
    static bool done = false, ok = false;
    if (done) return ok;
    done = true;
    char pattern[] = "/tmp/tarnwright-bench-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) return false;
    std::string spec = std::string("sqlite:") + dir + "/varo.db";
    setenv("VARO_STORE", spec.c_str(), 1);
    other = varo::open_store(spec);
    for (int n : {10, 100, 1000}) other->insert_template(generated(n));
    XtToolkitInitialize();
    app_context = XtCreateApplicationContext();
    int argc = 1;
    static char name[] = "tarnedit";
    char* argv[] = {name, nullptr};
    display = XtOpenDisplay(app_context, nullptr, name, "Tarnedit", nullptr, 0, &argc, argv);
    if (!display) return false;
    ok = build_editor("Noname");
    if (ok) XtPopup(state_diagram_win, XtGrabNone);
    return ok;
}

void BM_LoadAndDraw(benchmark::State& state) {
    if (!setup()) {
        state.SkipWithError("no display or no store");
        return;
    }
    qor_handle = qori_template_find(("states" + std::to_string(state.range(0))).c_str());
    for (auto _ : state) {
        load_template();
        draw_diagram();
        XSync(display, False);
    }
    state.counters["states"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_LoadAndDraw)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ConditionRefresh10000(benchmark::State& state) {
    if (!setup()) {
        state.SkipWithError("no display or no store");
        return;
    }
    static bool filled = false;
    if (!filled) {
        for (int i = 0; i < 10000; ++i)
            other->add_condition({"cond" + std::to_string((i * 7919) % 10000), "generated", "ifOperStatus != \"up\"\n"});
        filled = true;
    }
    for (auto _ : state) {
        update_condition(nullptr, nullptr);
        XSync(display, False);
    }
}
BENCHMARK(BM_ConditionRefresh10000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

