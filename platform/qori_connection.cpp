// The engine's connection to Varo and the dispatch of its notifications.
#include "platform/qori_internal.h"

Platform _qor_dimons3g;

namespace qori_detail {

Engine& engine() {
    static Engine the_engine;
    return the_engine;
}

namespace {
void add_news(QoriAlbumNews& news, const std::string& name, char kind) {
    if (news.whole) return;
    for (auto& n : news.names)
        if (n.first == name) {
            n.second = kind;
            return;
        }
    news.names.emplace_back(name, kind);
}
}  // namespace

void mark_changed(QoriAlbumKind kind, const std::string& name) {
    Engine& e = engine();
    if (name.empty())
        e.news[kind].whole = true;
    else
        add_news(e.news[kind], name, '~');
    e.pending[kind] = true;
}

namespace {
void forget_pending(Engine& e) {
    for (bool& p : e.pending) p = false;
    e.rights_pending = false;
    for (QoriAlbumNews& n : e.news) n = QoriAlbumNews{};
    e.lost = false;
    e.disconnect_raised = false;
}

// Collects what the store reports into the pending flags. Never waits.
void poll_store(Engine& e) {
    if (!e.store || e.lost) return;
    try {
        varo::ChangeReport report = e.store->poll_changes();
        for (int kind = 0; kind < 4; ++kind) {
            const auto album = static_cast<varo::Album>(kind);
            if (!report.changed(album)) continue;
            e.pending[kind] = true;
            if (!report.named_only(album)) e.news[kind].whole = true;
            for (const auto& n : report.names[kind]) add_news(e.news[kind], n.name, n.kind);
        }
        if (report.rights) e.rights_pending = true;
        if (report.disconnected) e.lost = true;
    } catch (const varo::StoreError& err) {
        refuse_store_error("Polling Varo for changes", err);
    } catch (const std::exception& err) {
        refuse(ERR_INTERNAL, std::string("Polling Varo for changes: ") + err.what());
    }
}
}  // namespace

}  // namespace qori_detail

using namespace qori_detail;

char qori_init(const char* host) {
    Engine& e = engine();
    e.store.reset();
    forget_pending(e);
    std::string address;
    try {
        address = varo::store_address_for_host(host ? host : "");
        return qori_attach_store(varo::open_store(address));
    } catch (const std::exception& err) {
        return refuse(ERR_UNAVAILABLE, std::string("Cannot open Varo: ") + err.what());
    }
}

char qori_attach_store(std::unique_ptr<varo::Store> store) {
    Engine& e = engine();
    forget_pending(e);
    e.store = std::move(store);
    if (!e.store) return refuse(ERR_NOT_CONNECTED, "Not connected to Varo");
    // What changed before this client connected is no news to it.
    try {
        (void)e.store->poll_changes();
    } catch (const varo::StoreError& err) {
        e.store.reset();
        return refuse_store_error("Cannot open Varo", err);
    } catch (const std::exception& err) {
        e.store.reset();
        return refuse(ERR_INTERNAL, std::string("Cannot open Varo: ") + err.what());
    }
    return 1;
}

void qori_shutdown() {
    Engine& e = engine();
    e.store.reset();
    forget_pending(e);
    for (auto& callbacks : e.album_callbacks) callbacks.clear();
    e.rights_callbacks.clear();
    _qor_dimons3g.clear();
}

bool qori_connected() {
    const Engine& e = engine();
    return e.store != nullptr && !e.lost;
}

const char* qori_store_description() {
    // Kept, so the text outlives the call; a lost connection still names its store.
    static std::string described;
    const Engine& e = engine();
    described = e.store ? e.store->describe() : std::string();
    return described.c_str();
}

int qori_notification_fd() {
    const Engine& e = engine();
    return e.store && !e.lost ? e.store->notification_fd() : -1;
}

void dispatch_recursive(int /*depth*/) {
    Engine& e = engine();
    poll_store(e);
    for (int kind = 0; kind < 4; ++kind) {
        if (!e.pending[kind]) continue;
        // Cleared before running, so that a nested dispatch does not run these again;
        // copied, so that callbacks may register more.
        e.pending[kind] = false;
        QoriAlbumNews news = std::move(e.news[kind]);
        e.news[kind] = QoriAlbumNews{};
        if (news.names.empty()) news.whole = true;
        struct Telling {  // the news stays readable for these callbacks alone
            const QoriAlbumNews*& slot;
            const QoriAlbumNews* outer;
            ~Telling() { slot = outer; }
        } telling{e.dispatching[kind], e.dispatching[kind]};
        e.dispatching[kind] = &news;
        std::vector<Callback> due = e.album_callbacks[kind];
        for (const Callback& cb : due) cb.invoke(nullptr);
    }
    if (e.rights_pending) {
        e.rights_pending = false;
        std::vector<Callback> due = e.rights_callbacks;
        for (const Callback& cb : due) cb.invoke(nullptr);
    }
    if (e.lost && !e.disconnect_raised) {
        e.disconnect_raised = true;
        _qor_dimons3g.raise("DISCONNECTED");
    }
    _qor_dimons3g.run_pending();
}

char qori_rights(QoriRights& rights) {
    return with_store("Asking Varo what this role may change", [&](varo::Store& store) {
        varo::Rights r = store.rights();
        rights = {r.role, r.templates, r.server_objects};
    });
}

void qori_rights_callback(const Callback& callback) { engine().rights_callbacks.push_back(callback); }

const QoriAlbumNews& qori_album_news(QoriAlbumKind kind) {
    static const QoriAlbumNews whole{true, {}};
    const QoriAlbumNews* news = engine().dispatching[kind];
    return news ? *news : whole;
}
