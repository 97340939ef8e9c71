// Message dialogs over the Motif message box: error, question, warning and information.
// Objects are made with new by their users and deleted by the callback that answers them.
#ifndef TARNWRIGHT_UI_DIALOG_BOX_H
#define TARNWRIGHT_UI_DIALOG_BOX_H

#include <X11/Intrinsic.h>

#include "base/messages.h"

// Button numbers; any other number selects nothing.
constexpr int OK_BUTTON = 1;
constexpr int CANCEL_BUTTON = 2;
constexpr int HELP_BUTTON = 3;

class AppsDialogBox {
public:
    AppsDialogBox() = default;
    // Unmanages and destroys the dialog and its shell (unless X destroyed them already).
    virtual ~AppsDialogBox();
    AppsDialogBox(const AppsDialogBox&) = delete;
    AppsDialogBox& operator=(const AppsDialogBox&) = delete;

    virtual void setmessage(const char* text);  // "\n" starts a new line
    virtual void manage();
    virtual void unmanage();
    virtual void manage_button(int n);
    virtual void unmanage_button(int n);
    virtual void label_button(int n, const char* text);  // one line, as given
    virtual void add_callback(int n, XtCallbackProc proc, void* data);
    virtual void change_title(const char* text);

    // Null once the widget has been destroyed from outside (for example with its parent).
    Widget getwidget() const { return dialog; }

protected:
    using Creator = Widget (*)(Widget, String, ArgList, Cardinal);
    // Creates the message box; the derived constructors then style it.
    void create(Creator creator, Widget parent, const char* name);
    void set_modal();
    void set_shell_title_message(MessageId id);

    Widget dialog = nullptr;

private:
    static void widget_destroyed(Widget w, XtPointer self, XtPointer call);
};

class ErrDialogBox : public AppsDialogBox {
public:
    ErrDialogBox(Widget parent, const char* message);
    ~ErrDialogBox() override = default;
};

class QuestionDialogBox : public AppsDialogBox {
public:
    QuestionDialogBox(Widget parent, const char* message);
    ~QuestionDialogBox() override = default;
};

class WarningDialogBox : public AppsDialogBox {
public:
    WarningDialogBox(Widget parent, const char* message);
    ~WarningDialogBox() override = default;
};

class InformationDialogBox : public AppsDialogBox {
public:
    InformationDialogBox(Widget parent, const char* message);
    ~InformationDialogBox() override = default;
};

#endif
