// Writes the message source corvane.msg for gencat from messages.def, the same list the
// program compiles in as its built-in defaults.
#include <cstdio>
#include <string>

namespace {
struct Entry {
    int set;
    int number;
    const char* text;
};

const Entry entries[] = {
#define MSG(set, number, name, text) {set, number, text},
#include "messages.def"
#undef MSG
};

std::string quoted(const char* text) {
    std::string out = "\"";
    for (const char* p = text; *p; ++p) {
        switch (*p) {
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        default: out += *p;
        }
    }
    return out + "\"";
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: msggen OUTPUT.msg\n");
        return 2;
    }
    FILE* out = std::fopen(argv[1], "w");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(out, "$ Generated from messages.def: edit that file, not this one.\n$quote \"\n");
    int current_set = -1;
    for (const Entry& e : entries) {
        if (e.set != current_set) {
            std::fprintf(out, "$set %d\n", e.set);
            current_set = e.set;
        }
        std::fprintf(out, "%d %s\n", e.number, quoted(e.text).c_str());
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
