// Process-wide state set up at start-up and read by the rest of the program.
#ifndef TARNWRIGHT_BASE_GLOBALS_H
#define TARNWRIGHT_BASE_GLOBALS_H

#include <X11/Intrinsic.h>

// A template name is one word of at most 64 characters, so its buffer holds 64 plus the terminator.
enum { PLATFORM_NAME_SIZE = 64, TEMPLATE_NAME_SIZE = 65 };

extern char global_platform[PLATFORM_NAME_SIZE];  // host of the Varo server
extern char open_template[TEMPLATE_NAME_SIZE];    // name of the template to open
extern char starting;                             // 1 until qori_init has returned
extern XtAppContext app_context;
extern Display* display;

#endif
