// How the program ends when it is not asked through its windows: a terminating signal (SIGTERM,
// SIGHUP, SIGINT) only sets a flag and wakes the main loop, which writes the recovery journal
// and ends as Exit does; the X connection's loss writes the journal and ends with status 1
// without another X call.
#ifndef TARNWRIGHT_APP_ENDING_H
#define TARNWRIGHT_APP_ENDING_H

void install_ending_handlers();
// The main loop's turn: ends the program when a terminating signal came.
void end_if_signalled();

#endif
