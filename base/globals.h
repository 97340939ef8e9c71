// Process-wide state set up at start-up and read by the rest of the program.
#ifndef TARNWRIGHT_BASE_GLOBALS_H
#define TARNWRIGHT_BASE_GLOBALS_H

#include <X11/Intrinsic.h>

#include <vector>

// A template name is one word of at most 64 characters, so its buffer holds 64 plus the terminator.
enum { PLATFORM_NAME_SIZE = 64, TEMPLATE_NAME_SIZE = 65 };

extern char global_platform[PLATFORM_NAME_SIZE];  // host of the Varo server
extern char open_template[TEMPLATE_NAME_SIZE];    // name of the template to open
extern char starting;                             // 1 until qori_init has returned
extern XtAppContext app_context;
extern Display* display;

// Descriptors whose input ends the main loop's idle wait (a signal handler's self-pipe):
// added by any layer, read by the main loop.
void watch_while_idle(int fd);
const std::vector<int>& idle_watched();

#endif
