// Edits of a working copy: states, transitions, actions and the order of transitions.
// Nothing here writes to Varo; saving does.
#include <algorithm>
#include <cstring>

#include "platform/qori_internal.h"

using namespace qori_detail;

namespace {
TemplateCopy* copy_of(const Qor_Defn& t) {
    if (!t.working_copy()) refuse(ERR_INVALID, "No template");
    return t.working_copy().get();
}

std::string text_or_empty(const char* s) { return s ? s : ""; }

std::shared_ptr<StateRecord> named_state(TemplateCopy& copy, const char* name) {
    auto s = copy.find_state(text_or_empty(name));
    if (!s) refuse(ERR_NOT_FOUND, "State " + quoted(text_or_empty(name)) + " does not exist in " + quoted(copy.name));
    return s;
}

// The working copy of t and the two states a transition joins; null copy when any is missing
// (the refusal is recorded).
struct TransitionEnds {
    TemplateCopy* copy = nullptr;
    std::shared_ptr<StateRecord> from, to;
};
TransitionEnds transition_ends(const Qor_Defn& t, const char* from, const char* to) {
    TransitionEnds ends;
    TemplateCopy* copy = copy_of(t);
    if (!copy) return ends;
    ends.from = named_state(*copy, from);
    if (!ends.from) return ends;
    ends.to = named_state(*copy, to);
    if (ends.to) ends.copy = copy;
    return ends;
}

bool is_quoted_text(const char* s) {
    std::size_t n = s ? std::strlen(s) : 0;
    return n >= 2 && s[0] == '"' && s[n - 1] == '"';
}

// An action as the store keeps it, after checking its kind and arguments.
bool make_action(const char* kind, const char* arg1, const char* arg2, ActionRecord& out) {
    std::string k = kind;
    if (k == "CONDITION") {
        if (arg2 && *arg2) return refuse(ERR_INVALID, "A CONDITION action takes no second argument");
        if (!qorCond_Find(arg1).is_valid()) return false;
        out = ActionRecord{k, arg1, ""};
        return true;
    }
    if (k != "COMMAND" && k != "MAIL") return refuse(ERR_INVALID, "Unknown action kind " + quoted(k));
    for (const char* arg : {arg1, arg2}) {
        if (!is_quoted_text(arg))
            return refuse(ERR_INVALID, "Arguments of a " + k + " action must be double-quoted texts");
        if (std::strlen(arg) > QORI_DESCR_MAX)
            return refuse(ERR_INVALID, "Action argument is longer than " + std::to_string(QORI_DESCR_MAX) + " bytes");
        // One inside would end the text early for whatever runs the action.
        if (std::strchr(arg + 1, '"') != arg + std::strlen(arg) - 1)
            return refuse(ERR_INVALID,
                          "An argument of a " + k + " action cannot hold a double quote inside its quotes");
    }
    out = ActionRecord{k, arg1, arg2};
    return true;
}

bool same_action(const ActionRecord& a, const ActionRecord& b) {
    return a.kind == b.kind && a.arg0 == b.arg0 && a.arg1 == b.arg1;
}

std::string transition_text(const char* from, const char* to, const char* condition) {
    return "transition from " + quoted(text_or_empty(from)) + " to " + quoted(text_or_empty(to)) + " on " +
           quoted(text_or_empty(condition));
}

// The live record behind a state handle, refused when the state was deleted.
std::shared_ptr<TemplateCopy> live_owner(const std::shared_ptr<StateRecord>& rec) {
    std::shared_ptr<TemplateCopy> owner = rec && !rec->removed ? rec->owner.lock() : nullptr;
    if (!owner) refuse(ERR_NOT_FOUND, "The state is no longer part of a template");
    return owner;
}

char move(const std::shared_ptr<StateRecord>& state, const Qor_Transition& transition, bool up) {
    std::shared_ptr<TemplateCopy> owner = live_owner(state);
    if (!owner) return 0;
    const auto& t = TemplateCopy::transition_record(transition);
    if (!t || t->removed || t->from != state) return refuse(ERR_NOT_FOUND, "The transition does not leave " + quoted(state->name));
    auto& list = owner->transitions;
    auto at = std::find(list.begin(), list.end(), t);
    if (at == list.end()) return refuse(ERR_NOT_FOUND, "The transition does not leave " + quoted(state->name));
    auto leaves = [&](const std::shared_ptr<TransitionRecord>& other) { return other->from == state; };
    if (up) {
        auto before = std::find_if(std::make_reverse_iterator(at), list.rend(), leaves);
        if (before == list.rend()) return refuse(ERR_INVALID, "The transition is already the first of " + quoted(state->name));
        std::iter_swap(at, before);
    } else {
        auto after = std::find_if(std::next(at), list.end(), leaves);
        if (after == list.end()) return refuse(ERR_INVALID, "The transition is already the last of " + quoted(state->name));
        std::iter_swap(at, after);
    }
    return 1;
}
}  // namespace

char qori_state_add(Qor_Defn& t, const char* name, const char* poll_rate, const char* severity, const char* descr) {
    TemplateCopy* copy = copy_of(t);
    if (!copy || !check_name("State", name) || !check_descr("State", descr)) return 0;
    if (copy->find_state(name)) return refuse(ERR_EXISTS, "State " + quoted(name) + " already exists in " + quoted(copy->name));
    if (!qorPollRate_Find(poll_rate).is_valid() || !qorSeverity_Find(severity).is_valid()) return 0;
    auto r = std::make_shared<StateRecord>();
    r->owner = t.working_copy();
    r->name = name;
    r->descr = text_or_empty(descr);
    r->poll_rate = poll_rate;
    r->severity = severity;
    copy->states.push_back(std::move(r));
    return 1;
}

char qori_state_delete(Qor_Defn& t, const char* name) {
    TemplateCopy* copy = copy_of(t);
    if (!copy) return 0;
    auto s = named_state(*copy, name);
    if (!s) return 0;
    copy->remove_state(s);
    return 1;
}

char qori_transition_add(Qor_Defn& t, const char* from, const char* to, const char* condition, const char* action,
                         const char* arg1, const char* arg2) {
    TransitionEnds ends = transition_ends(t, from, to);
    if (!ends.copy) return 0;
    TemplateCopy* copy = ends.copy;
    auto& f = ends.from;
    auto& s = ends.to;
    if (!qorCond_Find(condition).is_valid()) return 0;
    ActionRecord act;
    if (action && !make_action(action, arg1, arg2, act)) return 0;

    auto existing = copy->find_transition(f.get(), s.get(), condition);
    if (!action) {
        if (existing) return refuse(ERR_EXISTS, "The " + transition_text(from, to, condition) + " already exists");
    } else if (existing) {
        for (const auto& a : existing->actions)
            if (same_action(*a, act))
                return refuse(ERR_EXISTS, "The " + transition_text(from, to, condition) + " already has this action");
    }
    if (!existing) {
        existing = std::make_shared<TransitionRecord>();
        existing->owner = t.working_copy();
        existing->from = f;
        existing->to = s;
        existing->condition = condition;
        copy->transitions.push_back(existing);
    }
    if (action) existing->actions.push_back(std::make_shared<const ActionRecord>(act));
    return 1;
}

char qori_transition_delete(Qor_Defn& t, const char* from, const char* to, const char* condition, const char* action,
                            const char* arg1, const char* arg2) {
    TransitionEnds ends = transition_ends(t, from, to);
    if (!ends.copy) return 0;
    TemplateCopy* copy = ends.copy;
    auto existing = copy->find_transition(ends.from.get(), ends.to.get(), text_or_empty(condition));
    if (!existing) return refuse(ERR_NOT_FOUND, "No " + transition_text(from, to, condition));
    if (!action) {
        copy->remove_transition(existing);
        return 1;
    }
    ActionRecord wanted{action, text_or_empty(arg1), std::string(action) == "CONDITION" ? "" : text_or_empty(arg2)};
    auto& acts = existing->actions;
    auto it = std::find_if(acts.begin(), acts.end(), [&](const auto& a) { return same_action(*a, wanted); });
    if (it == acts.end()) return refuse(ERR_NOT_FOUND, "The " + transition_text(from, to, condition) + " has no such action");
    acts.erase(it);
    return 1;
}

char Qor_State::set_poll_rate(const DataUnit& poll_rate, const DataUnit&) {
    if (!live_owner(rec) || !qorPollRate_Find(poll_rate.c_str()).is_valid()) return 0;
    rec->staged_poll_rate = poll_rate.str();
    rec->poll_rate_staged = true;
    return 1;
}

char Qor_State::set_severity(const DataUnit& severity, const DataUnit&) {
    if (!live_owner(rec) || !qorSeverity_Find(severity.c_str()).is_valid()) return 0;
    rec->staged_severity = severity.str();
    rec->severity_staged = true;
    return 1;
}

char Qor_State::Store(const DataUnit&) {
    if (!live_owner(rec)) return 0;
    if (rec->poll_rate_staged) rec->poll_rate = rec->staged_poll_rate;
    if (rec->severity_staged) rec->severity = rec->staged_severity;
    rec->poll_rate_staged = rec->severity_staged = false;
    return 1;
}

char Qor_State::set_position(int x, int y) {
    if (!live_owner(rec)) return 0;
    if (x < 0 || y < 0 || x > QORI_POSITION_MAX || y > QORI_POSITION_MAX)
        return refuse(ERR_INVALID, "The position of " + quoted(rec->name) + " is outside the diagram");
    rec->placed = true;
    rec->x = x;
    rec->y = y;
    return 1;
}

char Qor_State::move_up(const Qor_Transition& transition) { return move(rec, transition, true); }
char Qor_State::move_down(const Qor_Transition& transition) { return move(rec, transition, false); }
