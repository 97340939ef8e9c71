// Start-up in process: the real windows, their title, icon and close action, and what a
// failed connection leaves the user with. (Closing a window and answering the connection
// error end the real binary in tests/process.)
#include "support/gui_harness.h"

#include <X11/Shell.h>
#include <Xm/Xm.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/globals.h"
#include "app/main_loop.h"
#include "platform/vorn.h"
#include "support/process_runner.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"
#include "ui/xm_string.h"

using gui::GuiTest;

namespace {
std::string host_name() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return std::string(name).substr(0, 63);
}

void expect_icon_and_close_action(Widget shell) {
    Window icon = 0;
    char* icon_name = nullptr;
    unsigned char delete_response = 0;
    XtVaGetValues(shell, XtNiconWindow, &icon, XtNiconName, &icon_name, XmNdeleteResponse, &delete_response, nullptr);
    EXPECT_NE(icon, 0u);
    EXPECT_STREQ(icon_name, "Requests");
    EXPECT_EQ(delete_response, XmDO_NOTHING);
}

const char* const server_commands[] = {"main_new_template", "main_open_button", "main_save_button",
                                       "main_edit_conditions", "sd_template_open", "sd_edit_setup"};
}  // namespace

TEST_F(GuiTest, ConnectedStartShowsTitleIconsAndTheNotice) {
    Widget main = gui::start_editor();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(starting, 0);
    EXPECT_STREQ(global_platform, host_name().c_str());
    EXPECT_STREQ(open_template, "Noname");
    EXPECT_EQ(gui::title(te_win), "Quillon Corvane 1.2: Tarnwright [" + host_name() + "]");
    expect_icon_and_close_action(te_win);
    expect_icon_and_close_action(state_diagram_win);
    EXPECT_TRUE(XtIsRealized(te_win));
    EXPECT_TRUE(XtIsRealized(state_diagram_win));
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_EQ(gui::label(main_message_label), "Tarnwright request template editor. Copyright Quillon Corvane.");
    EXPECT_EQ(gui::label(sd_message_label), "Tarnwright request template editor. Copyright Quillon Corvane.");
    for (const char* name : server_commands) EXPECT_TRUE(gui::sensitive(gui::need(name))) << name;
    // The platform's errors are reset by the hook start-up armed.
    error.set_error(3, "recorded");
    EXPECT_FALSE(error.is_error());
}

TEST_F(GuiTest, FailedConnectionTellsTheUserAndRefusesServerCommands) {
    setenv("VARO_STORE", proc::unreachable_store().c_str(), 1);
    gui::start_editor();
    EXPECT_EQ(starting, 0);
    gui::Dialog d = gui::only_dialog();
    EXPECT_EQ(d.message, "Can't connect to Varo!");
    EXPECT_EQ(d.title, "Tarnwright: Error");
    EXPECT_EQ(d.buttons, (std::vector<std::string>{"OK", "Cancel"}));
    EXPECT_EQ(XtParent(XtParent(d.box)), te_win);
    for (const char* name : server_commands) EXPECT_FALSE(gui::sensitive(gui::need(name))) << name;
    // Answering it ends the program with status 1: tests/process runs that on the binary.
}
