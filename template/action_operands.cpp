#include "template/action_operands.h"

namespace {
bool separates(char c) { return c == ' ' || c == '\t' || c == '\n'; }

std::string quoted(const std::string& text) { return "\"" + text + "\""; }
}  // namespace

std::string join_operand_words(const std::string& text) {
    std::string joined;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && separates(text[i])) ++i;
        std::size_t start = i;
        while (i < text.size() && !separates(text[i])) ++i;
        if (i > start) joined.append(text, start, i - start).push_back(' ');
    }
    return joined;
}

bool ActionOperands::fits() const {
    return first_quoted.size() <= OPERAND_MAX_BYTES && second_quoted.size() <= OPERAND_MAX_BYTES;
}

bool ActionOperands::holds_quote() const {
    return first_field.find('"') != std::string::npos || second_field.find('"') != std::string::npos;
}

ActionOperands normalise_operands(const std::string& first, const std::string& second) {
    ActionOperands ops;
    ops.first_field = join_operand_words(first);
    ops.first_quoted = quoted(ops.first_field);
    ops.second_field = join_operand_words(second);
    ops.second_quoted = quoted(ops.second_field);  // "" when empty, as the engine wants
    return ops;
}
