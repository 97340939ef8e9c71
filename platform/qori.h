// The request engine (qori): templates, states, transitions, actions, severities,
// poll rates and conditions in Varo, as the editor calls them.
//
// A template handle from qori_template_create or qori_template_find is a working copy
// held by this client; the qori_state_*, qori_transition_* calls and the state and
// transition member functions change only that copy. qori_template_add,
// qori_template_store, qori_template_copy and qori_template_replace write the whole
// definition to the store in one transaction; so do the *_replace calls of severities,
// poll rates and conditions for one object. Copies of a handle share one working copy.
//
// Every failing call returns a null handle or a zero flag, writes a text into
// qori_error_str (cut to fit on a character boundary) and records the error on the global
// Error `error` (which calls the error hook). Names are one word of at most QORI_NAME_MAX
// bytes, descriptions at most QORI_DESCR_MAX bytes, values and rates QORI_VALUE_MIN to
// QORI_VALUE_MAX; a named state, condition, severity or poll rate must exist. A call that
// finds the store unreachable fails, and the next dispatch raises "DISCONNECTED".
#ifndef TARNWRIGHT_PLATFORM_QORI_H
#define TARNWRIGHT_PLATFORM_QORI_H

#include <memory>
#include <string>
#include <optional>
#include <utility>
#include <vector>

#include "platform/vorn.h"

namespace varo {
class Store;
struct TemplateDef;
struct TemplateVersion;
}

namespace qori_detail {
struct TemplateCopy;
struct StateRecord;
struct TransitionRecord;
struct ActionRecord;
struct ImageRecord;
}  // namespace qori_detail

// Longest name and description the engine accepts.
enum { QORI_NAME_MAX = 64, QORI_DESCR_MAX = 255, QORI_VALUE_MIN = 1, QORI_VALUE_MAX = 32767, QORI_POSITION_MAX = 32767 };

extern char qori_error_str[100];
// The last refusal's whole text, of which qori_error_str holds the start ("" before any).
const char* qori_error_text();
// The kind of the last refusal, beside its text in qori_error_str (0 before any).
enum QoriRefusal {
    QORI_REFUSED_INVALID = 1,
    QORI_REFUSED_NOT_FOUND,
    QORI_REFUSED_EXISTS,
    QORI_REFUSED_IN_USE,
    QORI_REFUSED_RUNNING,
    QORI_REFUSED_CONFLICT,  // the stored template changed since the working copy was read
    QORI_REFUSED_UNAVAILABLE,
    QORI_REFUSED_CORRUPT,
    QORI_REFUSED_NOT_CONNECTED,
    QORI_REFUSED_INTERNAL,
    QORI_REFUSED_BUSY,       // the store could not take this write now; the connection stays
    QORI_REFUSED_INCOMPLETE  // the template lacks what every stored one has (a state)
};
extern int qori_error_kind;

// A named object of Varo read as a snapshot: a template summary, severity, poll rate or
// condition. name() and descr() of a null handle are null pointers.
class Qor_GenericImage {
public:
    Qor_GenericImage() = default;
    bool is_valid() const { return rec != nullptr; }
    const char* name() const;
    const char* descr() const;

protected:
    friend struct qori_detail::ImageRecord;
    explicit Qor_GenericImage(std::shared_ptr<const qori_detail::ImageRecord> r) : rec(std::move(r)) {}
    std::shared_ptr<const qori_detail::ImageRecord> rec;

public:
    const std::shared_ptr<const qori_detail::ImageRecord>& record() const { return rec; }
    static Qor_GenericImage from_record(std::shared_ptr<const qori_detail::ImageRecord> r) {
        return Qor_GenericImage(std::move(r));
    }
};

typedef QueueImpl<Qor_GenericImage> DataElemQueue;

class Qor_Severity : public Qor_GenericImage {
public:
    Qor_Severity() = default;
    explicit Qor_Severity(const Qor_GenericImage& image);  // null unless image is a severity
    int value() const;          // 0 for a null handle
    const char* color() const;  // "" for a null handle
};

class Qor_PollRate : public Qor_GenericImage {
public:
    Qor_PollRate() = default;
    explicit Qor_PollRate(const Qor_GenericImage& image);
    int rate() const;  // 0 for a null handle
};

class Qor_Cond : public Qor_GenericImage {
public:
    Qor_Cond() = default;
    explicit Qor_Cond(const Qor_GenericImage& image);
    const char* code() const;  // "" for a null handle
};

class Qor_State;
class Qor_Transition;
class Qor_AInstance;
typedef QueueImpl<Qor_State> Qor_StateQueue;
typedef QueueImpl<Qor_Transition> Qor_TransitionQueue;
typedef QueueImpl<Qor_AInstance> Qor_AInstanceQueue;

// An action of a transition: its kind ("COMMAND", "MAIL", "CONDITION") and two arguments.
class Qor_AInstance {
public:
    Qor_AInstance() = default;
    bool is_valid() const { return rec != nullptr; }
    const char* name() const;  // the kind; null for a null handle
    DataUnit arg(int index) const;  // 0 or 1; the empty value otherwise

private:
    friend struct qori_detail::TemplateCopy;
    std::shared_ptr<const qori_detail::ActionRecord> rec;
};

// A state of a working copy. States compare by identity.
class Qor_State {
public:
    Qor_State() = default;
    bool is_valid() const { return rec != nullptr; }
    const char* name() const;
    const char* descr() const;
    const char* severity() const;
    const char* poll_rate() const;
    bool operator==(const Qor_State& o) const { return rec == o.rec; }
    bool operator!=(const Qor_State& o) const { return rec != o.rec; }

    // Staged changes, applied to the working copy by Store(). The second argument is
    // an empty value kept for the callers' sake.
    char set_poll_rate(const DataUnit& poll_rate, const DataUnit& unused);
    char set_severity(const DataUnit& severity, const DataUnit& unused);
    char Store(const DataUnit& unused);

    // The state's place in the diagram (the corner of its circle's box, in pixels), kept in
    // the working copy and saved with it. position() gives 0 when the state has none (the
    // diagram then places it); set_position refuses coordinates outside 0 to QORI_POSITION_MAX.
    char position(int* x, int* y) const;
    char set_position(int x, int y);

    // Transitions of this state's template in stored order: those leaving `from`
    // (every transition when `from` is null), limited to those entering `to` unless
    // `to` is null.
    char get_transitionsq(Qor_TransitionQueue& queue, const Qor_State& from, const Qor_State& to) const;
    // The transition leaving this state to `to` triggered by `condition`, or null.
    Qor_Transition find_transition(const char* condition, const Qor_State& to) const;
    // Move a transition leaving this state one place earlier or later among the
    // transitions leaving it; refused at the ends.
    char move_up(const Qor_Transition& transition);
    char move_down(const Qor_Transition& transition);

private:
    friend struct qori_detail::TemplateCopy;
    std::shared_ptr<qori_detail::StateRecord> rec;
};

// A transition of a working copy; its name is the name of its condition.
class Qor_Transition {
public:
    Qor_Transition() = default;
    bool is_valid() const { return rec != nullptr; }
    const char* name() const;
    Qor_State from_state() const;
    Qor_State to_state() const;
    char get_aiq(Qor_AInstanceQueue& queue) const;  // actions in stored order
    bool operator==(const Qor_Transition& o) const { return rec == o.rec; }

private:
    friend struct qori_detail::TemplateCopy;
    std::shared_ptr<qori_detail::TransitionRecord> rec;
};

// A template: a working copy held by this client.
class Qor_Defn {
public:
    Qor_Defn() = default;
    bool is_valid() const { return copy != nullptr; }
    const char* name() const;   // null for a null handle
    const char* descr() const;  // null for a null handle
    char get_statesq(Qor_StateQueue& queue) const;  // states in stored order
    Qor_State find_state(const char* name) const;
    // Whether this copy has been stored, and under which name (null when not).
    const char* stored_name() const;
    long long stored_version() const;  // of stored_name when read or last saved; 0 when not stored

    const std::shared_ptr<qori_detail::TemplateCopy>& working_copy() const { return copy; }
    explicit Qor_Defn(std::shared_ptr<qori_detail::TemplateCopy> c) : copy(std::move(c)) {}

private:
    std::shared_ptr<qori_detail::TemplateCopy> copy;
};

// The contents of a working copy at one moment (its states, transitions and actions, with
// everything the copy holds for them), for undo. Later edits of the copy do not reach it.
class Qor_Snapshot {
public:
    Qor_Snapshot() = default;
    bool is_valid() const { return def != nullptr; }
    bool operator==(const Qor_Snapshot& o) const;  // the same contents; two null ones are equal
    bool operator!=(const Qor_Snapshot& o) const { return !(*this == o); }

    const std::shared_ptr<const varo::TemplateDef>& contents() const { return def; }
    explicit Qor_Snapshot(std::shared_ptr<const varo::TemplateDef> d) : def(std::move(d)) {}

private:
    std::shared_ptr<const varo::TemplateDef> def;
};

// An album: one kind of Varo object, read whole and watched for changes.
enum QoriAlbumKind { QORI_ALBUM_TEMPLATES, QORI_ALBUM_SEVERITIES, QORI_ALBUM_POLLRATES, QORI_ALBUM_CONDITIONS };

class Qor_GenericAlbum {
public:
    explicit Qor_GenericAlbum(QoriAlbumKind kind) : kind_(kind) {}
    // Appends one entry per object, sorted by the bytes of the names. A failed read
    // appends nothing and records the error.
    void get_all(DataElemQueue& queue) const;
    // The entry of that name, as get_all gives it, in found (null when there is none, which
    // is no error). False when the read failed (recorded). Conditions come without their code.
    bool get_one(const std::string& name, Qor_GenericImage& found) const;
    // The callback runs inside dispatch_recursive after the album changes, also after
    // changes made by this client. Registrations last until qori_shutdown.
    void add_callback(const Callback& callback, void* reserved);
    QoriAlbumKind kind() const { return kind_; }

private:
    QoriAlbumKind kind_;
};

// What changed in an album, for its callbacks: the names (each with '+' added, '~' changed
// or '-' removed, the last the store told), or `whole` when the album is to be read whole.
// Outside a dispatch of that album's callbacks: whole.
struct QoriAlbumNews {
    bool whole = false;
    std::vector<std::pair<std::string, char>> names;
};
const QoriAlbumNews& qori_album_news(QoriAlbumKind kind);

Qor_GenericAlbum qorDefnContainer(const DataUnit& unused);
Qor_GenericAlbum qorSeverityContainer(const DataUnit& unused);
Qor_GenericAlbum qorPollRateContainer(const DataUnit& unused);
Qor_GenericAlbum qorCondContainer(const DataUnit& unused);

extern Platform _qor_dimons3g;  // the engine's platform object ("DISCONNECTED")

// Connection. host names the Varo server; see the README for how the store is chosen.
char qori_init(const char* host);
// Connects to a store opened by the caller (tools, tests); qori_init uses it too.
char qori_attach_store(std::unique_ptr<varo::Store> store);
void qori_shutdown();  // close the store and forget every registration
bool qori_connected();
// The store's own description ("sqlite:/path", "postgresql:host=..."); "" when not connected.
const char* qori_store_description();
// Readable when dispatch_recursive may have notifications to deliver; -1 when there is no
// such descriptor (not connected, or a store that must be polled).
int qori_notification_fd();

// What the connected role (or the user of a store file) may change, as the store says now.
struct QoriRights {
    std::string role;
    bool templates = true;       // store, copy and delete templates, run and stop them
    bool server_objects = true;  // severities, poll rates and conditions
};
// Fills rights; false (the refusal recorded) when the store cannot be asked.
char qori_rights(QoriRights& rights);
// The callback runs inside dispatch_recursive when the store says some role's membership
// changed, so what this one may do may have changed too. Registrations last until qori_shutdown.
void qori_rights_callback(const Callback& callback);

// Templates.
Qor_Defn qori_template_create(const char* name, const char* descr);  // unsaved working copy
Qor_Defn qori_template_find(const char* name);                       // working copy of a stored one
// Save in place under the name t is stored as; refused when that template runs on a
// managed object ("in use") or when another client saved it since t read it.
char qori_template_add(Qor_Defn& t, const char* name, const char* descr);
// First store; refused when the name is taken. t is then stored under name.
char qori_template_store(Qor_Defn& t, const char* name, const char* descr);
// Store t's definition under a new name and return a working copy of it; the template t
// was read from stays as it is stored. Templates without states are never stored.
Qor_Defn qori_template_copy(Qor_Defn& t, const char* name, const char* descr);
// Store t's definition under name, replacing the template stored there, in one
// transaction; the result is a working copy of what was stored, or null.
Qor_Defn qori_template_replace(Qor_Defn& t, const char* name, const char* descr);
char qori_template_delete(Qor_Defn& t);  // refused while running; t becomes unsaved
// The versions of the template stored (or once stored) under name, newest first, and the
// definition one of them held (null for a deletion or an unknown version); false with the
// refusal recorded when the store cannot be read.
char qori_template_history(const char* name, std::vector<varo::TemplateVersion>& versions);
char qori_template_version(const char* name, long long version, std::optional<varo::TemplateDef>& def);

// A working copy that goes on from one kept by a process that has ended (a recovery journal):
// contents as given (with their name and description), read from the template stored as
// stored_name at version (never stored when stored_name is empty). When the stored template
// is at another version now, or gone, the copy is stale, as if another client had saved or
// deleted it since it was read: it is not saved over it.
Qor_Defn qori_template_resume(const varo::TemplateDef& contents, const char* stored_name, long long version);

// The contents of t now, and putting them back: t keeps its name, description and the
// stored template it was read from or saved to. Handles of t's states and transitions
// taken before a restore no longer belong to it.
Qor_Snapshot qori_template_snapshot(const Qor_Defn& t);
char qori_template_restore(Qor_Defn& t, const Qor_Snapshot& contents);

// What became of the stored template t was read from or last saved to, read from the store
// now. CHANGED and GONE stay with t: qori_template_add refuses it as changed by another
// client from then on, even when the store's version matches (deleted and stored anew).
enum QoriStoredFate {
    QORI_STORED_NONE,     // t is not stored
    QORI_STORED_SAME,     // as t read or saved it
    QORI_STORED_CHANGED,  // saved or replaced since by another client
    QORI_STORED_GONE,     // deleted since by another client
    QORI_STORED_UNKNOWN   // the store could not be read (the refusal is recorded)
};
// version, when given, receives the stored version (0 when none or unknown).
QoriStoredFate qori_template_fate(Qor_Defn& t, long long* version = nullptr);

// States and transitions of a working copy.
char qori_state_add(Qor_Defn& t, const char* name, const char* poll_rate, const char* severity,
                    const char* descr);
char qori_state_delete(Qor_Defn& t, const char* name);  // with every transition from or to it
// A transition is identified by (from, to, condition). action null: the transition alone
// (adding an existing one is refused; deleting removes it with its actions). Otherwise one
// action: "CONDITION" names a condition in arg1 (arg2 null or empty); "COMMAND" and "MAIL"
// take two double-quoted texts. Adding appends it (making the transition if needed; the
// same action twice is refused); deleting removes just that action (refused if absent).
char qori_transition_add(Qor_Defn& t, const char* from, const char* to, const char* condition,
                         const char* action, const char* arg1, const char* arg2);
char qori_transition_delete(Qor_Defn& t, const char* from, const char* to, const char* condition,
                            const char* action, const char* arg1, const char* arg2);

// Severities, poll rates, conditions: written to the store at once.
Qor_Severity qorSeverity_Find(const char* name);
Qor_Severity qorSeverity_Create(const char* name);  // the named severity, or null
Qor_PollRate qorPollRate_Find(const char* name);
Qor_Cond qorCond_Find(const char* name);
char qori_severity_add(const char* name, int value, const char* color);
char qori_severity_delete(const char* name);
char qori_pollrate_add(const char* name, int rate);
char qori_pollrate_delete(const char* name);
// Change an existing severity, poll rate or condition in one transaction: refused, the
// old definition stays; every client hears one change. A condition a stored template
// uses is refused ("in use"), as its deletion would be.
char qori_severity_replace(const char* name, int value, const char* color);
char qori_pollrate_replace(const char* name, int rate);
// The condition's code (empty when there is no such condition) and its description
// into descr (256 bytes). The returned value stays readable as long as it is held.
DataUnit qori_condition_get(const char* name, char* descr);
char qori_condition_add(const char* name, const char* descr, const char* code);
char qori_condition_delete(const char* name);  // refused while a stored template uses it
char qori_condition_replace(const char* name, const char* descr, const char* code);

#endif
