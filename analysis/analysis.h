// Template analysis without a toolkit, shared by varoctl and the editor: checks of a
// template against itself and the server's names, a walk of its machine from the ground
// state, and the templates that name a condition, severity or poll rate.
//
// Results are structured; their texts are made from a table of formats (Texts) whose
// English defaults varoctl prints and whose translations the editor takes from its
// message catalogue, in the same order.
#ifndef TARNWRIGHT_ANALYSIS_ANALYSIS_H
#define TARNWRIGHT_ANALYSIS_ANALYSIS_H

#include <array>
#include <set>
#include <string>
#include <vector>

#include "varo/store.h"

namespace varo::analysis {

extern const char* const kGround;  // the state every template starts in

// The formats every text below is made of; each %s takes the next argument.
enum TextId {
    // One per Problem, in the same order.
    TEXT_NO_GROUND,
    TEXT_UNREACHABLE,
    TEXT_NO_WAY_OUT,
    TEXT_CONFLICT,
    TEXT_MISSING_SEVERITY,
    TEXT_MISSING_POLL_RATE,
    TEXT_MISSING_CONDITION,
    TEXT_MISSING_RAISED,
    TEXT_EMPTY_COMMAND,
    TEXT_EMPTY_ADDRESS,
    TEXT_EMPTY_MESSAGE,
    TEXT_EMPTY_RAISED,
    // One per Level, in the same order.
    TEXT_ERROR,
    TEXT_WARNING,
    TEXT_NOTE,
    TEXT_FINDING,       // state, level, problem text
    TEXT_SIM_START,     // ground, its severity, its poll rate
    TEXT_SIM_STEP,      // step number, condition, state left
    TEXT_SIM_TAKES,     // from, to, condition
    TEXT_SIM_STAYS,     // state
    TEXT_SIM_ENTERS,    // state, severity, poll rate
    TEXT_SIM_ACTION,    // kind, first operand, second operand
    // One per Problem from HiddenCharacter on, in the same order.
    TEXT_HIDDEN_CHARACTER,
    TEXT_MIXED_SCRIPTS,
    TEXT_NOT_NORMALISED,
    TEXT_COUNT
};
using Texts = std::array<std::string, TEXT_COUNT>;
// The built-in defaults of the catalogue's texts (what varoctl prints), and the texts of the
// open catalogue (what the editor shows).
const Texts& english_texts();
Texts catalogue_texts();
// Fills each "%s" of format with the next argument ("" when they run out).
std::string fill(const std::string& format, const std::vector<std::string>& args);

// ---- Checks -------------------------------------------------------------------------

enum class Level { Error, Warning, Note };

enum class Problem {
    NoGround,         // no state named Ground
    Unreachable,      // no path of transitions leads from Ground to the state
    NoWayOut,         // no transition leaves the state (an end state may be meant)
    Conflict,         // one condition leads from the state to different states
    MissingSeverity,  // named by the state, not on the server
    MissingPollRate,
    MissingCondition,  // triggers a transition, not on the server
    MissingRaised,     // raised by a CONDITION action, not on the server
    EmptyCommand,      // a COMMAND action without a command
    EmptyAddress,      // a MAIL action without an address
    EmptyMessage,      // a MAIL action without a message
    EmptyRaised,       // a CONDITION action without a condition
    // A name stored before names were checked as text: it still loads, and is best renamed.
    HiddenCharacter,   // the template's or state's name holds white space or an invisible character
    MixedScripts,      // ... mixes look-alike letters of different scripts
    NotNormalised      // ... is not in normal form (NFC), so it can look like another name
};
Level level_of(Problem problem);

struct Finding {
    std::string template_name;
    std::string state;  // empty for a finding about the whole template
    Problem problem;
    std::vector<std::string> args;  // for the problem's format
    Level level() const { return level_of(problem); }
};

// What the server holds, by name.
struct ServerNames {
    std::set<std::string> severities, poll_rates, conditions;
};
ServerNames server_names(Store& store);

// Findings in the order of the states, template-wide ones first.
std::vector<Finding> check(const TemplateDef& def, const ServerNames& names);
bool has_errors(const std::vector<Finding>& findings);

std::string problem_text(const Finding& finding, const Texts& texts = english_texts());
std::string level_text(Level level, const Texts& texts = english_texts());
// "state: level: problem", the template's name standing in for the state when none.
std::string finding_line(const Finding& finding, const Texts& texts = english_texts());
const char* level_key(Level level);      // "error", "warning", "note" for scripts
const char* problem_key(Problem problem);  // "unreachable", "conflict", ... for scripts

// ---- Simulation ---------------------------------------------------------------------

// One condition applied to the current state: the first transition leaving it on that
// condition, in stored order, is taken; without one the machine stays where it is.
struct Step {
    std::string condition;
    std::string left;  // the state before the step
    bool taken = false;
    Transition transition;  // when taken: with its actions in stored order
    std::string entered;    // the state after the step (left when none was taken)
    std::string severity, poll_rate;  // of the state entered
};

struct Simulation {
    bool has_ground = false;  // without a ground state nothing runs
    std::string ground_severity, ground_poll_rate;
    std::vector<Step> steps;
    const std::string& current() const;  // the state the machine is in now
};

Simulation simulate(const TemplateDef& def, const std::vector<std::string>& conditions);
// The start line, then per step its heading, the transition or "stays", the state entered
// and one line per action.
std::vector<std::string> simulation_lines(const Simulation& sim, const Texts& texts = english_texts());
std::vector<std::string> step_lines(const Step& step, std::size_t number, const Texts& texts = english_texts());

// ---- Where used ---------------------------------------------------------------------

enum class NameKind { Condition, Severity, PollRate };

enum class UseRole {
    StateSeverity,  // the state's severity
    StatePollRate,  // the state's poll rate
    Trigger,        // the condition of a transition leaving the state
    Raised          // raised by a CONDITION action of a transition leaving the state
};

struct Use {
    std::string template_name;
    std::string state;
    UseRole role;
    std::string to;         // Trigger, Raised: the transition's to-state
    std::string condition;  // Raised: the transition's condition
};

std::vector<Use> find_uses(const std::vector<TemplateDef>& templates, NameKind kind, const std::string& name);
// Over every template the store holds.
std::vector<Use> find_uses(Store& store, NameKind kind, const std::string& name);
// The templates among the uses, each once, in the order of the uses.
std::vector<std::string> template_names(const std::vector<Use>& uses);
std::string use_line(const Use& use);  // English, for varoctl

}  // namespace varo::analysis

#endif
