// The editor's GUI-thread operations, each beside its floor in the same run. Needs DISPLAY
// (an Xvfb will do); PostgreSQL figures need VARO_TEST_PG.
//   - condition refresh of 1,000 / 10,000 / 50,000 with the windows fed from it closed, open
//     and changed, open and unchanged, beside raw XmListAddItems of the same sorted lines;
//     and the quadratic one-by-one insertion (add_string) of the same lines;
//   - load (qori_template_find + load_template) and draw_diagram of 10 / 100 / 1,000 states,
//     five transitions each, beside reading the same rows, filling the list with them and
//     drawing the same primitives;
//   - draw_diagram of 1,000 states fitted and at actual size, and one zoom step, beside the
//     same primitives drawn bare at that zoom;
//   - notification latency from another client's commit to the rebuilt list, both backends,
//     with the idle wait and with the former fixed 100 ms sleep;
//   - key-press echo (XTest) in a text field while idle, with both loops.
// The fixture first: it brings gtest in before X defines its macros.
#include "support/editor_fixture.h"

#include "floor.h"

#include <X11/Intrinsic.h>
#include <X11/Xft/Xft.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <Xm/List.h>
#include <Xm/TextF.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/main_loop.h"
#include "app/notifications.h"
#include "base/globals.h"
#include "diagram/diagram_object.h"
#include "diagram/diagram_view.h"
#include "diagram/diagram_zoom.h"
#include "diagram/draw_area.h"
#include "platform/qori.h"
#include "platform/vorn.h"
#include "template/album_reader.h"
#include "template/line_format.h"
#include "ui/list_items.h"
#include "template/template_model.h"
#include "ui/gui_utils.h"
#include "ui/text_view.h"
#include "ui/widgets.h"
#include "varo/backends.h"
#include "varo/store.h"

namespace {

using floor_bench::Pairs;
using floor_bench::wall;

std::string store_address;
std::unique_ptr<varo::Store> other;

bool setup() {
    static bool done = false, ok = false;
    if (done) return ok;
    done = true;
    char pattern[] = "/tmp/tarnwright-bench-floors-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir || !std::getenv("DISPLAY")) return false;
    store_address = std::string("sqlite:") + dir + "/varo.db";
    setenv("VARO_STORE", store_address.c_str(), 1);
    other = varo::open_store(store_address);
    for (int n : {10, 100, 1000}) other->insert_template(floor_bench::generated_template("states" + std::to_string(n), n));
    ok = build_editor("Noname");
    if (ok) XtPopup(state_diagram_win, XtGrabNone);
    gui::process_events();
    return ok;
}

void settle() {
    XSync(display, False);
    while (XtAppPending(app_context) & (XtIMXEvent | XtIMTimer)) XtAppProcessEvent(app_context, XtIMXEvent | XtIMTimer);
}

// ---- condition refresh ----

enum Windows { kClosed = 0, kOpenChanged = 1, kOpenUnchanged = 2 };

// The album holds exactly n conditions named cond0..: added in one import, never removed
// (the sizes run in ascending order).
void hold_conditions(int n) {
    static int held = 0;
    if (held >= n) return;
    varo::StoreContents more;
    for (; held < n; ++held) more.conditions.push_back({"cond" + std::to_string(held), "generated", "ifOperStatus != \"up\"\n"});
    other->import_contents(more);
}

std::vector<std::string> sorted_condition_lines() {
    std::vector<std::string> lines;
    for (const varo::Condition& c : other->list_conditions()) lines.push_back(lines::condition_line(c.name.c_str()));
    return lines::in_list_order(std::move(lines));
}

// What fill_condition_list gives the list, as it reads it.
std::vector<std::string> condition_lines_from_store() {
    std::vector<std::string> out;
    for (const Qor_GenericImage& c : read_album(qorCondContainer(DataUnit()))) out.push_back(lines::condition_line(c.name()));
    return lines::in_list_order(std::move(out));
}

// The floor: the sorted lines made into compound strings and added in one call.
void raw_list_add(Widget list, const std::vector<std::string>& lines) {
    XmListDeleteAllItems(list);
    std::vector<XmString> items;
    items.reserve(lines.size());
    for (const std::string& line : lines) items.push_back(XmStringCreateLocalized(const_cast<char*>(line.c_str())));
    XmListAddItems(list, items.data(), static_cast<int>(items.size()), 0);
    for (XmString s : items) XmStringFree(s);
}

// The floor's own list, of the condition list's kind and name, in a window of its own that is
// up while the condition windows are: a refresh keeps track of what it gave its list, which the
// floor must not replace between two refreshes.
Widget floor_shell = nullptr;
Widget floor_list() {
    static Widget list = nullptr;
    if (list) return list;
    floor_shell = XtCreatePopupShell("floor", topLevelShellWidgetClass, te_win, nullptr, 0);
    list = XmCreateScrolledList(floor_shell, const_cast<char*>("ct_condition_list"), nullptr, 0);
    XtManageChild(list);
    XtRealizeWidget(floor_shell);
    return list;
}

void show_condition_windows(bool up) {
    floor_list();
    if (up)
        XtPopup(floor_shell, XtGrabNone);
    else
        XtPopdown(floor_shell);
    for (Widget w : {te_transition_edit_dialog, ct_form}) {
        if (!w) continue;
        if (up)
            g2_win_show(w);
        else
            XtUnmanageChild(w);
    }
    settle();
}

// Another client adds the condition "zz_extra", or removes it when it was added.
void toggle_extra(bool& extra) {
    if (extra)
        other->delete_condition("zz_extra");
    else
        other->add_condition({"zz_extra", "toggled", "ifOperStatus != \"up\"\n"});
    extra = !extra;
}

// update_condition as the album notification runs it: the list and the two menus fed from it.
void BM_ConditionRefresh(benchmark::State& state) {
    if (!setup()) return state.SkipWithError("no display or no store");
    const int n = static_cast<int>(state.range(0));
    const auto windows = static_cast<Windows>(state.range(1));
    hold_conditions(n);
    show_condition_windows(windows != kClosed);
    std::vector<std::string> lines = sorted_condition_lines();
    update_condition(nullptr, nullptr);
    Pairs p;
    std::vector<double> read_wall, read_cpu;
    std::vector<std::string> read_lines;
    bool extra = false;
    for (auto _ : state) {
        if (windows != kOpenUnchanged) {  // a real change each time, so the menus must follow
            toggle_extra(extra);
        }
        p.op([] {
            update_condition(nullptr, nullptr);
            XSync(display, False);
        });
        p.floor([&] {
            raw_list_add(floor_list(), lines);
            XSync(display, False);
        });
        // The part of the refresh no list is in: the album read and made into sorted lines.
        Pairs::time([&] { read_lines = condition_lines_from_store(); }, read_wall, read_cpu);
        state.SetIterationTime(p.op_wall.back());
        settle();
    }
    if (extra) other->delete_condition("zz_extra");
    p.report(state, "raw_add_items");
    const double read = floor_bench::median(read_cpu), floor_cpu = floor_bench::median(p.floor_cpu);
    state.counters["store_read_cpu_ms"] = read * 1e3;
    state.counters["cpu_ratio_without_read"] = floor_cpu > 0 ? (floor_bench::median(p.op_cpu) - read) / floor_cpu : 0;
    state.counters["conditions"] = n;
    state.counters["op_us_per_line"] = floor_bench::median(p.op_wall) * 1e6 / n;
    state.SetLabel(std::string(windows == kClosed ? "closed, changed" : windows == kOpenChanged ? "open, changed"
                                                                                                : "open, unchanged") +
                   "; load " + floor_bench::load_average());
    show_condition_windows(false);
}
BENCHMARK(BM_ConditionRefresh)
    ->ArgNames({"n", "windows"})
    ->Args({1000, kClosed})->Args({1000, kOpenChanged})->Args({1000, kOpenUnchanged})
    ->Args({10000, kClosed})->Args({10000, kOpenChanged})->Args({10000, kOpenUnchanged})
    ->Args({50000, kClosed})->Args({50000, kOpenChanged})->Args({50000, kOpenUnchanged})
    ->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// Another client adds or removes one condition, named in the change report: the engine's
// dispatch (the poll, the one line put in place, the menus told) beside the raw add of the
// whole list. With the condition window up, or every window closed.
void BM_NamedConditionChange(benchmark::State& state) {
    if (!setup()) return state.SkipWithError("no display or no store");
    const int n = static_cast<int>(state.range(0));
    const bool open = state.range(1) != 0;
    hold_conditions(n);
    if (open) g2_win_show(ct_form);
    floor_list();
    if (open) XtPopup(floor_shell, XtGrabNone);
    settle();
    std::vector<std::string> lines = sorted_condition_lines();
    update_condition(nullptr, nullptr);  // the first fill: whole
    dispatch_recursive(0);
    settle();
    Pairs p;
    bool extra = false;
    for (auto _ : state) {
        toggle_extra(extra);
        p.op([] {
            dispatch_recursive(0);
            XSync(display, False);
        });
        p.floor([&] {
            raw_list_add(floor_list(), lines);
            XSync(display, False);
        });
        state.SetIterationTime(p.op_wall.back());
        settle();
    }
    if (extra) other->delete_condition("zz_extra");
    update_condition(nullptr, nullptr);
    p.report(state, "raw_add_items");
    state.counters["conditions"] = n;
    state.SetLabel(std::string(open ? "condition window open" : "windows closed") + "; load " + floor_bench::load_average());
    if (open) XtUnmanageChild(ct_form);
    XtPopdown(floor_shell);
    settle();
}
BENCHMARK(BM_NamedConditionChange)
    ->ArgNames({"n", "open"})
    ->Args({10000, 0})->Args({10000, 1})->Args({50000, 0})->Args({50000, 1})
    ->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

// The insertion add_string describes, one line at a time into the emptied list, beside the
// raw one-call add of the same lines. Once per size: it is quadratic.
void BM_QuadraticInsertion(benchmark::State& state) {
    if (!setup()) return state.SkipWithError("no display or no store");
    const int n = static_cast<int>(state.range(0));
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i) lines.push_back(lines::condition_line(("cond" + std::to_string(i)).c_str()));
    lines = lines::in_list_order(std::move(lines));
    Pairs p;
    for (auto _ : state) {
        p.op([&] {
            XmListDeleteAllItems(ct_condition_list);
            for (const std::string& line : lines) add_string(ct_condition_list, line.c_str());
            XSync(display, False);
        });
        p.floor([&] {
            raw_list_add(floor_list(), lines);
            XSync(display, False);
        });
        state.SetIterationTime(p.op_wall.back());
    }
    p.report(state, "raw_add_items");
    state.counters["lines"] = n;
}
BENCHMARK(BM_QuadraticInsertion)->Arg(1000)->Arg(10000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// ---- load and draw ----

// What draw_diagram puts on the canvas, recorded once so the floor can draw it bare.
struct Primitives {
    struct Line { int x1, y1, x2, y2, lx, ly; std::string count; };
    struct Circle { int x, y; unsigned long pixel; std::string name; };
    std::vector<Line> lines;
    std::vector<Circle> circles;
};

unsigned long pixel_of(const std::string& colour) {
    XColor screen, exact;
    Colormap map = DefaultColormapOfScreen(XtScreen(sd_draw_area));
    return XAllocNamedColor(display, map, colour.c_str(), &screen, &exact) ? screen.pixel : 0;
}

Primitives record_primitives() {
    Primitives p;
    for (std::size_t i = 0; i < object_list.size(); ++i) {
        DiagramObject* o = object_list.at(i);
        if (o->type == StateObject) p.circles.push_back({o->x, o->y, pixel_of(o->color), o->name});
    }
    for (std::size_t i = 0; i < object_list.size(); ++i) {
        DiagramObject* o = object_list.at(i);
        if (o->type != TransitionObject) continue;
        DiagramObject* from = find_by_name(o->name.c_str());
        DiagramObject* to = find_by_name(o->transition.c_str());
        if (!from || !to) continue;
        p.lines.push_back({from->x + 25, from->y + 25, to->x + 25, to->y + 25, o->x, o->y, std::to_string(o->num_conditions)});
    }
    return p;
}

struct BareCanvas {
    Window window = 0;
    GC gc = nullptr;
    XftDraw* draw = nullptr;
    XftFont* font = nullptr;
    XftColor black{};
    unsigned long black_pixel = 0, white_pixel = 0;

    BareCanvas() {
        window = XtWindow(sd_draw_area);
        Screen* screen = XtScreen(sd_draw_area);
        gc = XCreateGC(display, window, 0, nullptr);
        XSetLineAttributes(display, gc, 3, LineSolid, CapRound, JoinRound);
        Visual* visual = DefaultVisualOfScreen(screen);
        Colormap map = DefaultColormapOfScreen(screen);
        draw = XftDrawCreate(display, window, visual, map);
        font = XftFontOpenName(display, XScreenNumberOfScreen(screen), "sans:pixelsize=11");
        XftColorAllocName(display, visual, map, "black", &black);
        black_pixel = BlackPixelOfScreen(screen);
        white_pixel = WhitePixelOfScreen(screen);
    }
    ~BareCanvas() {
        if (font) XftFontClose(display, font);
        if (draw) XftDrawDestroy(draw);
        XFreeGC(display, gc);
    }
    void text(int centre_x, int baseline, const std::string& s) {
        if (!font) return;
        XGlyphInfo extents;
        XftTextExtentsUtf8(display, font, reinterpret_cast<const FcChar8*>(s.data()), static_cast<int>(s.size()), &extents);
        XftDrawStringUtf8(draw, &black, font, centre_x - extents.xOff / 2, baseline,
                          reinterpret_cast<const FcChar8*>(s.data()), static_cast<int>(s.size()));
    }
    // At a zoom: every coordinate scaled, text only at actual size (smaller, the editor
    // leaves it out too).
    void paint(const Primitives& p, double zoom = 1) {
        auto z = [zoom](int v) { return static_cast<int>(v * zoom); };
        bool words = zoom >= 1;
        XClearWindow(display, window);
        XSetForeground(display, gc, black_pixel);
        for (const auto& l : p.lines) {
            XSetForeground(display, gc, black_pixel);
            XDrawLine(display, window, gc, z(l.x1), z(l.y1), z(l.x2), z(l.y2));
            XDrawRectangle(display, window, gc, z(l.lx), z(l.ly), z(20), z(12));
            XSetForeground(display, gc, white_pixel);
            XFillRectangle(display, window, gc, z(l.lx), z(l.ly), z(20), z(12));
            if (words) text(l.lx + 10, l.ly + 10, l.count);
        }
        for (const auto& c : p.circles) {
            XSetForeground(display, gc, c.pixel);
            XDrawArc(display, window, gc, z(c.x), z(c.y), z(50), z(50), 0, 360 * 64);
            XFillArc(display, window, gc, z(c.x), z(c.y), z(50), z(50), 0, 360 * 64);
            if (words) text(c.x + 25, c.y + 25, c.name);
        }
    }
};

// The floor's read: the template's rows in one statement, as the store reads them.
varo::Rows read_rows(varo::Db& db, const std::string& name) {
    return db.query("SELECT 0, 0, 0, descr, '', '', '', version FROM templates WHERE name = ?"
                    " UNION ALL SELECT 1, position, 0, name, descr, severity, poll_rate, 0 FROM states WHERE template = ?"
                    " UNION ALL SELECT 2, position, 0, from_state, to_state, cond, '', 0 FROM transitions WHERE template = ?"
                    " UNION ALL SELECT 3, transition, position, kind, arg0, arg1, '', 0 FROM actions WHERE template = ?"
                    " ORDER BY 1, 2, 3",
                    {name, name, name, name});
}

// The text view's lines from the rows: each state, then the transitions leaving it and their actions.
std::vector<std::string> view_lines(const varo::Rows& rows) {
    std::vector<std::string> states, out;
    std::vector<std::vector<std::pair<std::string, std::string>>> leaving;
    std::vector<std::vector<std::string>> actions;  // by transition position
    std::vector<std::size_t> owner;                  // transition position -> state index
    std::map<std::string, std::size_t> index;
    for (const varo::Row& r : rows) {
        if (r.integer(0) == 1) {
            index[r.text(3)] = states.size();
            states.push_back(r.text(3));
        }
    }
    leaving.resize(states.size());
    std::vector<std::pair<std::size_t, std::size_t>> where;  // transition -> (state, slot)
    for (const varo::Row& r : rows)
        if (r.integer(0) == 2) {
            std::size_t s = index[r.text(3)];
            where.push_back({s, leaving[s].size()});
            leaving[s].push_back({r.text(4), r.text(5)});
        }
    actions.resize(where.size());
    for (const varo::Row& r : rows)
        if (r.integer(0) == 3)
            actions[static_cast<std::size_t>(r.integer(1))].push_back(
                lines::text_view_action(r.text(3).c_str(), r.text(4).c_str(), r.text(5).c_str()));
    std::vector<std::vector<std::size_t>> by_state(states.size());
    for (std::size_t t = 0; t < where.size(); ++t) by_state[where[t].first].push_back(t);
    for (std::size_t s = 0; s < states.size(); ++s) {
        out.push_back(lines::text_view_state(states[s].c_str()));
        for (std::size_t t : by_state[s]) {
            const auto& tr = leaving[s][where[t].second];
            out.push_back(lines::text_view_transition(tr.first.c_str(), tr.second.c_str()));
            for (const std::string& a : actions[t]) out.push_back(a);
        }
    }
    return out;
}

// The generated template of n states read into the views and the diagram.
std::string read_states(std::int64_t n) {
    const std::string name = "states" + std::to_string(n);
    qor_handle = qori_template_find(name.c_str());
    load_template();
    build_diagram_objects();
    return name;
}

void BM_LoadAndDraw(benchmark::State& state) {
    if (!setup()) return state.SkipWithError("no display or no store");
    const std::string name = read_states(state.range(0));
    draw_diagram();
    settle();
    Primitives primitives = record_primitives();
    BareCanvas canvas;
    std::unique_ptr<varo::Db> db = varo::open_sqlite_db(store_address.substr(7));
    Pairs p;
    for (auto _ : state) {
        p.op([&] {
            qor_handle = qori_template_find(name.c_str());
            load_template();
            build_diagram_objects();
            draw_diagram();
            XSync(display, False);
        });
        p.floor([&] {
            std::vector<std::string> lines = view_lines(read_rows(*db, name));
            raw_list_add(main_text_list, lines);
            canvas.paint(primitives);
            XSync(display, False);
        });
        state.SetIterationTime(p.op_wall.back());
        settle();
    }
    p.report(state, "bare_read_fill_draw");
    state.counters["states"] = static_cast<double>(state.range(0));
    state.counters["lines"] = static_cast<double>(list_lines(main_text_list).size());
    state.SetLabel("load " + floor_bench::load_average());
}
BENCHMARK(BM_LoadAndDraw)->Arg(10)->Arg(100)->Arg(1000)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// ---- zoom ----

// draw_diagram of n states fitted (zoom 0) and at actual size (zoom 1), beside the same
// primitives drawn bare at that zoom.
// The generated template of n states opened as the user opens it: arranged, then fitted.
void open_states(std::int64_t n) {
    const std::string name = "states" + std::to_string(n);
    copy_bounded(open_template, sizeof open_template, name.c_str());
    template_open();
}

void BM_DrawZoomed(benchmark::State& state) {
    if (!setup()) return state.SkipWithError("no display or no store");
    open_states(state.range(0));
    if (state.range(1) == 0)
        fit_diagram();
    else
        zoom_centred(1);
    settle();
    Primitives primitives = record_primitives();
    BareCanvas canvas;
    const double zoom = diagram_zoom();
    Pairs p;
    for (auto _ : state) {
        p.op([&] {
            draw_diagram();
            XSync(display, False);
        });
        p.floor([&] {
            canvas.paint(primitives, zoom);
            XSync(display, False);
        });
        state.SetIterationTime(p.op_wall.back());
        settle();
    }
    p.report(state, "bare_draw");
    state.counters["zoom_pct"] = zoom * 100;
    state.SetLabel("load " + floor_bench::load_average());
}
BENCHMARK(BM_DrawZoomed)->ArgsProduct({{1000}, {0, 1}})->ArgNames({"states", "actual"})->UseManualTime()
    ->Iterations(20)->Unit(benchmark::kMillisecond);

// One step of Zoom In or Zoom Out at n states, fitted to one step in and back, with the
// repaints its resize brings; beside the bare drawing at the zoom it goes to.
void BM_ZoomStep(benchmark::State& state) {
    if (!setup()) return state.SkipWithError("no display or no store");
    open_states(state.range(0));
    fit_diagram();
    settle();
    Primitives primitives = record_primitives();
    BareCanvas canvas;
    const double fitted = diagram_zoom();
    Pairs p;
    bool in = true;
    for (auto _ : state) {
        double to = in ? picture::zoom_in(fitted) : fitted;
        p.op([&] {
            zoom_centred(to);
            settle();
        });
        p.floor([&] {
            canvas.paint(primitives, to);
            XSync(display, False);
        });
        in = !in;
        state.SetIterationTime(p.op_wall.back());
        settle();
    }
    p.report(state, "bare_draw");
    state.counters["fitted_pct"] = fitted * 100;
    state.SetLabel("load " + floor_bench::load_average());
}
BENCHMARK(BM_ZoomStep)->Arg(1000)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// ---- the main loop: latency of news and of key presses ----

// Stands in for the former idle step: dispatch, then a fixed 100 ms sleep.
Boolean former_dispatcher(XtPointer) {
    dispatch_recursive(0);
    usleep(100000);
    return False;
}

// Runs the Xt main loop until done() holds (checked after each event).
template <class Done>
void run_loop_until(Done done) {
    while (!done()) XtAppProcessEvent(app_context, XtIMAll);
}

// An X event to the main window, so that XtAppProcessEvent returns to the loop above; from
// another thread, over a connection of its own.
void wake_loop_from(Window window) {
    Display* d = XOpenDisplay(DisplayString(display));
    if (!d) return;
    XEvent wake{};
    wake.xclient.type = ClientMessage;
    wake.xclient.window = window;
    wake.xclient.message_type = XInternAtom(d, "TARNWRIGHT_BENCH", False);
    wake.xclient.format = 32;
    XSendEvent(d, window, False, NoEventMask, &wake);
    XCloseDisplay(d);
}

std::atomic<int> pending_samples{0};
std::atomic<int> rebuilds{0};
std::atomic<double> rebuilt_at{0};

// Runs after update_condition (registered after it): the list is rebuilt and drawn.
void list_rebuilt(void*, void*) {
    XSync(display, False);
    rebuilt_at = wall();
    rebuilds.fetch_add(1);
}

// Arg 0: backend; arg 1: 0 the idle wait, 1 the former fixed sleep.
void BM_NotificationLatency(benchmark::State& state) {
    if (!setup()) return state.SkipWithError("no display or no store");
    // A fresh store on either backend: the list rebuilt is then the one condition toggled,
    // not the thousands the refresh figures left behind.
    floor_bench::Location where(static_cast<floor_bench::Backend>(state.range(0)));
    if (where.address().empty()) return state.SkipWithError(where.missing());
    if (!qori_attach_store(varo::open_store(where.address()))) return state.SkipWithError("cannot attach");
    dispatch_recursive(0);
    const std::string address = where.address();
    static bool registered = false;
    if (!registered) {
        qorCondContainer(DataUnit()).add_callback(Callback(SchedContext::current(), list_rebuilt, nullptr), nullptr);
        registered = true;
    }
    XtWorkProcId former = state.range(1) ? XtAppAddWorkProc(app_context, former_dispatcher, nullptr) : 0;
    const int samples = 30;
    std::vector<double> latencies;
    for (auto _ : state) {
        latencies.clear();
        pending_samples = samples;
        Window main_window = XtWindow(te_win);
        std::thread writer([address, &latencies, main_window] {
            auto store = varo::open_store(address);
            std::mt19937 random(7);
            for (int i = 0; i < samples; ++i) {
                // At a random moment of the reader's idle wait.
                std::this_thread::sleep_for(std::chrono::milliseconds(120 + random() % 100));
                int before = rebuilds;
                if (i % 2)
                    store->delete_condition("zz_latency");
                else
                    store->add_condition({"zz_latency", "toggled", "ifOperStatus != \"up\"\n"});
                double committed = wall();
                while (rebuilds == before) std::this_thread::sleep_for(std::chrono::microseconds(100));
                // The rebuild may end before the commit call returns here: that is no wait at all.
                latencies.push_back(std::max(0.0, rebuilt_at - committed));
                pending_samples.fetch_sub(1);
            }
            wake_loop_from(main_window);
        });
        run_loop_until([] { return pending_samples <= 0; });
        writer.join();
        state.SetIterationTime(floor_bench::median(latencies));
    }
    if (former) XtRemoveWorkProc(former);
    state.counters["p50_ms"] = floor_bench::percentile(latencies, 0.5) * 1e3;
    state.counters["p99_ms"] = floor_bench::percentile(latencies, 0.99) * 1e3;
    state.counters["max_ms"] = floor_bench::percentile(latencies, 1.0) * 1e3;
    state.counters["listed"] = static_cast<double>(list_lines(ct_condition_list).size());
    state.SetLabel(std::string(state.range(1) ? "former 100 ms sleep" : "idle wait") + "; load " +
                   floor_bench::load_average());
    qori_attach_store(varo::open_store(store_address));
    dispatch_recursive(0);
}
BENCHMARK(BM_NotificationLatency)
    ->ArgNames({"pg", "former"})
    ->Args({floor_bench::kSQLite, 0})->Args({floor_bench::kSQLite, 1})
    ->Args({floor_bench::kPostgreSQL, 0})->Args({floor_bench::kPostgreSQL, 1})
    ->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

std::atomic<double> key_sent_at{0};
std::vector<double> echoes;  // written by the GUI thread only
bool clearing = false;

void echoed(Widget, XtPointer, XtPointer) {
    if (clearing) return;
    double sent = key_sent_at.exchange(0);
    if (sent == 0) return;
    XSync(display, False);  // the echo drawn
    echoes.push_back(wall() - sent);
}

// A key pressed and released (XTest, from another connection) while the editor idles; the
// time to the text field's change, drawn. Arg: 0 the idle wait, 1 the former fixed sleep.
void BM_KeyEcho(benchmark::State& state) {
    if (!setup()) return state.SkipWithError("no display or no store");
    Widget field = main_name;
    XtAddCallback(field, XmNvalueChangedCallback, echoed, nullptr);
    XSetInputFocus(display, XtWindow(te_win), RevertToParent, CurrentTime);
    XmProcessTraversal(field, XmTRAVERSE_CURRENT);
    settle();
    XtWorkProcId former = state.range(0) ? XtAppAddWorkProc(app_context, former_dispatcher, nullptr) : 0;
    const int samples = 200;
    for (auto _ : state) {
        echoes.clear();
        pending_samples = samples;
        Window main_window = XtWindow(te_win);
        std::thread typist([main_window] {
            Display* d = XOpenDisplay(nullptr);
            KeyCode key = XKeysymToKeycode(d, XK_a);
            std::mt19937 random(11);
            for (int i = 0; i < samples; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(15 + random() % 40));
                key_sent_at = wall();
                XTestFakeKeyEvent(d, key, True, 0);
                XTestFakeKeyEvent(d, key, False, 0);
                XFlush(d);
                for (int w = 0; w < 2000 && key_sent_at != 0; ++w) std::this_thread::sleep_for(std::chrono::microseconds(100));
                key_sent_at = 0;  // a press that never echoed is not waited for again
            }
            XCloseDisplay(d);
            pending_samples = 0;
            wake_loop_from(main_window);  // the loop waits for an event to return to its check
        });
        run_loop_until([] { return pending_samples <= 0; });
        typist.join();
        state.SetIterationTime(floor_bench::median(echoes));
    }
    if (former) XtRemoveWorkProc(former);
    clearing = true;
    XmTextFieldSetString(field, const_cast<char*>(""));
    clearing = false;
    XtRemoveCallback(field, XmNvalueChangedCallback, echoed, nullptr);
    state.counters["echoes"] = static_cast<double>(echoes.size());
    state.counters["p50_ms"] = floor_bench::percentile(echoes, 0.5) * 1e3;
    state.counters["p99_ms"] = floor_bench::percentile(echoes, 0.99) * 1e3;
    state.counters["max_ms"] = floor_bench::percentile(echoes, 1.0) * 1e3;
    state.SetLabel(std::string(state.range(0) ? "former 100 ms sleep" : "idle wait") + "; load " +
                   floor_bench::load_average());
}
BENCHMARK(BM_KeyEcho)->ArgName("former")->Arg(0)->Arg(1)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
