// The four message-dialog classes as a user sees them.
#include "support/gui_harness.h"

#include <Xm/MessageB.h>
#include <Xm/Xm.h>

#include <memory>

#include "ui/dialog_box.h"

using gui::GuiTest;

namespace {
struct Expected {
    const char* name;
    const char* title;
    std::vector<std::string> buttons;
    bool modal;
};

std::unique_ptr<AppsDialogBox> make(int kind, Widget parent, const char* message) {
    switch (kind) {
    case 0: return std::make_unique<ErrDialogBox>(parent, message);
    case 1: return std::make_unique<QuestionDialogBox>(parent, message);
    case 2: return std::make_unique<WarningDialogBox>(parent, message);
    default: return std::make_unique<InformationDialogBox>(parent, message);
    }
}

int line_count(Widget box, const char* resource) {
    XmString s = nullptr;
    XtVaGetValues(box, resource, &s, nullptr);
    int lines = s ? XmStringLineCount(s) : 0;
    if (s) XmStringFree(s);
    return lines;
}
}  // namespace

TEST_F(GuiTest, EachDialogClassHasItsNameTitleButtonsAndModality) {
    const Expected expected[] = {
        {"ErrorDialog", "Error", {"OK"}, true},
        {"QuestionDialog", "Question", {"Yes", "No"}, true},
        {"WarningDialog", "Warning", {"OK", "Cancel"}, true},
        {"InformationDialog", "FYI", {"OK"}, false},
    };
    Widget shell = gui::test_shell();
    for (int kind = 0; kind < 4; ++kind) {
        SCOPED_TRACE(expected[kind].name);
        std::unique_ptr<AppsDialogBox> box = make(kind, shell, "Something happened");
        // Nothing shows until manage().
        EXPECT_TRUE(gui::open_dialogs().empty());
        box->manage();
        gui::Dialog d = gui::only_dialog();
        EXPECT_EQ(d.box, box->getwidget());
        EXPECT_EQ(d.name, expected[kind].name);
        EXPECT_EQ(d.title, expected[kind].title);
        EXPECT_EQ(d.message, "Something happened");
        EXPECT_EQ(d.buttons, expected[kind].buttons);
        EXPECT_EQ(d.style == XmDIALOG_FULL_APPLICATION_MODAL, expected[kind].modal);
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
    EXPECT_EQ(gui::only_dialog().message, "replaced");
    box.change_title("Custom title");
    EXPECT_EQ(gui::only_dialog().title, "Custom title");
}

TEST_F(GuiTest, ButtonNumbersSelectTheirButtonAndOthersNothing) {
    static int ok_calls, cancel_calls, help_calls;
    ok_calls = cancel_calls = help_calls = 0;
    WarningDialogBox box(gui::test_shell(), "m");
    box.add_callback(OK_BUTTON, [](Widget, XtPointer, XtPointer) { ++ok_calls; }, nullptr);
    box.add_callback(CANCEL_BUTTON, [](Widget, XtPointer, XtPointer) { ++cancel_calls; }, nullptr);
    box.add_callback(HELP_BUTTON, [](Widget, XtPointer, XtPointer) { ++help_calls; }, nullptr);
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
    EXPECT_EQ(ok_calls, 1);
    EXPECT_EQ(cancel_calls, 1);
    EXPECT_EQ(help_calls, 1);

    box.unmanage_button(OK_BUTTON);
    box.manage();
    EXPECT_EQ(gui::only_dialog().buttons, (std::vector<std::string>{"Keep", "Help"}));
    box.unmanage();
    EXPECT_TRUE(gui::open_dialogs().empty());
}

TEST_F(GuiTest, DeletingADialogRemovesItsShellAndSurvivesAnAlreadyDestroyedParent) {
    Widget shell = gui::test_shell();
    auto* box = new ErrDialogBox(shell, "gone soon");
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
