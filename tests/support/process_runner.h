// Runs the built programs as a user or a launcher would, and watches their windows from
// outside through a connection of the test's own.
#ifndef TARNWRIGHT_TESTS_SUPPORT_PROCESS_RUNNER_H
#define TARNWRIGHT_TESTS_SUPPORT_PROCESS_RUNNER_H

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

struct _XDisplay;

namespace proc {

struct Options {
    std::vector<std::string> args;                 // after argv[0]
    std::map<std::string, std::string> env;       // set in the child
    std::vector<std::string> unset;                // removed from the child's environment
    // Descriptors handed to the child: child fd -> this process's fd (closed here after spawning).
    std::map<int, int> fds;
    std::string input;  // standard input (otherwise /dev/null)
};

struct Result {
    bool exited = false;  // false: killed by a signal or timed out
    int status = -1;      // exit status when exited
    std::string out, err;
};

// A running program; its output goes to temporary files read back by finish().
class Child {
public:
    Child(const std::string& program, const Options& options);
    ~Child();  // kills a child still running
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    pid_t pid() const { return child; }
    bool running();
    // Waits up to timeout seconds; a child still running then is killed (exited false).
    Result finish(double timeout_seconds = 30);

private:
    pid_t child = -1;
    std::string in_path, out_path, err_path;
    Result result;
    bool done = false;
};

// The editor's error dialog answered with Return, and how the editor ended then (exited false
// when no dialog came).
Result answer_error(Child& editor);

// Runs to the end (at most timeout seconds).
Result run(const std::string& program, const Options& options, double timeout_seconds = 30);

// The built programs and a store address that cannot be reached.
std::string tarnedit();
std::string varoctl();
std::string unreachable_store();

// A file's whole contents ("" when it cannot be read).
std::string read_file(const std::string& path);
// This machine's name as a title shows it, and the main window's title for a host.
std::string host_name();
std::string main_title(const std::string& host);
// tarnedit on this store and the test's display, nothing taken from the user's catalogue or
// resource settings; data_home ("" : left as it is) stands for the user's data folder.
Options editor_options(const std::string& store, const std::string& data_home = "",
                       std::vector<std::string> args = {});
// varoctl --store store ("" : no --store) with these arguments and standard input.
Result run_varoctl(const std::string& store, std::vector<std::string> args, const std::string& input = "");

// The test's own X connection (starting a private Xvfb when DISPLAY names none).
_XDisplay* x_display();
// The window's children, bottom to top (0: the root window's).
std::vector<unsigned long> child_windows(unsigned long window = 0);
// A top-level window with exactly this title (and, when leader is given, belonging to the
// program whose main window that is; when shown, mapped); waits up to timeout seconds, 0 if
// none came. Every program has all its dialogs from the start, unmapped.
unsigned long wait_for_window(const std::string& title, double timeout_seconds = 20, unsigned long leader = 0,
                              bool shown = false);
// How many top-level windows have this title (and, when leader is given, that main window).
int count_windows(const std::string& title, unsigned long leader = 0);
// Waits until no window has this title any more: the server removes the windows of a
// program that ended a moment after it ended. True when they are gone.
bool wait_for_no_window(const std::string& title, double timeout_seconds = 10);
// Sends the window manager's close (WM_DELETE_WINDOW) to a window.
void send_wm_delete(unsigned long window);
// Gives the window the keyboard focus and presses Return in it, as a user answering the
// dialog's default button would.
void press_return_in(unsigned long window);

}  // namespace proc

#endif
