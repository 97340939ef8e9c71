// The help client: finds the help viewer and the help file, starts the viewer when none
// answers, and sends it commands through records on the root window's property and a
// ClientMessage. One instance, `help`, serves every window's Help button.
#ifndef TARNWRIGHT_HELP_XTHELP_H
#define TARNWRIGHT_HELP_XTHELP_H

#include <X11/Intrinsic.h>

#include "help/help_paths.h"

class XtHelp;

// The last failure of the client, as text.
class XtHelpError {
public:
    XtHelpError() = default;
    ~XtHelpError();
    XtHelpError(const XtHelpError&) = delete;
    XtHelpError& operator=(const XtHelpError&) = delete;
    void setMessage(const char* text);  // null stores null
    const char* getMessage() const { return message; }

private:
    char* message = nullptr;
};

// Told when a viewer process starts and when it has ended (and been reaped).
class XtHelpNotify {
public:
    virtual void processCreated(XtHelp* help, long pid);
    virtual void processExited(long pid);
    virtual ~XtHelpNotify() = default;
};

// Remembers the last viewer started and returns its client to "none" when it ends.
class XtDefaultHelpNotify : public XtHelpNotify {
public:
    void processCreated(XtHelp* help, long pid) override;
    void processExited(long pid) override;

private:
    long pid = 0;
    XtHelp* help = nullptr;
};

class XtHelp {
public:
    static const char* const hyperhelp_command;    // "hyperhelp"
    static const char* const hyperhelp_atom_name;  // "HyperHelpAtomV40"
    static const int magic_pid;                    // 67890, the client identifier

    XtHelp() = default;
    ~XtHelp();
    XtHelp(const XtHelp&) = delete;
    XtHelp& operator=(const XtHelp&) = delete;

    // Sets HHHOME and HHPATH from the installation directory (CORVANE_HOME, else where the
    // program's own viewer and help file are). 0, or -1 when that cannot be done.
    int initialize(Widget parent, XtHelpNotify* notify, XtHelpError* error);
    // Looks the file up along HHPATH; always 0.
    int setHelpFile(const char* name);
    // 0 when the command went out or the viewer was started, else -1 (see getMessage).
    int showHelpOnTopic(int topic);
    int showTableOfContents();
    const char* getMessage() const;
    // Asks a viewer this client started to quit; never starts one.
    void terminate();
    // The viewer has ended: back to no viewer.
    void processExited() { pid = 0; }
    long processId() const { return pid; }

private:
    int startViewer(const char* command, int register_first);
    int setupCommunications();
    // may_start false: deliver to a viewer that is there or starting, start none.
    int sendEvent(const char* command, bool may_start = true);
    void fail(const char* text);
    friend void reap_help_children();

    Widget parent = nullptr;
    long pid = 0;
    char* help_file = nullptr;
    int help_file_is_valid = 0;
    XtHelpError* error = nullptr;
    XtHelpNotify* notify = nullptr;
    bool owns_error = false;
};

// Waits without blocking for every viewer started and not yet reaped, and reports the ones
// that ended. Runs from the main loop after a SIGCHLD, and before each send.
void reap_help_children();

extern XtHelp* help;

// Makes `help` on the given widget, once.
void init_help(Widget w);

#endif
