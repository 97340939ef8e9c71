// The transition editor's add and delete: the menus and operand fields read, the operands
// normalised and written back, the template's edit run.
#include "base/messages.h"
#include "edit/generic.h"
#include "edit/option.h"
#include "template/action_operands.h"
#include "template/template_edits.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"
#include "ui/xm_string.h"

namespace {

// The action menu's label says the kind: its own texts for none and a condition, else the
// name of a command or mail action.
ActionKind kind_of(const std::string& label, MessageId none_number, MessageId condition_number) {
    if (label == message_text(none_number)) return ActionKind::TransitionOnly;
    if (label == message_text(condition_number)) return ActionKind::Condition;
    return ActionKind::Operands;
}

TransitionEdit read_choice(Widget from_menu, Widget to_menu, Widget condition_menu, Widget action_menu) {
    Option option;
    TransitionEdit edit;
    edit.from = option.get_value(from_menu);
    edit.to = option.get_value(to_menu);
    edit.condition = option.get_value(condition_menu);
    edit.action = option.get_value(action_menu);
    return edit;
}

// Normalises both operand fields and writes them back; the first is left alone by an empty
// command, which sends nothing.
ActionOperands take_operands(Widget operand1, Widget operand2) {
    ActionOperands ops = normalise_operands(field_text(operand1), field_text(operand2));
    set_field_text(operand1, ops.first_field);
    if (ops.has_command()) set_field_text(operand2, ops.second_field);
    return ops;
}

// The condition to raise, or the operands, as the kind asks.
void take_action(TransitionEdit& edit, Widget raised_menu, Widget operand1, Widget operand2) {
    if (edit.kind == ActionKind::Condition) edit.raised = Option().get_value(raised_menu);
    if (edit.kind == ActionKind::Operands) edit.operands = take_operands(operand1, operand2);
}

Widget parent_of(Widget w) { return w && XtParent(w) ? XtParent(w) : w; }

}  // namespace

EditOutcome Generic::add_transition(Widget from_menu, Widget to_menu, Widget condition_menu, Widget action_menu,
                                    Widget condition_action_menu, Widget operand1, Widget operand2) {
    TransitionEdit edit = read_choice(from_menu, to_menu, condition_menu, action_menu);
    edit.kind = kind_of(edit.action, msg::ADD_ACTION_NONE, msg::ADD_ACTION_CONDITION);
    take_action(edit, condition_action_menu, operand1, operand2);
    return edits::add_transition(edit);
}

int Generic::delete_transition(Widget from_menu, Widget to_menu, Widget condition_menu, Widget action_menu,
                               Widget operand1, Widget operand2) {
    TransitionEdit edit = read_choice(from_menu, to_menu, condition_menu, action_menu);
    edit.kind = kind_of(edit.action, msg::DELETE_ACTION_NONE, msg::DELETE_ACTION_CONDITION);
    take_action(edit, condition_action, operand1, operand2);
    if (!tell_refusal(parent_of(from_menu), edits::delete_transition(edit))) return 0;
    if (edit.kind != ActionKind::TransitionOnly) {
        set_field_text(operand1, "");
        set_field_text(operand2, "");
    }
    return 1;
}
