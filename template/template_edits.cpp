#include "template/template_edits.h"

#include <utility>
#include <vector>

#include "template/template_model.h"
#include "template/template_places.h"
#include "template/template_walk.h"

static_assert(int{OPERAND_MAX_BYTES} == int{QORI_DESCR_MAX}, "operands are bounded as the engine bounds them");

EditOutcome edit_done() { return {true, MessageId{0, 0}, ""}; }

EditOutcome edit_refused(MessageId reason, const std::string& argument) { return {false, reason, argument}; }

namespace {

// The engine's error is cleared: the refusal the user is told is the editor's own.
EditOutcome engine_refused(MessageId reason) {
    error.reset_error();
    return edit_refused(reason);
}

// The transitions entering `state`, as (from-state, condition), from every state's own.
std::vector<std::pair<std::string, std::string>> entering(const std::string& state) {
    std::vector<std::pair<std::string, std::string>> found;
    std::vector<Qor_State> states = template_states();
    if (states.empty()) return found;
    LeavingByState leaving_by_state(states.front());
    for (const Qor_State& from : states)
        for (const Qor_Transition& t : leaving_by_state.of(from))
            if (text_of(t.to_state().name()) == state) found.emplace_back(text_of(from.name()), text_of(t.name()));
    return found;
}

// The engine's call for a transition edit: the transition alone, or one of its actions.
using TransitionCall = char (*)(Qor_Defn&, const char*, const char*, const char*, const char*, const char*,
                                const char*);

char call(TransitionCall engine, const TransitionEdit& e) {
    const char* from = e.from.c_str();
    const char* to = e.to.c_str();
    const char* condition = e.condition.c_str();
    switch (e.kind) {
    case ActionKind::TransitionOnly:
        return engine(qor_handle, from, to, condition, nullptr, nullptr, nullptr);
    case ActionKind::Condition:
        return engine(qor_handle, from, to, condition, e.action.c_str(), e.raised.c_str(), nullptr);
    case ActionKind::Operands:
        return engine(qor_handle, from, to, condition, e.action.c_str(), e.operands.first_quoted.c_str(),
                      e.operands.second_quoted.c_str());
    }
    return 0;
}

}  // namespace

namespace edits {

EditOutcome add_state(const std::string& name, const std::string& pollrate, const std::string& severity,
                      const std::string& descr, std::optional<picture::Corner> place) {
    picture::Corner at = place ? *place : free_state_place();
    if (!qori_state_add(qor_handle, name.c_str(), pollrate.c_str(), severity.c_str(), descr.c_str()))
        return engine_refused(msg::ADD_STATE_FAILED);
    if (!qor_handle.find_state(name.c_str()).set_position(at.x, at.y)) error.reset_error();
    template_edited(EDITED_STATES, msg::STATE_ADDED_STATUS);
    return edit_done();
}

EditOutcome modify_state(const std::string& name, const std::string& pollrate, const std::string& severity) {
    Qor_State state = qor_handle.find_state(name.c_str());
    if (!state.is_valid()) return engine_refused(msg::STATE_MISSING);
    // Stored only once both values were taken.
    DataUnit empty;
    if (!state.set_poll_rate(DataUnit(pollrate), empty) || !state.set_severity(DataUnit(severity), empty) ||
        !state.Store(empty))
        return engine_refused(msg::MODIFY_STATE_FAILED);
    template_edited(EDITED_STATES, msg::STATE_MODIFIED_STATUS);
    return edit_done();
}

EditOutcome delete_state(const std::string& name) {
    // Checked first: a refused delete must not have lost the entering transitions.
    if (!qor_handle.find_state(name.c_str()).is_valid()) return engine_refused(msg::DELETE_STATE_FAILED);
    for (const auto& [from, condition] : entering(name))
        if (!qori_transition_delete(qor_handle, from.c_str(), name.c_str(), condition.c_str(), nullptr, nullptr,
                                    nullptr))
            error.reset_error();  // gone already: the state's own delete takes what is left
    // The states after it keep their places instead of moving up the slots.
    pin_state_places();
    if (!qori_state_delete(qor_handle, name.c_str())) return engine_refused(msg::DELETE_STATE_FAILED);
    // Its transitions, and those into it, go from an editor that may be open too.
    template_edited(EDITED_STATES | EDITED_TRANSITIONS, msg::STATE_DELETED_STATUS);
    return edit_done();
}

EditOutcome add_transition(const TransitionEdit& edit) {
    if (edit.kind == ActionKind::Operands && !(edit.operands.has_command() && edit.operands.fits()))
        return edit_refused(msg::ADD_TRANSITION_FAILED);
    if (edit.kind == ActionKind::Operands && edit.operands.holds_quote())
        return edit_refused(msg::OPERAND_HOLDS_QUOTE, "'\"'");
    if (!call(qori_transition_add, edit)) return engine_refused(msg::ADD_TRANSITION_FAILED);
    template_edited(EDITED_TRANSITIONS, msg::TRANSITION_ADDED_STATUS);
    return edit_done();
}

EditOutcome delete_transition(const TransitionEdit& edit) {
    MessageId failed = edit.kind == ActionKind::TransitionOnly ? msg::DELETE_TRANSITION_FAILED : msg::DELETE_ACTION_FAILED;
    if (edit.kind == ActionKind::Operands) {
        // Nothing named: nothing to do, nothing to say.
        if (!edit.operands.has_command()) return edit_refused(MessageId{0, 0});
        // An operand the engine could never have kept names no action of it.
        if (!edit.operands.fits()) return engine_refused(failed);
    }
    if (!call(qori_transition_delete, edit)) return engine_refused(failed);
    template_edited(EDITED_TRANSITIONS, msg::TRANSITION_DELETED_STATUS);
    return edit_done();
}

EditOutcome move_transition(const Qor_Transition& transition, bool up) {
    Qor_State from = transition.from_state();
    if (!(up ? from.move_up(transition) : from.move_down(transition))) return engine_refused(MessageId{0, 0});
    template_edited(EDITED_TRANSITIONS, up ? msg::ORDER_UP_STATUS : msg::ORDER_DOWN_STATUS);
    return edit_done();
}

}  // namespace edits
