// The windows as start-up builds them: the resource database, every named widget, what menu
// entries and buttons do by themselves, start-up with and without a connection.
#include "support/editor_fixture.h"

#include <X11/IntrinsicP.h>
#include <X11/Shell.h>
#include <X11/Xresource.h>
#include <Xm/Label.h>
#include <Xm/LabelG.h>
#include <Xm/SelectioB.h>
#include <Xm/ToggleB.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <set>

#include "base/globals.h"
#include "platform/vorn.h"
#include "support/process_runner.h"
#include "ui/app_resources.h"
#include "ui/gui_utils.h"
#include "ui/links.h"
#include "ui/widgets.h"
#include "ui/windows.h"
#include "ui/xm_string.h"

namespace {

using gui::GuiTest;

// Every window built as start-up builds them, the main window realized.
class WindowTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        build_all_windows(display);
        XtRealizeWidget(te_win);
        gui::add_root(te_win);
        gui::add_root(state_diagram_win);
        gui::process_events();
    }
};

std::vector<std::string> warnings;
void record_warning(String message) { warnings.push_back(message ? message : ""); }

std::string resource(const char* name) {
    char* type = nullptr;
    XrmValue value{};
    if (!XrmGetResource(XtDatabase(display), name, "Tarnedit.X.X.LabelString", &type, &value) || !value.addr) return "";
    return value.addr;
}

// By the globals, which hold the latest start-up's widgets (a second start-up in one process
// builds a second tree of the same names).
Widget* const server_commands[] = {&main_new_template,    &main_open_button, &main_save_button,
                                   &main_edit_conditions, &sd_template_open, &sd_edit_setup};

}  // namespace

// A stale installed resource file is reported once; a missing one is filled in below the
// user's own settings.
TEST_F(GuiTest, StaleInstalledResourceFileIsReportedOnceAndAMissingOneFilledIn) {
    XrmDatabase db = XtDatabase(display);
    XrmPutLineResource(&db, "Tarnedit.resourceVersion: 0.1");
    warnings.clear();
    XtAppSetWarningHandler(app_context, record_warning);
    prepare_resources(display, "tarnedit");
    ASSERT_EQ(1u, warnings.size());
    EXPECT_NE(std::string::npos, warnings[0].find("version 0.1"));
    EXPECT_NE(std::string::npos, warnings[0].find(tarnedit_resource_version()));

    // Nothing installed: forget what the build-tree file put there, keep one user setting.
    XrmPutLineResource(&db, "Tarnedit.resourceVersion:");
    XrmPutLineResource(&db, "Tarnedit*main_exit_button.labelString: Quit");
    warnings.clear();
    prepare_resources(display, "tarnedit");
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ("Quit", resource("tarnedit.x.main_exit_button.labelString"));
    EXPECT_EQ("Template", resource("tarnedit.x.main_template.labelString"));
}

// Every widget the resource file names exists under that name (a renamed widget would lose
// its label, mnemonic or accelerator without a word), and every variable holds its widget.
TEST_F(WindowTest, EveryWidgetTheResourceFileNamesExistsAndEveryGlobalHoldsItsWidget) {
    std::ifstream in(std::string(TEST_SOURCE_DIR) + "/../resources/Tarnedit");
    ASSERT_TRUE(in);
    std::set<std::string> names, with_mnemonic;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("Tarnedit*", 0) != 0) continue;
        std::string name = line.substr(9, line.find_first_of(".:", 9) - 9);
        if (name.rfind("Xm", 0) != 0 && name != "renderTable") names.insert(name);  // not a class or a font
        if (line.find(".mnemonic:") != std::string::npos) with_mnemonic.insert(name);
    }
    EXPECT_GT(names.size(), 100u);
    for (const std::string& name : names) EXPECT_NE(nullptr, gui::find(name)) << name;

    // Within one menu pane a letter reaches one entry only (mnemonics ignore case).
    std::map<Widget, std::map<int, std::string>> taken;
    for (const std::string& name : with_mnemonic) {
        Widget w = gui::find(name);
        KeySym mnemonic = NoSymbol;
        if (w) XtVaGetValues(w, XmNmnemonic, &mnemonic, nullptr);
        if (mnemonic == NoSymbol) continue;
        auto placed = taken[XtParent(w)].emplace(std::tolower(static_cast<int>(mnemonic)), name);
        EXPECT_TRUE(placed.second) << name << " and " << placed.first->second << " share a mnemonic";
    }

    std::map<std::string, Widget*> globals;
#define WIDGET(v) globals[#v] = &v;
#define PART(v)
#include "ui/widget_list.def"
#undef WIDGET
#undef PART
    for (const auto& [name, widget] : globals) {
        ASSERT_NE(nullptr, *widget) << name;
        EXPECT_EQ(name, XtName(*widget));
    }
    // The severity label, not the action pulldown that shares its name, holds widget330.
    EXPECT_EQ(xmLabelWidgetClass, XtClass(widget330));
    EXPECT_STREQ("widget330", XtName(tran_action_parent));
    EXPECT_EQ(tran_action_parent, XtParent(transition_none_button));
}

// Automatic unmanaging would close a dialog on any of its buttons, Add included.
TEST_F(WindowTest, DialogsStayUpUntilTheirOwnCloseAndTheMainWindowKeepsItsSize) {
    for (Widget box : {main_form, open_list_dialog, state_edit_dialog, te_transition_edit_dialog, ot_form_box,
                       ct_dialog, te_severity_dialog, te_pollrate_dialog, cs_template, si_form, tl_template}) {
        unsigned char type = 0;
        Boolean auto_unmanage = True;
        XtVaGetValues(box, XmNdialogType, &type, XmNautoUnmanage, &auto_unmanage, nullptr);
        EXPECT_EQ(XmDIALOG_TEMPLATE, type) << XtName(box);
        EXPECT_FALSE(auto_unmanage) << XtName(box);
    }
    Boolean resize = True;
    XtVaGetValues(te_win, XmNallowShellResize, &resize, nullptr);
    EXPECT_FALSE(resize);
}

TEST_F(WindowTest, AShowEntryPressedAgainRaisesTheSameDialogAndCloseOrApplyHidesIt) {
    // One entry of each top window: pressed again while its dialog is up, the same dialog
    // shows and nothing is built.
    for (auto [button, box] : {std::pair{main_edit_states, &state_edit_dialog}, {sd_edit_conditions, &ct_dialog}}) {
        SCOPED_TRACE(XtName(button));
        XtUnmanageChild(*box);
        gui::process_events();
        Widget box_before = *box;
        std::size_t children_before = gui::children(XtParent(*box)).size();
        for (int press = 0; press < 2; ++press) {
            ASSERT_TRUE(gui::press(button));
            gui::process_events();
            EXPECT_TRUE(XtIsManaged(*box));
            EXPECT_TRUE(top_level_is_shown(XtParent(*box)));
        }
        EXPECT_EQ(box_before, *box);
        EXPECT_EQ(children_before, gui::children(XtParent(*box)).size());
    }
    // A dialog's own Close, and a button that hides as it acts (Apply), of two kinds of window.
    for (auto [button, box] : {std::pair{ol_cancel_button, open_list_dialog}, {cs_apply, cs_template}, {sl_close, sl_form}}) {
        SCOPED_TRACE(XtName(button));
        g2_win_show(box);
        gui::process_events();
        ASSERT_TRUE(XtIsManaged(box));
        ASSERT_TRUE(gui::press(button));
        gui::process_events();
        EXPECT_FALSE(XtIsManaged(box));
    }
}

TEST_F(WindowTest, ViewTogglesOfBothWindowsAlwaysAgree) {
    const std::map<std::string, std::pair<Widget, Widget>> views = {
        {"graphical", {main_view_graphical, sd_view_graphical}},
        {"text", {main_view_text, sd_view_text}},
        {"both", {main_view_both, sd_view_both}}};
    // Every toggle pressed from every view, including pressing the one already on.
    for (const auto& first : views)
        for (Widget one : {first.second.first, first.second.second})
            for (const auto& [to, second] : views)
                for (Widget other : {second.first, second.second}) {
                    SCOPED_TRACE(std::string(XtName(one)) + " then " + XtName(other));
                    ASSERT_TRUE(gui::press(one));
                    ASSERT_TRUE(gui::press(other));
                    gui::process_events();
                    for (const auto& [view, toggles] : views) {
                        EXPECT_EQ(view == to, XmToggleButtonGetState(toggles.first)) << view;
                        EXPECT_EQ(view == to, XmToggleButtonGetState(toggles.second)) << view;
                    }
                    EXPECT_EQ(to != "graphical", top_level_is_shown(te_win));
                    EXPECT_EQ(to != "text", top_level_is_shown(state_diagram_win));
                }
}

// Without any resource file the compiled-in one labels every control.
TEST(WindowResources, EveryControlIsLabelledWithoutAnInstalledResourceFile) {
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
    gui::walk(te_win, [&](Widget w) {
        if (!XmIsLabel(w) && !XmIsLabelGadget(w)) return;
        unsigned char type = XmSTRING;
        XtVaGetValues(w, XmNlabelType, &type, nullptr);
        std::string n = XtName(w);
        // The selection dialogs' Cancel, Help and Apply are worded by Motif itself, as their other parts are.
        bool file_dialog = XtParent(w) && XmIsSelectionBox(XtParent(w)) && (n == "Cancel" || n == "Help" || n == "Apply");
        if (type == XmPIXMAP || n == "main_message_label" || n == "sd_message_label" || n == "hist_diff_label" || n == "OptionButton" ||
            n == "Title" || n == "TipLabel" || file_dialog)
            return;
        std::string text = label_text(w);
        EXPECT_FALSE(text.empty()) << n;
        EXPECT_NE(n, text) << "unlabelled: " << n;  // Motif's default label is the name
        ++checked;
    });
    EXPECT_GT(checked, 120);
}

TEST_F(GuiTest, ConnectedStartShowsTitleIconsAndTheNotice) {
    ASSERT_TRUE(gui::start_editor());
    EXPECT_EQ(starting, 0);
    EXPECT_STREQ(global_platform, proc::host_name().c_str());
    EXPECT_STREQ(open_template, "Noname");
    EXPECT_EQ(gui::title(te_win), proc::main_title(proc::host_name()));
    for (Widget shell : {te_win, state_diagram_win}) {
        SCOPED_TRACE(XtName(shell));
        Window icon = 0;
        char* icon_name = nullptr;
        unsigned char delete_response = 0;
        XtVaGetValues(shell, XtNiconWindow, &icon, XtNiconName, &icon_name, XmNdeleteResponse, &delete_response,
                      nullptr);
        EXPECT_NE(icon, 0u);
        EXPECT_STREQ(icon_name, "Requests");
        EXPECT_EQ(delete_response, XmDO_NOTHING);
        EXPECT_TRUE(XtIsRealized(shell));
    }
    EXPECT_TRUE(gui::open_dialogs().empty());
    EXPECT_EQ(gui::label(main_message_label), "Tarnwright request template editor. Copyright Quillon Corvane.");
    EXPECT_EQ(gui::label(sd_message_label), gui::label(main_message_label));
    for (Widget* command : server_commands) EXPECT_TRUE(gui::sensitive(*command)) << XtName(*command);
    // The platform's errors are reset by the hook start-up armed.
    error.set_error(3, "recorded");
    EXPECT_FALSE(error.is_error());
}

TEST_F(GuiTest, FailedConnectionTellsTheUserAndRefusesServerCommands) {
    setenv("VARO_STORE", proc::unreachable_store().c_str(), 1);
    gui::start_editor();
    EXPECT_EQ(starting, 0);
    gui::Dialog d = gui::only_dialog();
    // The store's reason on the next line, on one line of its own.
    EXPECT_EQ(d.message.rfind("Can't connect to Varo!\nCannot open Varo: Cannot reach the store: ", 0), 0u) << d.message;
    EXPECT_NE(d.message.find("Connection refused"), std::string::npos) << d.message;
    EXPECT_EQ(std::count(d.message.begin(), d.message.end(), '\n'), 1) << d.message;
    EXPECT_EQ(d.title, "Tarnwright: Error");
    EXPECT_EQ(d.buttons, (std::vector<std::string>{"OK", "Cancel"}));
    EXPECT_EQ(XtParent(XtParent(d.box)), te_win);
    for (Widget* command : server_commands) EXPECT_FALSE(gui::sensitive(*command)) << XtName(*command);
}
