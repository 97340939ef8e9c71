// The main loop's idle work: the platform library is pumped from an Xt work procedure, which
// then waits at most 100 ms for X input, news from the store or a watched descriptor; and the
// platform's error hook, which resets every recorded error.
#ifndef TARNWRIGHT_APP_MAIN_LOOP_H
#define TARNWRIGHT_APP_MAIN_LOOP_H

#include <X11/Intrinsic.h>

class Error;

// Xt work procedure: dispatch_recursive(0), idle_wait(100) (5 for a while after store news),
// stay installed (returns False).
Boolean my_dispatcher(XtPointer client_data);
// Installs my_dispatcher as the application's work procedure (once).
void install_dispatcher();

// Why an idle wait ended.
enum class IdleWake { Timeout, XInput, StoreNews, Watched, Signal };
// Waits up to the given time for input on the X connection (or events already queued), the
// store's notification descriptor, or a watched descriptor; a signal also ends it, except
// SIGPOLL and SIGALRM, which are held back until it is over. Flushes the X output first.
IdleWake idle_wait(int milliseconds);

// Sleeps n microseconds (below one second) with SIGPOLL, SIGALRM and SIGCHLD blocked, restoring the
// previous mask; a failed select is reported with perror and cuts the sleep short.
void usleep(int microseconds);
// The platform library's error hook.
void vorn_error_cb(Error* e);

#endif
