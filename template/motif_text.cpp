#include "template/motif_text.h"

#include <Xm/TextF.h>

namespace motif_text {

std::string plain(XmString s) {
    if (!s) return std::string();
    char* text = static_cast<char*>(
        XmStringUnparse(s, nullptr, XmCHARSET_TEXT, XmCHARSET_TEXT, nullptr, 0, XmOUTPUT_ALL));
    std::string result = text ? text : "";
    XtFree(text);
    return result;
}

std::string field(Widget text_field) {
    if (!text_field) return std::string();
    char* text = XmTextFieldGetString(text_field);
    std::string result = text ? text : "";
    XtFree(text);
    return result;
}

void set_field(Widget text_field, const std::string& value) {
    if (text_field) XmTextFieldSetString(text_field, const_cast<char*>(value.c_str()));
}

std::string label(Widget w) {
    if (!w) return std::string();
    XmString s = nullptr;
    XtVaGetValues(w, XmNlabelString, &s, nullptr);
    std::string result = plain(s);
    if (s) XmStringFree(s);  // the resource is handed out as a copy
    return result;
}

}  // namespace motif_text
