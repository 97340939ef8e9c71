// Opening the toolkit: catalogue, application context and display of class "Tarnedit".
// Start-up and the GUI tests share it, so the tests see the program's own resources.
#ifndef TARNWRIGHT_APP_TOOLKIT_H
#define TARNWRIGHT_APP_TOOLKIT_H

#include <X11/Intrinsic.h>

// Sets app_context and display; returns display, null when it cannot be opened.
// The toolkit is handed only the invocation name: the program's own parser has already
// read the arguments, so no toolkit option can slip in.
Display* open_toolkit_display(const char* invocation_name);

#endif
