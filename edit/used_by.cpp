#include "edit/used_by.h"

#include <vector>

#include "base/messages.h"
#include "template/template_model.h"
#include "template/template_snapshot.h"
#include "ui/gui_utils.h"
#include "ui/widgets.h"

namespace an = varo::analysis;

namespace {

struct KindTexts {
    UsedKind kind;
    MessageId in_use;
    Widget* used_by_label;
};
const KindTexts kinds[] = {
    {UsedKind::Condition, msg::CONDITION_IN_USE, &ct_used_by_label},
    {UsedKind::Severity, msg::SEVERITY_IN_USE, &severity_used_by_label},
    {UsedKind::PollRate, msg::POLL_RATE_IN_USE, &pollrate_used_by_label},
};

const KindTexts& texts_of(UsedKind kind) {
    for (const KindTexts& k : kinds)
        if (k.kind == kind) return k;
    return kinds[0];
}

}  // namespace

std::string used_by_text(UsedKind kind, const std::string& name) {
    std::vector<std::string> users = an::template_names(an::find_uses(stored_definitions(), kind, name));
    if (users.empty()) return message_text(msg::USED_BY_NONE);
    std::string list;
    for (const std::string& u : users) list += (list.empty() ? "" : ", ") + u;
    return format_message(msg::USED_BY, {list});
}

std::string in_use_text(UsedKind kind, const std::string& name) {
    return std::string(message_text(texts_of(kind).in_use)) + "\n" + used_by_text(kind, name);
}

void show_users(UsedKind kind, const std::string& name) {
    Widget label = *texts_of(kind).used_by_label;
    if (label) set_string(label, used_by_text(kind, name).c_str());
}

std::string delete_question(UsedKind kind, const std::string& question, const std::string& name) {
    bool unsaved = qor_handle.is_valid() && (modified || !qor_handle.stored_name());
    if (!unsaved || an::find_uses({definition_of(qor_handle)}, kind, name).empty()) return question;
    return question + "\n" + format_message(msg::OPEN_TEMPLATE_USES, {template_name()});
}
