// Any two texts: the normalised fields hold single-space-separated words with a trailing
// space, carry every word of the input in order, normalise to themselves again, and the
// quoted operands are the fields in double quotes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "template/action_operands.h"

namespace {
bool separates(char c) { return c == ' ' || c == '\t' || c == '\n'; }

std::string without_separators(const std::string& s) {
    std::string out;
    for (char c : s)
        if (!separates(c)) out.push_back(c);
    return out;
}

void check_field(const std::string& input, const std::string& field, const std::string& quoted) {
    if (quoted != "\"" + field + "\"") std::abort();
    if (without_separators(field) != without_separators(input)) std::abort();
    if (field.empty()) return;
    if (separates(field.front()) || field.back() != ' ') std::abort();
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\t' || field[i] == '\n') std::abort();
        if (field[i] == ' ' && i + 1 < field.size() && field[i + 1] == ' ') std::abort();
    }
    if (join_operand_words(field) != field) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string all(reinterpret_cast<const char*>(data), size);
    // The first 0xff byte splits the input into the two fields.
    std::size_t cut = all.find('\xff');
    std::string first = all.substr(0, cut);
    std::string second = cut == std::string::npos ? std::string() : all.substr(cut + 1);
    ActionOperands ops = normalise_operands(first, second);
    check_field(first, ops.first_field, ops.first_quoted);
    check_field(second, ops.second_field, ops.second_quoted);
    if (ops.has_command() != !ops.first_field.empty()) std::abort();
    bool fits = ops.first_quoted.size() <= OPERAND_MAX_BYTES && ops.second_quoted.size() <= OPERAND_MAX_BYTES;
    if (ops.fits() != fits) std::abort();
    return 0;
}
