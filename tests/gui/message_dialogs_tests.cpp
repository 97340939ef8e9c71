// error_dialog, display_warning, display_question and the callbacks that close them.
#include "support/gui_harness.h"

#include <X11/Xatom.h>
#include <Xm/Xm.h>

#include "edit/exit_flows.h"
#include "ui/message_dialogs.h"

using gui::GuiTest;

namespace {
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
}  // namespace

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
        EXPECT_EQ(d.title, "Error");
        EXPECT_EQ(d.buttons, std::vector<std::string>{"OK"});
        EXPECT_EQ(d.x, 500);
        EXPECT_EQ(d.y, 500);
        // Over the parent of the widget concerned.
        EXPECT_EQ(XtParent(XtParent(d.box)), XtParent(button));
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
    Widget shell = gui::test_shell();
    ok_calls = 0;
    display_warning(shell, "Template 'x' will be deleted from Varo.", confirmed, cancel_warning);
    gui::Dialog d = gui::only_dialog();
    EXPECT_EQ(d.name, "WarningDialog");
    EXPECT_EQ(d.title, "Warning");
    EXPECT_EQ(d.buttons, (std::vector<std::string>{"OK", "Cancel"}));
    gui::press(d.button("OK"));
    EXPECT_EQ(ok_calls, 1);
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_EQ(current_warning_dialog, nullptr);

    display_warning(shell, "again", confirmed, cancel_warning);
    gui::press(gui::only_dialog().button("Cancel"));
    EXPECT_EQ(ok_calls, 1);
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_EQ(current_warning_dialog, nullptr);
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

TEST_F(GuiTest, ExitCallbacksEndTheProgramWithTheirStatus) {
    EXPECT_EXIT(main_exit_button_cb(nullptr, nullptr, nullptr), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(sd_exit_button_cb(nullptr, nullptr, nullptr), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            error_dialog(gui::test_shell(), "Can't connect to Varo!", exit_no_save, exit_no_save);
            gui::press(gui::only_dialog().button("OK"));
        },
        testing::ExitedWithCode(1), "");
    EXPECT_EXIT(
        {
            display_question(gui::test_shell(), "Save?", answered, answered);
            exit_no_save(nullptr, nullptr, nullptr);
        },
        testing::ExitedWithCode(1), "");
}
