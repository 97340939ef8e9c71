// A GUI test fixture with every window of the editor built as start-up builds them, the main
// window realized and shown.
#ifndef TARNWRIGHT_TESTS_SUPPORT_WINDOW_FIXTURE_H
#define TARNWRIGHT_TESTS_SUPPORT_WINDOW_FIXTURE_H

#include "support/gui_harness.h"

#include "ui/links.h"
#include "ui/widgets.h"
#include "ui/windows.h"

// Builds the thirteen windows in start-up order on the given display.
void build_all_windows(Display* display);

class WindowFixture : public gui::GuiTest {
protected:
    void SetUp() override;
};

// Shows a dialog's message box as its show link does and lets the server catch up.
void show_dialog(Widget box);

#endif
