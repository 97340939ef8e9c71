// The edits of the open template's states, transitions and actions. Each changes the working
// copy, announces the change (template/template_change.h) and returns what came of it; none
// shows anything: the callback that started it tells the user a refusal.
#ifndef TARNWRIGHT_TEMPLATE_TEMPLATE_EDITS_H
#define TARNWRIGHT_TEMPLATE_TEMPLATE_EDITS_H

#include <optional>
#include <string>

#include "base/messages.h"
#include "diagram/picture/scene.h"
#include "platform/qori.h"
#include "template/action_operands.h"

// Done, or refused with the text the user is told (number 0: refused without a word) and
// the one argument it takes, if any.
struct EditOutcome {
    bool done = false;
    MessageId reason{0, 0};
    std::string argument;
    explicit operator bool() const { return done; }
};
EditOutcome edit_done();
EditOutcome edit_refused(MessageId reason, const std::string& argument = std::string());

// What a transition's action is: none (the transition alone), a condition to raise, or a
// command or mail action with its two operands.
enum class ActionKind { TransitionOnly, Condition, Operands };
struct TransitionEdit {
    std::string from, to, condition;
    ActionKind kind = ActionKind::TransitionOnly;
    std::string action;  // the action's name as the engine takes it (Condition, Operands)
    std::string raised;  // Condition: the condition it raises
    ActionOperands operands;  // Operands: as normalised from the fields
};

// Named as the editors' callbacks are, so they keep apart from them.
namespace edits {

// A state named by its first word, with its poll rate and severity (names in the albums). It
// stands at `place` (where it was put in the diagram), else on a free place, and keeps it
// like a dragged state.
EditOutcome add_state(const std::string& name, const std::string& pollrate, const std::string& severity,
                      const std::string& descr, std::optional<picture::Corner> place = std::nullopt);
// Both values or neither: a refused one never leaves the other applied.
EditOutcome modify_state(const std::string& name, const std::string& pollrate, const std::string& severity);
// The state, the transitions leaving it and those that enter it; no other state moves.
EditOutcome delete_state(const std::string& name);

// The transition, or an action added to it.
EditOutcome add_transition(const TransitionEdit& edit);
// The transition with all its actions (TransitionOnly), or the one action named.
EditOutcome delete_transition(const TransitionEdit& edit);
// A transition one place up or down among its from-state's.
EditOutcome move_transition(const Qor_Transition& transition, bool up);

}  // namespace edits

#endif
