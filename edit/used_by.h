// Where the server's conditions, severities and poll rates are used: the "Used by:" line of
// their windows, the refusal of a deletion the store turned down, and the warning that the
// open template, not saved as it is, uses what is about to be deleted.
#ifndef TARNWRIGHT_EDIT_USED_BY_H
#define TARNWRIGHT_EDIT_USED_BY_H

#include <string>

#include "analysis/analysis.h"

using UsedKind = varo::analysis::NameKind;

// "Used by: a, b" over the stored templates that name it, or the text saying none does.
std::string used_by_text(UsedKind kind, const std::string& name);
// The refusal of a deletion the store turned down as in use, followed by used_by_text.
std::string in_use_text(UsedKind kind, const std::string& name);
// Shows used_by_text under the list of the kind's window.
void show_users(UsedKind kind, const std::string& name);
// A deletion's question, with a warning when the open template, not saved as it is, uses it:
// the store cannot see that use, and the template could not be saved after the deletion.
std::string delete_question(UsedKind kind, const std::string& question, const std::string& name);

#endif
