// Work procedure, the program's own sleep, and the platform error hook.
#include "app/main_loop.h"

#include <sys/select.h>

#include <csignal>
#include <cstdio>

#include "app/globals.h"
#include "app/messages.h"
#include "platform/vorn.h"

namespace {
enum { MSG_SET = 2, MSG_SELECT = 6, IDLE_POLL_MICROSECONDS = 100000 };
}

Boolean my_dispatcher(XtPointer) {
    dispatch_recursive(0);
    usleep(IDLE_POLL_MICROSECONDS);
    return False;
}

void install_dispatcher() {
    static bool installed = false;
    if (installed || !app_context) return;
    installed = true;
    XtAppAddWorkProc(app_context, my_dispatcher, nullptr);
}

void usleep(int microseconds) {
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGPOLL);
    sigaddset(&blocked, SIGALRM);
    // A help viewer ending must not cut the sleep short (its SIGCHLD is handled afterwards).
    sigaddset(&blocked, SIGCHLD);
    sigprocmask(SIG_BLOCK, &blocked, &previous);
    if (microseconds < 0) microseconds = 0;
    timeval timeout{};
    timeout.tv_sec = microseconds / 1000000;
    timeout.tv_usec = microseconds % 1000000;
    if (select(0, nullptr, nullptr, nullptr, &timeout) == -1) std::perror(message_text(MSG_SET, MSG_SELECT));
    sigprocmask(SIG_SETMASK, &previous, nullptr);
}

void vorn_error_cb(Error* e) {
    if (e) e->reset_error();
}
