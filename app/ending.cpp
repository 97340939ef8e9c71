// Terminating signals and the X connection's loss.
#include "app/ending.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "base/globals.h"
#include "base/messages.h"
#include "edit/exit_flows.h"
#include "template/recovery_journal.h"

namespace {

volatile std::sig_atomic_t ending_signal = 0;
int wake_pipe[2] = {-1, -1};

void on_terminating_signal(int signo) {
    ending_signal = signo;
    if (wake_pipe[1] >= 0) {
        int saved = errno;
        char byte = 1;
        (void)!::write(wake_pipe[1], &byte, 1);
        errno = saved;
    }
}

// Xlib's own handler would end the program through exit, whose handlers still talk to the
// server (the help viewer's quit): here nothing touches X once the connection is gone.
int on_x_connection_lost(Display* dpy) {
    const char* name = dpy ? DisplayString(dpy) : "";
    write_journal_now();
    end_journal();
    std::fputs(format_message(msg::X_CONNECTION_LOST, {name ? name : ""}).c_str(), stderr);
    std::fflush(nullptr);
    ::_exit(1);
}

}  // namespace

void install_ending_handlers() {
    if (wake_pipe[0] < 0 && ::pipe2(wake_pipe, O_CLOEXEC | O_NONBLOCK) == 0) watch_while_idle(wake_pipe[0]);
    struct sigaction action {};
    action.sa_handler = on_terminating_signal;
    sigemptyset(&action.sa_mask);
    for (int signo : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signo, &action, nullptr);
    XSetIOErrorHandler(on_x_connection_lost);
}

void end_if_signalled() {
    if (!ending_signal) return;
    char drained[16];
    while (::read(wake_pipe[0], drained, sizeof drained) > 0) {
    }
    // As Exit ends it, with the status a shell gives a program its signal ended.
    end_program(128 + ending_signal);
}
