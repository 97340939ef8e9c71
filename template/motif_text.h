// Texts in and out of Motif widgets for the template views.
#ifndef TARNWRIGHT_TEMPLATE_MOTIF_TEXT_H
#define TARNWRIGHT_TEMPLATE_MOTIF_TEXT_H

#include <Xm/Xm.h>

#include <string>

namespace motif_text {

// Owns a localized compound string.
class Compound {
public:
    explicit Compound(const std::string& text) : value(XmStringCreateLocalized(const_cast<char*>(text.c_str()))) {}
    ~Compound() { XmStringFree(value); }
    Compound(const Compound&) = delete;
    Compound& operator=(const Compound&) = delete;
    operator XmString() const { return value; }  // NOLINT: handed straight to Motif

private:
    XmString value;
};

std::string plain(XmString s);          // "" for null
std::string field(Widget text_field);   // a text field's value
void set_field(Widget text_field, const std::string& value);
std::string label(Widget w);            // XmNlabelString as text

}  // namespace motif_text

#endif
