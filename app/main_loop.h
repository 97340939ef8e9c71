// The main loop's idle work: the platform library is pumped ten times a second from an Xt
// work procedure, and its error hook resets every recorded error.
#ifndef TARNWRIGHT_APP_MAIN_LOOP_H
#define TARNWRIGHT_APP_MAIN_LOOP_H

#include <X11/Intrinsic.h>

class Error;

// Xt work procedure: dispatch_recursive(0), sleep 100 ms, stay installed (returns False).
Boolean my_dispatcher(XtPointer client_data);
// Installs my_dispatcher as the application's work procedure (once).
void install_dispatcher();
// Sleeps n microseconds (below one second) with SIGPOLL, SIGALRM and SIGCHLD blocked, restoring the
// previous mask; a failed select is reported with perror and cuts the sleep short.
void usleep(int microseconds);
// The platform library's error hook.
void vorn_error_cb(Error* e);

#endif
