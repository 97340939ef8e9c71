// Owners for the strings Motif hands out, so that no path forgets to free one.
#ifndef TARNWRIGHT_UI_XM_STRING_H
#define TARNWRIGHT_UI_XM_STRING_H

#include <Xm/Xm.h>

#include <string>

// A localized compound string, freed when the owner goes.
class XmStr {
public:
    explicit XmStr(const char* text) : value(XmStringCreateLocalized(const_cast<char*>(text ? text : ""))) {}
    explicit XmStr(const std::string& text) : XmStr(text.c_str()) {}
    ~XmStr() { XmStringFree(value); }
    XmStr(const XmStr&) = delete;
    XmStr& operator=(const XmStr&) = delete;
    operator XmString() const { return value; }
    XtArgVal arg() const { return reinterpret_cast<XtArgVal>(value); }

private:
    XmString value;
};

// The one reader of compound strings: the plain text (segments joined, separators as "\n");
// "" for null.
std::string xm_string_text(XmString s);
// The text of a label's or button's XmNlabelString; "" for no widget.
std::string label_text(Widget w);
// The text of a text field, through XmTextFieldGetString, freed here; "" for no widget.
std::string field_text(Widget w);
void set_field_text(Widget w, const std::string& value);

#endif
