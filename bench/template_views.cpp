// load_template + draw_diagram for templates of 10, 100 and 1,000 states, and the
// condition list's refresh with 10,000 conditions. Needs DISPLAY (an Xvfb will do).
// The fixture first: it brings gtest in before X defines its macros.
#include "support/editor_fixture.h"

#include <benchmark/benchmark.h>

#include <X11/Intrinsic.h>
#include <Xm/DrawingA.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/notifications.h"
#include "base/globals.h"
#include "diagram/diagram_object.h"
#include "diagram/diagram_view.h"
#include "diagram/diagram_zoom.h"
#include "diagram/draw_area.h"
#include "platform/qori.h"
#include "template/template_model.h"
#include "ui/callbacks.h"
#include "ui/list_items.h"
#include "ui/option_menus.h"
#include "ui/text_view.h"
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
    std::string address = std::string("sqlite:") + dir + "/varo.db";
    setenv("VARO_STORE", address.c_str(), 1);
    other = varo::open_store(address);
    for (int n : {10, 100, 1000}) other->insert_template(generated(n));
    if (!std::getenv("DISPLAY")) return false;
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
        build_diagram_objects();
        draw_diagram();
        XSync(display, False);
    }
    state.counters["states"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_LoadAndDraw)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// The condition list and its two menus rebuilt from an album of n conditions (plus the
// two seeded ones); runs in ascending n, adding conditions as needed.
void BM_ConditionRefresh(benchmark::State& state) {
    if (!setup()) {
        state.SkipWithError("no display or no store");
        return;
    }
    static int held = 0;
    for (; held < state.range(0); ++held)
        other->add_condition({"cond" + std::to_string(held), "generated", "ifOperStatus != \"up\"\n"});
    for (auto _ : state) {
        update_condition(nullptr, nullptr);
        XSync(display, False);
    }
    state.counters["conditions"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_ConditionRefresh)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

namespace {

std::vector<std::string> generated_names(int n) {
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) names.push_back("cond" + std::to_string(i));
    return names;
}

// The two halves of a condition refresh: the list's items, then one menu rebuilt from them.
void BM_ConditionListOnly(benchmark::State& state) {
    if (!setup()) return state.SkipWithError("no display or no store");
    std::vector<std::string> names = generated_names(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        set_list_lines(ct_condition_list, names);
        XSync(display, False);
    }
}
BENCHMARK(BM_ConditionListOnly)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

// One menu built anew, its window up, from n conditions named shortly or with 64 characters
// (too wide for the menu, so each is measured and cut); each round a different set.
void BM_ConditionMenuOnly(benchmark::State& state) {
    if (!setup()) return state.SkipWithError("no display or no store");
    const int n = static_cast<int>(state.range(0));
    const bool wide = state.range(1) != 0;
    std::vector<std::string> sets[2];
    for (int s = 0; s < 2; ++s)
        for (const std::string& name : generated_names(n))
            sets[s].push_back(std::string(1, static_cast<char>('a' + s)) + (wide ? std::string(63 - name.size(), 'W') : "") + name);
    XtManageChild(te_transition_edit_dialog);
    XSync(display, False);
    int turn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        set_list_lines(ct_condition_list, sets[turn ^= 1]);
        state.ResumeTiming();
        build_condition_list();
        XSync(display, False);
    }
    XtUnmanageChild(te_transition_edit_dialog);
}
BENCHMARK(BM_ConditionMenuOnly)
    ->ArgNames({"n", "wide"})
    ->Args({1000, 0})->Args({1000, 1})->Args({10000, 0})->Args({10000, 1})
    ->Unit(benchmark::kMillisecond)->Iterations(4);

}  // namespace

namespace {

// Button 1 released on one state, then on another, at actual size: the hit test over every
// object, and the two states repainted, the old first selection in its severity's colour, the
// new one white and ringed. `opened` 1: the template opened as the user opens it (arranged,
// as its slot-placed states overlap); 0: read as stored, 111 states piled on each slot, so the
// part repainted holds a ninth of the template.
void BM_ClickMovesSelection(benchmark::State& state) {
    if (!setup()) return state.SkipWithError("no display or no store");
    const std::string name = "states" + std::to_string(state.range(0));
    if (state.range(1)) {
        copy_bounded(open_template, sizeof open_template, name.c_str());
        template_open();
    } else {
        qor_handle = qori_template_find(name.c_str());
        load_template();
        build_diagram_objects();
    }
    zoom_centred(1);
    draw_diagram();
    DiagramObject* targets[] = {find_by_name("S1"), find_by_name("S2")};
    XEvent event = {};
    event.xbutton.type = ButtonRelease;
    event.xbutton.button = Button1;
    XmDrawingAreaCallbackStruct cbs = {XmCR_INPUT, &event, XtWindow(sd_draw_area)};
    int i = 0;
    for (auto _ : state) {
        DiagramObject* target = targets[i++ % 2];
        picture::Point at = view_transform().to_window({target->x + 25.0, target->y + 25.0});
        event.xbutton.x = static_cast<int>(at.x);
        event.xbutton.y = static_cast<int>(at.y);
        draw_area_input_cb(sd_draw_area, nullptr, &cbs);
        XSync(display, False);
    }
    state.counters["states"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_ClickMovesSelection)
    ->ArgNames({"states", "opened"})
    ->ArgsProduct({{10, 100, 1000}, {1, 0}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
