// Building blocks shared by the window creation units: callback bindings, form attachments,
// the common controls, menus, option menus and the message-box dialog pattern.
#ifndef TARNWRIGHT_UI_BUILD_HELPERS_H
#define TARNWRIGHT_UI_BUILD_HELPERS_H

#include <Xm/Xm.h>

#include <vector>

#include "base/messages.h"
#include "ui/links.h"

// One callback bound to a control. target, when set, is the address of the global widget
// variable passed as client data (the link callbacks read it when they run).
struct Bind {
    XtCallbackProc proc;
    Widget* target;
};
using Binds = std::vector<Bind>;

inline Bind show(Widget& w) { return {XDmanage_link, &w}; }
inline Bind hide(Widget& w) { return {XDunmanage_link, &w}; }
inline Bind popup(Widget& w) { return {XDpopup_link, &w}; }
inline Bind popdown(Widget& w) { return {XDpopdown_link, &w}; }
inline Bind call(XtCallbackProc proc) { return {proc, nullptr}; }

// Adds the bindings to the callback list, in order.
void bind(Widget w, const char* callback_list, const Binds& binds);

// One edge of a form child's attachment.
struct Edge {
    unsigned char type;
    Widget widget;
    int offset;
    int position;
};
inline Edge free_edge() { return {XmATTACH_NONE, nullptr, 0, 0}; }
inline Edge to_form(int offset = 0) { return {XmATTACH_FORM, nullptr, offset, 0}; }
inline Edge to_widget(Widget w, int offset = 0) { return {XmATTACH_WIDGET, w, offset, 0}; }
inline Edge to_opposite(Widget w, int offset = 0) { return {XmATTACH_OPPOSITE_WIDGET, w, offset, 0}; }
inline Edge to_position(int position, int offset = 0) { return {XmATTACH_POSITION, nullptr, offset, position}; }
// The edge is held at offset from the form's opposite edge (a bottom edge from its top).
inline Edge to_opposite_form(int offset = 0) { return {XmATTACH_OPPOSITE_FORM, nullptr, offset, 0}; }

void attach(Widget w, Edge top, Edge left, Edge right = free_edge(), Edge bottom = free_edge());

// Managed controls. Texts come from the resource file unless set by the caller.
Widget make_push_button(Widget parent, const char* name, const Binds& activate = {});
// Stores w in *global and clears *global when w is destroyed (an option-menu rebuild
// destroys the entries it does not recreate), so the global never dangles.
Widget keep_in(Widget* global, Widget w);
Widget make_toggle(Widget parent, const char* name, const Binds& value_changed = {});
Widget make_label(Widget parent, const char* name, unsigned char alignment = XmALIGNMENT_BEGINNING);
// A left-aligned label whose text, set at run time, may be longer than its window is wide:
// it takes the width its form gives it and shows what fits, instead of widening the window.
Widget make_status_label(Widget parent, const char* name);
Widget make_text_field(Widget parent, const char* name, const Binds& modify_verify = {}, short columns = 0);
Widget make_separator(Widget parent, const char* name, unsigned char orientation = XmHORIZONTAL);
// A scrolled list; the scrolled window Motif puts around it goes into *scrolled_window.
// The bindings go on the browse-selection callback.
Widget make_scrolled_list(Widget parent, const char* name, int visible_items, unsigned char selection_policy,
                          const Binds& browse, Widget* scrolled_window = nullptr);
// A push button showing a pixmap, normal and insensitive.
Widget make_icon_button(Widget parent, const char* name, Pixmap icon, const Binds& activate);

// Sets a label's or button's text from the message catalogue (set 2).
void set_catalogue_label(Widget w, MessageId number);
// Sets a dialog shell's title from the message catalogue (set 2).
void set_catalogue_title(Widget shell, MessageId number);

// A pulldown menu pane and the cascade button that opens it.
Widget make_pulldown(Widget parent, const char* name);
Widget make_cascade(Widget menu_bar, const char* name, Widget pulldown);

// An option menu in a form with its pulldown; its label and button gadgets go into the
// given variables, and it is placed at the fixed offsets its later rebuilds also use.
struct OptionMenuParts {
    Widget* pulldown;
    Widget* label;   // may be null
    Widget* option;  // may be null
};
Widget make_option_menu(Widget form, const char* name, const char* pulldown_name, const OptionMenuParts& parts,
                        int top, int left, Edge bottom = free_edge());

// The dialog pattern: a dialog shell holding a template message box whose push buttons
// form the action area. The message box is returned unmanaged (shown later by a link).
struct DialogSpec {
    const char* shell_name;
    const char* box_name;
    bool allow_shell_resize;
    Dimension width;   // of the message box; 0 leaves it to its children
    Dimension height;
    MessageId title_message{};  // the shell title; none for the resource file's
};
Widget make_dialog(Widget parent, const DialogSpec& layout, Widget& shell, Widget* separator = nullptr);

// Action-area buttons of a message box, in order.
struct ActionButton {
    const char* name;
    Widget* variable;
    Binds activate;
    MessageId label_message{};  // none for the resource file's label
};
void make_action_buttons(Widget box, const std::vector<ActionButton>& buttons);

// A work-area form for a message box.
Widget make_work_form(Widget box, const char* name, Dimension width = 0, Dimension height = 0);

// A caption label and its text field as one aligned row of a form: the label is right-
// aligned in a column ending at label_right pixels from the form's left edge, the field
// runs from there to the right edge, and the label is centred on the field.
void make_field_row(Widget form, const char* label_name, Widget& label, const char* field_name, Widget& field,
                    Edge top, int label_right, const Binds& modify_verify = {});

// A caption widget (PsCaption) managed in a form, and one of its rows: a label with a
// catalogue text and a text field.
Widget make_caption(Widget form, const char* name);
void make_caption_row(Widget caption, const char* label_name, MessageId label_message, Widget& label,
                      const char* field_name, Widget& field, const Binds& modify_verify, short columns);

#endif
