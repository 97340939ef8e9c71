// Opening a template whose states have no places of their own, beside opening the same
// template with a place for every state (reading it, no arrangement), and Edit > Arrange on
// it, at 30, 100, 200 and 1,000 states in four shapes (chains, trees, back edges, wide
// layers), each until the editor answers input again (every X event it caused handled). And the arrangement
// alone, without the toolkit, as varoctl render makes it. Needs DISPLAY (an Xvfb will do).
// The fixture first: it brings gtest in before X defines its macros.
#include "support/editor_fixture.h"

#include <benchmark/benchmark.h>

#include <X11/Intrinsic.h>

#include <cstdlib>
#include <string>

#include "base/globals.h"
#include "base/messages.h"
#include "diagram/picture/arrange.h"
#include "ui/callbacks.h"
#include "floor.h"
#include "platform/qori.h"
#include "support/template_shapes.h"
#include "template/template_model.h"
#include "ui/widgets.h"
#include "varo/store.h"

namespace {

using shapes::Shape;

const Shape SHAPES[] = {Shape::Chain, Shape::Tree, Shape::BackEdges, Shape::Layers};
const int SIZES[] = {30, 100, 200, 1000};

std::string template_of(const benchmark::State& state) {
    return std::string(shapes::shape_name(SHAPES[state.range(0)])) + std::to_string(state.range(1));
}

bool setup() {
    static bool done = false, ok = false;
    if (done) return ok;
    done = true;
    char pattern[] = "/tmp/tarnwright-bench-arrange-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) return false;
    std::string address = std::string("sqlite:") + dir + "/varo.db";
    setenv("VARO_STORE", address.c_str(), 1);
    std::unique_ptr<varo::Store> store = varo::open_store(address);
    for (Shape shape : SHAPES)
        for (int n : SIZES) {
            std::string name = shapes::shape_name(shape) + std::to_string(n);
            varo::TemplateDef def = shapes::shaped_template(name, shape, n);
            store->insert_template(def);
            // The floor: the same template with a place for every state, read and drawn as it is.
            def.name += "_placed";
            for (std::size_t i = 0; i < def.states.size(); ++i)
                def.states[i].position = varo::StatePosition{static_cast<int>(i % 40) * 70, static_cast<int>(i / 40) * 70};
            store->insert_template(def);
        }
    if (!std::getenv("DISPLAY")) return false;
    ok = build_editor("Noname");
    if (ok) XtPopup(state_diagram_win, XtGrabNone);
    return ok;
}

// Until the editor has nothing left to do: every X event handled.
void until_idle() {
    for (;;) {
        XSync(display, False);
        if (!XtAppPending(app_context)) return;
        while (XtAppPending(app_context)) XtAppProcessEvent(app_context, XtIMAll);
    }
}

void open_template_named(const std::string& name) {
    copy_bounded(open_template, sizeof open_template, name);
    template_open();
    until_idle();
}

void shape_args(benchmark::internal::Benchmark* b) {
    b->ArgNames({"shape", "states"});
    for (std::size_t s = 0; s < std::size(SHAPES); ++s)
        for (int n : SIZES) b->Args({static_cast<int64_t>(s), n});
}

void BM_OpenWithoutPlaces(benchmark::State& state) {
    if (!setup()) return state.SkipWithError("no display or no store");
    std::string name = template_of(state);
    floor_bench::Pairs p;
    for (auto _ : state) {
        // A template already open is not read again.
        state.PauseTiming();
        new_template();
        until_idle();
        p.floor([&] { open_template_named(name + "_placed"); });
        new_template();
        until_idle();
        state.ResumeTiming();
        p.op([&] { open_template_named(name); });
    }
    p.report(state, "placed");
    state.SetLabel(name + ", load " + floor_bench::load_average());
}
BENCHMARK(BM_OpenWithoutPlaces)->Apply(shape_args)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Arrange(benchmark::State& state) {
    if (!setup()) return state.SkipWithError("no display or no store");
    std::string name = template_of(state);
    open_template_named(name);
    floor_bench::Pairs p;
    for (auto _ : state) {
        p.op([&] {
            sd_arrange_cb(nullptr, nullptr, nullptr);
            until_idle();
        });
    }
    state.SetLabel(name + ", load " + floor_bench::load_average());
    state.counters["cpu_ms"] = floor_bench::median(p.op_cpu) * 1e3;
}
BENCHMARK(BM_Arrange)->Apply(shape_args)->Unit(benchmark::kMillisecond)->Iterations(3);

// What varoctl render and opening spend on the places alone.
void BM_ArrangementAlone(benchmark::State& state) {
    Shape shape = SHAPES[state.range(0)];
    int n = static_cast<int>(state.range(1));
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) names.push_back(shapes::state_name(i));
    std::vector<picture::LinkIn> links;
    for (auto [from, to] : shapes::shape_links(shape, n))
        links.push_back({static_cast<std::size_t>(from), static_cast<std::size_t>(to), 1});
    for (auto _ : state) benchmark::DoNotOptimize(picture::arrange(names, links, "Ground", picture::OPENING_WORK));
    state.SetLabel(template_of(state));
}
BENCHMARK(BM_ArrangementAlone)->Apply(shape_args)->Unit(benchmark::kMillisecond);

}  // namespace
