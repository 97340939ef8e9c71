// Opening the toolkit: catalogue, application context and display of class "Tarnedit".
// Start-up and the GUI tests share it, so the tests see the program's own resources.
#ifndef TARNWRIGHT_APP_TOOLKIT_H
#define TARNWRIGHT_APP_TOOLKIT_H

#include <X11/Intrinsic.h>

#include <string>

// The application (resource) name for an invocation name: its last path part, with the
// characters that resource names reserve replaced.
std::string application_name(const char* invocation_name);

// Sets app_context and display (once: later calls return the open display); returns display, null when it cannot be opened.
// The toolkit is handed only the invocation name: the program's own parser has already
// read the arguments, so no toolkit option can slip in.
Display* open_toolkit_display(const char* invocation_name);

#endif
