#include "support/window_fixture.h"

#include "base/globals.h"
#include "app/startup.h"
#include "ui/gui_utils.h"

void build_all_windows(Display* d)
{
    char name[] = "tarnedit";
    char* argv[] = {name, nullptr};
    create_te_win(d, name, 1, argv);
    create_state_diagram_win(te_win);
    create_editor_dialogs();
    create_open_list_win(te_win);
    create_pollrate_win(te_win);
    create_severity_edit_win(te_win);
    create_condition_text_win(te_win);
}

void WindowFixture::SetUp()
{
    gui::GuiTest::SetUp();
    ASSERT_NE(nullptr, display);
    build_all_windows(display);
    XtRealizeWidget(te_win);
    gui::add_root(te_win);
    gui::add_root(state_diagram_win);
    gui::process_events();
}

void show_dialog(Widget box)
{
    g2_win_show(box);
    gui::process_events();
}
