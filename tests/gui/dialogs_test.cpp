// The message dialogs as a user sees them (the four classes, error_dialog, display_warning,
// display_question and the callbacks that close them); the busy cursor, window icon and
// show-and-raise, read back from the X server; and the help client against a real X server:
// the records on the root window, the ClientMessage, and the viewer processes it starts (a
// stand-in script that logs how it was started).
#include "support/gui_harness.h"

#include <X11/Shell.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <Xm/MessageB.h>
#include <Xm/Xm.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <thread>

#include "app/globals.h"
#include "edit/callbacks.h"
#include "edit/exit_flows.h"
#include "help/XtHelp.h"
#include "help/help_protocol.h"
#include "ui/dialog_box.h"
#include "ui/gui_utils.h"
#include "ui/message_dialogs.h"

using gui::GuiTest;

namespace {

int line_count(Widget box, const char* resource) {
    XmString s = nullptr;
    XtVaGetValues(box, resource, &s, nullptr);
    int lines = s ? XmStringLineCount(s) : 0;
    if (s) XmStringFree(s);
    return lines;
}

int ok_calls, cancel_calls;
void count_ok(Widget, XtPointer, XtPointer) { ++ok_calls; }
void count_cancel(Widget, XtPointer, XtPointer) { ++cancel_calls; }
// What a confirmation's OK callback does: close the confirmation, then the operation.
void confirmed(Widget, XtPointer, XtPointer) {
    close_warning_dialog();
    ++ok_calls;
}
void answered(Widget, XtPointer, XtPointer) {
    close_question_dialog();
    ++ok_calls;
}

// The window manager's close, as a window manager sends it.
void send_wm_delete(Widget shell) {
    Display* dpy = XtDisplay(shell);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = XtWindow(shell);
    event.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, XtWindow(shell), False, NoEventMask, &event);
    gui::process_events();
}

struct CursorShot {
    int width = 0, height = 0, xhot = 0, yhot = 0;
    unsigned long serial = 0;
    std::vector<unsigned long> pixels;
    unsigned long at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// The cursor the server shows at the pointer.
CursorShot cursor_now() {
    CursorShot shot;
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (!image) return shot;
    shot = {image->width, image->height, image->xhot, image->yhot, image->cursor_serial,
            std::vector<unsigned long>(image->pixels, image->pixels + image->width * image->height)};
    XFree(image);
    return shot;
}

bool sync_done() { return LastKnownRequestProcessed(display) + 1 == NextRequest(display); }

Window top_of_stack() {
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    Window top = None;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes a;
        if (XGetWindowAttributes(display, children[i], &a) && a.map_state == IsViewable) top = children[i];
    }
    if (children) XFree(children);
    return top;
}

}  // namespace

TEST_F(GuiTest, EachDialogClassHasItsNameTitleButtonsAndModality) {
    struct Expected {
        std::function<AppsDialogBox*(Widget)> make;
        const char* name;
        const char* title;
        std::vector<std::string> buttons;
        bool modal;
    };
    const char* m = "Something happened";
    const Expected expected[] = {
        {[m](Widget p) { return new ErrDialogBox(p, m); }, "ErrorDialog", "Error", {"OK"}, true},
        {[m](Widget p) { return new QuestionDialogBox(p, m); }, "QuestionDialog", "Question", {"Yes", "No"}, true},
        {[m](Widget p) { return new WarningDialogBox(p, m); }, "WarningDialog", "Warning", {"OK", "Cancel"}, true},
        {[m](Widget p) { return new InformationDialogBox(p, m); }, "InformationDialog", "FYI", {"OK"}, false},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name);
        std::unique_ptr<AppsDialogBox> box(e.make(gui::test_shell()));
        EXPECT_TRUE(gui::open_dialogs().empty()) << "nothing shows until manage()";
        box->manage();
        gui::Dialog d = gui::only_dialog();
        EXPECT_EQ(d.box, box->getwidget());
        EXPECT_EQ((std::vector<std::string>{e.name, e.title, m}),
                  (std::vector<std::string>{d.name, d.title, d.message}));
        EXPECT_EQ(d.buttons, e.buttons);
        EXPECT_EQ(d.style == XmDIALOG_FULL_APPLICATION_MODAL, e.modal);
        box.reset();
        EXPECT_TRUE(gui::open_dialogs().empty());
    }
}

TEST_F(GuiTest, MessageLinesSplitButButtonLabelsStayOneLine) {
    WarningDialogBox box(gui::test_shell(), "first line\nsecond line\nthird");
    box.manage();
    EXPECT_EQ(gui::only_dialog().message, "first line\nsecond line\nthird");
    EXPECT_EQ(line_count(box.getwidget(), XmNmessageString), 3);
    box.label_button(OK_BUTTON, "Go\nahead");
    EXPECT_EQ(line_count(box.getwidget(), XmNokLabelString), 1);
    box.setmessage("replaced");
    box.change_title("Custom title");
    EXPECT_EQ(gui::only_dialog().message, "replaced");
    EXPECT_EQ(gui::only_dialog().title, "Custom title");
}

TEST_F(GuiTest, ButtonNumbersSelectTheirButtonAndOthersNothing) {
    static int calls[3];
    WarningDialogBox box(gui::test_shell(), "m");
    box.add_callback(OK_BUTTON, [](Widget, XtPointer, XtPointer) { ++calls[0]; }, nullptr);
    box.add_callback(CANCEL_BUTTON, [](Widget, XtPointer, XtPointer) { ++calls[1]; }, nullptr);
    box.add_callback(HELP_BUTTON, [](Widget, XtPointer, XtPointer) { ++calls[2]; }, nullptr);
    box.manage_button(HELP_BUTTON);
    box.label_button(CANCEL_BUTTON, "Keep");
    box.manage();
    gui::Dialog d = gui::only_dialog();
    EXPECT_EQ(d.buttons, (std::vector<std::string>{"OK", "Keep", "Help"}));
    gui::press(d.button("Help"));
    gui::press(d.button("OK"));  // the message box takes itself down
    EXPECT_TRUE(gui::open_dialogs().empty());
    box.manage();
    gui::press(gui::only_dialog().button("Keep"));
    EXPECT_EQ((std::vector<int>{1, 1, 1}), (std::vector<int>{calls[0], calls[1], calls[2]}));

    box.unmanage_button(OK_BUTTON);
    box.manage();
    EXPECT_EQ(gui::only_dialog().buttons, (std::vector<std::string>{"Keep", "Help"}));
    box.unmanage();
    EXPECT_TRUE(gui::open_dialogs().empty());
}

TEST_F(GuiTest, DeletingADialogRemovesItsShellAndSurvivesAnAlreadyDestroyedParent) {
    auto* box = new ErrDialogBox(gui::test_shell(), "gone soon");
    Widget dialog_shell = XtParent(box->getwidget());
    box->manage();
    delete box;
    gui::process_events();
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_EQ(gui::find(XtName(dialog_shell)), nullptr);

    // A dialog whose parent was destroyed knows its widget is gone and deletes cleanly.
    Widget holder = XtVaCreateManagedWidget("holder", xmMessageBoxWidgetClass, gui::find("testForm"), nullptr);
    auto* orphan = new InformationDialogBox(holder, "orphan");
    orphan->manage();
    XtDestroyWidget(holder);
    gui::process_events();
    EXPECT_EQ(orphan->getwidget(), nullptr);
    orphan->setmessage("nothing to set");
    orphan->manage();
    delete orphan;
    EXPECT_TRUE(gui::open_dialogs().empty());
}

TEST_F(GuiTest, CommonErrorDialogsSitAt500AndEachClosesOnItsOwnOk) {
    gui::test_shell();
    Widget button = gui::need("testButton");
    error_dialog(button, "first failure");
    ErrDialogBox* first = current_error_dialog;
    error_dialog(button, "second failure");
    ErrDialogBox* second = current_error_dialog;
    ASSERT_NE(first, second);

    std::vector<gui::Dialog> up = gui::open_dialogs();
    ASSERT_EQ(up.size(), 2u);
    for (const gui::Dialog& d : up) {
        EXPECT_EQ(d.name, "ErrorDialog");
        EXPECT_EQ(std::make_pair(d.x, d.y), std::make_pair(500, 500));
        EXPECT_EQ(XtParent(XtParent(d.box)), XtParent(button)) << "over the parent of the widget concerned";
    }
    EXPECT_EQ(up[0].message, "first failure");

    // Closing the older one leaves the newer one up and current.
    gui::press(up[0].button("OK"));
    gui::Dialog left = gui::only_dialog();
    EXPECT_EQ(left.message, "second failure");
    EXPECT_EQ(current_error_dialog, second);
    gui::press(left.button("OK"));
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_EQ(current_error_dialog, nullptr);
}

TEST_F(GuiTest, TwoCallbackErrorDialogRunsItsCallbacksFromBothButtonsAndTheWindowClose) {
    Widget shell = gui::test_shell();
    ok_calls = cancel_calls = 0;
    error_dialog(shell, "Platform has disconnected", count_ok, count_cancel);
    gui::Dialog d = gui::only_dialog();
    EXPECT_EQ(d.title, "Tarnwright: Error");
    EXPECT_EQ(d.message, "Platform has disconnected");
    EXPECT_EQ(d.buttons, (std::vector<std::string>{"OK", "Cancel"}));
    EXPECT_EQ(d.style, XmDIALOG_FULL_APPLICATION_MODAL);
    EXPECT_EQ(XtParent(XtParent(d.box)), shell);
    EXPECT_EQ(current_error_dialog->getwidget(), d.box);

    // These callbacks leave the dialog alone; show it again after each answer.
    gui::press(d.button("OK"));
    current_error_dialog->manage();
    gui::press(d.button("Cancel"));
    current_error_dialog->manage();
    gui::process_events();
    send_wm_delete(XtParent(d.box));
    EXPECT_EQ(ok_calls, 1);
    EXPECT_EQ(cancel_calls, 2);
}

TEST_F(GuiTest, NoWarningRemainsAfterAConfirmationsOkOrCancel) {
    ok_calls = 0;
    for (const char* answer : {"OK", "Cancel"}) {
        SCOPED_TRACE(answer);
        display_warning(gui::test_shell(), "Template 'x' will be deleted from Varo.", confirmed, cancel_warning);
        EXPECT_EQ(gui::only_dialog().name, "WarningDialog");
        gui::press(gui::only_dialog().button(answer));
        EXPECT_EQ(ok_calls, 1);
        EXPECT_TRUE(gui::open_dialogs().empty());
        EXPECT_EQ(current_warning_dialog, nullptr);
    }
}

TEST_F(GuiTest, ANewConfirmationOrQuestionReplacesOneStillUp) {
    Widget shell = gui::test_shell();
    display_warning(shell, "one", confirmed, cancel_warning);
    display_warning(shell, "two", confirmed, cancel_warning);
    EXPECT_EQ(gui::only_dialog().message, "two");
    cancel_warning(nullptr, nullptr, nullptr);
    display_question(shell, "q1", answered, answered);
    display_question(shell, "q2", answered, answered);
    EXPECT_EQ(gui::only_dialog().message, "q2");
}

// The Exit buttons' status is checked with unsaved changes (template_files_test), the
// connection error's OK on the binary (tests/process).
TEST_F(GuiTest, LeavingWithoutSavingEndsWithStatusOneEvenUnderAQuestion) {
    EXPECT_EXIT(
        {
            display_question(gui::test_shell(), "Save?", answered, answered);
            exit_no_save(nullptr, nullptr, nullptr);
        },
        testing::ExitedWithCode(1), "");
}

TEST_F(GuiTest, BusyCursorShowsTheHourglassAndResetRestoresTheDefault) {
    int event_base, error_base;
    ASSERT_TRUE(XFixesQueryExtension(display, &event_base, &error_base));
    Widget shell = gui::test_shell();
    XWarpPointer(display, None, XtWindow(shell), 0, 0, 0, 0, 100, 100);
    gui::process_events();
    const unsigned long normal = cursor_now().serial;

    // Before any set, reset changes nothing and only synchronises.
    reset_busy_cursor(shell);
    EXPECT_TRUE(sync_done());
    EXPECT_EQ(cursor_now().serial, normal);

    set_busy_cursor(shell);
    EXPECT_TRUE(sync_done());
    CursorShot busy = cursor_now();
    ASSERT_EQ((std::vector<int>{32, 32, 15, 15}), (std::vector<int>{busy.width, busy.height, busy.xhot, busy.yhot}));
    EXPECT_EQ(busy.at(5, 1) & 0xffffffffUL, 0xff000000UL) << "frame in black";
    EXPECT_EQ(busy.at(0, 0) >> 24 & 0xff, 0u) << "outside the mask is transparent";
    XColor bg{};
    XtVaGetValues(shell, XtNbackground, &bg.pixel, nullptr);
    XQueryColor(display, DefaultColormap(display, DefaultScreen(display)), &bg);
    unsigned long inside = busy.at(8, 5) & 0xffffffffUL;  // inside the frame, between the posts and the glass
    EXPECT_EQ(inside >> 24 & 0xff, 0xffu);
    EXPECT_EQ(inside >> 16 & 0xff, static_cast<unsigned long>(bg.red >> 8)) << "background of the widget";

    // One reset undoes any number of sets.
    set_busy_cursor(shell);
    reset_busy_cursor(shell);
    EXPECT_EQ(cursor_now().serial, normal);
    {
        BusyCursor scope(shell);
        EXPECT_EQ(cursor_now().width, 32);
    }
    EXPECT_EQ(cursor_now().serial, normal);
}

TEST_F(GuiTest, BadIconImageLeavesTheShellWithoutIcon) {
    Widget shell = gui::test_shell();
    const char* broken[] = {"1 1 1 1", "x c no-such-colour-name", "x"};
    EXPECT_EQ(g2_setupIconPixmap(const_cast<char**>(broken), shell, "Requests", 2, 2), 0);
    Window icon = 0;
    char* icon_name = nullptr;
    XtVaGetValues(shell, XtNiconWindow, &icon, XtNiconName, &icon_name, nullptr);
    EXPECT_EQ(icon, 0u);
    EXPECT_STRNE(icon_name ? icon_name : "", "Requests");
}

TEST_F(GuiTest, WinShowManagesADialogAndBringsItToTheFront) {
    InformationDialogBox first(gui::test_shell(), "first"), second(gui::test_shell(), "second");
    for (InformationDialogBox* box : {&first, &second, &first}) {
        g2_win_show(box->getwidget());
        gui::process_events();
        EXPECT_EQ(top_of_stack(), XtWindow(XtParent(box->getwidget())));
    }
    EXPECT_EQ(gui::open_dialogs().size(), 2u);
}

namespace fs = std::filesystem;
namespace hp = help_protocol;
using namespace std::chrono_literals;

namespace {
const char* const FAKE_VIEWER = R"(#!/bin/sh
log="$HELP_TEST_LOG"
printf '%s\n' "$@" > "$log.args"
env > "$log.env"
echo run >> "$log.runs"
[ "$HELP_TEST_MODE" = exit ] && exit 0
exec sleep 30
)";

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

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
        setenv("HELP_TEST_LOG", log.c_str(), 1);
        shell = gui::test_shell();
        atom = XInternAtom(display, hp::ATOM_NAME, False);
        XDeleteProperty(display, DefaultRootWindow(display), atom);
    }
    void TearDown() override {
        for (XtHelp* h : {&client, help}) {
            if (!h || h->processId() <= 0) continue;
            kill(static_cast<pid_t>(h->processId()), SIGKILL);
            for (int i = 0; i < 200 && h->processId() > 0; ++i) {
                reap_help_children();
                std::this_thread::sleep_for(10ms);
            }
        }
        gui::GuiTest::TearDown();
    }

    std::string viewer() const { return home + "/bin/hyperhelp"; }
    std::string help_file() const { return home + "/help/corvane_help.hlp"; }

    void start_client() {
        ASSERT_EQ(client.initialize(shell, nullptr, nullptr), 0);
        client.setHelpFile("corvane_help.hlp");
    }

    // Viewer starts logged so far, after waiting up to a second for at least `least`.
    int runs(int least = 1) {
        for (int i = 0; i < 100 && static_cast<int>(lines(slurp(log + ".runs")).size()) < least; ++i)
            std::this_thread::sleep_for(10ms);
        return static_cast<int>(lines(slurp(log + ".runs")).size());
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

    // Kills the stand-in viewer and lets the main loop reap it.
    void end_viewer(XtHelp& h) {
        if (h.processId() > 0) kill(static_cast<pid_t>(h.processId()), SIGKILL);
        for (int i = 0; i < 200 && h.processId() > 0; ++i) {
            gui::process_events();
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
    ASSERT_EQ(client.showHelpOnTopic(5000), 0) << client.getMessage();
    ASSERT_EQ(runs(), 1);
    std::vector<std::string> expected = {"-d", "67890", "-s", "0", "-display", DisplayString(display),
                                         "-c", "5000", help_file()};
    EXPECT_EQ(lines(slurp(log + ".args")), expected);
    std::string env = slurp(log + ".env");
    EXPECT_NE(env.find("HHHOME=" + home + "/help\n"), std::string::npos);
    EXPECT_NE(env.find("HHPATH=" + home + "/help\n"), std::string::npos);
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
        if (fd == "0" || fd == "1" || fd == "2") {
            EXPECT_EQ(target, "/dev/null") << fd;
        } else if (target != viewer()) {
            EXPECT_TRUE(target.rfind("/etc/", 0) == 0 || target.rfind("/usr/", 0) == 0)
                << "inherited: " << fd << " -> " << target;
        }
    }
    EXPECT_GE(seen, 3);
    auto recs = records();
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].client(), 67890u);
    EXPECT_EQ(recs[0].window(), 0u);

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
    EXPECT_EQ(lines(slurp(log + ".args")).at(7), "5200");
    auto recs = records();
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].window(), 0u) << "the dead window is forgotten";
    EXPECT_EQ(recs[0].command(), topic_command(5200));

    // A viewer that ended before registering leaves its command behind; the next one
    // started must not find that older command.
    end_viewer(client);
    ASSERT_EQ(client.showHelpOnTopic(5400), 0);
    EXPECT_EQ(runs(2), 2);
    recs = records();
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].command(), topic_command(5400));
}

TEST_F(HelpClient, PressesBeforeTheViewerRegistersStartOneViewerAndTerminateStartsNone) {
    start_client();
    ASSERT_EQ(client.showHelpOnTopic(5000), 0);
    ASSERT_EQ(client.showHelpOnTopic(5300), 0);
    ASSERT_EQ(runs(), 1);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(runs(), 1);
    auto recs = records();
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].command(), topic_command(5300)) << "the starting viewer finds the latest command";

    client.terminate();
    EXPECT_EQ(records()[0].command(), "-q 67890\n");
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
