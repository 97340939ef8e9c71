#include "template/line_format.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <locale.h>
#include <vector>

#include "base/utf8.h"

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

// Columns a text takes in a fixed-width font: wide East Asian characters take two, combining
// marks none. Widths come from the C library's UTF-8 tables whatever the program's locale;
// without them every character counts one. A character wcwidth rejects counts one, as its
// byte did before.
std::size_t display_width(const char* text) {
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    std::size_t length = std::strlen(text), pos = 0, columns = 0;
    locale_t previous = utf8 ? uselocale(utf8) : nullptr;
    while (pos < length) {
        char32_t c = utf8_next(text, length, &pos);
        int w = c < 0x80 ? 1 : utf8 ? wcwidth(static_cast<wchar_t>(c)) : 1;
        columns += w < 0 ? 1 : static_cast<std::size_t>(w);
    }
    if (previous) uselocale(previous);
    return columns;
}

// "%-Ns" and "%Ns" by columns shown rather than bytes; plain ASCII comes out as printf has it.
std::string left(const char* text, std::size_t columns) {
    std::string s = safe(text);
    std::size_t w = display_width(s.c_str());
    if (w < columns) s.append(columns - w, ' ');
    return s;
}

std::string right(const char* text, std::size_t columns) {
    std::string s = safe(text);
    std::size_t w = display_width(s.c_str());
    return w < columns ? std::string(columns - w, ' ') + s : s;
}

const char thirty_blanks[] = "                              ";
static_assert(sizeof thirty_blanks == 31, "the action indent is 30 blanks");

}  // namespace

std::string text_view_state(const char* state) { return bounded(TEXT_VIEW_STATE, "%s", safe(state)); }

std::string text_view_transition(const char* to_state, const char* transition) {
    return bounded(TEXT_VIEW_TRANSITION, "       -> %s(%s)", left(to_state, 15).c_str(), safe(transition));
}

std::string text_view_action(const char* action, const char* arg0, const char* arg1) {
    return bounded(TEXT_VIEW_ACTION, "%s%s : %s %s", thirty_blanks, right(action, 15).c_str(), safe(arg0),
                   safe(arg1));
}

std::string state_list(const char* state, const char* severity, const char* poll_rate) {
    return bounded(STATE_LIST, "%s %s %s", left(state, 15).c_str(), left(severity, 15).c_str(),
                   safe(poll_rate));
}

std::string transition(const char* to_state, const char* transition) {
    return bounded(TRANSITION, "%s%s", left(to_state, 25).c_str(), safe(transition));
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
    return bounded(DUMP_ACTION, "     %s < %s %s", right(action, 15).c_str(), safe(arg0), safe(arg1));
}

std::string template_line(const char* name, const char* descr, std::size_t bound) {
    return bounded(bound, "%s %s", left(name, 35).c_str(), safe(descr));
}

std::string pollrate_line(const char* name, int rate) { return bounded(SERVER_LIST, "%s %d", left(name, 25).c_str(), rate); }

std::string severity_line(const char* name, int value, const char* color, std::size_t bound) {
    return bounded(bound, "%s %-5d %s", left(name, 15).c_str(), value, left(color, 10).c_str());
}

std::string condition_line(const char* name) { return bounded(SERVER_LIST, "%s", safe(name)); }

std::string first_word(const std::string& line) {
    static const char blanks[] = " \t\n\r\f\v";
    std::size_t start = line.find_first_not_of(blanks);
    if (start == std::string::npos) return std::string();
    std::size_t end = line.find_first_of(blanks, start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

namespace {
const char ELLIPSIS[] = "...";

// The text kept around the ellipsis when `kept` of its characters stay.
std::string keep(const std::string& text, const std::vector<std::size_t>& starts, std::size_t kept) {
    std::size_t head = (kept + 1) / 2, tail = kept / 2;
    std::size_t characters = starts.size() - 1;
    return text.substr(0, starts[head]) + ELLIPSIS + text.substr(starts[characters - tail]);
}
}  // namespace

std::string cut_middle(const std::string& text, int room, const std::function<int(const std::string&)>& width) {
    int whole = width(text);
    if (whole <= room || whole <= 0) return text;
    std::vector<std::size_t> starts;  // where each character starts, and the end
    for (std::size_t pos = 0; pos < text.size();) {
        starts.push_back(pos);
        utf8_next(text.data(), text.size(), &pos);
    }
    starts.push_back(text.size());
    // Measuring costs: start from the share of characters the room holds, then step to the
    // most that fit (widths grow with the characters kept).
    const std::size_t characters = starts.size() - 1;
    std::size_t kept = std::min(characters - 1, characters * static_cast<std::size_t>(room) / static_cast<std::size_t>(whole));
    auto fits = [&](std::size_t k) { return width(keep(text, starts, k)) <= room; };
    if (fits(kept)) {
        while (kept + 1 < characters && fits(kept + 1)) ++kept;
    } else {
        while (kept > 0 && !fits(kept - 1)) --kept;
        if (kept > 0) --kept;
    }
    return keep(text, starts, kept);
}

bool is_cut_of(const std::string& shown, const std::string& text) {
    std::size_t mark = shown.find(ELLIPSIS);
    if (mark == std::string::npos || shown.size() - 3 >= text.size()) return false;
    std::string head = shown.substr(0, mark), tail = shown.substr(mark + 3);
    return text.compare(0, head.size(), head) == 0 && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace lines

namespace lines {

std::vector<std::string> in_list_order(std::vector<std::string> items) {
    auto before = [](const std::string& a, const std::string& b) { return std::strcmp(a.c_str(), b.c_str()) < 0; };
    // Albums mostly come sorted already: checking is linear, sorting is not.
    if (!std::is_sorted(items.begin(), items.end(), before)) std::stable_sort(items.begin(), items.end(), before);
    return items;
}

int insert_position(const std::vector<std::string>& items, const std::string& text) {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (std::strcmp(text.c_str(), items[i].c_str()) < 0) return static_cast<int>(i) + 1;
    return 0;
}

}  // namespace lines
