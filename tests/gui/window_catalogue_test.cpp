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
    std::set<std::string> names;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("Tarnedit*", 0) != 0) continue;
        std::string name = line.substr(9, line.find_first_of(".:", 9) - 9);
        if (name.rfind("Xm", 0) != 0 && name != "renderTable") names.insert(name);  // not a class or a font
    }
    EXPECT_GT(names.size(), 100u);
    for (const std::string& name : names) EXPECT_NE(nullptr, gui::find(name)) << name;

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

TEST_F(WindowCatalogue, OptionMenuGadgetsScrolledWindowsSeparatorsAndScrollBars)
{
    struct Menu {
        Widget menu, pulldown, label, option;
    };
    const Menu menus[] = {
        {cs_pollrate, cs_pollrate_parent, cs_pollrate_label, cs_pollrate_option},
        {cs_severity, cs_severity_parent, cs_severity_label, cs_severity_option},
        {se_pollrate, se_pollrate_parent, se_pollrate_label, se_pollrate_option},
        {se_severity, se_severity_parent, se_severity_label, se_severity_option},
        {tran_from_state, tran_from_state_parent, tran_from_state_label, tran_from_state_option},
        {tran_to_state, tran_to_state_parent, tran_to_state_label, tran_to_state_option},
        {tran_condition, tran_condition_parent, tran_condition_label, tran_condition_option},
        {tran_action, tran_action_parent, tran_action_label, tran_action_option},
        {condition_action, condition_action_parent, condition_action_label, condition_action_option},
        {ot_states, ot_states_parent, ot_states_label, ot_states_option},
    };
    for (const Menu& m : menus) {
        SCOPED_TRACE(XtName(m.menu));
        EXPECT_EQ(XmOptionLabelGadget(m.menu), m.label);
        EXPECT_EQ(XmOptionButtonGadget(m.menu), m.option);
        Widget sub = nullptr;
        XtVaGetValues(m.menu, XmNsubMenuId, &sub, nullptr);
        EXPECT_EQ(m.pulldown, sub);
    }
    EXPECT_EQ(XtParent(main_text_list), main_text);
    EXPECT_EQ(XtParent(tl_list), transition_scrolled_list);
    EXPECT_EQ(XtParent(ct_condition_list), ct_list);
    EXPECT_EQ(XtParent(ct_condition_code), ct_code);
    EXPECT_EQ(XtParent(severity_list), severity_scrolled_list);
    EXPECT_EQ(XtParent(pollrate_list), pollrate_scrolled_list);
    EXPECT_EQ(XmMessageBoxGetChild(main_form, XmDIALOG_SEPARATOR), main_form_separator);
    EXPECT_EQ(XmMessageBoxGetChild(te_transition_edit_dialog, XmDIALOG_SEPARATOR), te_transition_edit_separator);
    EXPECT_EQ(XmMessageBoxGetChild(state_edit_dialog, XmDIALOG_SEPARATOR), te_state_edit_separator);
    EXPECT_EQ(XmMessageBoxGetChild(te_pollrate_dialog, XmDIALOG_SEPARATOR), te_pollrate_separator);
    EXPECT_EQ(xmScrollBarWidgetClass, XtClass(sd_horizontal));
    EXPECT_EQ(xmScrollBarWidgetClass, XtClass(sd_vertical));
    EXPECT_EQ(XtParent(sd_horizontal), sd_scrolled_window);
}

// The from-state menu hangs from the form's top by its bottom edge too, from the first build
// on, and its rebuilds keep that.
TEST_F(WindowCatalogue, FromStateMenuKeepsItsBottomAttachmentThroughRebuilds)
{
    for (int build = 1; build <= 2; ++build) {
        SCOPED_TRACE(build);
        unsigned char top = 0, bottom = 0;
        int top_offset = 0, bottom_offset = 0;
        XtVaGetValues(tran_from_state, XmNtopAttachment, &top, XmNtopOffset, &top_offset, XmNbottomAttachment, &bottom,
                      XmNbottomOffset, &bottom_offset, nullptr);
        EXPECT_EQ(XmATTACH_FORM, top);
        EXPECT_EQ(215, top_offset);
        EXPECT_EQ(XmATTACH_OPPOSITE_FORM, bottom);
        EXPECT_EQ(-248, bottom_offset);
        build_from_state();
    }
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

TEST_F(WindowCatalogue, IconButtonsAndViewToggleSelectColour)
{
    for (Widget w : {sd_state, sd_transition, sd_condition, sl_generic_state}) {
        Pixmap normal = 0, insensitive = 0;
        unsigned char type = 0;
        XtVaGetValues(w, XmNlabelPixmap, &normal, XmNlabelInsensitivePixmap, &insensitive, XmNlabelType, &type,
                      nullptr);
        EXPECT_EQ(XmPIXMAP, type) << XtName(w);
        ASSERT_NE(XmUNSPECIFIED_PIXMAP, normal) << XtName(w);
        EXPECT_EQ(normal, insensitive) << XtName(w);
        Window root;
        int x, y;
        unsigned width = 0, height = 0, border, depth;
        XGetGeometry(XtDisplay(w), normal, &root, &x, &y, &width, &height, &border, &depth);
        EXPECT_EQ(32u, width);
        EXPECT_EQ(32u, height);
    }
    EXPECT_NE(state_icon, transition_icon);
    EXPECT_NE(state_icon, condition_icon);

    // The resource file sets "red" to red; the six view toggles select in it.
    XColor red, exact;
    ASSERT_TRUE(XAllocNamedColor(XtDisplay(te_win), DefaultColormapOfScreen(XtScreen(te_win)), "red", &red, &exact));
    for (Widget w : {main_view_graphical, main_view_text, main_view_both, sd_view_graphical, sd_view_text,
                     sd_view_both}) {
        Pixel select = 0;
        XtVaGetValues(w, XmNselectColor, &select, nullptr);
        EXPECT_EQ(red.pixel, select) << XtName(w);
    }
}
