// The window catalogue: every named widget where its users' resources and our tests address
// it, with its class, parent, global variable, size, label and sensitivity.
#include "support/gui_harness.h"

#include <X11/IntrinsicP.h>
#include <Xm/CascadeB.h>
#include <Xm/DialogS.h>
#include <Xm/DrawingA.h>
#include <Xm/FileSB.h>
#include <Xm/Form.h>
#include <Xm/Label.h>
#include <Xm/List.h>
#include <Xm/MessageB.h>
#include <Xm/PanedW.h>
#include <Xm/PushB.h>
#include <Xm/RowColumn.h>
#include <Xm/ScrollBar.h>
#include <Xm/ScrolledW.h>
#include <Xm/Separator.h>
#include <Xm/Text.h>
#include <Xm/TextF.h>
#include <Xm/ToggleB.h>
#include <X11/Shell.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "support/window_fixture.h"
#include "template/option_menus.h"
#include "ui/caption.h"
#include "ui/icons.h"
#include "ui/widgets.h"
#include "ui/xm_string.h"

namespace {

using gui::label;

struct Expect {
    const char* name;
    WidgetClass cls;
    const char* parent;
};

// The documented tree: class and parent of every named widget.
std::vector<Expect> documented_tree()
{
    WidgetClass pb = xmPushButtonWidgetClass, cb = xmCascadeButtonWidgetClass, tb = xmToggleButtonWidgetClass;
    WidgetClass rc = xmRowColumnWidgetClass, lb = xmLabelWidgetClass, tf = xmTextFieldWidgetClass;
    WidgetClass fm = xmFormWidgetClass, mb = xmMessageBoxWidgetClass, ds = xmDialogShellWidgetClass;
    WidgetClass ls = xmListWidgetClass, sp = xmSeparatorWidgetClass, cap = psCaptionWidgetClass;
    return {
        {"te_win", applicationShellWidgetClass, nullptr},
        {"main_dialog", fm, "te_win"},
        {"main_menu_bar", rc, "main_dialog"},
        {"main_template", cb, "main_menu_bar"},
        {"main_new_template", pb, "main_template_parent"},
        {"main_open_button", pb, "main_template_parent"},
        {"main_save_button", pb, "main_template_parent"},
        {"widget165", sp, "main_template_parent"},
        {"main_exit_button", pb, "main_template_parent"},
        {"main_edit", cb, "main_menu_bar"},
        {"main_edit_undo", pb, "main_edit_parent"},
        {"main_edit_redo", pb, "main_edit_parent"},
        {"main_edit_separator", sp, "main_edit_parent"},
        {"main_edit_states", pb, "main_edit_parent"},
        {"main_edit_transitions", pb, "main_edit_parent"},
        {"main_edit_conditions", pb, "main_edit_parent"},
        {"main_edit_option", cb, "main_edit_parent"},
        {"main_pollrates", pb, "main_edit_option_parent"},
        {"main_severities", pb, "main_edit_option_parent"},
        {"main_view", cb, "main_menu_bar"},
        {"main_view_graphical", tb, "main_view_parent"},
        {"main_view_text", tb, "main_view_parent"},
        {"main_view_both", tb, "main_view_parent"},
        {"main_help", cb, "main_menu_bar"},
        {"main_help_bt", pb, "main_help_pulldown"},
        {"main_form", mb, "main_dialog"},
        {"main_form_states", pb, "main_form"},
        {"main_form_transitions", pb, "main_form"},
        {"main_form_conditions", pb, "main_form"},
        {"main_win_form", fm, "main_form"},
        {"main_name_label", lb, "main_win_form"},
        {"main_description_label", lb, "main_win_form"},
        {"main_name", tf, "main_win_form"},
        {"main_description", tf, "main_win_form"},
        {"main_header", lb, "main_win_form"},
        {"main_text_list", ls, "main_text_listSW"},
        {"main_separator", sp, "main_dialog"},
        {"main_message_label", lb, "main_dialog"},

        {"state_diagram_win", topLevelShellWidgetClass, "te_win"},
        {"sd_form", fm, "state_diagram_win"},
        {"sd_menu_bar", rc, "sd_form"},
        {"sd_template", cb, "sd_menu_bar"},
        {"sd_template_new", pb, "sd_template_pulldown"},
        {"sd_template_open", pb, "sd_template_pulldown"},
        {"sd_template_save", pb, "sd_template_pulldown"},
        {"sd_template_export", pb, "sd_template_pulldown"},
        {"sep1", sp, "sd_template_pulldown"},
        {"sd_exit_button", pb, "sd_template_pulldown"},
        {"sd_edit", cb, "sd_menu_bar"},
        {"sd_edit_undo", pb, "sd_edit_pulldown"},
        {"sd_edit_redo", pb, "sd_edit_pulldown"},
        {"sd_edit_separator", sp, "sd_edit_pulldown"},
        {"sd_edit_states", pb, "sd_edit_pulldown"},
        {"sd_edit_transitions", pb, "sd_edit_pulldown"},
        {"sd_edit_conditions", pb, "sd_edit_pulldown"},
        {"sd_edit_setup", cb, "sd_edit_pulldown"},
        {"sd_edit_pollrates", pb, "sd_setup_pulldown"},
        {"sd_edit_severities", pb, "sd_setup_pulldown"},
        {"sd_edit_arrange", pb, "sd_edit_pulldown"},
        {"sd_view", cb, "sd_menu_bar"},
        {"sd_view_graphical", tb, "sd_view_pulldown"},
        {"sd_view_text", tb, "sd_view_pulldown"},
        {"sd_view_both", tb, "sd_view_pulldown"},
        {"sd_help_button", cb, "sd_menu_bar"},
        {"sd_help_bt", pb, "sd_help_pulldown"},
        {"sd_frame", rc, "sd_form"},
        {"sd_state", pb, "sd_frame"},
        {"sd_transition", pb, "sd_frame"},
        {"sd_condition", pb, "sd_frame"},
        {"sd_scrolled_window", xmScrolledWindowWidgetClass, "sd_form"},
        {"sd_draw_area", xmDrawingAreaWidgetClass, "ClipWindow"},
        {"sd_separator", sp, "sd_form"},
        {"sd_message_label", lb, "sd_form"},
        {"sd_export_dialog", xmFileSelectionBoxWidgetClass, "sd_export_dialog_popup"},

        {"open_list_win", ds, "te_win"},
        {"open_list_dialog", mb, "open_list_win"},
        {"widget203", fm, "open_list_dialog"},
        {"ol_list", ls, "ol_listSW"},
        {"ol_label", lb, "widget203"},
        {"ol_ok_button", pb, "open_list_dialog"},
        {"ol_delete_button", pb, "open_list_dialog"},
        {"ol_cancel_button", pb, "open_list_dialog"},
        {"ol_help_button", pb, "open_list_dialog"},

        {"state_edit_win", ds, "te_win"},
        {"state_edit_dialog", mb, "state_edit_win"},
        {"state_edit_form", fm, "state_edit_dialog"},
        {"se_label", lb, "state_edit_form"},
        {"se_pollrate", rc, "state_edit_form"},
        {"se_new_pollrate", pb, "se_pollrate_parent"},
        {"se_severity", rc, "state_edit_form"},
        {"se_new_severity", pb, "se_severity_parent"},
        {"state_edit_list", ls, "state_edit_listSW"},
        {"se_state_name_label", lb, "state_edit_form"},
        {"se_state_name", tf, "state_edit_form"},
        {"se_state_description_label", lb, "state_edit_form"},
        {"se_description_name", tf, "state_edit_form"},
        {"state_edit_add_button", pb, "state_edit_dialog"},
        {"state_edit_modify_button", pb, "state_edit_dialog"},
        {"state_edit_delete_button", pb, "state_edit_dialog"},
        {"state_edit_close_button", pb, "state_edit_dialog"},
        {"state_edit_help_button", pb, "state_edit_dialog"},

        {"transition_edit_win", ds, "te_win"},
        {"te_transition_edit_dialog", mb, "transition_edit_win"},
        {"te_transition_edit_form", fm, "te_transition_edit_dialog"},
        {"transition_list", ls, "transition_listSW"},
        {"tran_from_state", rc, "te_transition_edit_form"},
        {"tran_from_new_state", pb, "tran_from_state_parent"},
        {"tran_to_state", rc, "te_transition_edit_form"},
        {"tran_to_new_state", pb, "tran_to_state_parent"},
        {"tran_condition", rc, "te_transition_edit_form"},
        {"tran_new_condition", pb, "tran_condition_parent"},
        {"tran_action", rc, "te_transition_edit_form"},
        {"transition_none_button", pb, "widget330"},
        {"transition_command_button", pb, "widget330"},
        {"transition_mail_button", pb, "widget330"},
        {"transition_condition_button", pb, "widget330"},
        {"condition_action", rc, "te_transition_edit_form"},
        {"condition_new", pb, "condition_action_parent"},
        {"tran_edit_label1", lb, "te_transition_edit_form"},
        {"tran_edit_text1", tf, "te_transition_edit_form"},
        {"tran_edit_label2", lb, "te_transition_edit_form"},
        {"tran_edit_text2", tf, "te_transition_edit_form"},
        {"tran_order_transitions", pb, "te_transition_edit_form"},
        {"tran_add_button", pb, "te_transition_edit_dialog"},
        {"tran_delete_button", pb, "te_transition_edit_dialog"},
        {"tran_close_button", pb, "te_transition_edit_dialog"},
        {"tran_edit_button", pb, "te_transition_edit_dialog"},

        {"order_trans_win", ds, "te_win"},
        {"ot_form_box", mb, "order_trans_win"},
        {"ot_up_button", pb, "ot_form_box"},
        {"ot_down_button", pb, "ot_form_box"},
        {"order_close_button", pb, "ot_form_box"},
        {"order_help_button", pb, "ot_form_box"},
        {"ot_form", fm, "ot_form_box"},
        {"ot_list", ls, "ot_listSW"},
        {"ot_states", rc, "ot_form"},

        {"condition_text_win", ds, "te_win"},
        {"ct_dialog", mb, "condition_text_win"},
        {"ct_form", fm, "ct_dialog"},
        {"ct_name_label", lb, "ct_form"},
        {"ct_name_text", tf, "ct_form"},
        {"ct_description_label", lb, "ct_form"},
        {"ct_description_text", tf, "ct_form"},
        {"ct_sash", xmPanedWindowWidgetClass, "ct_form"},
        {"ct_sash_form1", fm, "ct_sash"},
        {"ct_list_label", lb, "ct_sash_form1"},
        {"ct_condition_list", ls, "ct_condition_listSW"},
        {"ct_sash_form2", fm, "ct_sash"},
        {"ct_code_label", lb, "ct_sash_form2"},
        {"ct_condition_code", xmTextWidgetClass, "ct_condition_codeSW"},
        {"ct_add_button", pb, "ct_dialog"},
        {"ct_modify_button", pb, "ct_dialog"},
        {"ct_delete_button", pb, "ct_dialog"},
        {"ct_close_button", pb, "ct_dialog"},
        {"ct_help_button", pb, "ct_dialog"},

        {"severity_edit_win", ds, "te_win"},
        {"te_severity_dialog", mb, "severity_edit_win"},
        {"severity_form", fm, "te_severity_dialog"},
        {"severity_caption", cap, "severity_form"},
        {"severity_name", tf, "severity_caption"},
        {"widget332", lb, "severity_caption"},
        {"severity_value", tf, "severity_caption"},
        {"widget334", lb, "severity_caption"},
        {"severity_color", tf, "severity_caption"},
        {"severity_list", ls, "severity_listSW"},
        {"te_severity_add_button", pb, "te_severity_dialog"},
        {"te_severity_modify_button", pb, "te_severity_dialog"},
        {"te_severity_delete_button", pb, "te_severity_dialog"},
        {"te_severity_close_button", pb, "te_severity_dialog"},
        {"te_severity_help_button", pb, "te_severity_dialog"},

        {"pollrate_win", ds, "te_win"},
        {"te_pollrate_dialog", mb, "pollrate_win"},
        {"te_pollrate_form", fm, "te_pollrate_dialog"},
        {"pollrate_list", ls, "pollrate_listSW"},
        {"pollrate_caption", cap, "te_pollrate_form"},
        {"widget323", lb, "pollrate_caption"},
        {"pollrate_name", tf, "pollrate_caption"},
        {"widget325", lb, "pollrate_caption"},
        {"pollrate_value", tf, "pollrate_caption"},
        {"te_pollrate_add_button", pb, "te_pollrate_dialog"},
        {"te_pollrate_modify_button", pb, "te_pollrate_dialog"},
        {"te_pollrate_delete_button", pb, "te_pollrate_dialog"},
        {"te_pollrate_close_button", pb, "te_pollrate_dialog"},
        {"te_pollrate_help_butoon", pb, "te_pollrate_dialog"},

        {"configure_states", ds, "state_diagram_win"},
        {"cs_template", mb, "configure_states"},
        {"cs_form", fm, "cs_template"},
        {"widget28", lb, "cs_form"},
        {"cs_name", tf, "cs_form"},
        {"widget30", lb, "cs_form"},
        {"cs_description", tf, "cs_form"},
        {"cs_pollrate", rc, "cs_form"},
        {"cs_pollrate_new", pb, "cs_pollrate_parent"},
        {"cs_severity", rc, "cs_form"},
        {"cs_severity_new", pb, "cs_severity_parent"},
        {"cs_apply", pb, "cs_template"},
        {"cs_modify", pb, "cs_template"},
        {"cs_delete", pb, "cs_template"},
        {"cs_close", pb, "cs_template"},
        {"cs_help", pb, "cs_template"},

        {"state_information", ds, "state_diagram_win"},
        {"si_form", mb, "state_information"},
        {"widget35", fm, "si_form"},
        {"si_name_label", lb, "widget35"},
        {"si_description_label", lb, "widget35"},
        {"si_pollrate_label", lb, "widget35"},
        {"si_severity_label", lb, "widget35"},
        {"si_name", tf, "widget35"},
        {"si_description", tf, "widget35"},
        {"si_pollrate", tf, "widget35"},
        {"si_severity", tf, "widget35"},
        {"si_list", ls, "si_listSW"},
        {"si_close", pb, "si_form"},
        {"si_help", pb, "si_form"},

        {"state_list_win", ds, "state_diagram_win"},
        {"sl_form", fm, "state_list_win"},
        {"sl_row_column", rc, "sl_form"},
        {"sl_generic_state", pb, "sl_row_column"},
        {"widget82", mb, "sl_form"},
        {"sl_close", pb, "widget82"},
        {"sl_help", pb, "widget82"},
        {"widget86", lb, "sl_form"},

        {"transition_list_win", ds, "state_diagram_win"},
        {"tl_template", mb, "transition_list_win"},
        {"tl_form", fm, "tl_template"},
        {"list_label", lb, "tl_form"},
        {"tl_list", ls, "tl_listSW"},
        {"transition_caption", cap, "tl_form"},
        {"tl_from_label", lb, "transition_caption"},
        {"tl_from_state", tf, "transition_caption"},
        {"tl_to_label", lb, "transition_caption"},
        {"tl_to_state", tf, "transition_caption"},
        {"tl_close", pb, "tl_template"},
        {"tl_help", pb, "tl_template"},
    };
}

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

TEST_F(WindowCatalogue, EveryNamedWidgetHasItsClassParentAndGlobal)
{
    auto globals = globals_by_name();
    for (const Expect& e : documented_tree()) {
        SCOPED_TRACE(e.name);
        ASSERT_TRUE(globals.count(e.name));
        Widget w = *globals[e.name];
        ASSERT_NE(nullptr, w);
        // The application shell is named after the invocation ("tarnedit" here).
        auto named = [](const char* n) { return std::string(n) == "te_win" ? std::string("tarnedit") : n; };
        EXPECT_EQ(named(e.name), XtName(w));
        EXPECT_EQ(e.cls, XtClass(w)) << XtClass(w)->core_class.class_name;
        if (e.parent) {
            EXPECT_EQ(named(e.parent), XtName(XtParent(w)));
        }
    }
    // Every variable of the catalogue is set and holds the widget of its name.
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

TEST_F(WindowCatalogue, StatedSizesAndSettings)
{
    EXPECT_EQ(575, te_win->core.width);
    EXPECT_EQ(600, te_win->core.height);
    EXPECT_EQ(3000, sd_draw_area->core.width);
    EXPECT_EQ(3000, sd_draw_area->core.height);
    struct Sized {
        Widget w;
        int width, height;
    };
    const Sized sized[] = {
        {state_edit_dialog, 380, 415}, {te_transition_edit_dialog, 345, 525}, {te_severity_dialog, 275, 350},
        {te_pollrate_dialog, 275, 300}, {cs_template, 360, 210},            {tl_template, 375, 300},
        {widget203, 400, 250},          {widget35, 350, 300},
    };
    auto int_of = [](Widget w, const char* resource) {
        int value = 0;
        XtVaGetValues(w, resource, &value, nullptr);
        return value;
    };
    // Visible items as made (a shown list takes the rows its attachments give it).
    EXPECT_EQ(11, int_of(ol_list, XmNvisibleItemCount));
    EXPECT_EQ(10, int_of(si_list, XmNvisibleItemCount));
    EXPECT_EQ(5, int_of(tl_list, XmNvisibleItemCount));
    for (const Sized& s : sized) {
        SCOPED_TRACE(XtName(s.w));
        show_dialog(s.w);
        EXPECT_EQ(s.width, s.w->core.width);
        EXPECT_EQ(s.height, s.w->core.height);
    }
    String icon_name = nullptr;
    Boolean resize = True;
    XtVaGetValues(te_win, XmNiconName, &icon_name, XmNallowShellResize, &resize, nullptr);
    EXPECT_STREQ("Wright", icon_name);
    EXPECT_FALSE(resize);

    short columns = 0, rows = 0;
    XtVaGetValues(ct_condition_code, XmNcolumns, &columns, XmNrows, &rows, nullptr);
    EXPECT_EQ(65, columns);
    EXPECT_EQ(11, rows);
    for (Widget f : {severity_name, severity_value, severity_color, pollrate_name, pollrate_value, tl_from_state,
                     tl_to_state}) {
        XtVaGetValues(f, XmNcolumns, &columns, nullptr);
        EXPECT_EQ(40, columns) << XtName(f);
    }
    for (Widget box : {main_form, open_list_dialog, state_edit_dialog, te_transition_edit_dialog, ot_form_box,
                       ct_dialog, te_severity_dialog, te_pollrate_dialog, cs_template, si_form, tl_template}) {
        unsigned char type = 0;
        Boolean auto_unmanage = True;
        XtVaGetValues(box, XmNdialogType, &type, XmNautoUnmanage, &auto_unmanage, nullptr);
        EXPECT_EQ(XmDIALOG_TEMPLATE, type) << XtName(box);
        EXPECT_FALSE(auto_unmanage) << XtName(box);
    }
    int min_w = 0, min_h = 0;  // WM hints are ints
    XtVaGetValues(transition_list_win, XmNminWidth, &min_w, XmNminHeight, &min_h, nullptr);
    EXPECT_EQ(150, min_w);
    EXPECT_EQ(200, min_h);
}

TEST_F(WindowCatalogue, CatalogueLabelsAndTitles)
{
    EXPECT_EQ("Transition Information", gui::title(transition_list_win));
    // The diagram's own commands, worded by the resource file.
    EXPECT_EQ("Export Diagram...", label(sd_template_export));
    EXPECT_EQ("Arrange", label(sd_edit_arrange));
    EXPECT_EQ("Tarnwright: Export Diagram", gui::title(XtParent(sd_export_dialog)));
    EXPECT_EQ("transition         action", label(list_label));
    EXPECT_EQ("From:", label(tl_from_label));
    EXPECT_EQ("To:", label(tl_to_label));
    EXPECT_EQ("Close", label(tl_close));
    EXPECT_EQ("Help", label(tl_help));
    EXPECT_EQ("<none>", label(transition_none_button));
    EXPECT_EQ("Tarnwright: Severities", gui::title(severity_edit_win));
    EXPECT_EQ("Name:", label(widget330));
    EXPECT_EQ("Severity:", label(widget332));
    EXPECT_EQ("Color:", label(widget334));
    EXPECT_EQ("Tarnwright: Poll Rates", gui::title(pollrate_win));
    EXPECT_EQ("Name:", label(widget323));
    EXPECT_EQ("Rate:", label(widget325));
    const std::vector<std::string> buttons = {"Add", "Modify", "Delete", "Close", "Help"};
    std::vector<Widget> severity = {te_severity_add_button, te_severity_modify_button, te_severity_delete_button,
                                    te_severity_close_button, te_severity_help_button};
    std::vector<Widget> pollrate = {te_pollrate_add_button, te_pollrate_modify_button, te_pollrate_delete_button,
                                    te_pollrate_close_button, te_pollrate_help_butoon};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(buttons[i], label(severity[i]));
        EXPECT_EQ(buttons[i], label(pollrate[i]));
    }
    // What the action menu shows is what the engine receives.
    EXPECT_EQ("COMMAND", label(transition_command_button));
    EXPECT_EQ("MAIL", label(transition_mail_button));
    EXPECT_EQ("CONDITION", label(transition_condition_button));
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
