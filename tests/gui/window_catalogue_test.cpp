// The window catalogue: every named widget where its users' resources and the code address
// it, the gadgets and parts the code reaches through variables, and the initial states.
#include "support/gui_harness.h"

#include <X11/IntrinsicP.h>
#include <Xm/Label.h>
#include <Xm/MessageB.h>
#include <Xm/RowColumn.h>
#include <Xm/ScrollBar.h>
#include <Xm/ScrolledW.h>
#include <Xm/ToggleB.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/window_fixture.h"
#include "template/option_menus.h"
#include "ui/icons.h"
#include "ui/widgets.h"
#include "ui/xm_string.h"

namespace {

std::map<std::string, Widget*> globals_by_name()
{
    std::map<std::string, Widget*> m;
#define WIDGET(v) m[#v] = &v;
#define PART(v) m[#v] = &v;
#include "ui/widget_list.def"
#undef WIDGET
#undef PART
    return m;
}

std::vector<std::string> widget_names()
{
    std::vector<std::string> v;
#define WIDGET(v_) v.push_back(#v_);
#define PART(v_)
#include "ui/widget_list.def"
#undef WIDGET
#undef PART
    return v;
}

using WindowCatalogue = WindowFixture;

}  // namespace

// Every widget the resource file names exists under that name (a renamed widget would lose
// its label, mnemonic or accelerator without a word), and every variable holds its widget.
TEST_F(WindowCatalogue, EveryWidgetTheResourceFileNamesExistsAndEveryGlobalHoldsItsWidget)
{
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

    auto globals = globals_by_name();
    for (const std::string& name : widget_names()) {
        SCOPED_TRACE(name);
        Widget w = *globals[name];
        ASSERT_NE(nullptr, w);
        EXPECT_EQ(name, XtName(w));
    }
    // The severity label, not the action pulldown that shares its name, holds widget330.
    EXPECT_EQ(xmLabelWidgetClass, XtClass(widget330));
    EXPECT_STREQ("widget330", XtName(tran_action_parent));
    EXPECT_EQ(tran_action_parent, XtParent(transition_none_button));
}

// Automatic unmanaging would close a dialog on any of its buttons, Add included.
TEST_F(WindowCatalogue, DialogsStayUpUntilTheirOwnCloseAndTheMainWindowKeepsItsSize)
{
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

TEST_F(WindowCatalogue, InitialSensitivitiesAndStates)
{
    for (Widget w : {ol_ok_button, ol_delete_button, ot_up_button, ot_down_button})
        EXPECT_FALSE(XtIsSensitive(w)) << XtName(w);
    for (Widget w : {ol_cancel_button, ol_help_button, order_close_button, tran_add_button, state_edit_add_button,
                     main_save_button, sd_state, sd_transition, sd_condition})
        EXPECT_TRUE(XtIsSensitive(w)) << XtName(w);
    // The action menu starts at "<none>", so its operands start as <none> leaves them.
    EXPECT_EQ("<none>", gui::option_value(tran_action));
    for (Widget w : {tran_edit_label1, tran_edit_text1, tran_edit_label2, tran_edit_text2, condition_action_label,
                     condition_action_option})
        EXPECT_FALSE(XtIsSensitive(w)) << XtName(w);
    EXPECT_TRUE(XmToggleButtonGetState(main_view_text));
    EXPECT_TRUE(XmToggleButtonGetState(sd_view_text));
    EXPECT_FALSE(XmToggleButtonGetState(main_view_graphical));
    // Only the main window is up; every dialog waits to be shown.
    EXPECT_TRUE(top_level_is_shown(te_win));
    EXPECT_FALSE(top_level_is_shown(state_diagram_win));
    for (Widget box : {open_list_dialog, state_edit_dialog, te_transition_edit_dialog, ot_form_box, ct_dialog,
                       te_severity_dialog, te_pollrate_dialog, cs_template, si_form, tl_template, sl_form})
        EXPECT_FALSE(XtIsManaged(box)) << XtName(box);
}
