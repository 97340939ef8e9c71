// The command line: tarnedit [-help] [-host <server>] [-t <template>] (and the launcher's
// -fd <n>), read strictly in pairs. Plain functions, so tests call them directly.
#ifndef TARNWRIGHT_APP_COMMAND_LINE_H
#define TARNWRIGHT_APP_COMMAND_LINE_H

#include <string>

struct CommandLine {
    bool ok = true;  // false: show the usage text and exit with status 1
    int fd = 0;      // -fd value (atoi); 0 means no start-up report
    std::string host = "localhost";
    std::string template_name = "Noname";
};

// Each recognised option takes the next argument whatever it looks like; the last of a
// repeated option wins. Anything else, "-help" and X toolkit options included, is a usage
// error, and so is a -host or -t value too long for its 64-byte buffer.
CommandLine parse_command_line(int argc, const char* const* argv);

// The usage text (messages 9 to 12).
std::string usage_text();

// "localhost" becomes this machine's host name (cut to fit size bytes); other names stay.
void replace_localhost(char* host, std::size_t size);

#endif
