// Command-line parsing and the usage text.
#include "app/command_line.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "base/globals.h"
#include "base/messages.h"

namespace {

bool fits(const char* value, std::size_t buffer_size) { return std::strlen(value) < buffer_size; }
}  // namespace

CommandLine parse_command_line(int argc, const char* const* argv) {
    CommandLine line;
    for (int i = 1; i < argc; i += 2) {
        const char* option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!value) {
            line.ok = false;
        } else if (std::strcmp(option, "-fd") == 0) {
            line.fd = std::atoi(value);
        } else if (std::strcmp(option, "-host") == 0 && fits(value, PLATFORM_NAME_SIZE)) {
            line.host = value;
        } else if (std::strcmp(option, "-t") == 0 && fits(value, TEMPLATE_NAME_SIZE)) {
            line.template_name = value;
        } else {
            line.ok = false;
        }
        if (!line.ok) break;
    }
    return line;
}

std::string usage_text() {
    // The first line is the format, as the catalogue may give it conversions; no
    // arguments are ever filled in.
    std::string text = format_message(msg::USAGE, {});
    text += message_text(msg::USAGE_HELP);
    text += message_text(msg::USAGE_HOST);
    text += message_text(msg::USAGE_TEMPLATE);
    return text;
}

void replace_localhost(char* host, std::size_t size) {
    if (size == 0 || std::strcmp(host, "localhost") != 0) return;
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return;  // keep "localhost"
    copy_bounded(host, size, name);
}
