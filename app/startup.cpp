// The start-up sequence, in its documented order.
#include "app/startup.h"

#include <Xm/Xm.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/command_line.h"
#include "app/ending.h"
#include "app/main_loop.h"
#include "app/notifications.h"
#include "app/toolkit.h"
#include "base/globals.h"
#include "base/messages.h"
#include "diagram/diagram_view.h"
#include "diagram/draw_area.h"
#include "edit/exit_flows.h"
#include "edit/recovery_offer.h"
#include "edit/history_callbacks.h"
#include "edit/template_callbacks.h"
#include "edit/template_news.h"
#include "edit/template_status.h"
#include "edit/transition_editing.h"
#include "edit/undo_history.h"
#include "edit/write_controls.h"
#include "help/XtHelp.h"
#include "platform/qori.h"
#include "template/recovery_journal.h"
#include "template/store_rights.h"
#include "ui/app_icon.h"
#include "ui/gui_utils.h"
#include "ui/message_dialogs.h"
#include "ui/text_view.h"
#include "ui/windows.h"
#include "ui/xm_string.h"

namespace {
enum {
    TITLE_SIZE = 300,
};
const char* const VERSION = "1.2";
const char* const ICON_NAME = "Requests";

// The report to a launching process, made once after the connection attempt.
int report_fd = 0;

void read_command_line(int argc, char** argv) {
    CommandLine line = parse_command_line(argc, argv);
    if (!line.ok) usage();
    report_fd = line.fd;
    std::memset(global_platform, 0, sizeof global_platform);
    copy_bounded(global_platform, sizeof global_platform, line.host);
    std::memset(open_template, 0, sizeof open_template);
    copy_bounded(open_template, sizeof open_template, line.template_name);
    replace_localhost(global_platform, sizeof global_platform);
}

// Closing either top-level window from the window manager ends the program at once.
void end_on_window_close(Widget shell) { route_window_close(shell, main_exit_button_cb, nullptr, true); }

void set_label(Widget label, const char* text) {
    if (label) XtVaSetValues(label, XmNlabelString, static_cast<XmString>(XmStr(text)), nullptr);
}

// Without a connection nothing that needs the server may run.
void refuse_server_commands() {
    const Widget needs_server[] = {
        main_new_template, main_open_button,   main_save_button,     main_edit_conditions, main_form_conditions,
        main_edit_option,  sd_template_new,    sd_template_open,     sd_template_save,     sd_edit_conditions,
        sd_edit_setup,     main_template_history, sd_template_history,
    };
    for (Widget w : needs_server)
        if (w) XtSetSensitive(w, False);
}

void tell_not_connected() {
    refuse_server_commands();
    // The store's reason (a refused role, a server that does not answer, a full disk) under the
    // message, and on standard error, where a launcher's log keeps it.
    std::string text = message_text(msg::CANNOT_CONNECT);
    if (*qori_error_text()) text += std::string("\n") + qori_error_text();
    std::fprintf(stderr, "tarnedit: %s\n", text.c_str());
    error_dialog(te_win, text.c_str(), exit_no_save, exit_no_save);
}

// Every view of the open template and of the server's albums, in the order the user sees
// them follow a change; last the recovery journal, which keeps what they show.
void watch_views() {
    unwatch_template_views();
    const TemplateView views[] = {fields_view, text_view,         diagram_view, state_lists_view,
                                  transition_lists_view, status_view, undo_view,    server_lists_view,
                                  news_view,   journal_view, write_controls_view, history_view};
    for (TemplateView view : views) watch_template(view);
}

// Steps that run only with a connection.
void start_connected(int argc, char** argv) {
    init_gui(argc, argv);
    init_draw_area();
    watch_views();
    register_callbacks();  // also installs the dispatcher
    install_ending_handlers();
    if (std::strcmp(open_template, "Noname") != 0) {
        open_named_template();
    } else {
        start_new_template();
        set_label(main_message_label, message_text(msg::NOTICE_MAIN));
        set_label(sd_message_label, message_text(msg::NOTICE_DIAGRAM));
    }
    // What this role may not change is read-only from the start.
    forget_store_rights();
    read_store_rights();
    offer_recovery(nullptr);
}
}  // namespace

void create_editor_dialogs() {
    create_state_edit_win(te_win);
    create_transition_edit_win(te_win);
    create_order_trans_win(te_win);
    create_state_list_win(state_diagram_win);
    create_transition_list_win(state_diagram_win);
    create_configure_states(state_diagram_win);
    create_state_information(state_diagram_win);
    create_check_template_win(te_win);
    create_history_win(te_win);
    create_simulate_win(te_win);
}

void usage() {
    std::fputs(usage_text().c_str(), stderr);
    std::exit(1);
}

void init_startup_gui(int argc, char** argv) {
    if (!open_toolkit_display(argv[0])) {
        std::fputs(format_message(msg::NO_DISPLAY, {argv[0]}).c_str(), stderr);
        std::exit(-1);
    }
    std::string name = application_name(argv[0]);
    create_te_win(display, const_cast<char*>(name.c_str()), argc, argv);
    g2_setupIconPixmap(application_icon_xpm(), te_win, ICON_NAME, APP_ICON_SIZE, APP_ICON_SIZE);
    create_state_diagram_win(te_win);
    g2_setupIconPixmap(application_icon_xpm(), state_diagram_win, ICON_NAME, APP_ICON_SIZE, APP_ICON_SIZE);
    end_on_window_close(state_diagram_win);
    end_on_window_close(te_win);

    create_editor_dialogs();

    char title[TITLE_SIZE];
    copy_bounded(title, sizeof title, format_message(msg::MAIN_TITLE, {VERSION, global_platform}));
    XtVaSetValues(te_win, XtNtitle, title, nullptr);

    // The main window shows before the connection is attempted.
    XtRealizeWidget(te_win);
    XFlush(display);
    XmUpdateDisplay(te_win);
}

void init_gui(int, char**) {
    init_template_win(te_win);
    init_pollrate_win(te_win);
    init_severity_win(te_win);
    init_cond_win(te_win);
    init_help(te_win);
    XtRealizeWidget(te_win);
    XtRealizeWidget(state_diagram_win);
    if (ol_label) set_label(ol_label, format_message(msg::OPEN_LIST_LABEL, {global_platform}).c_str());
}

bool start_up(int argc, char** argv) {
    Error::vorn_call_depth = 1;
    Error::error_entry_callback = vorn_error_cb;
    XtSetLanguageProc(nullptr, nullptr, nullptr);
    read_command_line(argc, argv);
    init_startup_gui(argc, argv);

    bool connected;
    {
        BusyCursor busy(te_win);
        connected = qori_init(global_platform) != 0;
        starting = 0;
        if (report_fd != 0) g2_panel_response(report_fd, argv[0]);
        if (connected) start_connected(argc, argv);
    }
    if (!connected) tell_not_connected();
    return connected;
}
