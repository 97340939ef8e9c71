#include "ui/xm_string.h"

#include <Xm/TextF.h>

namespace {
// Turns separators back into "\n" when unparsing; without it the lines run together.
XmParseTable separator_table()
{
    static XmParseMapping mapping = [] {
        XmString separator = XmStringSeparatorCreate();
        Arg args[4];
        Cardinal n = 0;
        XtSetArg(args[n], XmNincludeStatus, XmINSERT); ++n;
        XtSetArg(args[n], XmNpattern, const_cast<char*>("\n")); ++n;
        XtSetArg(args[n], XmNpatternType, XmCHARSET_TEXT); ++n;
        XtSetArg(args[n], XmNsubstitute, separator); ++n;
        XmParseMapping made = XmParseMappingCreate(args, n);
        XmStringFree(separator);
        return made;
    }();
    return &mapping;
}
}  // namespace

std::string xm_string_text(XmString s)
{
    if (!s) return "";
    char* text = static_cast<char*>(
        XmStringUnparse(s, nullptr, XmCHARSET_TEXT, XmCHARSET_TEXT, separator_table(), 1, XmOUTPUT_ALL));
    std::string result = text ? text : "";
    XtFree(text);
    return result;
}

std::string label_text(Widget w)
{
    if (!w) return "";
    XmString s = nullptr;
    XtVaGetValues(w, XmNlabelString, &s, nullptr);
    std::string result = xm_string_text(s);
    if (s) XmStringFree(s);  // Motif returns a copy of a label's string
    return result;
}

std::string field_text(Widget w)
{
    if (!w) return "";
    char* text = XmTextFieldGetString(w);
    std::string result = text ? text : "";
    XtFree(text);
    return result;
}

void set_field_text(Widget w, const std::string& value)
{
    if (w) XmTextFieldSetString(w, const_cast<char*>(value.c_str()));
}
