// The help client against a real X server: the records on the root window and the viewers it
// starts (a stand-in script that logs how it was started).
#include "support/gui_harness.h"

#include <X11/Xlib.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "base/globals.h"
#include "ui/callbacks.h"
#include "help/XtHelp.h"
#include "help/help_protocol.h"
#include "support/process_runner.h"
#include "support/editor_fixture.h"
#include "ui/widgets.h"

namespace fs = std::filesystem;
namespace hp = help_protocol;
using namespace std::chrono_literals;

namespace {
// It logs beside the help folder: the client passes on only the environment a viewer needs.
const char* const FAKE_VIEWER = R"(#!/bin/sh
log="$HHHOME/../log"
printf '%s\n' "$@" > "$log.args"
env > "$log.env"
echo run >> "$log.runs"
exec sleep 30
)";

class HelpClient : public gui::GuiTest {
protected:
    void SetUp() override {
        gui::GuiTest::SetUp();
        home = temp_dir() + "/corvane";
        fs::create_directories(home + "/bin");
        fs::create_directories(home + "/help");
        std::ofstream(viewer()) << FAKE_VIEWER;
        chmod(viewer().c_str(), 0755);
        std::ofstream(help_file()) << ".contents Contents\n";
        log = home + "/log";
        setenv("CORVANE_HOME", home.c_str(), 1);
        shell = gui::test_shell();
        atom = XInternAtom(display, hp::ATOM_NAME, False);
        XDeleteProperty(display, DefaultRootWindow(display), atom);
    }
    void TearDown() override {
        for (XtHelp* h : {&client, help})
            if (h) end_viewer(*h, reap_help_children);
        gui::GuiTest::TearDown();
    }

    std::string viewer() const { return home + "/bin/hyperhelp"; }
    std::string help_file() const { return home + "/help/corvane_help.hlp"; }

    void start_client() {
        ASSERT_EQ(client.initialize(shell, nullptr, nullptr), 0);
        client.setHelpFile("corvane_help.hlp");
    }

    // The lines of one of the stand-in's logs.
    std::vector<std::string> logged(const char* what) const {
        std::vector<std::string> out;
        std::istringstream in(proc::read_file(log + what));
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }

    // Viewer starts logged so far, after waiting up to a second for at least `least`.
    int runs(int least = 1) {
        for (int i = 0; i < 100 && static_cast<int>(logged(".runs").size()) < least; ++i)
            std::this_thread::sleep_for(10ms);
        return static_cast<int>(logged(".runs").size());
    }

    std::vector<hp::Record> records() {
        Atom type;
        int format;
        unsigned long items, after;
        unsigned char* data = nullptr;
        XGetWindowProperty(display, DefaultRootWindow(display), atom, 0, hp::PROPERTY_READ_UNITS, False,
                           AnyPropertyType, &type, &format, &items, &after, &data);
        auto out = hp::read_records(data, format == 8 ? items : 0, format, type == atom);
        if (data) XFree(data);
        return out;
    }

    // The command of the one record on the property.
    std::string only_command() {
        auto recs = records();
        EXPECT_EQ(recs.size(), 1u);
        return recs.empty() ? "" : recs[0].command();
    }

    void put_property(const std::vector<unsigned char>& bytes) {
        XChangeProperty(display, DefaultRootWindow(display), atom, atom, 8, PropModeReplace, bytes.data(),
                        static_cast<int>(bytes.size()));
        XSync(display, False);
    }

    void put_record(Window window) {
        hp::Record r = hp::Record::for_client(XtHelp::magic_pid);
        r.set_window(static_cast<std::uint32_t>(window));
        put_property(hp::write_records({r}));
    }

    // Kills the stand-in viewer and lets the main loop (or `reap`) reap it.
    void end_viewer(XtHelp& h, void (*reap)() = gui::process_events) {
        if (h.processId() > 0) kill(static_cast<pid_t>(h.processId()), SIGKILL);
        for (int i = 0; i < 200 && h.processId() > 0; ++i) {
            reap();
            std::this_thread::sleep_for(10ms);
        }
        EXPECT_EQ(h.processId(), 0);
    }

    std::string topic_command(int topic) const { return hp::topic_command(topic, help_file()); }

    std::string home, log;
    Widget shell = nullptr;
    Atom atom = None;
    XtHelp client;
};
}  // namespace

TEST_F(HelpClient, NoUsableRecordAppendsOneAndStartsTheViewerWithItsArgumentsAndNothingElse) {
    start_client();
    setenv("PGPASSWORD", "secret", 1);
    ASSERT_NE(std::getenv("VARO_STORE"), nullptr);
    ASSERT_EQ(client.showHelpOnTopic(5000), 0) << client.getMessage();
    ASSERT_EQ(runs(), 1);
    std::vector<std::string> expected = {"-d", "67890", "-s", "0", "-display", DisplayString(display),
                                         "-c", "5000", help_file()};
    EXPECT_EQ(logged(".args"), expected);
    std::string env = proc::read_file(log + ".env");
    EXPECT_NE(env.find("HHHOME=" + home + "/help\n"), std::string::npos);
    EXPECT_NE(env.find("HHPATH=" + home + "/help\n"), std::string::npos);
    for (const char* kept_out : {"VARO_STORE=", "PGPASSWORD="}) EXPECT_EQ(env.find(kept_out), std::string::npos) << env;
    // Once the stand-in has become "sleep": 0 to 2 on /dev/null, and nothing of this process
    // (its X connection, pipes, the store) beyond the script the shell was reading; sleep may
    // still be reading its own locale files.
    std::string proc_dir = "/proc/" + std::to_string(client.processId());
    for (int i = 0; i < 200 && fs::read_symlink(proc_dir + "/exe").filename() != "sleep"; ++i)
        std::this_thread::sleep_for(10ms);
    int seen = 0;
    for (const auto& entry : fs::directory_iterator(proc_dir + "/fd")) {
        std::string fd = entry.path().filename();
        std::error_code ignored;
        std::string target = fs::read_symlink(entry.path(), ignored);
        ++seen;
        bool standard = fd == "0" || fd == "1" || fd == "2";
        EXPECT_TRUE(standard ? target == "/dev/null"
                             : target == viewer() || target.rfind("/etc/", 0) == 0 || target.rfind("/usr/", 0) == 0)
            << "inherited: " << fd << " -> " << target;
    }
    EXPECT_GE(seen, 3);
    auto recs = records();
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].client(), 67890u);
    EXPECT_EQ(recs[0].window(), 0u);
    EXPECT_EQ(recs[0].client_window(), XtWindow(shell)) << "the window whose end the viewer follows";

    // Garbage another client left on the property is safe: its whole records stay, the rest
    // is dropped, and there is still one record for this client.
    end_viewer(client);
    std::vector<unsigned char> other_and_tail = hp::write_records({hp::Record::for_client(4242)});
    other_and_tail.resize(other_and_tail.size() + 700, 0xff);
    put_property(other_and_tail);
    ASSERT_EQ(client.showHelpOnTopic(5100), 0) << client.getMessage();
    EXPECT_EQ(runs(2), 2);
    recs = records();
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(recs[0].client(), 4242u);
    EXPECT_EQ(recs[1].client(), 67890u);
}

TEST_F(HelpClient, AGoneWindowRestartsTheViewerOnTheSameRecord) {
    start_client();
    Display* viewer_side = XOpenDisplay(DisplayString(display));
    Window w = XCreateSimpleWindow(viewer_side, DefaultRootWindow(viewer_side), 0, 0, 10, 10, 0, 0, 0);
    XSync(viewer_side, False);
    put_record(w);
    XCloseDisplay(viewer_side);  // its window goes with it

    ASSERT_EQ(client.showHelpOnTopic(5200), 0) << client.getMessage();
    EXPECT_EQ(runs(), 1);
    EXPECT_EQ(logged(".args").at(7), "5200");
    EXPECT_EQ(only_command(), topic_command(5200));
    EXPECT_EQ(records().at(0).window(), 0u) << "the dead window is forgotten";

    // A viewer that ended before registering leaves its command behind; the next one
    // started must not find that older command.
    end_viewer(client);
    ASSERT_EQ(client.showHelpOnTopic(5400), 0);
    EXPECT_EQ(runs(2), 2);
    EXPECT_EQ(only_command(), topic_command(5400));
}

TEST_F(HelpClient, PressesBeforeTheViewerRegistersStartOneViewerAndTerminateStartsNone) {
    start_client();
    ASSERT_EQ(client.showHelpOnTopic(5000), 0);
    ASSERT_EQ(client.showHelpOnTopic(5300), 0);
    ASSERT_EQ(runs(), 1);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(runs(), 1);
    EXPECT_EQ(only_command(), topic_command(5300)) << "the starting viewer finds the latest command";

    client.terminate();
    EXPECT_EQ(only_command(), "-q 67890\n");
    XDeleteProperty(display, DefaultRootWindow(display), atom);
    client.terminate();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(runs(), 1);
    EXPECT_TRUE(records().empty());
}

// A missing help file is printed, a viewer that cannot be run reported and reaped, and
// neither starts anything.
TEST_F(HelpClient, WhatCannotStartIsReportedAndStartsNothing) {
    fs::remove(help_file());
    init_help(shell);
    testing::internal::CaptureStderr();
    main_help_cb(shell, nullptr, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "showHelpOnTopic failed: Can't find help file corvane_help.hlp\n");
    EXPECT_EQ(runs(0), 0);
    EXPECT_TRUE(records().empty());
    std::ofstream(help_file()) << ".contents Contents\n";

    chmod(viewer().c_str(), 0644);
    start_client();
    EXPECT_EQ(client.showHelpOnTopic(5000), -1);
    EXPECT_EQ(std::string(client.getMessage()), "Can't execute " + viewer() + ": Permission denied");
    EXPECT_EQ(client.processId(), 0);
    EXPECT_LE(waitpid(-1, nullptr, WNOHANG), 0) << "a child ended and was left unreaped";

    fs::remove(viewer());
    EXPECT_EQ(client.showHelpOnTopic(5000), -1);
    EXPECT_STREQ(client.getMessage(), "Can't find HyperHelp executable");
}

// No Help button of the program is dead: each shows its window's topic.
TEST_F(HelpClient, EveryHelpButtonShowsItsWindowsTopic) {
    build_all_windows(display);
    const std::pair<Widget*, int> buttons[] = {
        {&main_help_bt, 5000},       {&ol_help_button, 5100},   {&state_edit_help_button, 5200},
        {&si_help, 5200},            {&tran_edit_button, 5300}, {&order_help_button, 5400},
        {&ct_help_button, 5500},     {&te_pollrate_help_butoon, 5600}, {&te_severity_help_button, 5700},
        {&sd_help_bt, 5800},         {&cs_help, 5900},          {&tl_help, 5000},
        {&sl_help, 5000},          {&hist_help_button, 6100},
    };
    put_record(XtWindow(shell));  // a viewer is up: each press sends it a command
    for (const auto& [button, topic] : buttons) {
        SCOPED_TRACE(XtName(*button));
        ASSERT_TRUE(gui::press(*button));
        std::string command = only_command();
        EXPECT_EQ(command.rfind("-c " + std::to_string(topic) + " ", 0), 0u) << command;
    }
}
