// init_help and the Help button of every window, each with its topic.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "base/messages.h"
#include "ui/callbacks.h"
#include "help/XtHelp.h"

namespace {
const char* const HELP_FILE = "corvane_help.hlp";

void show_topic(Widget w, int topic) {
    // Without a connection start-up made no client; the first press makes it.
    if (!help) init_help(w);
    help->setHelpFile(HELP_FILE);
    if (help->showHelpOnTopic(topic) == -1) {
        const char* why = help->getMessage();
        std::fputs(format_message(msg::HELP_SHOW_FAILED, {why ? why : ""}).c_str(), stderr);
    }
}

pid_t helped = 0;  // the process that made `help`: a forked copy asks nothing of its viewer

// However the program ends (every exit path calls exit), the viewer it started goes too.
void quit_viewer() {
    if (help && getpid() == helped) help->terminate();
}
}  // namespace

void init_help(Widget w) {
    if (help) return;
    help = new XtHelp;
    helped = getpid();
    std::atexit(quit_viewer);
    if (help->initialize(w, nullptr, nullptr) == -1) std::fputs(message_text(msg::HELP_INIT_FAILED), stderr);
}

void main_help_cb(Widget w, XtPointer, XtPointer) { show_topic(w, 5000); }
void ol_help_cb(Widget w, XtPointer, XtPointer) { show_topic(w, 5100); }
void hist_help_cb(Widget w, XtPointer, XtPointer) { show_topic(w, 6100); }
void state_help_cb(Widget w, XtPointer, XtPointer) { show_topic(w, 5200); }
void te_help_button_cb(Widget w, XtPointer, XtPointer) { show_topic(w, 5300); }
void order_help_cb(Widget w, XtPointer, XtPointer) { show_topic(w, 5400); }
void ct_help_cb(Widget w, XtPointer, XtPointer) { show_topic(w, 5500); }
void te_pollrate_help_cb(Widget w, XtPointer, XtPointer) { show_topic(w, 5600); }
void te_severity_help_cb(Widget w, XtPointer, XtPointer) { show_topic(w, 5700); }
void sd_main_help_cb(Widget w, XtPointer, XtPointer) { show_topic(w, 5800); }
void cs_help_cb(Widget w, XtPointer, XtPointer) { show_topic(w, 5900); }
void tl_help_cb(Widget w, XtPointer, XtPointer) { show_topic(w, 5000); }
void sl_help_cb(Widget w, XtPointer, XtPointer) { show_topic(w, 5000); }
