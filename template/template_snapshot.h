// The open template and the server's names as plain values, for the analysis that
// varoctl shares (analysis/analysis.h). Read through the request engine; no toolkit.
#ifndef TARNWRIGHT_TEMPLATE_TEMPLATE_SNAPSHOT_H
#define TARNWRIGHT_TEMPLATE_TEMPLATE_SNAPSHOT_H

#include <vector>

#include "platform/qori.h"
#include "analysis/analysis.h"

// A template's working copy: states, transitions and actions in stored order.
varo::TemplateDef definition_of(const Qor_Defn& t);
// The severities, poll rates and conditions the server holds now.
varo::analysis::ServerNames server_names_now();
// Every stored template as it is stored (not as any working copy holds it).
std::vector<varo::TemplateDef> stored_definitions();

#endif
