// Reading and writing the lines of a Motif list.
#ifndef TARNWRIGHT_UI_LIST_ITEMS_H
#define TARNWRIGHT_UI_LIST_ITEMS_H

#include <X11/Intrinsic.h>

#include <string>
#include <vector>

// The list's items as texts, in order.
std::vector<std::string> list_lines(Widget list);
// Replaces every item of the list by these lines, added in one call.
void set_list_lines(Widget list, const std::vector<std::string>& lines);
// set_list_lines, each line drawn in the rendition its tag names in the list's render table
// (null: the list's own).
void set_list_lines(Widget list, const std::vector<std::string>& lines, const std::vector<const char*>& renditions);
// The same for a list kept in strcmp order, given its lines in that order: when the list still
// holds what this last gave it, only the lines that differ are taken out or put in (a refresh
// of a long album that changed by a few lines costs little more than its reading); the
// selection is cleared, as in a list built anew.
void set_sorted_list_lines(Widget list, std::vector<std::string> lines);
// In a list of lines in strcmp order, each led by its name: takes out the line of that
// name, if any, and puts `line` (when given) at its sorted place. False, and nothing done,
// when the list is found out of that order (build it whole then).
bool put_list_line(Widget list, const std::string& name, const std::string* line);
// Inserts one line in strcmp order: before the first item that sorts after it, else at
// the end (so equal lines go after the existing one).
void add_string(Widget list, const char* text);

#endif
