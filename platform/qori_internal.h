// Inside the request engine: the records behind the handles, the connection, and the
// helpers every operation uses to check its arguments and report a refusal.
#ifndef TARNWRIGHT_PLATFORM_QORI_INTERNAL_H
#define TARNWRIGHT_PLATFORM_QORI_INTERNAL_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/qori.h"
#include "varo/store.h"

namespace qori_detail {

enum ImageKind { IMAGE_TEMPLATE, IMAGE_SEVERITY, IMAGE_POLLRATE, IMAGE_CONDITION };

// A snapshot of one named object, as albums and finds return it.
struct ImageRecord {
    ImageKind kind;
    std::string name;
    std::string descr;
    int value = 0;  // severity value or poll rate
    std::string color;
    // A condition's code, read when first asked for: album reads leave it out.
    mutable std::string code;
    mutable bool code_read = true;
};

struct ActionRecord {
    std::string kind;
    std::string arg0;
    std::string arg1;
};

struct TemplateCopy;

struct StateRecord {
    std::weak_ptr<TemplateCopy> owner;
    bool removed = false;  // deleted from its working copy; the handle stays readable
    std::string name, descr, severity, poll_rate;
    // Set by set_severity / set_poll_rate, applied by Store.
    bool severity_staged = false, poll_rate_staged = false;
    std::string staged_severity, staged_poll_rate;
    // The state's place in the diagram; none until it is moved or arranged.
    bool placed = false;
    int x = 0, y = 0;
};

struct TransitionRecord {
    std::weak_ptr<TemplateCopy> owner;
    bool removed = false;
    std::shared_ptr<StateRecord> from, to;
    std::string condition;
    std::vector<std::shared_ptr<const ActionRecord>> actions;
};

// One client's working copy of a template. Transitions are kept in one list; the
// order of those leaving one state is the order shown and moved.
struct TemplateCopy {
    std::string name, descr;
    std::string stored_as;     // the stored template this copy was read from or saved to
    std::int64_t version = 0;  // of stored_as when read or last saved; 0 when never stored
    // What stored_as held when read or last saved, to tell it from one deleted and stored anew.
    std::shared_ptr<const varo::TemplateDef> stored_contents;
    // Another client changed or deleted stored_as since: saving in place is refused.
    QoriStoredFate stale = QORI_STORED_SAME;
    std::vector<std::shared_ptr<StateRecord>> states;
    std::vector<std::shared_ptr<TransitionRecord>> transitions;

    static std::shared_ptr<TemplateCopy> from_def(const varo::TemplateDef& def);
    // Replaces the states and transitions by those of def (the records of the old ones
    // are marked removed).
    void fill(const std::shared_ptr<TemplateCopy>& self, const varo::TemplateDef& def);
    varo::TemplateDef to_def(const std::string& as_name, const std::string& as_descr) const;
    std::shared_ptr<StateRecord> find_state(const std::string& state) const;
    std::shared_ptr<TransitionRecord> find_transition(const StateRecord* from, const StateRecord* to,
                                                      const std::string& condition) const;
    void remove_state(const std::shared_ptr<StateRecord>& state);
    void remove_transition(const std::shared_ptr<TransitionRecord>& transition);

    // Handle makers for the friends of the handle classes.
    static Qor_State state_handle(std::shared_ptr<StateRecord> r);
    static Qor_Transition transition_handle(std::shared_ptr<TransitionRecord> r);
    static Qor_AInstance action_handle(std::shared_ptr<const ActionRecord> r);
    static const std::shared_ptr<StateRecord>& state_record(const Qor_State& s);
    static const std::shared_ptr<TransitionRecord>& transition_record(const Qor_Transition& t);
};

// The connection and the notifications waiting for the next dispatch.
struct Engine {
    std::unique_ptr<varo::Store> store;
    bool lost = false;               // a call found the store unreachable
    bool disconnect_raised = false;  // "DISCONNECTED" raised once for this connection
    bool pending[4] = {false, false, false, false};  // by QoriAlbumKind
    QoriAlbumNews news[4];                          // what pending holds, by name where known
    const QoriAlbumNews* dispatching[4] = {nullptr, nullptr, nullptr, nullptr};  // during callbacks
    std::vector<Callback> album_callbacks[4];
    bool rights_pending = false;  // the store said memberships changed
    std::vector<Callback> rights_callbacks;
};
Engine& engine();

// Error codes recorded on the global Error.
enum ErrorCode {
    ERR_INVALID = QORI_REFUSED_INVALID,
    ERR_NOT_FOUND = QORI_REFUSED_NOT_FOUND,
    ERR_EXISTS = QORI_REFUSED_EXISTS,
    ERR_IN_USE = QORI_REFUSED_IN_USE,
    ERR_RUNNING = QORI_REFUSED_RUNNING,
    ERR_CONFLICT = QORI_REFUSED_CONFLICT,
    ERR_UNAVAILABLE = QORI_REFUSED_UNAVAILABLE,
    ERR_CORRUPT = QORI_REFUSED_CORRUPT,
    ERR_NOT_CONNECTED = QORI_REFUSED_NOT_CONNECTED,
    ERR_INTERNAL = QORI_REFUSED_INTERNAL,
    ERR_BUSY = QORI_REFUSED_BUSY,
    ERR_INCOMPLETE = QORI_REFUSED_INCOMPLETE
};

// Writes text into qori_error_str (bounded, cut on a character boundary), records it
// on `error` (which calls the hook) and returns false, so refusals read `return refuse(...)`.
bool refuse(int code, const std::string& text);
int code_for(varo::StoreError::Kind kind);

// Runs fn(store). A StoreError is refused with its text, prefixed by `what` when given;
// Unavailable also marks the connection lost. Returns whether fn completed.
template <class Fn>
bool with_store(const std::string& what, Fn&& fn);

// Argument checks: each refuses and returns false when the value is not acceptable.
bool check_name(const char* what, const char* name);
bool check_descr(const char* what, const char* descr);
bool check_range(const char* what, int value);

// Marks an album changed by this client (the object named, or the whole album when the name
// is empty), so its callbacks run at the next dispatch even when the backend does not report
// a client's own writes.
void mark_changed(QoriAlbumKind kind, const std::string& name = std::string());

// "'name'", with an overlong name shortened so that the texts stay readable.
std::string quoted(const std::string& name);

bool refuse_store_error(const std::string& what, const varo::StoreError& e);

// Copies text into out (size bytes), cut on a UTF-8 character boundary, always terminated.
void copy_cut(char* out, std::size_t size, const std::string& text);

template <class Fn>
bool with_store(const std::string& what, Fn&& fn) {
    Engine& e = engine();
    if (!e.store) return refuse(ERR_NOT_CONNECTED, "Not connected to Varo");
    try {
        fn(*e.store);
        return true;
    } catch (const varo::StoreError& err) {
        return refuse_store_error(what, err);
    } catch (const std::exception& err) {
        return refuse(ERR_INTERNAL, what.empty() ? err.what() : what + ": " + err.what());
    }
}

}  // namespace qori_detail

#endif
