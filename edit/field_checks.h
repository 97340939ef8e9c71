// Keystroke filters of the name and number fields, shared by every editor.
#ifndef TARNWRIGHT_EDIT_FIELD_CHECKS_H
#define TARNWRIGHT_EDIT_FIELD_CHECKS_H

#include <X11/Intrinsic.h>

#include <cstddef>
#include <string>

// Whether an insertion of these bytes may go into a name field: none of them is white space
// (space, tab, newline, vertical tab, form feed, carriage return). Deletions always pass.
bool name_insertion_allowed(const char* text, std::size_t length);
// Whether an insertion may go into a number field: digits 0 to 9 only.
bool number_insertion_allowed(const char* text, std::size_t length);

// 1 when the text is one word (blanks around it allowed) without invisible or control
// characters or look-alike scripts mixed. A second word is reported with "White space is not
// allowed in name." over parent, the others with their own texts; a blank text is refused
// silently, since every caller then shows its own "Please enter a name.". kept: the name
// is one already stored, to be changed or deleted, and need only be one word.
int valid_name(const std::string& text, Widget parent, bool kept = false);
// 1 when something but white space is left; otherwise "Please enter a description." over
// the main window's template area.
int valid_description(const char* descr);

#endif
