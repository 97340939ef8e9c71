// Transitions and their actions in the open template: add and delete.
#include "base/messages.h"
#include "edit/action_operands.h"
#include "edit/generic.h"
#include "edit/option.h"
#include "ui/xm_string.h"
#include "template/template_model.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"

static_assert(int{OPERAND_MAX_BYTES} == int{QORI_DESCR_MAX}, "operands are bounded as the engine bounds them");

namespace {

// The three kinds of call: the transition alone, a condition to raise, or a command or mail
// action whose kind is the menu's label.
enum class ActionKind { TransitionOnly, Condition, Operands };

ActionKind kind_of(const std::string& label, MessageId none_number, MessageId condition_number) {
    if (label == message_text(none_number)) return ActionKind::TransitionOnly;
    if (label == message_text(condition_number)) return ActionKind::Condition;
    return ActionKind::Operands;
}

// The menus' choices as the engine takes them.
struct TransitionChoice {
    std::string from, to, condition, kind;
};

TransitionChoice read_choice(Widget from_menu, Widget to_menu, Widget condition_menu, Widget action_menu) {
    Option option;
    return {option.get_value(from_menu), option.get_value(to_menu), option.get_value(condition_menu),
            option.get_value(action_menu)};
}

// Normalises both operand fields and writes them back; the first is left alone by an empty
// command, which sends nothing.
ActionOperands take_operands(Widget operand1, Widget operand2) {
    ActionOperands ops = normalise_operands(field_text(operand1), field_text(operand2));
    set_field_text(operand1, ops.first_field);
    if (ops.has_command()) set_field_text(operand2, ops.second_field);
    return ops;
}

Widget parent_of(Widget w) { return w && XtParent(w) ? XtParent(w) : w; }

}  // namespace

int Generic::add_transition(Widget from_menu, Widget to_menu, Widget condition_menu, Widget action_menu,
                            Widget condition_action_menu, Widget operand1, Widget operand2) {
    TransitionChoice c = read_choice(from_menu, to_menu, condition_menu, action_menu);
    char added = 0;
    switch (kind_of(c.kind, msg::ADD_ACTION_NONE, msg::ADD_ACTION_CONDITION)) {
    case ActionKind::TransitionOnly:
        added = qori_transition_add(qor_handle, c.from.c_str(), c.to.c_str(), c.condition.c_str(), nullptr, nullptr,
                                    nullptr);
        break;
    case ActionKind::Condition: {
        std::string raised = Option().get_value(condition_action_menu);
        added = qori_transition_add(qor_handle, c.from.c_str(), c.to.c_str(), c.condition.c_str(), c.kind.c_str(),
                                    raised.c_str(), nullptr);
        break;
    }
    case ActionKind::Operands: {
        ActionOperands ops = take_operands(operand1, operand2);
        if (!ops.has_command() || !ops.fits()) return 0;
        added = qori_transition_add(qor_handle, c.from.c_str(), c.to.c_str(), c.condition.c_str(), c.kind.c_str(),
                                    ops.first_quoted.c_str(), ops.second_quoted.c_str());
        break;
    }
    }
    if (!added) {
        error.reset_error();
        return 0;
    }
    template_edited(EDITED_TRANSITIONS, msg::TRANSITION_ADDED_STATUS);
    return 1;
}

int Generic::delete_transition(Widget from_menu, Widget to_menu, Widget condition_menu, Widget action_menu,
                               Widget operand1, Widget operand2) {
    TransitionChoice c = read_choice(from_menu, to_menu, condition_menu, action_menu);
    ActionKind kind = kind_of(c.kind, msg::DELETE_ACTION_NONE, msg::DELETE_ACTION_CONDITION);
    char deleted = 0;
    switch (kind) {
    case ActionKind::TransitionOnly:
        deleted = qori_transition_delete(qor_handle, c.from.c_str(), c.to.c_str(), c.condition.c_str(), nullptr,
                                         nullptr, nullptr);
        break;
    case ActionKind::Condition: {
        std::string raised = Option().get_value(condition_action);
        deleted = qori_transition_delete(qor_handle, c.from.c_str(), c.to.c_str(), c.condition.c_str(),
                                         c.kind.c_str(), raised.c_str(), nullptr);
        break;
    }
    case ActionKind::Operands: {
        ActionOperands ops = take_operands(operand1, operand2);
        if (!ops.has_command()) return 0;  // nothing named: nothing to do, nothing to say
        // An operand the engine could never have kept names no action of it.
        if (ops.fits())
            deleted = qori_transition_delete(qor_handle, c.from.c_str(), c.to.c_str(), c.condition.c_str(),
                                             c.kind.c_str(), ops.first_quoted.c_str(), ops.second_quoted.c_str());
        break;
    }
    }
    if (!deleted) {
        error.reset_error();
        error_dialog(parent_of(from_menu), message_text(kind == ActionKind::TransitionOnly ? msg::DELETE_TRANSITION_FAILED : msg::DELETE_ACTION_FAILED));
        return 0;
    }
    if (kind != ActionKind::TransitionOnly) {
        set_field_text(operand1, "");
        set_field_text(operand2, "");
    }
    template_edited(EDITED_TRANSITIONS, msg::TRANSITION_DELETED_STATUS);
    return 1;
}
