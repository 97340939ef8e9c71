// The viewer's page.
#include "help/viewer/help_page.h"

#include <Xm/Text.h>
#include <Xm/Xm.h>

#include <algorithm>

namespace help_page {
namespace {
String resources[] = {
    const_cast<char*>("Hyperhelp*renderTable: variable"),
    const_cast<char*>("Hyperhelp*renderTable.variable.fontType: FONT_IS_XFT"),
    const_cast<char*>("Hyperhelp*renderTable.variable.fontName: DejaVu Sans"),
    const_cast<char*>("Hyperhelp*renderTable.variable.fontSize: 10"),
    const_cast<char*>("Hyperhelp*page.width: 620"),
    const_cast<char*>("Hyperhelp*page.height: 560"),
    const_cast<char*>("Hyperhelp*page.marginWidth: 10"),
    const_cast<char*>("Hyperhelp*page.marginHeight: 8"),
    const_cast<char*>("Hyperhelp*find.columns: 20"),
    const_cast<char*>("Hyperhelp*contents.labelString: Contents"),
    const_cast<char*>("Hyperhelp*back.labelString: Back"),
    const_cast<char*>("Hyperhelp*findLabel.labelString: Find:"),
    const_cast<char*>("Hyperhelp*findNext.labelString: Find Next"),
    const_cast<char*>("Hyperhelp*close.labelString: Close"),
    const_cast<char*>("Hyperhelp*status.alignment: alignment_beginning"),
    nullptr,
};
}  // namespace

String* fallback_resources() { return resources; }

Widget create(Widget parent, const char* name) {
    Arg args[8];
    Cardinal n = 0;
    XtSetArg(args[n], XmNeditable, False), ++n;
    XtSetArg(args[n], XmNeditMode, XmMULTI_LINE_EDIT), ++n;
    XtSetArg(args[n], XmNwordWrap, True), ++n;
    XtSetArg(args[n], XmNscrollHorizontal, False), ++n;
    XtSetArg(args[n], XmNcursorPositionVisible, False), ++n;
    return XmCreateScrolledText(parent, const_cast<char*>(name), args, n);
}

void fill(Widget page, const help_text::Topic& topic) {
    // One redisplay for the lot, not one for the text and one for each link.
    XmTextDisableRedisplay(page);
    XmTextSetString(page, const_cast<char*>(topic.text.c_str()));
    std::size_t shown = std::min(topic.links.size(), MAX_UNDERLINED_LINKS);
    for (std::size_t i = 0; i < shown; ++i)
        XmTextSetHighlight(page, static_cast<XmTextPosition>(topic.links[i].start),
                           static_cast<XmTextPosition>(topic.links[i].end), XmHIGHLIGHT_SECONDARY_SELECTED);
    XmTextShowPosition(page, 0);
    XmTextSetInsertionPosition(page, 0);
    XmTextEnableRedisplay(page);
}

}  // namespace help_page
