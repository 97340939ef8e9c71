// The store's exchange file: every severity, poll rate, condition and template (or one
// template with what it names) as pretty-printed JSON with a format version, and back.
#ifndef TARNWRIGHT_VARO_TRANSFER_H
#define TARNWRIGHT_VARO_TRANSFER_H

#include <optional>
#include <string>

#include "varo/store.h"

namespace varo {

constexpr const char* kTransferFormat = "tarnwright-varo";
// 2 adds the optional diagram position ("x", "y") of a state; written only when one is set.
// 3 adds "history", the templates' earlier versions; written only when asked for.
constexpr int kTransferVersion = 3;

// The whole store, or only the named template with the severities, poll rates and
// conditions it names (so the file can be imported elsewhere). Lists are in name order and
// keys in a fixed order, so the same contents always give the same bytes.
// Throws StoreError(NotFound) for a template that does not exist. With history, the file
// also holds every version of each template (of deleted ones too, for the whole store),
// oldest first.
std::string export_json(Store& store, const std::optional<std::string>& template_name = std::nullopt,
                        bool with_history = false);

// One template alone (a working copy), as an exchange file without what it names.
std::string template_exchange_json(const TemplateDef& def);

// How a template is read. An import holds it to the rules of today. A copy this program wrote
// itself (a recovery journal, a version in the history) is read back as written: it may keep
// names from before the rules, or an operand holding a double quote stored before it was refused,
// and refusing it would lose it; the store checks it, under the names it keeps, when it is saved.
enum class Reading { Import, AsWritten };

// Reads an exchange file, checking its shape and each object. Throws StoreError(Invalid)
// saying where it is wrong: "line 3, column 14: ..." for bad JSON, a JSON pointer such as
// "/templates/0/states/2/severity: ..." for a bad value.
StoreContents parse_transfer(const std::string& text, Reading reading = Reading::Import);

// parse_transfer, then one transaction adding or replacing everything in it: a bad file
// changes nothing. The file's history is taken only when asked for.
void import_json(Store& store, const std::string& text, bool with_history = false);

// One template as the exchange file writes it (compact), and back: how the history keeps
// each version. Throws StoreError(Invalid) for a text that is not one.
std::string template_text(const TemplateDef& def);
TemplateDef template_from_text(const std::string& text);

}  // namespace varo

#endif
