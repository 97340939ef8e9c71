// Template analysis in the editor: the check dialog, the simulation window, and the
// templates that use a condition. The analysis itself is analysis/analysis.h.
#ifndef TARNWRIGHT_EDIT_ANALYSIS_CALLBACKS_H
#define TARNWRIGHT_EDIT_ANALYSIS_CALLBACKS_H

#include <string>

// "Used by: a, b" over the stored templates that name the condition (as trigger or as a
// raised condition), or the text saying none does.
std::string condition_used_by_text(const std::string& name);
// The in-use refusal of a condition delete followed by the templates that use it.
std::string condition_in_use_text(const std::string& name);
// Shows condition_used_by_text in the condition window's ct_used_by_label.
void show_condition_users(const std::string& name);

#endif
