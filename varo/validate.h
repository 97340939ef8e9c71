// Checks every backend applies before writing: names, lengths, ranges, condition code and
// the inner consistency of a template. Each throws StoreError(Invalid) saying what is wrong.
#ifndef TARNWRIGHT_VARO_VALIDATE_H
#define TARNWRIGHT_VARO_VALIDATE_H

#include <set>
#include <string>

#include "varo/store.h"

namespace varo {

constexpr std::size_t kMaxName = 64;        // characters (bytes: names are single words)
constexpr std::size_t kMaxDescr = 255;      // bytes
constexpr std::size_t kMaxArgument = 1024;  // bytes of an action argument
constexpr int kMaxValue = 32767;            // severity values and poll rates: 1..kMaxValue
constexpr int kMaxPosition = 32767;         // a state's diagram position: 0..kMaxPosition

// Refuses a NUL byte or bytes that are not UTF-8.
void validate_text(const std::string& what, const std::string& text);
// A name being given: one word of UTF-8, without controls, invisible characters or
// look-alike scripts mixed (see name_problem). what names the field in the text:
// "severity name", "state name"...
void validate_name(const std::string& what, const std::string& name);
// A name already stored, named again (a reference, or a name kept from before the rule on
// invisible characters and scripts): one word of UTF-8 without ASCII controls.
void validate_stored_name(const std::string& what, const std::string& name);
void validate_descr(const std::string& what, const std::string& descr);

// stored: the object is stored under this name already (a change, not a new object).
void validate_severity(const Severity& s, bool stored = false);
void validate_poll_rate(const PollRate& p, bool stored = false);
void validate_condition(const Condition& c, bool stored = false);  // also: the code must parse

// What a stored template already holds under names of its own: those keep the rule they
// were stored under, so a template saved before it stays editable.
struct KeptNames {
    bool template_name = false;
    std::set<std::string> states;
};
// Names, unique states, transitions between states of the template, action kinds.
// Whether the severities, poll rates and conditions exist is the store's to check.
void validate_template(const TemplateDef& def, const KeptNames& kept = {});

}  // namespace varo

#endif
