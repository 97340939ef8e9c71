#include "template/text_view.h"

#include <Xm/List.h>

#include <map>
#include <unordered_map>
#include <string>
#include <vector>

#include "base/messages.h"
#include "diagram/diagram_object.h"
#include "edit/transition_editing.h"
#include "template/line_format.h"
#include "ui/list_items.h"
#include "template/template_model.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"

namespace {

const char* text(const char* s) { return s ? s : ""; }

// The transitions leaving `state`, in stored order.
std::vector<Qor_Transition> leaving(const Qor_State& state) {
    std::vector<Qor_Transition> result;
    Qor_TransitionQueue queue;
    if (!state.is_valid() || !state.get_transitionsq(queue, state, Qor_State())) return result;
    for (Qor_Transition t = queue.deq(); t.is_valid(); t = queue.deq())
        if (t.from_state() == state) result.push_back(t);
    return result;
}

// Every transition of the template grouped by from-state, in stored order: one walk over
// the transitions instead of one per state.
class LeavingByState {
public:
    explicit LeavingByState(const Qor_State& any_state) {
        Qor_TransitionQueue queue;
        if (!any_state.is_valid() || !any_state.get_transitionsq(queue, Qor_State(), Qor_State())) return;
        for (Qor_Transition t = queue.deq(); t.is_valid(); t = queue.deq())
            by_name[text(t.from_state().name())].push_back(t);
    }
    // As leaving(state).
    std::vector<Qor_Transition> of(const Qor_State& state) const {
        std::vector<Qor_Transition> result;
        auto it = by_name.find(text(state.name()));
        if (it != by_name.end())
            for (const Qor_Transition& t : it->second)
                if (t.from_state() == state) result.push_back(t);
        return result;
    }

private:
    std::unordered_map<std::string, std::vector<Qor_Transition>> by_name;
};

std::vector<Qor_AInstance> actions_of(const Qor_Transition& transition) {
    std::vector<Qor_AInstance> result;
    Qor_AInstanceQueue queue;
    if (!transition.get_aiq(queue)) return result;
    for (Qor_AInstance a = queue.deq(); a.is_valid(); a = queue.deq()) result.push_back(a);
    return result;
}

// A severity's colour, asked of the store once per severity and rebuild.
class SeverityColours {
public:
    const std::string& colour(const char* severity) {
        auto it = known.find(text(severity));
        if (it == known.end()) it = known.emplace(text(severity), qorSeverity_Create(severity).color()).first;
        return it->second;
    }

private:
    std::map<std::string, std::string> known;
};

}  // namespace

int load_template() {
    if (!qor_handle.is_valid()) {
        error_dialog(open_list_win, message_text(msg::LOAD_FAILED));
        return 0;
    }
    Qor_StateQueue states;
    if (!qor_handle.get_statesq(states)) {
        error.reset_error();
        error_dialog(open_list_win, message_text(msg::LOAD_FAILED_CODE));
        return 0;
    }
    SelectionNames kept = remember_selection();
    reset_layout();
    destroy_list();

    std::vector<Qor_State> walk;
    for (Qor_State state = states.deq(); state.is_valid(); state = states.deq()) walk.push_back(state);
    LeavingByState leaving_by_state(walk.empty() ? Qor_State() : walk.front());
    std::vector<std::string> out;
    SeverityColours colours;
    for (const Qor_State& state : walk) {
        out.push_back(lines::text_view_state(state.name()));
        DiagramObject* shown = create_state_object(text(state.name()), colours.colour(state.severity()).c_str());
        // A state with a place of its own goes there; the slots still count it.
        int x = 0, y = 0;
        if (shown && state.position(&x, &y)) {
            shown->x = x;
            shown->y = y;
        }
        for (const Qor_Transition& t : leaving_by_state.of(state)) {
            const char* to = text(t.to_state().name());
            out.push_back(lines::text_view_transition(to, t.name()));
            if (DiagramObject* existing = find_transition(text(state.name()), to))
                existing->set_condition(text(t.name()));
            else
                create_transition_object(text(state.name()), to, text(t.name()));
            for (const Qor_AInstance& a : actions_of(t))
                out.push_back(lines::text_view_action(a.name(), a.arg(0).c_str(), a.arg(1).c_str()));
        }
    }
    set_list_lines(main_text_list, out);
    restore_selection(kept);
    return 1;
}

void build_state_list_window() {
    Qor_StateQueue states;
    if (!qor_handle.is_valid() || !qor_handle.get_statesq(states)) return;
    std::vector<std::string> out;
    for (Qor_State s = states.deq(); s.is_valid(); s = states.deq())
        out.push_back(lines::state_list(s.name(), s.severity(), s.poll_rate()));
    set_list_lines(state_edit_list, out);
}

void get_transitions(Widget list, const char* state) {
    std::vector<std::string> out;
    if (qor_handle.is_valid() && state)
        for (const Qor_Transition& t : leaving(qor_handle.find_state(state)))
            out.push_back(lines::transition(t.to_state().name(), t.name()));
    set_list_lines(list, out);
}

void refresh_transition_lists() {
    get_transitions(transition_list, option_value(tran_from_state).c_str());
    get_transitions(ot_list, option_value(ot_states).c_str());
    forget_order_choice();  // the refilled list has no line chosen
}

void state_dump(const char* state) {
    std::vector<std::string> out;
    if (qor_handle.is_valid() && state)
        for (const Qor_Transition& t : leaving(qor_handle.find_state(state))) {
            out.push_back(lines::state_dump_transition(t.to_state().name(), t.name()));
            for (const Qor_AInstance& a : actions_of(t))
                out.push_back(lines::state_dump_action(a.name(), a.arg(0).c_str(), a.arg(1).c_str()));
        }
    set_list_lines(si_list, out);
}

void transition_dump(const char* from, const char* to) {
    std::vector<std::string> out;
    if (qor_handle.is_valid() && from && to) {
        Qor_State to_state = qor_handle.find_state(to);
        for (const Qor_Transition& t : leaving(qor_handle.find_state(from))) {
            if (!to_state.is_valid() || t.to_state() != to_state) continue;
            out.push_back(lines::transition_dump_transition(t.name()));
            for (const Qor_AInstance& a : actions_of(t))
                out.push_back(lines::transition_dump_action(a.name(), a.arg(0).c_str(), a.arg(1).c_str()));
        }
    }
    set_list_lines(tl_list, out);
}

void make_item_visible(Widget list, int position) {
    int top = 0, visible = 0;
    XtVaGetValues(list, XmNtopItemPosition, &top, XmNvisibleItemCount, &visible, nullptr);
    if (position < top)
        XmListSetPos(list, position);
    else if (position >= top + visible)
        XmListSetBottomPos(list, position);
    XmListSelectPos(list, position, True);
}
