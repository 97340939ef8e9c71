// Check Template and Simulate..., from the Template menus of both windows.
#include <Xm/List.h>

#include <algorithm>
#include <set>
#include <vector>

#include "analysis/analysis.h"
#include "base/messages.h"
#include "diagram/select_by_name.h"
#include "ui/callbacks.h"
#include "template/album_reader.h"
#include "ui/list_items.h"
#include "template/template_model.h"
#include "template/template_snapshot.h"
#include "ui/gui_utils.h"
#include "ui/widgets.h"

namespace an = varo::analysis;

namespace {

// The findings the check dialog shows, by list position.
std::vector<an::Finding> shown_findings;
// The conditions applied so far in the simulation window, in order.
std::vector<std::string> applied;

std::string open_name() { return qor_handle.name() ? qor_handle.name() : ""; }

void set_label_text(Widget label, const std::string& text) {
    if (label) set_string(label, text.c_str());
}

// Rebuilds the simulation window from the working copy as it is now, replaying the
// applied conditions from the ground state.
void show_simulation() {
    an::Texts texts = an::catalogue_texts();
    an::Simulation sim = an::simulate(definition_of(qor_handle), applied);
    set_list_lines(sim_steps_list, an::simulation_lines(sim, texts));
    XmListSetBottomPos(sim_steps_list, 0);
    if (!sim.has_ground) {
        set_label_text(sim_state, an::fill(texts[an::TEXT_NO_GROUND], {}));
        return;
    }
    const std::string& now = sim.current();
    const std::string& severity = sim.steps.empty() ? sim.ground_severity : sim.steps.back().severity;
    const std::string& poll_rate = sim.steps.empty() ? sim.ground_poll_rate : sim.steps.back().poll_rate;
    set_label_text(sim_state, format_message(msg::SIM_STATE, {now, severity, poll_rate}));
    select_state_named(now);
}

// The server's conditions and any the template names that the server lacks.
std::vector<std::string> simulation_conditions() {
    std::set<std::string> names;
    for (const std::string& c : album_names(qorCondContainer(DataUnit()))) names.insert(c);
    for (const varo::Transition& t : definition_of(qor_handle).transitions) names.insert(t.condition);
    return {names.begin(), names.end()};
}

}  // namespace

void check_template_cb(Widget, XtPointer, XtPointer) {
    BusyCursor busy(te_win);
    an::Texts texts = an::catalogue_texts();
    shown_findings = an::check(definition_of(qor_handle), server_names_now());
    std::vector<std::string> lines;
    int counts[3] = {0, 0, 0};
    for (const an::Finding& f : shown_findings) {
        lines.push_back(an::finding_line(f, texts));
        ++counts[static_cast<int>(f.level())];
    }
    set_list_lines(chk_list, lines);
    set_label_text(chk_summary, shown_findings.empty()
                                    ? format_message(msg::CHECK_CLEAN, {open_name()})
                                    : format_message(msg::CHECK_SUMMARY, {open_name(), std::to_string(counts[0]),
                                                                            std::to_string(counts[1]),
                                                                            std::to_string(counts[2])}));
    g2_win_show(chk_dialog);
}

void chk_list_cb(Widget, XtPointer, XtPointer call_data) {
    auto* cbs = static_cast<XmListCallbackStruct*>(call_data);
    if (!cbs || cbs->item_position < 1 || static_cast<std::size_t>(cbs->item_position) > shown_findings.size()) return;
    const an::Finding& f = shown_findings[static_cast<std::size_t>(cbs->item_position) - 1];
    if (!f.state.empty()) select_state_named(f.state);
}

void simulate_cb(Widget, XtPointer, XtPointer) {
    BusyCursor busy(te_win);
    set_list_lines(sim_condition_list, simulation_conditions());
    applied.clear();
    show_simulation();
    g2_win_show(sim_dialog);
}

void sim_step_cb(Widget, XtPointer, XtPointer) {
    int* positions = nullptr;
    int count = 0;
    if (!XmListGetSelectedPos(sim_condition_list, &positions, &count)) return;
    int position = count > 0 ? positions[0] : 0;
    XtFree(reinterpret_cast<char*>(positions));
    std::vector<std::string> conditions = list_lines(sim_condition_list);
    if (position < 1 || static_cast<std::size_t>(position) > conditions.size()) return;
    applied.push_back(conditions[static_cast<std::size_t>(position) - 1]);
    show_simulation();
}

void sim_reset_cb(Widget, XtPointer, XtPointer) {
    applied.clear();
    show_simulation();
}
