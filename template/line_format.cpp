#include "template/line_format.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "varo/utf8.h"

namespace lines {
namespace {

const char* safe(const char* text) { return text ? text : ""; }

// Formats with one of this file's constant formats into a buffer of `bound` bytes and
// drops a character that the bound cut in half.
std::string bounded(std::size_t bound, const char* format, ...) __attribute__((format(printf, 2, 3)));
std::string bounded(std::size_t bound, const char* format, ...) {
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    int wanted = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (wanted < 0) {
        va_end(again);
        return std::string();
    }
    std::vector<char> buffer(static_cast<std::size_t>(wanted) + 1, '\0');
    std::vsnprintf(buffer.data(), buffer.size(), format, again);
    va_end(again);
    return std::string(buffer.data(), utf8_cut_length(buffer.data(), static_cast<std::size_t>(wanted), bound - 1));
}

const char thirty_blanks[] = "                              ";
static_assert(sizeof thirty_blanks == 31, "the action indent is 30 blanks");

}  // namespace

std::string text_view_state(const char* state) { return bounded(TEXT_VIEW_STATE, "%s", safe(state)); }

std::string text_view_transition(const char* to_state, const char* transition) {
    return bounded(TEXT_VIEW_TRANSITION, "       -> %-15s(%s)", safe(to_state), safe(transition));
}

std::string text_view_action(const char* action, const char* arg0, const char* arg1) {
    return bounded(TEXT_VIEW_ACTION, "%s%15s : %s %s", thirty_blanks, safe(action), safe(arg0), safe(arg1));
}

std::string state_list(const char* state, const char* severity, const char* poll_rate) {
    return bounded(STATE_LIST, "%-15s %-15s %s", safe(state), safe(severity), safe(poll_rate));
}

std::string transition(const char* to_state, const char* transition) {
    return bounded(TRANSITION, "%-25s%s", safe(to_state), safe(transition));
}

std::string state_dump_transition(const char* to_state, const char* transition) {
    return bounded(DUMP_TRANSITION, "-> %s  (%s)", safe(to_state), safe(transition));
}

std::string state_dump_action(const char* action, const char* arg0, const char* arg1) {
    return bounded(DUMP_ACTION, "     %s < %s %s", safe(action), safe(arg0), safe(arg1));
}

std::string transition_dump_transition(const char* transition) {
    return bounded(DUMP_TRANSITION, "(%s)", safe(transition));
}

std::string transition_dump_action(const char* action, const char* arg0, const char* arg1) {
    return bounded(DUMP_ACTION, "     %15s < %s %s", safe(action), safe(arg0), safe(arg1));
}

std::string template_line(const char* name, const char* descr, std::size_t bound) {
    return bounded(bound, "%-35s %s", safe(name), safe(descr));
}

std::string pollrate_line(const char* name, int rate) { return bounded(SERVER_LIST, "%-25s %d", safe(name), rate); }

std::string severity_line(const char* name, int value, const char* color, std::size_t bound) {
    return bounded(bound, "%-15s %-5d %-10s", safe(name), value, safe(color));
}

std::string condition_line(const char* name) { return bounded(SERVER_LIST, "%s", safe(name)); }

std::string first_word(const std::string& line) {
    static const char blanks[] = " \t\n\r\f\v";
    std::size_t start = line.find_first_not_of(blanks);
    if (start == std::string::npos) return std::string();
    std::size_t end = line.find_first_of(blanks, start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace lines

namespace lines {

std::vector<std::string> in_list_order(std::vector<std::string> items) {
    std::stable_sort(items.begin(), items.end(), [](const std::string& a, const std::string& b) {
        return std::strcmp(a.c_str(), b.c_str()) < 0;
    });
    return items;
}

int insert_position(const std::vector<std::string>& items, const std::string& text) {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (std::strcmp(text.c_str(), items[i].c_str()) < 0) return static_cast<int>(i) + 1;
    return 0;
}

}  // namespace lines
