#include "analysis/analysis.h"

#include <algorithm>
#include <deque>
#include <map>

#include "base/messages.h"
#include "base/utf8.h"

namespace varo::analysis {

const char* const kGround = "Ground";

namespace {
// The catalogue's analysis texts, in TextId order.
constexpr MessageId text_messages[] = {
    msg::ANALYSIS_NO_GROUND,         msg::ANALYSIS_UNREACHABLE,      msg::ANALYSIS_NO_WAY_OUT,
    msg::ANALYSIS_CONFLICT,          msg::ANALYSIS_MISSING_SEVERITY, msg::ANALYSIS_MISSING_POLL_RATE,
    msg::ANALYSIS_MISSING_CONDITION, msg::ANALYSIS_MISSING_RAISED,   msg::ANALYSIS_EMPTY_COMMAND,
    msg::ANALYSIS_EMPTY_ADDRESS,     msg::ANALYSIS_EMPTY_MESSAGE,    msg::ANALYSIS_EMPTY_RAISED,
    msg::ANALYSIS_ERROR,             msg::ANALYSIS_WARNING,          msg::ANALYSIS_NOTE,
    msg::ANALYSIS_FINDING,           msg::ANALYSIS_SIM_START,        msg::ANALYSIS_SIM_STEP,
    msg::ANALYSIS_SIM_TAKES,         msg::ANALYSIS_SIM_STAYS,        msg::ANALYSIS_SIM_ENTERS,
    msg::ANALYSIS_SIM_ACTION,        msg::ANALYSIS_HIDDEN_CHARACTER, msg::ANALYSIS_MIXED_SCRIPTS,
    msg::ANALYSIS_NOT_NORMALISED,
};
static_assert(sizeof text_messages / sizeof text_messages[0] == TEXT_COUNT, "one message per analysis text");

Texts texts_from(const char* (*lookup)(MessageId)) {
    Texts texts;
    for (int i = 0; i < TEXT_COUNT; ++i) texts[i] = lookup(text_messages[i]);
    return texts;
}
}  // namespace

const Texts& english_texts() {
    static const Texts texts = texts_from(default_message);
    return texts;
}

Texts catalogue_texts() { return texts_from(message_text); }

std::string fill(const std::string& format, const std::vector<std::string>& args) {
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
            if (next < args.size()) out += args[next];
            ++next;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

// ---- Checks ----

Level level_of(Problem problem) {
    switch (problem) {
    case Problem::NoWayOut: return Level::Note;
    case Problem::Unreachable:
    case Problem::EmptyMessage:
    case Problem::HiddenCharacter:
    case Problem::MixedScripts:
    case Problem::NotNormalised: return Level::Warning;
    default: return Level::Error;
    }
}

ServerNames server_names(Store& store) {
    ServerNames names;
    for (const Severity& s : store.list_severities()) names.severities.insert(s.name);
    for (const PollRate& p : store.list_poll_rates()) names.poll_rates.insert(p.name);
    for (const Condition& c : store.list_conditions()) names.conditions.insert(c.name);
    return names;
}

namespace {

// An operand as the engine stores it: a double-quoted text for commands and mail.
bool blank_operand(const std::string& operand) {
    std::string inner = operand;
    if (inner.size() >= 2 && inner.front() == '"' && inner.back() == '"') inner = inner.substr(1, inner.size() - 2);
    return inner.find_first_not_of(" \t\n") == std::string::npos;
}

std::set<std::string> reachable_from_ground(const TemplateDef& def) {
    std::multimap<std::string, std::string> edges;
    for (const Transition& t : def.transitions) edges.emplace(t.from, t.to);
    std::set<std::string> seen = {kGround};
    std::deque<std::string> todo = {kGround};
    while (!todo.empty()) {
        auto [begin, end] = edges.equal_range(todo.front());
        todo.pop_front();
        for (auto it = begin; it != end; ++it)
            if (seen.insert(it->second).second) todo.push_back(it->second);
    }
    return seen;
}

void check_actions(const Transition& t, const ServerNames& names, std::vector<Finding>& out, const std::string& tmpl) {
    auto add = [&](Problem p, std::vector<std::string> args) { out.push_back({tmpl, t.from, p, std::move(args)}); };
    for (const Action& a : t.actions) {
        if (a.kind == "COMMAND") {
            if (blank_operand(a.arg0)) add(Problem::EmptyCommand, {t.to, t.condition});
        } else if (a.kind == "MAIL") {
            if (blank_operand(a.arg0)) add(Problem::EmptyAddress, {t.to, t.condition});
            if (blank_operand(a.arg1)) add(Problem::EmptyMessage, {t.to, t.condition});
        } else if (a.kind == "CONDITION") {
            if (blank_operand(a.arg0))
                add(Problem::EmptyRaised, {t.to, t.condition});
            else if (!names.conditions.count(a.arg0))
                add(Problem::MissingRaised, {t.to, t.condition, a.arg0});
        }
    }
}

// A name that today's rule would refuse or write otherwise.
void check_name(const std::string& name, std::vector<Finding>& out, const std::string& tmpl, const std::string& state) {
    NameProblem problem = name_problem(name);
    if (problem.fault == NameFault::Space || problem.fault == NameFault::Invisible)
        out.push_back({tmpl, state, Problem::HiddenCharacter, {code_point_label(problem.character)}});
    else if (problem.fault == NameFault::MixedScripts)
        out.push_back({tmpl, state, Problem::MixedScripts, {}});
    else if (!is_nfc(name))
        out.push_back({tmpl, state, Problem::NotNormalised, {}});
}

}  // namespace

std::vector<Finding> check(const TemplateDef& def, const ServerNames& names) {
    std::vector<Finding> out;
    const std::string& tmpl = def.name;
    check_name(tmpl, out, tmpl, "");
    bool has_ground = false;
    for (const State& s : def.states) has_ground = has_ground || s.name == kGround;
    if (!has_ground) out.push_back({tmpl, "", Problem::NoGround, {}});
    std::set<std::string> reachable = reachable_from_ground(def);
    // The transitions leaving each state, in stored order.
    std::map<std::string, std::vector<const Transition*>> leaving;
    for (const Transition& t : def.transitions) leaving[t.from].push_back(&t);

    for (const State& s : def.states) {
        auto add = [&](Problem p, std::vector<std::string> args) { out.push_back({tmpl, s.name, p, std::move(args)}); };
        check_name(s.name, out, tmpl, s.name);
        if (!names.severities.count(s.severity)) add(Problem::MissingSeverity, {s.severity});
        if (!names.poll_rates.count(s.poll_rate)) add(Problem::MissingPollRate, {s.poll_rate});
        if (has_ground && !reachable.count(s.name)) add(Problem::Unreachable, {});

        // Targets per condition, in stored order, each once.
        std::vector<std::string> conditions;
        std::map<std::string, std::vector<std::string>> targets;
        const std::vector<const Transition*>& out_of = leaving[s.name];
        for (const Transition* t : out_of) {
            auto& to = targets[t->condition];
            if (to.empty()) conditions.push_back(t->condition);
            if (std::find(to.begin(), to.end(), t->to) == to.end()) to.push_back(t->to);
        }
        if (out_of.empty()) add(Problem::NoWayOut, {});
        for (const std::string& c : conditions) {
            const auto& to = targets[c];
            if (to.size() > 1) {
                std::string list;
                for (const std::string& name : to) list += (list.empty() ? "" : ", ") + name;
                add(Problem::Conflict, {c, list});
            }
            if (!names.conditions.count(c)) add(Problem::MissingCondition, {c, to.front()});
        }
        for (const Transition* t : out_of) check_actions(*t, names, out, tmpl);
    }
    return out;
}

bool has_errors(const std::vector<Finding>& findings) {
    for (const Finding& f : findings)
        if (f.level() == Level::Error) return true;
    return false;
}

std::string problem_text(const Finding& finding, const Texts& texts) {
    int p = static_cast<int>(finding.problem), first_late = static_cast<int>(Problem::HiddenCharacter);
    return fill(texts[p < first_late ? p : TEXT_HIDDEN_CHARACTER + p - first_late], finding.args);
}

std::string level_text(Level level, const Texts& texts) { return texts[TEXT_ERROR + static_cast<int>(level)]; }

std::string finding_line(const Finding& f, const Texts& texts) {
    return fill(texts[TEXT_FINDING], {f.state.empty() ? f.template_name : f.state, level_text(f.level(), texts),
                                      problem_text(f, texts)});
}

const char* level_key(Level level) {
    static const char* const keys[] = {"error", "warning", "note"};
    return keys[static_cast<int>(level)];
}

const char* problem_key(Problem problem) {
    static const char* const keys[] = {"no_ground",        "unreachable",       "no_way_out",    "conflict",
                                       "missing_severity", "missing_poll_rate", "missing_condition",
                                       "missing_raised",   "empty_command",     "empty_address", "empty_message",
                                       "empty_raised",     "hidden_character",  "mixed_scripts",
                                       "not_normalised"};
    static_assert(sizeof keys / sizeof keys[0] == TEXT_ERROR + (TEXT_COUNT - TEXT_HIDDEN_CHARACTER),
                  "one key per problem");
    return keys[static_cast<int>(problem)];
}

// ---- Simulation ----

const std::string& Simulation::current() const {
    static const std::string ground = kGround;
    return steps.empty() ? ground : steps.back().entered;
}

Simulation simulate(const TemplateDef& def, const std::vector<std::string>& conditions) {
    Simulation sim;
    std::map<std::string, const State*> states;
    for (const State& s : def.states) states.emplace(s.name, &s);
    auto ground = states.find(kGround);
    if (ground == states.end()) return sim;
    sim.has_ground = true;
    sim.ground_severity = ground->second->severity;
    sim.ground_poll_rate = ground->second->poll_rate;

    std::string current = kGround;
    for (const std::string& condition : conditions) {
        Step step;
        step.condition = condition;
        step.left = current;
        for (const Transition& t : def.transitions) {
            if (t.from == current && t.condition == condition && states.count(t.to)) {
                step.taken = true;
                step.transition = t;
                current = t.to;
                break;
            }
        }
        step.entered = current;
        step.severity = states[current]->severity;
        step.poll_rate = states[current]->poll_rate;
        sim.steps.push_back(std::move(step));
    }
    return sim;
}

std::vector<std::string> step_lines(const Step& step, std::size_t number, const Texts& texts) {
    std::vector<std::string> lines = {fill(texts[TEXT_SIM_STEP], {std::to_string(number), step.condition, step.left})};
    if (!step.taken) {
        lines.push_back(fill(texts[TEXT_SIM_STAYS], {step.left}));
        return lines;
    }
    const Transition& t = step.transition;
    lines.push_back(fill(texts[TEXT_SIM_TAKES], {t.from, t.to, t.condition}));
    lines.push_back(fill(texts[TEXT_SIM_ENTERS], {step.entered, step.severity, step.poll_rate}));
    for (const Action& a : t.actions) {
        std::string line = fill(texts[TEXT_SIM_ACTION], {a.kind, a.arg0, a.arg1});
        line.erase(line.find_last_not_of(' ') + 1);  // a CONDITION action has no second operand
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> simulation_lines(const Simulation& sim, const Texts& texts) {
    std::vector<std::string> lines;
    if (!sim.has_ground) return {fill(texts[TEXT_NO_GROUND], {})};
    lines.push_back(fill(texts[TEXT_SIM_START], {kGround, sim.ground_severity, sim.ground_poll_rate}));
    for (std::size_t i = 0; i < sim.steps.size(); ++i)
        for (std::string& line : step_lines(sim.steps[i], i + 1, texts)) lines.push_back(std::move(line));
    return lines;
}

// ---- Where used ----

std::vector<Use> find_uses(const std::vector<TemplateDef>& templates, NameKind kind, const std::string& name) {
    std::vector<Use> uses;
    for (const TemplateDef& def : templates) {
        if (kind != NameKind::Condition) {
            for (const State& s : def.states) {
                if (kind == NameKind::Severity && s.severity == name)
                    uses.push_back({def.name, s.name, UseRole::StateSeverity, "", ""});
                if (kind == NameKind::PollRate && s.poll_rate == name)
                    uses.push_back({def.name, s.name, UseRole::StatePollRate, "", ""});
            }
            continue;
        }
        for (const Transition& t : def.transitions) {
            if (t.condition == name) uses.push_back({def.name, t.from, UseRole::Trigger, t.to, ""});
            for (const Action& a : t.actions)
                if (a.kind == "CONDITION" && a.arg0 == name)
                    uses.push_back({def.name, t.from, UseRole::Raised, t.to, t.condition});
        }
    }
    return uses;
}

std::vector<Use> find_uses(Store& store, NameKind kind, const std::string& name) {
    std::vector<TemplateDef> templates;
    for (const TemplateSummary& summary : store.list_templates())
        if (auto def = store.load_template(summary.name)) templates.push_back(std::move(*def));
    return find_uses(templates, kind, name);
}

std::vector<std::string> template_names(const std::vector<Use>& uses) {
    std::vector<std::string> names;
    for (const Use& u : uses)
        if (std::find(names.begin(), names.end(), u.template_name) == names.end()) names.push_back(u.template_name);
    return names;
}

std::string use_line(const Use& use) {
    std::string how;
    switch (use.role) {
    case UseRole::StateSeverity: how = "severity of the state"; break;
    case UseRole::StatePollRate: how = "poll rate of the state"; break;
    case UseRole::Trigger: how = "triggers the transition to " + use.to; break;
    case UseRole::Raised: how = "raised by the transition to " + use.to + " on " + use.condition; break;
    }
    return use.template_name + ": " + use.state + ": " + how;
}

}  // namespace varo::analysis
