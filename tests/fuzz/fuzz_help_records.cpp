// The help client's reader of the root window's property: whatever another client left
// there, only whole records come out, and reading and rewriting them stays in bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "help/help_protocol.h"

namespace hp = help_protocol;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte picks the property's format and whether its type is the protocol's.
    int format = (data[0] & 3) == 0 ? 32 : (data[0] & 3) == 1 ? 16 : 8;
    bool own_type = (data[0] & 4) == 0;
    auto records = hp::read_records(data + 1, size - 1, format, own_type);
    if (records.size() > (size - 1) / hp::RECORD_SIZE) std::abort();
    for (hp::Record& r : records) {
        std::string command = r.command();
        if (command.size() >= hp::COMMAND_SIZE) std::abort();
        hp::Command cmd = hp::parse_command(command);
        if (cmd.verb == hp::Verb::Topic && hp::topic_command(static_cast<int>(cmd.number), cmd.file).size() >= hp::COMMAND_SIZE)
            std::abort();
        r.set_window(r.window() ^ 1u);
        if (!r.set_command(command)) std::abort();
    }
    if (const hp::Record* mine = hp::find_record(records, 67890))
        if (mine->client() != 67890) std::abort();
    auto bytes = hp::write_records(records);
    if (bytes.size() != records.size() * hp::RECORD_SIZE) std::abort();
    return 0;
}
