// The help client and its viewer processes.
#include "help/XtHelp.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/data_paths.h"
#include "base/globals.h"
#include "base/messages.h"
#include "help/help_protocol.h"

namespace hp = help_protocol;

const char* const XtHelp::hyperhelp_command = "hyperhelp";
const char* const XtHelp::hyperhelp_atom_name = hp::ATOM_NAME;
const int XtHelp::magic_pid = 67890;

XtHelp* help = nullptr;

namespace {
// The installation directory: null until the first initialize.
char install_dir_buffer[HELP_PATH_MAX];
const char* install_dir = nullptr;
XtDefaultHelpNotify* default_notifier = nullptr;

// Viewers started and not yet reaped, with the client that started each (null once gone).
struct Started {
    pid_t pid;
    XtHelp* owner;
};
std::vector<Started> started;

// SIGCHLD only writes a byte here; the main loop reads it and reaps.
int wake_pipe[2] = {-1, -1};

void note_child_exit(int) {
    int saved = errno;
    if (wake_pipe[1] >= 0) {
        char byte = 0;
        ssize_t ignored = write(wake_pipe[1], &byte, 1);
        (void)ignored;
    }
    errno = saved;
}

void on_wake(XtPointer, int* fd, XtInputId*) {
    char drain[64];
    while (read(*fd, drain, sizeof drain) > 0) {
    }
    reap_help_children();
}

// Installed before the first fork, with the pipe that wakes the main loop.
void install_child_reaper(XtAppContext app) {
    static bool installed = false;
    if (installed) return;
    if (pipe2(wake_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction action {};
    action.sa_handler = note_child_exit;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_NOCLDSTOP;
    sigaction(SIGCHLD, &action, nullptr);
    XtAppAddInput(app, wake_pipe[0], reinterpret_cast<XtPointer>(XtInputReadMask), on_wake, nullptr);
    watch_while_idle(wake_pipe[0]);  // the idle wait ends for it too
    installed = true;
}

pid_t wait_retrying(pid_t pid, int options) {
    int status;
    pid_t r;
    do r = waitpid(pid, &status, options);
    while (r < 0 && errno == EINTR);
    return r;
}

// What the viewer needs of this program's environment: where it and its file are, the X
// server and its resource, locale and font settings, the user. The store's address and any
// password (VARO_STORE, PGPASSWORD, ...) are none of its business.
bool viewer_needs(const std::string& name) {
    static const char* const names[] = {"PATH",        "HOME",       "USER",         "LOGNAME",
                                        "LANG",        "LANGUAGE",   "TZ",           "TMPDIR",
                                        "DISPLAY",     "XAUTHORITY", "XENVIRONMENT", "XFILESEARCHPATH",
                                        "XUSERFILESEARCHPATH",       "XAPPLRESDIR",  "XLOCALEDIR",
                                        "XMODIFIERS",  "XKEYSYMDB",  "NLSPATH",      "LD_LIBRARY_PATH",
                                        "CORVANE_HOME", "HHHOME",    "HHPATH"};
    static const char* const prefixes[] = {"LC_", "XDG_", "FONTCONFIG_", "XCURSOR_"};
    for (const char* n : names)
        if (name == n) return true;
    for (const char* p : prefixes)
        if (name.rfind(p, 0) == 0) return true;
    return false;
}

std::vector<std::string> viewer_environment() {
    std::vector<std::string> kept;
    for (char** e = environ; *e; ++e) {
        const char* eq = std::strchr(*e, '=');
        if (eq && viewer_needs(std::string(*e, static_cast<std::size_t>(eq - *e)))) kept.emplace_back(*e);
    }
    return kept;
}

// The child's side of a start: nothing but async-signal-safe calls.
[[noreturn]] void exec_viewer(const char* path, char* const* argv, char* const* envp, int error_fd) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigaction(SIGCHLD, &fallback, nullptr);
    // The errno pipe must stay clear of 0 to 2, which become /dev/null.
    if (error_fd <= 2) error_fd = fcntl(error_fd, F_DUPFD_CLOEXEC, 3);
    else fcntl(error_fd, F_SETFD, FD_CLOEXEC);
    int null_fd = open("/dev/null", O_RDWR);
    if (error_fd < 0 || null_fd < 0) _exit(128);
    for (int fd = 0; fd <= 2; ++fd)
        if (null_fd != fd) dup2(null_fd, fd);
    if (null_fd > 2 && null_fd != error_fd) close(null_fd);
    // Nothing else of ours goes to the viewer.
    bool closed = (error_fd == 3 || close_range(3, static_cast<unsigned>(error_fd) - 1, 0) == 0) &&
                  close_range(static_cast<unsigned>(error_fd) + 1, ~0U, 0) == 0;
    if (!closed) {
        long limit = sysconf(_SC_OPEN_MAX);
        if (limit < 0) limit = 64;
        for (long fd = 3; fd < limit; ++fd)
            if (fd != error_fd) close(static_cast<int>(fd));
    }
    execve(path, argv, envp);
    int err = errno;
    ssize_t ignored = write(error_fd, &err, sizeof err);
    (void)ignored;
    _exit(128);
}

// Starts the viewer with an argument vector; the pid, or -1 with the reason in error.
pid_t run_viewer(const char* path, const std::vector<std::string>& args, XtHelpError* error) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const std::vector<std::string> env = viewer_environment();
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        error->setMessage(format_message(msg::HELP_FORK_FAILED, {path}).c_str());
        return -1;
    }
    pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        error->setMessage(format_message(msg::HELP_FORK_FAILED, {path}).c_str());
        return -1;
    }
    if (pid == 0) {
        close(fds[0]);
        exec_viewer(path, argv.data(), envp.data(), fds[1]);
    }
    close(fds[1]);
    int err = 0;
    ssize_t got;
    do got = read(fds[0], &err, sizeof err);
    while (got < 0 && errno == EINTR);
    close(fds[0]);
    if (got == static_cast<ssize_t>(sizeof err)) {
        error->setMessage(format_message(msg::HELP_EXEC_FAILED, {path, std::strerror(err)}).c_str());
        wait_retrying(pid, 0);
        return -1;
    }
    return pid;
}

// Holds the server for one read-modify-write of the property, so that the viewer's and
// other clients' updates are not lost.
class ServerGrab {
public:
    explicit ServerGrab(Display* d) : dpy(d) { XGrabServer(dpy); }
    ~ServerGrab() {
        XUngrabServer(dpy);
        XFlush(dpy);
    }
    ServerGrab(const ServerGrab&) = delete;
    ServerGrab& operator=(const ServerGrab&) = delete;

private:
    Display* dpy;
};

std::vector<hp::Record> read_property(Display* dpy, Atom atom) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<hp::Record> records;
    if (XGetWindowProperty(dpy, DefaultRootWindow(dpy), atom, 0, hp::PROPERTY_READ_UNITS, False, AnyPropertyType,
                           &type, &format, &items, &after, &data) == Success && data) {
        records = hp::read_records(data, format == 8 ? items : 0, format, type == atom);
    }
    if (data) XFree(data);
    return records;
}

void write_property(Display* dpy, Atom atom, const std::vector<hp::Record>& records) {
    std::vector<unsigned char> bytes = hp::write_records(records);
    XChangeProperty(dpy, DefaultRootWindow(dpy), atom, atom, 8, PropModeReplace, bytes.data(),
                    static_cast<int>(bytes.size()));
}

bool send_failed = false;
int trap_error(Display*, XErrorEvent*) {
    send_failed = true;
    return 0;
}

// True when the event reached the window.
bool send_client_message(Display* dpy, Window target, Atom atom, int client) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.display = dpy;
    event.xclient.window = target;
    event.xclient.message_type = atom;
    event.xclient.format = 8;
    std::string id = std::to_string(client);
    std::memcpy(event.xclient.data.b, id.c_str(), id.size() + 1);
    XSync(dpy, False);
    XErrorHandler previous = XSetErrorHandler(trap_error);
    send_failed = false;
    XSendEvent(dpy, target, True, 0, &event);
    XSync(dpy, False);
    XSetErrorHandler(previous);
    return !send_failed;
}

// The window the viewer watches: the client's outermost shell, which lives as long as it does.
std::uint32_t own_window(Widget w) {
    while (XtParent(w)) w = XtParent(w);
    return XtIsRealized(w) ? static_cast<std::uint32_t>(XtWindow(w)) : 0;
}

// The build tree's copy for a program run from it; else the install, moved with the
// program when it was installed under another prefix.
std::string default_install_dir() {
    if (running_from_build_tree()) return TARNWRIGHT_BUILD_RESOURCES;
    std::string moved = relocated_install_dir(TARNWRIGHT_DATADIR);
    struct stat st;
    return stat(moved.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? moved : TARNWRIGHT_DATADIR;
}
}  // namespace

XtHelpError::~XtHelpError() { std::free(message); }

void XtHelpError::setMessage(const char* text) {
    std::free(message);
    message = text ? strdup(text) : nullptr;
}

void XtHelpNotify::processCreated(XtHelp*, long) {}
void XtHelpNotify::processExited(long) {}

void XtDefaultHelpNotify::processCreated(XtHelp* h, long p) {
    help = h;
    pid = p;
}

void XtDefaultHelpNotify::processExited(long p) {
    if (p != pid) return;
    pid = 0;
    if (help) {
        help->processExited();
        help = nullptr;
    }
}

void reap_help_children() {
    for (std::size_t i = 0; i < started.size();) {
        pid_t r = wait_retrying(started[i].pid, WNOHANG);
        if (r == 0 || (r < 0 && errno != ECHILD)) {
            ++i;
            continue;
        }
        Started ended = started[i];
        started.erase(started.begin() + static_cast<long>(i));
        if (!ended.owner) continue;
        if (ended.owner->notify) ended.owner->notify->processExited(ended.pid);
        if (ended.owner->pid == ended.pid) ended.owner->processExited();
    }
}

XtHelp::~XtHelp() {
    if (parent) terminate();
    for (Started& s : started)
        if (s.owner == this) s.owner = nullptr;
    std::free(help_file);
    if (owns_error) delete error;
}

int XtHelp::initialize(Widget parent_arg, XtHelpNotify* notify_arg, XtHelpError* error_arg) {
    assert(parent_arg != 0);
    parent = parent_arg;
    if (error_arg) {
        error = error_arg;
    } else if (!error) {
        error = new XtHelpError;
        owns_error = true;
    }
    if (!install_dir) {
        const char* home = std::getenv("CORVANE_HOME");
        std::string dir = home ? home : default_install_dir();
        // Every path made from it must fit, the viewer's being the longest.
        if (dir.size() + std::strlen("/bin/") + std::strlen(hyperhelp_command) >= HELP_PATH_MAX) {
            fail(format_message(msg::HELP_PATH_TOO_LONG, {dir}).c_str());
            return -1;
        }
        copy_bounded(install_dir_buffer, sizeof install_dir_buffer, dir);
        // setenv keeps its own copies: a later change of either cannot lose ours.
        const std::string help = dir + "/help";
        if (setenv("HHHOME", help.c_str(), 1) != 0 || setenv("HHPATH", help.c_str(), 1) != 0) return -1;
        install_dir = install_dir_buffer;
    }
    if (notify_arg) {
        notify = notify_arg;
    } else {
        if (!default_notifier) default_notifier = new XtDefaultHelpNotify;
        notify = default_notifier;
    }
    install_child_reaper(XtWidgetToApplicationContext(parent));
    return 0;
}

int XtHelp::setHelpFile(const char* name) {
    char out[HELP_PATH_MAX];
    std::free(help_file);
    if (find_in_path("HHPATH", name, S_IFREG | S_IRUSR, out) >= 0) {
        help_file = strdup(out);
        help_file_is_valid = 1;
    } else {
        help_file = name ? strdup(name) : nullptr;
        help_file_is_valid = 0;
    }
    return 0;
}

void XtHelp::fail(const char* text) {
    if (error) error->setMessage(text);
}

int XtHelp::showHelpOnTopic(int topic) {
    if (!help_file_is_valid) {
        fail(format_message(msg::HELP_FILE_MISSING, {help_file ? help_file : message_text(msg::HELP_NO_FILE_SET)})
                 .c_str());
        return -1;
    }
    std::string command = hp::topic_command(topic, help_file);
    if (command.empty()) {
        fail(format_message(msg::HELP_PATH_TOO_LONG, {help_file}).c_str());
        return -1;
    }
    return sendEvent(command.c_str());
}

int XtHelp::showTableOfContents() {
    if (!help_file_is_valid) {
        fail(message_text(msg::HELP_FILE_MISSING_BARE));
        return -1;
    }
    std::string command = hp::contents_command(help_file);
    if (command.empty()) {
        fail(format_message(msg::HELP_PATH_TOO_LONG, {help_file}).c_str());
        return -1;
    }
    return sendEvent(command.c_str());
}

const char* XtHelp::getMessage() const { return error ? error->getMessage() : nullptr; }

void XtHelp::terminate() {
    if (pid > 0) sendEvent(hp::quit_command(magic_pid).c_str(), false);
}

int XtHelp::sendEvent(const char* command, bool may_start) {
    // A viewer that has ended is known before deciding whether one is there.
    reap_help_children();
    if (!parent) return -1;
    Display* dpy = XtDisplay(parent);
    Atom atom = XInternAtom(dpy, hyperhelp_atom_name, False);
    if (atom == None) {
        fail(message_text(msg::HELP_NO_VIEWER_CONTACT));
        return -1;
    }
    Window target = 0;
    bool start = false, register_first = false;
    {
        ServerGrab grab(dpy);
        std::vector<hp::Record> records = read_property(dpy, atom);
        hp::Record* record = hp::find_record(records, magic_pid);
        if (!record) {
            start = register_first = true;
        } else if (!record->set_command(command)) {
            fail(format_message(msg::HELP_PATH_TOO_LONG, {command}).c_str());
            return -1;
        } else {
            record->set_client_window(own_window(parent));
            // A viewer reads the record's command when it registers, so the one we are
            // starting (or start now) shows the latest press, never an older command.
            write_property(dpy, atom, records);
            target = record->window();
            start = target == 0 && pid <= 0;
        }
    }
    if (start) return may_start ? startViewer(command, register_first) : 0;
    if (target == 0 || send_client_message(dpy, target, atom, magic_pid)) return 0;

    // The viewer's window is gone: forget it, so that presses until the new viewer
    // registers do not start yet another one.
    {
        ServerGrab grab(dpy);
        std::vector<hp::Record> records = read_property(dpy, atom);
        hp::Record* record = hp::find_record(records, magic_pid);
        if (record && record->window() == target) {
            record->set_window(0);
            write_property(dpy, atom, records);
        }
    }
    return may_start ? startViewer(command, 0) : 0;
}

int XtHelp::setupCommunications() {
    Display* dpy = XtDisplay(parent);
    Atom atom = XInternAtom(dpy, hyperhelp_atom_name, False);
    if (atom == None) {
        fail(message_text(msg::HELP_NO_VIEWER_CONTACT));
        return -1;
    }
    ServerGrab grab(dpy);
    // Only whole records survive the rewrite; a garbled property is replaced.
    std::vector<hp::Record> records = read_property(dpy, atom);
    if (hp::find_record(records, magic_pid)) return 0;
    if (records.size() >= hp::MAX_RECORDS) {
        fail(message_text(msg::HELP_NO_VIEWER_CONTACT));
        return -1;
    }
    records.push_back(hp::Record::for_client(magic_pid));
    records.back().set_client_window(own_window(parent));
    write_property(dpy, atom, records);
    return 0;
}

int XtHelp::startViewer(const char* command, int register_first) {
    assert(help_file_is_valid);
    assert(XtDisplay(parent) != NULL);
    char path[HELP_PATH_MAX];
    std::string bin = std::string(install_dir ? install_dir : "") + "/bin";
    if (!join_help_path(path, sizeof path, bin.c_str(), hyperhelp_command)) {
        fail(format_message(msg::HELP_PATH_TOO_LONG, {bin}).c_str());
        return -1;
    }
    struct stat st;
    if (stat(path, &st) != 0) {
        fail(message_text(msg::HELP_NO_VIEWER));
        return -1;
    }
    if (register_first && setupCommunications() != 0) return -1;

    hp::Command cmd = hp::parse_command(command);
    std::vector<std::string> args = {hyperhelp_command, "-d", std::to_string(magic_pid), "-s", "0", "-display",
                                     DisplayString(XtDisplay(parent))};
    if (cmd.verb == hp::Verb::Topic) {
        args.insert(args.end(), {"-c", std::to_string(cmd.number), cmd.file});
    } else if (cmd.verb == hp::Verb::Contents) {
        args.insert(args.end(), {"-i", cmd.file});
    } else {
        return -1;  // nothing to show: a quit never starts a viewer
    }
    pid_t child = run_viewer(path, args, error);
    if (child < 0) return -1;
    pid = child;
    started.push_back({child, this});
    if (notify) notify->processCreated(this, pid);
    return 0;
}
