// Checks every backend applies before writing: names, lengths, ranges, condition code and
// the inner consistency of a template. Each throws StoreError(Invalid) saying what is wrong.
#ifndef TARNWRIGHT_VARO_VALIDATE_H
#define TARNWRIGHT_VARO_VALIDATE_H

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
// what names the field in the text: "severity name", "state name"...
void validate_name(const std::string& what, const std::string& name);
void validate_descr(const std::string& what, const std::string& descr);

void validate_severity(const Severity& s);
void validate_poll_rate(const PollRate& p);
void validate_condition(const Condition& c);  // also: the code must parse
// Names, unique states, transitions between states of the template, action kinds.
// Whether the severities, poll rates and conditions exist is the store's to check.
void validate_template(const TemplateDef& def);

}  // namespace varo

#endif
