// Start-up: command line, catalogue, display, the windows, the connection to Varo, and
// what runs only when connected. main() then runs the Xt main loop, which never returns:
// the process ends in an exit callback.
#ifndef TARNWRIGHT_APP_STARTUP_H
#define TARNWRIGHT_APP_STARTUP_H

// Every step before the main loop. Exits with status 1 after a usage error (before any
// window) and 255 when the display cannot be opened. Returns whether Varo was reached;
// when not, the user has been told and every answer ends the program with status 1.
bool start_up(int argc, char** argv);

// Catalogue, application context, display, both top-level windows with their icon and
// close action, the dialogs hanging off them, and the main window's title; realizes te_win.
void init_startup_gui(int argc, char** argv);
// The editor dialogs of both top-level windows, in start-up's order (after te_win and
// state_diagram_win exist).
void create_editor_dialogs();
// What needs the server: the server-backed windows, help, and both shells realized.
void init_gui(int argc, char** argv);
// The usage text on standard error, then exit status 1.
[[noreturn]] void usage();

#endif
