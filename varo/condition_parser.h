// The condition-code language: what a condition tests on a managed object, e.g.
//   ifOperStatus != "up" and ifInErrors > 100
// A recursive-descent parser turns code into a tree, or says where it is wrong.
#ifndef TARNWRIGHT_VARO_CONDITION_PARSER_H
#define TARNWRIGHT_VARO_CONDITION_PARSER_H

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace varo {

struct ConditionNode {
    enum Kind { Or, And, Not, Compare, In, Arith, Negate, Attribute, Number, String, Boolean };
    Kind kind;
    std::string op;    // "or", "and", "not", "==", "!=", "<", "<=", ">", ">=", "in", "not in", "+", "-", "*", "/"
    std::string text;  // attribute name, number as written, string value, "true"/"false"
    std::vector<std::unique_ptr<ConditionNode>> children;
    int line = 0, column = 0;
};

struct ConditionError {
    int line = 0, column = 0;  // 1-based; column counts characters
    std::string message;       // e.g. "expected a value after '>'"
    std::string text() const;  // "line 2, column 7: expected a value after '>'"
};

struct ConditionParse {
    std::unique_ptr<ConditionNode> tree;  // null when error is set
    std::optional<ConditionError> error;
};

// Longest condition code accepted, in bytes.
constexpr std::size_t kMaxConditionCode = 65536;

ConditionParse parse_condition(const std::string& code);

// The error text of code that does not parse, or nothing.
std::optional<std::string> condition_code_error(const std::string& code);

// The tree written back fully parenthesised: "(and (!= ifOperStatus \"up\") (> ifInErrors 100))".
std::string condition_to_string(const ConditionNode& node);

}  // namespace varo

#endif
