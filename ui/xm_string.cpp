#include "ui/xm_string.h"

#include <Xm/TextF.h>

std::string xm_string_text(XmString s)
{
    if (!s) return "";
    char* text = static_cast<char*>(XmStringUnparse(s, nullptr, XmCHARSET_TEXT, XmCHARSET_TEXT, nullptr, 0, XmOUTPUT_ALL));
    std::string result = text ? text : "";
    XtFree(text);
    return result;
}

std::string label_text(Widget w)
{
    XmString s = nullptr;
    XtVaGetValues(w, XmNlabelString, &s, nullptr);
    std::string result = xm_string_text(s);
    XmStringFree(s);  // Motif returns a copy of a label's string
    return result;
}

std::string field_text(Widget w)
{
    char* text = XmTextFieldGetString(w);
    std::string result = text ? text : "";
    XtFree(text);
    return result;
}
