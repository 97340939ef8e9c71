// See desktop.h.
#include "desktop.h"

#include "support/store_fixture.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace e2e {
namespace {
// Long enough for the program to take in one key (its idle poll sleeps 100 ms at a time)
// and for a menu it posts to grab the keyboard before the next key.
const char* const PAUSE = "0.3";

void xdo(const std::vector<std::string>& args) {
    proc::Options o;
    o.args = args;
    proc::Result r = proc::run(xdotool(), o, 120);
    if (std::getenv("TARNWRIGHT_E2E_TRACE")) {  // what was typed where, for a failure that needs it
        std::string all;
        for (const std::string& a : args) all += " " + a;
        std::fprintf(stderr, "xdotool%s: %d %s\n", all.c_str(), r.status, r.err.c_str());
    }
    EXPECT_TRUE(r.exited && r.status == 0) << "xdotool " << args.front() << ": " << r.err;
}

void walk(Window w, const std::function<void(Window)>& visit) {
    for (Window child : proc::child_windows(w)) {
        visit(child);
        walk(child, visit);
    }
}

XWindowAttributes attributes(Display* dpy, Window w) {
    XWindowAttributes a{};
    XGetWindowAttributes(dpy, w, &a);
    return a;
}
}  // namespace

std::string xdotool() {
    static const std::string path = [] {
        proc::Options o;
        o.args = {"-c", "command -v xdotool"};
        std::string out = proc::run("/bin/sh", o).out;
        return out.substr(0, out.find('\n'));
    }();
    return path;
}

bool required() {
    const char* value = std::getenv("TARNWRIGHT_REQUIRE_E2E");
    return value && std::string(value) == "1";
}

Editor::Editor(const std::string& store, const std::string& host, const std::vector<std::string>& args) {
    std::vector<std::string> all = {"-host", host};
    all.insert(all.end(), args.begin(), args.end());
    child = std::make_unique<proc::Child>(proc::tarnedit(), proc::editor_options(store, "", all));
    main_window = proc::wait_for_window(proc::main_title(host), 20, 0, true);
}

Editor::~Editor() = default;

unsigned long Editor::window(const std::string& title, double timeout_seconds) const {
    return proc::wait_for_window(title, timeout_seconds, main_window, true);
}

void Editor::in(unsigned long window, const Steps& steps) const {
    ASSERT_NE(window, 0u) << "no window to type into";
    std::vector<std::string> a = {"windowfocus", "--sync", std::to_string(window), "sleep", PAUSE};
    for (const std::string& step : steps) {
        std::size_t plus = step.find('+');
        if (!step.empty() && step[0] == '=') {
            // type takes every argument after it as text: it ends an invocation.
            a.insert(a.end(), {"type", "--delay", "40", step.substr(1)});
            xdo(a);
            a = {"sleep", PAUSE};
            continue;
        } else if (step == "clear") {
            a.insert(a.end(), {"key", "Home", "sleep", "0.1", "key", "shift+End"});
        } else if (plus != std::string::npos && plus > 0 && plus + 1 < step.size()) {
            // Held down around the key, as a hand does: a quick chord is missed now and then.
            std::string modifier = step.substr(0, plus) == "alt" ? "Alt_L" : "Control_L";
            a.insert(a.end(), {"keydown", modifier, "sleep", "0.1", "key", step.substr(plus + 1), "sleep", "0.1",
                               "keyup", modifier});
        } else {
            a.insert(a.end(), {"key", step});
        }
        a.insert(a.end(), {"sleep", PAUSE});
    }
    xdo(a);
}

void Editor::move(unsigned long window, int x, int y) const {
    xdo({"windowmove", "--sync", std::to_string(window), std::to_string(x), std::to_string(y)});
}

proc::Result Editor::exit() {
    in(main_window, {"ctrl+q"});
    return child->finish(15);
}

void click(unsigned long window, int x, int y, int button) {
    xdo({"mousemove", "--sync", "--window", std::to_string(window), std::to_string(x), std::to_string(y), "sleep",
         "0.2", "click", std::to_string(button), "sleep", PAUSE});
}

unsigned long drawing_area(unsigned long diagram) {
    Display* dpy = proc::x_display();
    Window best = 0;
    long best_area = 0;
    walk(diagram, [&](Window w) {
        XWindowAttributes a = attributes(dpy, w);
        long area = static_cast<long>(a.width) * a.height;
        if (area > best_area) best = w, best_area = area;
    });
    return best;
}

unsigned long tool_button(unsigned long diagram, int index) {
    Display* dpy = proc::x_display();
    std::vector<Window> row;
    walk(diagram, [&](Window w) {
        std::vector<Window> kids = proc::child_windows(w);
        if (kids.size() != 3 || !row.empty()) return;
        for (Window k : kids) {
            XWindowAttributes a = attributes(dpy, k);
            if (a.width != a.height || a.width < 32) return;
        }
        row = kids;
    });
    std::sort(row.begin(), row.end(), [&](Window l, Window r) { return attributes(dpy, l).x < attributes(dpy, r).x; });
    return index < static_cast<int>(row.size()) ? row[static_cast<std::size_t>(index)] : 0;
}

std::vector<char> pixels(unsigned long window) {
    Display* dpy = proc::x_display();
    XWindowAttributes a = attributes(dpy, window);
    std::vector<char> out;
    if (a.width <= 0 || a.height <= 0) return out;
    XImage* image = XGetImage(dpy, window, 0, 0, static_cast<unsigned>(a.width), static_cast<unsigned>(a.height),
                              AllPlanes, ZPixmap);
    if (!image) return out;
    out.assign(image->data, image->data + static_cast<std::size_t>(image->bytes_per_line) * image->height);
    XDestroyImage(image);
    return out;
}

std::string varoctl(const std::string& store, const std::vector<std::string>& args, const std::string& input) {
    proc::Result r = proc::run_varoctl(store, args, input);
    EXPECT_EQ(r.status, 0) << "varoctl " << args.front() << ": " << r.err;
    return r.out;
}

bool varoctl_shows(const std::string& store, const std::vector<std::string>& args, const std::string& text,
                   double timeout_seconds) {
    return testenv::poll_until(timeout_seconds, 200,
                               [&] { return proc::run_varoctl(store, args).out.find(text) != std::string::npos; });
}

void screenshot(const std::string& name, int width, int height) {
    const char* dir = std::getenv("TARNWRIGHT_SCREENSHOTS");
    if (!dir) return;
    std::string command = "import -window root -crop " + std::to_string(width) + "x" + std::to_string(height) +
                          "+0+0 " + std::string(dir) + "/" + name + ".png";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

}  // namespace e2e
