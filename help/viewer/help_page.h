// The viewer's page: a scrolled, word-wrapping, read-only text showing one topic with its
// links highlighted. Shared by the viewer and its benchmark.
#ifndef TARNWRIGHT_HELP_VIEWER_HELP_PAGE_H
#define TARNWRIGHT_HELP_VIEWER_HELP_PAGE_H

#include <X11/Intrinsic.h>

#include <cstddef>

#include "help/viewer/help_text.h"

namespace help_page {

// The viewer's labels, sizes and font (class "Hyperhelp"; an app-defaults file may override
// them), null-terminated.
String* fallback_resources();
// The text widget (inside its scrolled window, which is managed by the caller's layout).
Widget create(Widget parent, const char* name);
// Each link underlined costs the text widget a walk over all the page's underlines, so only
// the first ones are; the others work all the same.
constexpr std::size_t MAX_UNDERLINED_LINKS = 2000;

// Shows the topic from its top.
void fill(Widget page, const help_text::Topic& topic);

}  // namespace help_page

#endif
