// The help viewer reading a help file of one long line (a link every 50 bytes) and showing
// its page, at 150, 300, 600 and 1,000 KB: both in proportion to the size. Beside them, the
// same page with its line handed to the text widget whole, as before lines were broken: the
// widget wraps a line in time that grows with its square (75 and 150 KB only). Showing needs
// DISPLAY (an Xvfb will do).
#include <benchmark/benchmark.h>

#include <X11/Intrinsic.h>
#include <X11/Shell.h>
#include <Xm/Xm.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "help/viewer/help_page.h"
#include "help/viewer/help_text.h"

namespace {
namespace ht = help_text;

// One line of running text with a link every few words, as a generated help file might have.
std::string one_line_file(std::size_t bytes) {
    std::string text = ".contents Contents\n";
    while (text.size() < bytes) text += "see {0|the contents} for the words of this help ";
    return text + "\n";
}

std::string write_file(std::size_t bytes) {
    std::string path = "/tmp/bench_help_" + std::to_string(getpid()) + "_" + std::to_string(bytes) + ".hlp";
    std::ofstream(path) << one_line_file(bytes);
    return path;
}

void BM_ReadOneLine(benchmark::State& state) {
    const std::size_t bytes = static_cast<std::size_t>(state.range(0));
    const std::string path = write_file(bytes);
    for (auto _ : state) {
        ht::Parsed parsed = ht::read_file(path);
        if (!parsed.refused.empty()) state.SkipWithError(parsed.refused.c_str());
        benchmark::DoNotOptimize(parsed);
    }
    std::remove(path.c_str());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// A realized page of the viewer's size, made once.
Widget page() {
    static Widget made = nullptr;
    if (made || !std::getenv("DISPLAY")) return made;
    XtSetLanguageProc(nullptr, nullptr, nullptr);
    XtToolkitInitialize();
    XtAppContext app = XtCreateApplicationContext();
    XtAppSetFallbackResources(app, help_page::fallback_resources());
    int argc = 1;
    char* argv[] = {const_cast<char*>("bench_help"), nullptr};
    Display* dpy = XtOpenDisplay(app, nullptr, "bench_help", "Hyperhelp", nullptr, 0, &argc, argv);
    if (!dpy) return nullptr;
    Widget shell = XtVaAppCreateShell("bench_help", "Hyperhelp", applicationShellWidgetClass, dpy, XmNwidth, 640,
                                      XmNheight, 580, nullptr);
    made = help_page::create(shell, "page");
    XtManageChild(made);
    XtRealizeWidget(shell);
    return made;
}

// Fills the page and waits until the server has drawn it.
void show(Widget w, const ht::Topic& topic) {
    help_page::fill(w, topic);
    XtAppContext app = XtWidgetToApplicationContext(w);
    XSync(XtDisplay(w), False);
    while (XtAppPending(app)) XtAppProcessEvent(app, XtIMAll);
    XSync(XtDisplay(w), False);
}

void BM_ReadAndShowOneLine(benchmark::State& state) {
    Widget w = page();
    if (!w) return state.SkipWithError("no DISPLAY");
    const std::size_t bytes = static_cast<std::size_t>(state.range(0));
    const std::string path = write_file(bytes);
    for (auto _ : state) {
        ht::Parsed parsed = ht::read_file(path);
        show(w, parsed.document.topics.at(0));
    }
    std::remove(path.c_str());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// The page as one line.
void BM_ShowUnbrokenLine(benchmark::State& state) {
    Widget w = page();
    if (!w) return state.SkipWithError("no DISPLAY");
    const std::size_t bytes = static_cast<std::size_t>(state.range(0));
    ht::Topic topic = ht::parse(one_line_file(bytes)).document.topics.at(0);
    for (char& c : topic.text)
        if (c == '\n') c = ' ';
    for (auto _ : state) show(w, topic);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
}  // namespace

BENCHMARK(BM_ReadOneLine)->Arg(150 << 10)->Arg(300 << 10)->Arg(600 << 10)->Arg(1000 << 10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndShowOneLine)
    ->Arg(150 << 10)
    ->Arg(300 << 10)
    ->Arg(600 << 10)
    ->Arg(1000 << 10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ShowUnbrokenLine)->Arg(75 << 10)->Arg(150 << 10)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
