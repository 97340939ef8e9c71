#include "template/template_snapshot.h"

#include "template/album_reader.h"

namespace {

std::string text(const char* s) { return s ? s : ""; }

}  // namespace

varo::TemplateDef definition_of(const Qor_Defn& t) {
    varo::TemplateDef def;
    if (!t.is_valid()) return def;
    def.name = text(t.name());
    def.descr = text(t.descr());
    Qor_StateQueue states;
    if (!t.get_statesq(states)) return def;
    Qor_State any;
    for (Qor_State s = states.deq(); s.is_valid(); s = states.deq()) {
        def.states.push_back({text(s.name()), text(s.descr()), text(s.severity()), text(s.poll_rate())});
        any = s;
    }
    Qor_TransitionQueue transitions;
    if (!any.is_valid() || !any.get_transitionsq(transitions, Qor_State(), Qor_State())) return def;
    for (Qor_Transition tr = transitions.deq(); tr.is_valid(); tr = transitions.deq()) {
        varo::Transition out{text(tr.from_state().name()), text(tr.to_state().name()), text(tr.name()), {}};
        Qor_AInstanceQueue actions;
        if (tr.get_aiq(actions))
            for (Qor_AInstance a = actions.deq(); a.is_valid(); a = actions.deq())
                out.actions.push_back({text(a.name()), a.arg(0).str(), a.arg(1).str()});
        def.transitions.push_back(std::move(out));
    }
    return def;
}

varo::analysis::ServerNames server_names_now() {
    varo::analysis::ServerNames names;
    for (const std::string& n : album_names(qorSeverityContainer(DataUnit()))) names.severities.insert(n);
    for (const std::string& n : album_names(qorPollRateContainer(DataUnit()))) names.poll_rates.insert(n);
    for (const std::string& n : album_names(qorCondContainer(DataUnit()))) names.conditions.insert(n);
    return names;
}

std::vector<varo::TemplateDef> stored_definitions() {
    std::vector<varo::TemplateDef> out;
    for (const std::string& name : album_names(qorDefnContainer(DataUnit()))) {
        Qor_Defn t = qori_template_find(name.c_str());
        if (t.is_valid())
            out.push_back(definition_of(t));
        else
            error.reset_error();  // deleted since the album was read
    }
    return out;
}
