// Catalogue lookups and the one bounded formatter for catalogue texts.
#include "base/messages.h"

#include "base/utf8.h"

#include "base/data_paths.h"

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

nl_catd catd = reinterpret_cast<nl_catd>(-1);

namespace {
constexpr MessageEntry default_entries[] = {
#define MSG(set, number, name, text) {{set, number}, text},
#include "resources/messages.def"
#undef MSG
};

constexpr bool sorted_and_unique() {
    for (std::size_t i = 1; i < sizeof default_entries / sizeof default_entries[0]; ++i) {
        const MessageId& a = default_entries[i - 1].id;
        const MessageId& b = default_entries[i].id;
        if (a.set > b.set || (a.set == b.set && a.number >= b.number)) return false;
    }
    return true;
}
static_assert(sorted_and_unique(), "messages.def must be sorted by set, then number, without duplicates");

bool catalogue_is_open() { return catd != reinterpret_cast<nl_catd>(-1); }

}  // namespace

void open_message_catalogue() {
    if (catalogue_is_open()) return;
    complete_nlspath();
    catd = catopen("corvane.cat", 0);
}

void close_message_catalogue() {
    if (catalogue_is_open()) catclose(catd);
    catd = reinterpret_cast<nl_catd>(-1);
}

const MessageEntry* message_entries_begin() { return std::begin(default_entries); }
const MessageEntry* message_entries_end() { return std::end(default_entries); }

const char* default_message(MessageId id) {
    for (const MessageEntry& e : default_entries)
        if (e.id.set == id.set && e.id.number == id.number) return e.text;
    return "";
}

const char* message_text(MessageId id) {
    const char* fallback = default_message(id);
    if (!catalogue_is_open()) return fallback;
    const char* text = catgets(catd, id.set, id.number, fallback);
    return text ? text : fallback;
}

std::string format_text(const char* format, std::initializer_list<std::string> args) {
    std::string out;
    auto next = args.begin();
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            ++p;
            continue;
        }
        const char* q = p + 1;
        bool left = false;
        if (*q == '-') {
            left = true;
            ++q;
        }
        std::size_t width = 0;
        while (*q >= '0' && *q <= '9' && width < 1000) width = width * 10 + static_cast<std::size_t>(*q++ - '0');
        if (*q != 's' && *q != 'd') {
            out += *p;  // not a conversion we fill: copy the '%' and go on
            continue;
        }
        std::string value = next != args.end() ? *next++ : std::string();
        if (value.size() < width) {
            std::string pad(width - value.size(), ' ');
            value = left ? value + pad : pad + value;
        }
        out += value;
        p = q;
    }
    return out;
}

std::string format_message(MessageId id, std::initializer_list<std::string> args) {
    return format_text(message_text(id), args);
}

void copy_bounded(char* out, std::size_t size, const std::string& text) {
    if (size == 0) return;
    std::size_t n = utf8_cut_length(text, size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}
