#include "template/store_rights.h"

#include "base/messages.h"
#include "template/template_change.h"

namespace {
QoriRights& current() {
    static QoriRights rights;
    return rights;
}
bool asked = false;
}  // namespace

const QoriRights& store_rights() { return current(); }

void forget_store_rights() {
    current() = QoriRights{};
    asked = false;
}

void read_store_rights() {
    QoriRights now;
    if (!qori_rights(now)) return;
    QoriRights& last = current();
    // The first answer is news only when it takes something away: every control starts usable.
    bool news = asked ? now.role != last.role || now.templates != last.templates ||
                            now.server_objects != last.server_objects
                      : !now.templates || !now.server_objects;
    last = now;
    asked = true;
    if (news) announce({Change::Rights});
}

std::string read_only_text() {
    const QoriRights& r = current();
    if (!r.templates) return format_message(msg::READ_ONLY_TEMPLATES, {r.role});
    if (!r.server_objects) return format_message(msg::READ_ONLY_SERVER_OBJECTS, {r.role});
    return "";
}
