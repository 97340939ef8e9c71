// See process_runner.h.
#include "support/process_runner.h"

#include "support/gui_harness.h"  // first: gtest before X's macros
#include "support/store_fixture.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace proc {
namespace {
std::string temp_file(const char* stem) {
    std::string pattern = std::string("/tmp/tarnwright-") + stem + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    int fd = mkstemp(buffer.data());
    if (fd >= 0) close(fd);
    return buffer.data();
}

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

const char* editor_wrapper() {
    const char* w = std::getenv("TARNWRIGHT_EDITOR_WRAPPER");
    return w && *w ? w : nullptr;
}

// An editor under a checker runs some twenty times slower: so much longer to wait.
double scaled(double seconds) { return editor_wrapper() ? seconds * 20 : seconds; }

std::string window_title(Display* dpy, Window w) {
    XTextProperty prop;
    std::string title;
    if (XGetWMName(dpy, w, &prop) && prop.value) {
        title.assign(reinterpret_cast<char*>(prop.value), prop.nitems);
        XFree(prop.value);
    }
    return title;
}
}  // namespace

Child::Child(const std::string& program, const Options& options) {
    out_path = temp_file("out");
    err_path = temp_file("err");
    in_path = temp_file("in");
    std::ofstream(in_path, std::ios::binary) << options.input;
    child = fork();
    if (child == 0) {
        for (const auto& [name, value] : options.env) setenv(name.c_str(), value.c_str(), 1);
        for (const std::string& name : options.unset) unsetenv(name.c_str());
        int in = open(options.input.empty() ? "/dev/null" : in_path.c_str(), O_RDONLY);
        int out = open(out_path.c_str(), O_WRONLY | O_TRUNC);
        int err = open(err_path.c_str(), O_WRONLY | O_TRUNC);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        // Move the handed descriptors clear of their targets first, then into place.
        std::map<int, int> moved;
        for (const auto& [target, source] : options.fds) {
            moved[target] = fcntl(source, F_DUPFD_CLOEXEC, 100);
            close(source);  // only the target may stay open in the program
        }
        for (const auto& [target, source] : moved) dup2(source, target);
        // The editor run under a checker (scripts/valgrind.sh): its words go first.
        std::vector<std::string> words;
        if (editor_wrapper() && program == tarnedit()) {
            std::istringstream split(editor_wrapper());
            for (std::string w; split >> w;) words.push_back(w);
        }
        words.push_back(program);
        std::vector<char*> argv;
        for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
        for (const std::string& a : options.args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    for (const auto& [target, source] : options.fds) close(source);
}

Child::~Child() {
    if (child > 0 && !done) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    for (const std::string& path : {in_path, out_path, err_path}) unlink(path.c_str());
}

bool Child::running() {
    if (done || child <= 0) return false;
    int status = 0;
    pid_t r = waitpid(child, &status, WNOHANG);
    if (r == 0) return true;
    done = true;
    result.exited = WIFEXITED(status);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return false;
}

Result Child::finish(double timeout_seconds) {
    if (!testenv::poll_until(scaled(timeout_seconds), 20, [&] { return !running(); })) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        done = true;
        result.exited = false;
    }
    result.out = read_file(out_path);
    result.err = read_file(err_path);
    return result;
}

Result answer_error(Child& editor) {
    unsigned long dialog = wait_for_window("Tarnwright: Error");
    if (!dialog) {
        ADD_FAILURE() << "no error dialog told the user";
        return Result();
    }
    press_return_in(dialog);
    return editor.finish(10);
}

Result run(const std::string& program, const Options& options, double timeout_seconds) {
    Child child(program, options);
    return child.finish(timeout_seconds);
}

std::string tarnedit() { return TARNEDIT_BINARY; }
std::string varoctl() { return VAROCTL_BINARY; }

std::string unreachable_store() { return "pg:host=127.0.0.1 port=1 dbname=none connect_timeout=2"; }

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string host_name() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return std::string(name).substr(0, 63);
}

std::string main_title(const std::string& host) { return "Quillon Corvane 1.2: Tarnwright [" + host + "]"; }

Options editor_options(const std::string& store, const std::string& data_home, std::vector<std::string> args) {
    Options o;
    o.args = std::move(args);
    o.env["VARO_STORE"] = store;
    if (!data_home.empty()) o.env["XDG_DATA_HOME"] = data_home;
    // Recovery journals go beside the test's store, never into the user's own folder.
    std::string state = data_home;
    if (state.empty() && store.rfind("sqlite:", 0) == 0) state = store.substr(7, store.rfind('/') - 7);
    if (!state.empty()) o.env["XDG_STATE_HOME"] = state;
    // The display the child gets is the one the test watches: started first when DISPLAY names none.
    x_display();
    if (const char* display = std::getenv("DISPLAY")) o.env["DISPLAY"] = display;
    o.unset = {"NLSPATH", "XFILESEARCHPATH", "XENVIRONMENT"};
    return o;
}

Result run_varoctl(const std::string& store, std::vector<std::string> args, const std::string& input) {
    if (!store.empty()) args.insert(args.begin(), {"--store", store});
    Options o;
    o.args = std::move(args);
    o.input = input;
    return run(varoctl(), o);
}

namespace {
// Windows of other programs come and go while the tests look through the screen's windows:
// one that vanished between the listing and the look is simply not the one searched for.
int ignore_vanished_windows(Display* dpy, XErrorEvent* e) {
    if (e->error_code == BadWindow) return 0;
    char text[256] = {0};
    XGetErrorText(dpy, e->error_code, text, sizeof text - 1);
    std::fprintf(stderr, "X error in the test: %s (request %d)\n", text, e->request_code);
    return 0;
}
}  // namespace

Display* x_display() {
    static Display* dpy = nullptr;
    if (!dpy) {
        gui::ensure_x_server();
        dpy = XOpenDisplay(nullptr);
        XSetErrorHandler(ignore_vanished_windows);
    }
    return dpy;
}

std::vector<unsigned long> child_windows(unsigned long window) {
    Display* dpy = x_display();
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    std::vector<unsigned long> out;
    if (dpy && XQueryTree(dpy, window ? window : DefaultRootWindow(dpy), &root, &parent, &children, &count) && children) {
        out.assign(children, children + count);
        XFree(children);
    }
    return out;
}

namespace {
// The toolkit marks every top-level window of a program with its main window.
Window client_leader(Display* dpy, Window w) {
    Atom type;
    int format;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Window leader = 0;
    if (XGetWindowProperty(dpy, w, XInternAtom(dpy, "WM_CLIENT_LEADER", False), 0, 1, False, XA_WINDOW, &type,
                           &format, &count, &after, &data) == Success &&
        data && count == 1)
        leader = *reinterpret_cast<Window*>(data);
    if (data) XFree(data);
    // Dialogs name the main window as the one they are transient for instead.
    Window transient_for = 0;
    if (!leader && XGetTransientForHint(dpy, w, &transient_for)) leader = transient_for;
    return leader;
}

bool viewable(Display* dpy, Window w) {
    XWindowAttributes a;
    return XGetWindowAttributes(dpy, w, &a) && a.map_state == IsViewable;
}

std::vector<Window> find_windows(Display* dpy, const std::string& title, Window leader, bool shown = false) {
    std::vector<Window> found;
    XSync(dpy, False);
    for (Window w : child_windows())
        if (window_title(dpy, w) == title && (!leader || client_leader(dpy, w) == leader) && (!shown || viewable(dpy, w)))
            found.push_back(w);
    return found;
}

Window find_window(Display* dpy, const std::string& title, Window leader, bool shown) {
    std::vector<Window> found = find_windows(dpy, title, leader, shown);
    return found.empty() ? 0 : found.front();
}
}  // namespace

unsigned long wait_for_window(const std::string& title, double timeout_seconds, unsigned long leader, bool shown) {
    Display* dpy = x_display();
    Window found = 0;
    if (dpy) testenv::poll_until(scaled(timeout_seconds), 50, [&] { return (found = find_window(dpy, title, leader, shown)) != 0; });
    return found;
}

int count_windows(const std::string& title, unsigned long leader) {
    Display* dpy = x_display();
    return dpy ? static_cast<int>(find_windows(dpy, title, leader).size()) : 0;
}

bool wait_for_no_window(const std::string& title, double timeout_seconds) {
    Display* dpy = x_display();
    return !dpy || testenv::poll_until(scaled(timeout_seconds), 50, [&] { return !find_window(dpy, title, 0, false); });
}

void send_wm_delete(unsigned long window) { gui::send_wm_delete(x_display(), window); }

void press_return_in(unsigned long window) {
    Display* dpy = x_display();
    // Wait until it is viewable: focus cannot go to an unmapped window.
    for (int i = 0; i < 100 && !viewable(dpy, window); ++i) sleep_ms(50);
    XSetInputFocus(dpy, window, RevertToPointerRoot, CurrentTime);
    XSync(dpy, False);
    sleep_ms(300);  // let the toolkit take the focus to the default button
    XEvent event{};
    event.xkey.display = dpy;
    event.xkey.window = window;
    event.xkey.root = DefaultRootWindow(dpy);
    event.xkey.same_screen = True;
    event.xkey.keycode = XKeysymToKeycode(dpy, XK_Return);
    event.xkey.time = CurrentTime;
    event.xkey.type = KeyPress;
    XSendEvent(dpy, window, True, KeyPressMask, &event);
    event.xkey.type = KeyRelease;
    XSendEvent(dpy, window, True, KeyReleaseMask, &event);
    XFlush(dpy);
}

}  // namespace proc
