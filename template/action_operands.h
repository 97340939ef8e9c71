// The two operands of a command or mail action as the transition editor sends them: the
// words of each field joined with single spaces, then double-quoted. No toolkit here.
#ifndef TARNWRIGHT_TEMPLATE_ACTION_OPERANDS_H
#define TARNWRIGHT_TEMPLATE_ACTION_OPERANDS_H

#include <cstddef>
#include <string>

// The longest quoted operand the request engine keeps.
enum { OPERAND_MAX_BYTES = 255 };

// The words of text (split at spaces, tabs and newlines), each followed by one space;
// "" when there is none.
std::string join_operand_words(const std::string& text);

struct ActionOperands {
    std::string first_field;   // what each field is rewritten to
    std::string second_field;
    std::string first_quoted;  // what the engine gets
    std::string second_quoted;
    bool has_command() const { return !first_field.empty(); }
    // Whether both quoted operands are within OPERAND_MAX_BYTES.
    bool fits() const;
    // Whether a field holds a double quote, which would end its quoted operand early.
    bool holds_quote() const;
};

// An empty second operand becomes the two characters "" (an empty quoted text).
ActionOperands normalise_operands(const std::string& first, const std::string& second);

#endif
