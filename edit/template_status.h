// What every successful edit of the open template does last: mark it modified and say so
// in both status lines.
#ifndef TARNWRIGHT_EDIT_TEMPLATE_STATUS_H
#define TARNWRIGHT_EDIT_TEMPLATE_STATUS_H

#include <string>

// The open template's name; "" when none is open.
std::string template_name();
// Sets `modified` and shows message (set 2) `number` with the template name.
void mark_modified(int number);

#endif
