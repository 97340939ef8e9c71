#include "ui/build_helpers.h"

#include <Xm/CascadeB.h>
#include <Xm/Form.h>
#include <Xm/Label.h>
#include <Xm/List.h>
#include <Xm/MessageB.h>
#include <Xm/PushB.h>
#include <Xm/RowColumn.h>
#include <Xm/Separator.h>
#include <Xm/TextF.h>
#include <Xm/ToggleB.h>
#include <Xm/DialogS.h>

#include "base/messages.h"
#include "ui/caption.h"
#include "ui/xm_string.h"

void bind(Widget w, const char* callback_list, const Binds& binds)
{
    for (const Bind& b : binds) XtAddCallback(w, callback_list, b.proc, b.target);
}

namespace {

// Appends one edge's resources to args.
void edge_args(std::vector<Arg>& args, const Edge& e, const char* attachment, const char* widget,
               const char* offset, const char* position)
{
    auto name = [](const char* s) { return const_cast<String>(s); };
    Arg a;
    XtSetArg(a, name(attachment), e.type);
    args.push_back(a);
    if (e.type == XmATTACH_NONE) return;
    if (e.widget) {
        XtSetArg(a, name(widget), e.widget);
        args.push_back(a);
    }
    if (e.type == XmATTACH_POSITION) {
        XtSetArg(a, name(position), e.position);
        args.push_back(a);
    }
    XtSetArg(a, name(offset), e.offset);
    args.push_back(a);
}

}  // namespace

void attach(Widget w, Edge top, Edge left, Edge right, Edge bottom)
{
    std::vector<Arg> args;
    edge_args(args, top, XmNtopAttachment, XmNtopWidget, XmNtopOffset, XmNtopPosition);
    edge_args(args, left, XmNleftAttachment, XmNleftWidget, XmNleftOffset, XmNleftPosition);
    edge_args(args, right, XmNrightAttachment, XmNrightWidget, XmNrightOffset, XmNrightPosition);
    edge_args(args, bottom, XmNbottomAttachment, XmNbottomWidget, XmNbottomOffset, XmNbottomPosition);
    XtSetValues(w, args.data(), static_cast<Cardinal>(args.size()));
}

namespace {
void forget_destroyed(Widget w, XtPointer global, XtPointer)
{
    Widget* var = static_cast<Widget*>(global);
    if (*var == w) *var = nullptr;
}
}  // namespace

Widget keep_in(Widget* global, Widget w)
{
    *global = w;
    XtAddCallback(w, XmNdestroyCallback, forget_destroyed, global);
    return w;
}

Widget make_push_button(Widget parent, const char* name, const Binds& activate)
{
    Widget w = XtVaCreateManagedWidget(name, xmPushButtonWidgetClass, parent, nullptr);
    bind(w, XmNactivateCallback, activate);
    return w;
}

Widget make_toggle(Widget parent, const char* name, const Binds& value_changed)
{
    Widget w = XtVaCreateManagedWidget(name, xmToggleButtonWidgetClass, parent, nullptr);
    bind(w, XmNvalueChangedCallback, value_changed);
    return w;
}

Widget make_label(Widget parent, const char* name, unsigned char alignment)
{
    return XtVaCreateManagedWidget(name, xmLabelWidgetClass, parent, XmNalignment, alignment, nullptr);
}

Widget make_status_label(Widget parent, const char* name)
{
    Widget label = make_label(parent, name);
    XtVaSetValues(label, XmNrecomputeSize, False, nullptr);
    return label;
}

Widget make_text_field(Widget parent, const char* name, const Binds& modify_verify, short columns)
{
    Widget w = columns > 0
        ? XtVaCreateManagedWidget(name, xmTextFieldWidgetClass, parent, XmNcolumns, columns, nullptr)
        : XtVaCreateManagedWidget(name, xmTextFieldWidgetClass, parent, nullptr);
    bind(w, XmNmodifyVerifyCallback, modify_verify);
    return w;
}

Widget make_separator(Widget parent, const char* name, unsigned char orientation)
{
    return XtVaCreateManagedWidget(name, xmSeparatorWidgetClass, parent, XmNorientation, orientation, nullptr);
}

Widget make_scrolled_list(Widget parent, const char* name, int visible_items, unsigned char selection_policy,
                          const Binds& browse, Widget* scrolled_window)
{
    Arg args[4];
    Cardinal n = 0;
    XtSetArg(args[n], XmNselectionPolicy, selection_policy); n++;
    // A list keeps the width its window gives it, whatever its lines: one that asked for the
    // width of its widest line would widen its window past the screen. A line wider than the
    // list scrolls into view, and the scroll bars show only when there is something to scroll.
    XtSetArg(args[n], XmNlistSizePolicy, XmCONSTANT); n++;
    XtSetArg(args[n], XmNscrollBarDisplayPolicy, XmAS_NEEDED); n++;
    if (visible_items > 0) { XtSetArg(args[n], XmNvisibleItemCount, visible_items); n++; }
    Widget list = XmCreateScrolledList(parent, const_cast<char*>(name), args, n);
    XtManageChild(list);
    bind(list, XmNbrowseSelectionCallback, browse);
    if (scrolled_window) *scrolled_window = XtParent(list);
    return list;
}

Widget make_icon_button(Widget parent, const char* name, Pixmap icon, const Binds& activate)
{
    Widget w = XtVaCreateManagedWidget(name, xmPushButtonWidgetClass, parent,
                                       XmNlabelType, XmPIXMAP,
                                       XmNlabelPixmap, icon,
                                       XmNlabelInsensitivePixmap, icon,
                                       nullptr);
    bind(w, XmNactivateCallback, activate);
    return w;
}

void set_catalogue_label(Widget w, MessageId number)
{
    XmStr text(message_text(number));
    XtVaSetValues(w, XmNlabelString, text.arg(), nullptr);
}

void set_catalogue_title(Widget shell, MessageId number)
{
    XtVaSetValues(shell, XmNtitle, message_text(number), nullptr);
}

Widget make_pulldown(Widget parent, const char* name)
{
    return XmCreatePulldownMenu(parent, const_cast<char*>(name), nullptr, 0);
}

Widget make_cascade(Widget menu_bar, const char* name, Widget pulldown)
{
    return XtVaCreateManagedWidget(name, xmCascadeButtonWidgetClass, menu_bar, XmNsubMenuId, pulldown, nullptr);
}

Widget make_option_menu(Widget form, const char* name, const char* pulldown_name, const OptionMenuParts& parts,
                        int top, int left, Edge bottom)
{
    Widget pane = make_pulldown(form, pulldown_name);
    Arg args[1];
    XtSetArg(args[0], XmNsubMenuId, pane);
    Widget menu = XmCreateOptionMenu(form, const_cast<char*>(name), args, 1);
    *parts.pulldown = pane;
    if (parts.label) *parts.label = XmOptionLabelGadget(menu);
    if (parts.option) *parts.option = XmOptionButtonGadget(menu);
    attach(menu, to_form(top), to_form(left), free_edge(), bottom);
    XtManageChild(menu);
    return menu;
}

Widget make_dialog(Widget parent, const DialogSpec& layout, Widget& shell, Widget* separator)
{
    shell = XtVaCreatePopupShell(layout.shell_name, xmDialogShellWidgetClass, parent,
                                 XmNallowShellResize, layout.allow_shell_resize ? True : False, nullptr);
    if (layout.title_message.number) set_catalogue_title(shell, layout.title_message);
    std::vector<Arg> args(4);
    Cardinal n = 0;
    XtSetArg(args[n], XmNdialogType, XmDIALOG_TEMPLATE); n++;
    XtSetArg(args[n], XmNautoUnmanage, False); n++;
    if (layout.width) { XtSetArg(args[n], XmNwidth, layout.width); n++; }
    if (layout.height) { XtSetArg(args[n], XmNheight, layout.height); n++; }
    Widget box = XtCreateWidget(layout.box_name, xmMessageBoxWidgetClass, shell, args.data(), n);
    if (separator) *separator = XmMessageBoxGetChild(box, XmDIALOG_SEPARATOR);
    return box;
}

void make_action_buttons(Widget box, const std::vector<ActionButton>& buttons)
{
    for (const ActionButton& b : buttons) {
        Widget w = make_push_button(box, b.name, b.activate);
        if (b.label_message.number) set_catalogue_label(w, b.label_message);
        if (b.variable) *b.variable = w;
    }
}

Widget make_work_form(Widget box, const char* name, Dimension width, Dimension height)
{
    Arg args[2];
    Cardinal n = 0;
    if (width) { XtSetArg(args[n], XmNwidth, width); n++; }
    if (height) { XtSetArg(args[n], XmNheight, height); n++; }
    Widget form = XtCreateManagedWidget(name, xmFormWidgetClass, box, args, n);
    return form;
}

void make_field_row(Widget form, const char* label_name, Widget& label, const char* field_name, Widget& field,
                    Edge top, int label_right, const Binds& modify_verify)
{
    field = make_text_field(form, field_name, modify_verify);
    attach(field, top, to_form(label_right + 4), to_form(8));
    label = XtVaCreateManagedWidget(label_name, xmLabelWidgetClass, form,
                                    XmNalignment, XmALIGNMENT_END,
                                    XmNrecomputeSize, False,
                                    XmNwidth, label_right - 4,
                                    nullptr);
    attach(label, to_opposite(field), to_form(4), free_edge(), to_opposite(field));
}

Widget make_caption(Widget form, const char* name)
{
    Widget caption = PsCreateCaption(form, name, nullptr, 0);
    XtManageChild(caption);
    return caption;
}

void make_caption_row(Widget caption, const char* label_name, MessageId label_message, Widget& label,
                      const char* field_name, Widget& field, const Binds& modify_verify, short columns)
{
    label = make_label(caption, label_name, XmALIGNMENT_END);
    set_catalogue_label(label, label_message);
    field = make_text_field(caption, field_name, modify_verify, columns);
}
