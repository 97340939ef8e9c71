// Field and template checks shared by every backend.
#include "varo/validate.h"

#include <set>
#include <tuple>

#include "varo/condition_parser.h"
#include "base/utf8.h"

namespace varo {

namespace {
[[noreturn]] void invalid(const std::string& text) { throw StoreError(StoreError::Invalid, text); }

bool is_blank(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

// Length of the UTF-8 sequence that starts text[i], or 0 when it is not a valid one
// (overlong forms, surrogates and code points past U+10FFFF included).
std::size_t utf8_sequence(const std::string& text, std::size_t i) {
    auto byte = [&](std::size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
    auto tail = [&](std::size_t k) { return (byte(k) & 0xC0) == 0x80; };
    unsigned c = byte(i);
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return tail(i + 1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        unsigned c1 = byte(i + 1);
        if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 > 0x9F)) return 0;
        return tail(i + 1) && tail(i + 2) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        unsigned c1 = byte(i + 1);
        if ((c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 > 0x8F)) return 0;
        return tail(i + 1) && tail(i + 2) && tail(i + 3) ? 4 : 0;
    }
    return 0;
}
}  // namespace

// Both backends keep the same texts: one refuses a NUL or bytes that are not UTF-8, so both do.
void validate_text(const std::string& what, const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '\0') invalid(what + " contains a NUL byte");
        std::size_t n = utf8_sequence(text, i);
        if (n == 0) invalid(what + " is not valid UTF-8 text");
        i += n;
    }
}

void validate_stored_name(const std::string& what, const std::string& name) {
    if (name.empty()) invalid(what + " is empty");
    validate_text(what, name);
    for (unsigned char c : name) {
        if (is_blank(c)) invalid(what + " " + quoted(name) + " contains white space");
        if (c < 0x20 || c == 0x7f) invalid(what + " contains a control character");
    }
    if (name.size() > kMaxName) invalid(what + " is longer than " + std::to_string(kMaxName) + " characters");
}

void validate_name(const std::string& what, const std::string& name) {
    validate_stored_name(what, name);
    NameProblem problem = name_problem(name);
    switch (problem.fault) {
    case NameFault::Clean: return;
    case NameFault::Space:
        invalid(what + " " + quoted(name) + " contains white space (" + code_point_label(problem.character) + ")");
    case NameFault::Invisible:
        // The name itself is left out: the character may reorder or hide the text around it.
        invalid(what + " contains an invisible or control character (" + code_point_label(problem.character) + ")");
    case NameFault::MixedScripts:
        invalid(what + " " + quoted(name) + " mixes look-alike letters of different scripts (Latin with Cyrillic, say)");
    }
}

void validate_descr(const std::string& what, const std::string& descr) {
    validate_text(what, descr);
    if (descr.size() > kMaxDescr) invalid(what + " is longer than " + std::to_string(kMaxDescr) + " bytes");
}

void validate_severity(const Severity& s, bool stored) {
    (stored ? validate_stored_name : validate_name)("severity name", s.name);
    if (s.value < 1 || s.value > kMaxValue)
        invalid("severity " + quoted(s.name) + ": value must be 1 to " + std::to_string(kMaxValue));
    validate_name("severity colour", s.color);
}

void validate_poll_rate(const PollRate& p, bool stored) {
    (stored ? validate_stored_name : validate_name)("poll rate name", p.name);
    if (p.rate < 1 || p.rate > kMaxValue)
        invalid("poll rate " + quoted(p.name) + ": rate must be 1 to " + std::to_string(kMaxValue));
}

void validate_condition(const Condition& c, bool stored) {
    (stored ? validate_stored_name : validate_name)("condition name", c.name);
    validate_descr("condition description", c.descr);
    validate_text("condition " + quoted(c.name) + " code", c.code);
    if (auto error = condition_code_error(c.code)) invalid("condition " + quoted(c.name) + ": " + *error);
}

void validate_template(const TemplateDef& def, const KeptNames& kept) {
    (kept.template_name ? validate_stored_name : validate_name)("template name", def.name);
    validate_descr("template description", def.descr);
    const std::string where = "template " + quoted(def.name) + ": ";
    std::set<std::string> states;
    for (const State& s : def.states) {
        (kept.states.count(s.name) ? validate_stored_name : validate_name)(where + "state name", s.name);
        validate_descr(where + "state " + quoted(s.name) + " description", s.descr);
        validate_stored_name(where + "state " + quoted(s.name) + " severity", s.severity);
        validate_stored_name(where + "state " + quoted(s.name) + " poll rate", s.poll_rate);
        if (!states.insert(s.name).second) invalid(where + "state " + quoted(s.name) + " appears twice");
        if (s.position && (s.position->x < 0 || s.position->x > kMaxPosition || s.position->y < 0 ||
                           s.position->y > kMaxPosition))
            invalid(where + "state " + quoted(s.name) + " position is outside 0 to " + std::to_string(kMaxPosition));
    }
    std::set<std::tuple<std::string, std::string, std::string>> seen;
    for (const Transition& t : def.transitions) {
        const std::string tw = where + "transition " + quoted(t.from) + " -> " + quoted(t.to) + ": ";
        if (!states.count(t.from)) invalid(tw + "no state " + quoted(t.from) + " in the template");
        if (!states.count(t.to)) invalid(tw + "no state " + quoted(t.to) + " in the template");
        validate_stored_name(tw + "condition name", t.condition);
        if (!seen.insert({t.from, t.to, t.condition}).second)
            invalid(tw + "the transition on condition " + quoted(t.condition) + " appears twice");
        for (const Action& a : t.actions) {
            if (a.kind == "CONDITION") {
                validate_stored_name(tw + "raised condition name", a.arg0);
                if (!a.arg1.empty()) invalid(tw + "a CONDITION action takes one argument");
            } else if (a.kind == "COMMAND" || a.kind == "MAIL") {
                validate_text(tw + "action argument", a.arg0);
                validate_text(tw + "action argument", a.arg1);
                if (a.arg0.size() > kMaxArgument || a.arg1.size() > kMaxArgument)
                    invalid(tw + "an action argument is longer than " + std::to_string(kMaxArgument) + " bytes");
            } else {
                invalid(tw + "unknown action kind " + quoted(a.kind) + " (COMMAND, MAIL or CONDITION)");
            }
        }
    }
}

}  // namespace varo
