// Work procedure, the idle wait, the program's own sleep, and the platform error hook.
#include "app/main_loop.h"

#include <poll.h>
#include <sys/select.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <vector>

#include "app/ending.h"
#include "base/globals.h"
#include "base/messages.h"
#include "platform/qori.h"
#include "platform/vorn.h"
#include "template/recovery_journal.h"

namespace {
enum { IDLE_POLL_MILLISECONDS = 100, SHORT_WAIT_MILLISECONDS = 5, SHORT_WAITS = 20 };
}  // namespace

Boolean my_dispatcher(XtPointer) {
    // The embedded store's folder changes a moment before the commit can be read (its log is
    // written before the log's index), so news may wake a dispatch that finds nothing yet:
    // for a while after news the waits are short, and the commit is not left to the next 100 ms.
    static int short_waits = 0;
    dispatch_recursive(0);
    end_if_signalled();
    // Idle: the journal catches up with the changes made since it was last written.
    int journal_wait = write_journal_when_due();
    int wait = short_waits > 0 ? SHORT_WAIT_MILLISECONDS : IDLE_POLL_MILLISECONDS;
    IdleWake why = idle_wait(journal_wait > 0 && journal_wait < wait ? journal_wait : wait);
    if (why == IdleWake::StoreNews)
        short_waits = SHORT_WAITS;
    else if (short_waits > 0)
        --short_waits;
    return False;
}

void install_dispatcher() {
    static bool installed = false;
    if (installed || !app_context) return;
    installed = true;
    XtAppAddWorkProc(app_context, my_dispatcher, nullptr);
}

IdleWake idle_wait(int milliseconds) {
    // What the dispatch drew goes out now, not after the wait; events the connection has
    // already read from the socket would not make it readable again.
    if (display && XEventsQueued(display, QueuedAfterFlush) > 0) return IdleWake::XInput;
    std::vector<pollfd> fds;
    if (display) fds.push_back({ConnectionNumber(display), POLLIN, 0});
    int store = qori_notification_fd();
    if (store >= 0) fds.push_back({store, POLLIN, 0});
    for (int fd : idle_watched()) fds.push_back({fd, POLLIN, 0});

    // SIGPOLL and SIGALRM wait until the wait is over; a child ending (help viewer) ends it,
    // its handler having written to a watched pipe.
    sigset_t during;
    sigprocmask(SIG_SETMASK, nullptr, &during);
    sigaddset(&during, SIGPOLL);
    sigaddset(&during, SIGALRM);
    if (milliseconds < 0) milliseconds = 0;
    timespec timeout{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    int ready = ppoll(fds.data(), fds.size(), &timeout, &during);
    if (ready == 0) return IdleWake::Timeout;
    if (ready < 0) {
        if (errno == EINTR) return IdleWake::Signal;
        std::perror(message_text(msg::SELECT_FAILED));
        return IdleWake::Timeout;
    }
    std::size_t i = 0;
    if (display && fds[i++].revents) return IdleWake::XInput;
    if (store >= 0 && fds[i++].revents) return IdleWake::StoreNews;
    return IdleWake::Watched;
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
    if (select(0, nullptr, nullptr, nullptr, &timeout) == -1) std::perror(message_text(msg::SELECT_FAILED));
    sigprocmask(SIG_SETMASK, &previous, nullptr);
}

void vorn_error_cb(Error* e) {
    if (e) e->reset_error();
}
