// A client's working copy of a template and the read side of its handles.
#include <algorithm>
#include <string>
#include <unordered_map>

#include "platform/qori_internal.h"

namespace qori_detail {

std::shared_ptr<TemplateCopy> TemplateCopy::from_def(const varo::TemplateDef& def) {
    auto copy = std::make_shared<TemplateCopy>();
    copy->name = def.name;
    copy->descr = def.descr;
    copy->stored_as = def.version != 0 ? def.name : std::string();
    copy->version = def.version;
    if (def.version != 0) copy->stored_contents = std::make_shared<const varo::TemplateDef>(def);
    copy->fill(copy, def);
    return copy;
}

void TemplateCopy::fill(const std::shared_ptr<TemplateCopy>& self, const varo::TemplateDef& def) {
    for (const auto& s : states) s->removed = true;
    for (const auto& t : transitions) t->removed = true;
    states.clear();
    transitions.clear();
    for (const varo::State& s : def.states) {
        auto r = std::make_shared<StateRecord>();
        r->owner = self;
        r->name = s.name;
        r->descr = s.descr;
        r->severity = s.severity;
        r->poll_rate = s.poll_rate;
        if (s.position) {
            r->placed = true;
            r->x = s.position->x;
            r->y = s.position->y;
        }
        states.push_back(r);
    }
    // The first state of each name, as find_state finds it, without a walk per transition.
    std::unordered_map<std::string, std::shared_ptr<StateRecord>> by_name;
    for (const auto& r : states) by_name.emplace(r->name, r);
    auto state_named = [&by_name](const std::string& name) {
        auto it = by_name.find(name);
        return it == by_name.end() ? nullptr : it->second;
    };
    for (const varo::Transition& t : def.transitions) {
        auto r = std::make_shared<TransitionRecord>();
        r->owner = self;
        r->from = state_named(t.from);
        r->to = state_named(t.to);
        if (!r->from || !r->to) continue;  // the store keeps transitions to its own states
        r->condition = t.condition;
        for (const varo::Action& a : t.actions)
            r->actions.push_back(std::make_shared<const ActionRecord>(ActionRecord{a.kind, a.arg0, a.arg1}));
        transitions.push_back(r);
    }
}

varo::TemplateDef TemplateCopy::to_def(const std::string& as_name, const std::string& as_descr) const {
    varo::TemplateDef def;
    def.name = as_name;
    def.descr = as_descr;
    def.version = version;
    for (const auto& s : states) {
        def.states.push_back(varo::State{s->name, s->descr, s->severity, s->poll_rate});
        if (s->placed) def.states.back().position = varo::StatePosition{s->x, s->y};
    }
    for (const auto& t : transitions) {
        varo::Transition out{t->from->name, t->to->name, t->condition, {}};
        for (const auto& a : t->actions) out.actions.push_back(varo::Action{a->kind, a->arg0, a->arg1});
        def.transitions.push_back(std::move(out));
    }
    return def;
}

std::shared_ptr<StateRecord> TemplateCopy::find_state(const std::string& state) const {
    for (const auto& s : states)
        if (s->name == state) return s;
    return nullptr;
}

std::shared_ptr<TransitionRecord> TemplateCopy::find_transition(const StateRecord* from, const StateRecord* to,
                                                                const std::string& condition) const {
    for (const auto& t : transitions)
        if (t->from.get() == from && t->to.get() == to && t->condition == condition) return t;
    return nullptr;
}

void TemplateCopy::remove_transition(const std::shared_ptr<TransitionRecord>& transition) {
    transition->removed = true;
    transitions.erase(std::remove(transitions.begin(), transitions.end(), transition), transitions.end());
}

void TemplateCopy::remove_state(const std::shared_ptr<StateRecord>& state) {
    for (auto it = transitions.begin(); it != transitions.end();) {
        if ((*it)->from == state || (*it)->to == state) {
            (*it)->removed = true;
            it = transitions.erase(it);
        } else {
            ++it;
        }
    }
    state->removed = true;
    states.erase(std::remove(states.begin(), states.end(), state), states.end());
}

Qor_State TemplateCopy::state_handle(std::shared_ptr<StateRecord> r) {
    Qor_State s;
    s.rec = std::move(r);
    return s;
}

Qor_Transition TemplateCopy::transition_handle(std::shared_ptr<TransitionRecord> r) {
    Qor_Transition t;
    t.rec = std::move(r);
    return t;
}

Qor_AInstance TemplateCopy::action_handle(std::shared_ptr<const ActionRecord> r) {
    Qor_AInstance a;
    a.rec = std::move(r);
    return a;
}

const std::shared_ptr<StateRecord>& TemplateCopy::state_record(const Qor_State& s) { return s.rec; }
const std::shared_ptr<TransitionRecord>& TemplateCopy::transition_record(const Qor_Transition& t) { return t.rec; }

}  // namespace qori_detail

using namespace qori_detail;

const char* Qor_Defn::name() const { return copy ? copy->name.c_str() : nullptr; }
const char* Qor_Defn::descr() const { return copy ? copy->descr.c_str() : nullptr; }
const char* Qor_Defn::stored_name() const {
    return copy && !copy->stored_as.empty() ? copy->stored_as.c_str() : nullptr;
}

long long Qor_Defn::stored_version() const { return copy && !copy->stored_as.empty() ? copy->version : 0; }

char Qor_Defn::get_statesq(Qor_StateQueue& queue) const {
    if (!copy) return refuse(ERR_INVALID, "No template");
    for (const auto& s : copy->states) queue.enq(TemplateCopy::state_handle(s));
    return 1;
}

Qor_State Qor_Defn::find_state(const char* state) const {
    if (!copy) return refuse(ERR_INVALID, "No template"), Qor_State();
    if (state) {
        if (auto r = copy->find_state(state)) return TemplateCopy::state_handle(r);
    }
    refuse(ERR_NOT_FOUND, "State " + quoted(state ? state : "") + " does not exist");
    return Qor_State();
}

const char* Qor_State::name() const { return rec ? rec->name.c_str() : nullptr; }
const char* Qor_State::descr() const { return rec ? rec->descr.c_str() : nullptr; }
const char* Qor_State::severity() const { return rec ? rec->severity.c_str() : nullptr; }
const char* Qor_State::poll_rate() const { return rec ? rec->poll_rate.c_str() : nullptr; }

char Qor_State::position(int* x, int* y) const {
    if (!rec || !rec->placed) return 0;
    if (x) *x = rec->x;
    if (y) *y = rec->y;
    return 1;
}

char Qor_State::get_transitionsq(Qor_TransitionQueue& queue, const Qor_State& from, const Qor_State& to) const {
    std::shared_ptr<TemplateCopy> owner = rec ? rec->owner.lock() : nullptr;
    if (!owner) return refuse(ERR_INVALID, "No state");
    for (const auto& t : owner->transitions) {
        if (from.rec && t->from != from.rec) continue;
        if (to.rec && t->to != to.rec) continue;
        queue.enq(TemplateCopy::transition_handle(t));
    }
    return 1;
}

Qor_Transition Qor_State::find_transition(const char* condition, const Qor_State& to) const {
    std::shared_ptr<TemplateCopy> owner = rec ? rec->owner.lock() : nullptr;
    if (!owner) return refuse(ERR_INVALID, "No state"), Qor_Transition();
    if (condition && to.rec) {
        if (auto t = owner->find_transition(rec.get(), to.rec.get(), condition))
            return TemplateCopy::transition_handle(t);
    }
    refuse(ERR_NOT_FOUND, "No transition from " + quoted(rec->name) + " to " +
                              quoted(to.rec ? to.rec->name : "") + " on " + quoted(condition ? condition : ""));
    return Qor_Transition();
}

const char* Qor_Transition::name() const { return rec ? rec->condition.c_str() : nullptr; }

Qor_State Qor_Transition::from_state() const {
    return rec ? TemplateCopy::state_handle(rec->from) : Qor_State();
}

Qor_State Qor_Transition::to_state() const { return rec ? TemplateCopy::state_handle(rec->to) : Qor_State(); }

char Qor_Transition::get_aiq(Qor_AInstanceQueue& queue) const {
    if (!rec) return refuse(ERR_INVALID, "No transition");
    for (const auto& a : rec->actions) queue.enq(TemplateCopy::action_handle(a));
    return 1;
}

const char* Qor_AInstance::name() const { return rec ? rec->kind.c_str() : nullptr; }

DataUnit Qor_AInstance::arg(int index) const {
    if (!rec) return DataUnit();
    if (index == 0) return DataUnit(rec->arg0);
    if (index == 1) return DataUnit(rec->arg1);
    return DataUnit();
}
