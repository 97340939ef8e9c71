// What the windows' menu entries and buttons do by themselves: show and hide dialogs, switch
// views, end the program.
#include "support/window_fixture.h"

#include <X11/IntrinsicP.h>
#include <Xm/FileSB.h>
#include <Xm/Label.h>
#include <Xm/LabelG.h>
#include <Xm/ToggleB.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/globals.h"
#include "ui/app_resources.h"
#include "ui/xm_string.h"

namespace {

using WindowLinks = WindowFixture;

struct Link {
    Widget* button;
    Widget* box;
};

std::vector<Widget> children_of(Widget w)
{
    CompositeWidget c = reinterpret_cast<CompositeWidget>(w);
    return std::vector<Widget>(c->composite.children, c->composite.children + c->composite.num_children);
}

}  // namespace

TEST_F(WindowLinks, ShowEntriesManageTheirDialogAndRaiseItWhenAlreadyUp)
{
    const Link shows[] = {
        {&main_open_button, &open_list_dialog},      {&sd_template_open, &open_list_dialog},
        {&main_edit_states, &state_edit_dialog},     {&sd_edit_states, &state_edit_dialog},
        {&main_form_states, &state_edit_dialog},     {&tran_from_new_state, &state_edit_dialog},
        {&tran_to_new_state, &state_edit_dialog},    {&main_edit_transitions, &te_transition_edit_dialog},
        {&sd_edit_transitions, &te_transition_edit_dialog}, {&main_form_transitions, &te_transition_edit_dialog},
        {&main_edit_conditions, &ct_dialog},         {&sd_edit_conditions, &ct_dialog},
        {&main_form_conditions, &ct_dialog},         {&sd_condition, &ct_dialog},
        {&tran_new_condition, &ct_dialog},           {&condition_new, &ct_dialog},
        {&main_pollrates, &te_pollrate_dialog},      {&sd_edit_pollrates, &te_pollrate_dialog},
        {&se_new_pollrate, &te_pollrate_dialog},     {&cs_pollrate_new, &te_pollrate_dialog},
        {&main_severities, &te_severity_dialog},     {&sd_edit_severities, &te_severity_dialog},
        {&se_new_severity, &te_severity_dialog},     {&cs_severity_new, &te_severity_dialog},
        {&tran_order_transitions, &ot_form_box},
    };
    for (const Link& l : shows) {
        SCOPED_TRACE(XtName(*l.button));
        XtUnmanageChild(*l.box);
        gui::process_events();
        Widget box_before = *l.box;
        std::size_t children_before = children_of(XtParent(*l.box)).size();
        ASSERT_TRUE(gui::press(*l.button));
        gui::process_events();
        EXPECT_TRUE(XtIsManaged(*l.box));
        EXPECT_TRUE(top_level_is_shown(XtParent(*l.box)));
        // Again while it is up: the same dialog, nothing built.
        ASSERT_TRUE(gui::press(*l.button));
        gui::process_events();
        EXPECT_TRUE(XtIsManaged(*l.box));
        EXPECT_EQ(box_before, *l.box);
        EXPECT_EQ(children_before, children_of(XtParent(*l.box)).size());
    }
}

TEST_F(WindowLinks, CloseButtonsHideTheirDialog)
{
    const Link hides[] = {
        {&ol_cancel_button, &open_list_dialog},   {&state_edit_close_button, &state_edit_dialog},
        {&tran_close_button, &te_transition_edit_dialog}, {&order_close_button, &ot_form_box},
        {&ct_close_button, &ct_dialog},           {&te_severity_close_button, &te_severity_dialog},
        {&te_pollrate_close_button, &te_pollrate_dialog}, {&cs_close, &cs_template},
        {&cs_apply, &cs_template},                {&cs_modify, &cs_template},
        {&cs_delete, &cs_template},               {&si_close, &si_form},
        {&tl_close, &tl_template},                {&sl_close, &sl_form},
    };
    for (const Link& l : hides) {
        SCOPED_TRACE(XtName(*l.button));
        show_dialog(*l.box);
        ASSERT_TRUE(XtIsManaged(*l.box));
        ASSERT_TRUE(gui::press(*l.button));
        gui::process_events();
        EXPECT_FALSE(XtIsManaged(*l.box));
    }
}

TEST_F(WindowLinks, ViewTogglesOfBothWindowsAlwaysAgree)
{
    Widget toggles[] = {main_view_graphical, main_view_text, main_view_both,
                        sd_view_graphical,   sd_view_text,   sd_view_both};
    // Every toggle pressed from every view, including pressing the one already on.
    for (Widget first : toggles) {
        for (Widget second : toggles) {
            SCOPED_TRACE(std::string(XtName(first)) + " then " + XtName(second));
            ASSERT_TRUE(gui::press(first));
            ASSERT_TRUE(gui::press(second));
            gui::process_events();
            std::string view = XtName(second);
            view = view.substr(view.find("view_") + 5);
            bool graphical = view == "graphical", text = view == "text", both = view == "both";
            EXPECT_EQ(graphical, XmToggleButtonGetState(main_view_graphical));
            EXPECT_EQ(graphical, XmToggleButtonGetState(sd_view_graphical));
            EXPECT_EQ(text, XmToggleButtonGetState(main_view_text));
            EXPECT_EQ(text, XmToggleButtonGetState(sd_view_text));
            EXPECT_EQ(both, XmToggleButtonGetState(main_view_both));
            EXPECT_EQ(both, XmToggleButtonGetState(sd_view_both));
            EXPECT_EQ(!graphical, top_level_is_shown(te_win));
            EXPECT_EQ(!text, top_level_is_shown(state_diagram_win));
        }
    }
}

// Without any resource file the compiled-in one labels every control.
TEST(WindowResources, EveryControlIsLabelledWithoutAnInstalledResourceFile)
{
    for (const char* v : {"XAPPLRESDIR", "XUSERFILESEARCHPATH", "XENVIRONMENT"}) unsetenv(v);
    setenv("XFILESEARCHPATH", "/nonexistent/%N", 1);
    setenv("HOME", "/nonexistent", 1);
    gui::ensure_x_server();
    XtToolkitInitialize();
    XtAppContext app = XtCreateApplicationContext();
    int argc = 1;
    char name[] = "tarnedit";
    char* argv[] = {name, nullptr};
    Display* d = XtOpenDisplay(app, nullptr, name, "Tarnedit", nullptr, 0, &argc, argv);
    ASSERT_NE(nullptr, d);
    build_all_windows(d);

    int checked = 0;
    std::vector<Widget> pending = {te_win};
    while (!pending.empty()) {
        Widget w = pending.back();
        pending.pop_back();
        if (XtIsComposite(w)) {
            CompositeWidget c = reinterpret_cast<CompositeWidget>(w);
            pending.insert(pending.end(), c->composite.children, c->composite.children + c->composite.num_children);
        }
        if (XtIsWidget(w))
            for (Cardinal i = 0; i < w->core.num_popups; ++i) pending.push_back(w->core.popup_list[i]);
        if (!XmIsLabel(w) && !XmIsLabelGadget(w)) continue;
        unsigned char type = XmSTRING;
        XtVaGetValues(w, XmNlabelType, &type, nullptr);
        std::string n = XtName(w);
        // The file dialog's Cancel and Help are worded by Motif itself, as its other parts are.
        bool file_dialog = XtParent(w) && XmIsFileSelectionBox(XtParent(w)) && (n == "Cancel" || n == "Help");
        if (type == XmPIXMAP || n == "main_message_label" || n == "sd_message_label" || n == "OptionButton" ||
            n == "Title" || n == "TipLabel" || file_dialog)
            continue;
        std::string text = label_text(w);
        EXPECT_FALSE(text.empty()) << n;
        EXPECT_NE(n, text) << "unlabelled: " << n;  // Motif's default label is the name
        ++checked;
    }
    EXPECT_GT(checked, 120);
}
