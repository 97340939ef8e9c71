// The message dialogs as a user sees them; the busy cursor, window icon and show-and-raise,
// read back from the X server.
#include "support/gui_harness.h"

#include <X11/IntrinsicP.h>
#include <X11/Shell.h>
#include <X11/extensions/Xfixes.h>
#include <Xm/MessageB.h>


#include "base/globals.h"
#include "edit/exit_flows.h"
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
// What a confirmation's OK callback does: close the confirmation, then the operation.
void confirmed(Widget, XtPointer, XtPointer) {
    close_warning_dialog();
    ++ok_calls;
}
void answered(Widget, XtPointer, XtPointer) {
    close_question_dialog();
    ++ok_calls;
}

struct CursorShot {
    int width = 0, height = 0, xhot = 0, yhot = 0;
    unsigned long serial = 0;
    std::vector<unsigned long> pixels;
    // ARGB, 32 bits of the long
    unsigned long at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)] & 0xffffffffUL; }
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

// Message lines split, button labels stay one line; button numbers select their button.
TEST_F(GuiTest, MessageLinesSplitButtonLabelsStayOneLineAndButtonNumbersSelectTheirButton) {
    WarningDialogBox box(gui::test_shell(), "first line\nsecond line\nthird");
    box.manage();
    EXPECT_EQ(gui::only_dialog().message, "first line\nsecond line\nthird");
    EXPECT_EQ(line_count(box.getwidget(), XmNmessageString), 3);
    box.label_button(OK_BUTTON, "Go\nahead");
    EXPECT_EQ(line_count(box.getwidget(), XmNokLabelString), 1);
    box.setmessage("replaced");
    box.change_title("Custom title");
    EXPECT_EQ((std::vector<std::string>{"replaced", "Custom title"}),
              (std::vector<std::string>{gui::only_dialog().message, gui::only_dialog().title}));

    std::vector<int> calls(3);
    box.label_button(OK_BUTTON, "OK");
    for (int button : {OK_BUTTON, CANCEL_BUTTON, HELP_BUTTON})
        box.add_callback(button, [](Widget, XtPointer count, XtPointer) { ++*static_cast<int*>(count); }, &calls[button - 1]);
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
    EXPECT_EQ((std::vector<int>{1, 1, 1}), calls);

    box.unmanage_button(OK_BUTTON);
    box.manage();
    EXPECT_EQ(gui::only_dialog().buttons, (std::vector<std::string>{"Keep", "Help"}));
    box.unmanage();
    EXPECT_TRUE(gui::open_dialogs().empty());
}

TEST_F(GuiTest, DeletingADialogRemovesItsShellAndSurvivesAnAlreadyDestroyedParent) {
    Cardinal shells = gui::test_shell()->core.num_popups;
    auto* box = new ErrDialogBox(gui::test_shell(), "gone soon");
    box->manage();
    delete box;
    gui::process_events();
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_EQ(gui::test_shell()->core.num_popups, shells) << "its dialog shell was left behind";

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

TEST_F(GuiTest, CommonErrorDialogsSitAt500AndEachGoesWithItsOwnOkOrWindowClose) {
    gui::test_shell();
    Widget button = gui::need("testButton");
    Cardinal shells_before = XtParent(button)->core.num_popups;
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

    // One goes with its OK, the other with the window manager's close: each leaves the other
    // up and current, and takes its shell and object along.
    gui::press(up[0].button("OK"));
    gui::Dialog left = gui::only_dialog();
    EXPECT_EQ(left.message, "second failure");
    EXPECT_EQ(current_error_dialog, second);
    gui::close_from_window_manager(XtParent(left.box));
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_EQ(current_error_dialog, nullptr);
    EXPECT_EQ(XtParent(button)->core.num_popups, shells_before) << "a dialog shell was left behind";
}

TEST_F(GuiTest, TwoCallbackErrorDialogRunsItsCallbacksFromBothButtonsAndTheWindowClose) {
    Widget shell = gui::test_shell();
    ok_calls = cancel_calls = 0;
    // Its title, buttons and parent as the connection error shows them: windows_test.
    error_dialog(shell, "Platform has disconnected", [](Widget, XtPointer, XtPointer) { ++ok_calls; },
                 [](Widget, XtPointer, XtPointer) { ++cancel_calls; });
    gui::Dialog d = gui::only_dialog();
    EXPECT_EQ(d.style, XmDIALOG_FULL_APPLICATION_MODAL);
    EXPECT_EQ(current_error_dialog->getwidget(), d.box);

    // These callbacks leave the dialog alone; show it again after each answer.
    gui::press(d.button("OK"));
    current_error_dialog->manage();
    gui::press(d.button("Cancel"));
    current_error_dialog->manage();
    gui::process_events();
    gui::close_from_window_manager(XtParent(d.box));
    EXPECT_EQ(ok_calls, 1);
    EXPECT_EQ(cancel_calls, 2);
    error_dialog_cb(nullptr, nullptr, nullptr);  // as the program's own callbacks close it
    EXPECT_TRUE(gui::open_dialogs().empty());
}

TEST_F(GuiTest, AConfirmationGoesWithAnyAnswerOrCloseAQuestionOnlyWithAnAnswerAndANewOneReplacesTheOld) {
    // "" is the window manager's close, taken as Cancel: nothing stays behind to keep a
    // later confirmation from showing.
    ok_calls = 0;
    for (const char* answer : {"OK", "Cancel", ""}) {
        SCOPED_TRACE(*answer ? answer : "window close");
        display_warning(gui::test_shell(), "Template 'x' will be deleted from Varo.", confirmed, cancel_warning);
        EXPECT_EQ(gui::only_dialog().name, "WarningDialog");
        EXPECT_EQ(gui::only_dialog().style, XmDIALOG_FULL_APPLICATION_MODAL);
        if (*answer)
            gui::press(gui::only_dialog().button(answer));
        else
            gui::close_from_window_manager(XtParent(current_warning_dialog->getwidget()));
        EXPECT_EQ(ok_calls, 1);
        EXPECT_TRUE(gui::open_dialogs().empty());
        EXPECT_EQ(current_warning_dialog, nullptr);
    }
    // A question stays up until it is answered: its No goes on without saving, so a close
    // may not be taken for either answer.
    display_question(gui::test_shell(), "Save changes made to 'x'.", answered, answered);
    gui::close_from_window_manager(XtParent(current_question_dialog->getwidget()));
    EXPECT_EQ(ok_calls, 1);
    ASSERT_NE(current_question_dialog, nullptr);
    EXPECT_EQ(gui::only_dialog().name, "QuestionDialog");
    EXPECT_EQ(gui::only_dialog().style, XmDIALOG_FULL_APPLICATION_MODAL);
    gui::press(gui::only_dialog().button("No"));
    EXPECT_EQ(ok_calls, 2);
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_EQ(current_question_dialog, nullptr);

    // A new one replaces one still up.
    for (const char* text : {"one", "two"}) display_warning(gui::test_shell(), text, confirmed, cancel_warning);
    EXPECT_EQ(gui::only_dialog().message, "two");
    cancel_warning(nullptr, nullptr, nullptr);
    for (const char* text : {"q1", "q2"}) display_question(gui::test_shell(), text, answered, answered);
    EXPECT_EQ(gui::only_dialog().message, "q2");
    close_question_dialog();
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
    EXPECT_EQ(busy.at(5, 1), 0xff000000UL) << "frame in black";
    EXPECT_EQ(busy.at(0, 0) >> 24 & 0xff, 0u) << "outside the mask is transparent";
    XColor bg{};
    XtVaGetValues(shell, XtNbackground, &bg.pixel, nullptr);
    XQueryColor(display, DefaultColormap(display, DefaultScreen(display)), &bg);
    unsigned long inside = busy.at(8, 5);  // inside the frame, between the posts and the glass
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

// (The other classes' names, buttons and modality: the tests of the dialogs that use them.)
TEST_F(GuiTest, WinShowManagesADialogAndBringsItToTheFrontAndAnInformationLeavesTheRestUsable) {
    InformationDialogBox first(gui::test_shell(), "first"), second(gui::test_shell(), "second");
    for (InformationDialogBox* box : {&first, &second, &first}) {
        g2_win_show(box->getwidget());
        gui::process_events();
        EXPECT_EQ(top_of_stack(), XtWindow(XtParent(box->getwidget())));
    }
    std::vector<gui::Dialog> up = gui::open_dialogs();
    ASSERT_EQ(up.size(), 2u);
    EXPECT_EQ((std::vector<std::string>{"InformationDialog", "FYI", "OK"}), (std::vector<std::string>{up[0].name, up[0].title, up[0].buttons.at(0)}));
    EXPECT_NE(up[0].style, XmDIALOG_FULL_APPLICATION_MODAL);
}
