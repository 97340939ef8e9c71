#include "ui/text_view.h"

#include <Xm/List.h>

#include <string>
#include <vector>

#include "template/line_format.h"
#include "ui/list_items.h"
#include "template/template_model.h"
#include "template/template_walk.h"
#include "ui/widgets.h"

namespace {

bool replaces_contents(const TemplateChange& change) {
    return change.kind == Change::Started || change.kind == Change::Opened || change.kind == Change::Reloaded ||
           change.kind == Change::Restored;
}

}  // namespace

int load_template() {
    Qor_StateQueue states;
    if (!qor_handle.is_valid() || !qor_handle.get_statesq(states)) {
        error.reset_error();
        return 0;
    }
    std::vector<Qor_State> walk;
    for (Qor_State state = states.deq(); state.is_valid(); state = states.deq()) walk.push_back(state);
    LeavingByState leaving_by_state(walk.empty() ? Qor_State() : walk.front());
    std::vector<std::string> out;
    for (const Qor_State& state : walk) {
        out.push_back(lines::text_view_state(state.name()));
        for (const Qor_Transition& t : leaving_by_state.of(state)) {
            out.push_back(lines::text_view_transition(text_of(t.to_state().name()), t.name()));
            for (const Qor_AInstance& a : actions_of(t))
                out.push_back(lines::text_view_action(a.name(), a.arg(0).c_str(), a.arg(1).c_str()));
        }
    }
    set_list_lines(main_text_list, out);
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

void text_view(const TemplateChange& change) {
    // Places are not in the text.
    bool edited = change.kind == Change::Edited && (change.parts & (EDITED_STATES | EDITED_TRANSITIONS));
    if (replaces_contents(change) || edited) load_template();
}

void state_lists_view(const TemplateChange& change) {
    if (!replaces_contents(change) && !(change.kind == Change::Edited && (change.parts & EDITED_STATES))) return;
    build_state_list_window();
    build_state_list_buttons();
}
