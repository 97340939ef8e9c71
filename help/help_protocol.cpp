// Help records and commands.
#include "help/help_protocol.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace help_protocol {
namespace {
constexpr std::size_t CLIENT_OFFSET = 0;
constexpr std::size_t CLIENT_WINDOW_OFFSET = 4;
constexpr std::size_t WINDOW_OFFSET = 8;

std::uint32_t get32(const unsigned char* at) {
    std::uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

void put32(unsigned char* at, std::uint32_t value) { std::memcpy(at, &value, sizeof value); }

std::string bounded(std::string text) {
    if (text.size() >= COMMAND_SIZE) return "";
    return text;
}

bool one_line(const std::string& file) { return file.find_first_of("\n\r") == std::string::npos; }

// A decimal number followed by a blank or the end; advances pos past it.
bool read_number(const std::string& text, std::size_t& pos, long& value) {
    const char* start = text.c_str() + pos;
    if (!(*start == '-' || (*start >= '0' && *start <= '9'))) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtol(start, &end, 10);
    if (end == start || errno == ERANGE || (*end != ' ' && *end != '\0')) return false;
    pos = static_cast<std::size_t>(end - text.c_str());
    return true;
}
}  // namespace

Record Record::for_client(std::uint32_t client) {
    Record r;
    put32(r.bytes.data() + CLIENT_OFFSET, client);
    return r;
}

std::uint32_t Record::client() const { return get32(bytes.data() + CLIENT_OFFSET); }
std::uint32_t Record::window() const { return get32(bytes.data() + WINDOW_OFFSET); }
void Record::set_window(std::uint32_t window) { put32(bytes.data() + WINDOW_OFFSET, window); }
std::uint32_t Record::client_window() const { return get32(bytes.data() + CLIENT_WINDOW_OFFSET); }
void Record::set_client_window(std::uint32_t window) { put32(bytes.data() + CLIENT_WINDOW_OFFSET, window); }

std::string Record::command() const {
    const unsigned char* field = bytes.data() + COMMAND_OFFSET;
    const void* nul = std::memchr(field, '\0', COMMAND_SIZE);
    if (!nul) return "";
    return std::string(reinterpret_cast<const char*>(field), static_cast<const unsigned char*>(nul) - field);
}

bool Record::set_command(const std::string& command) {
    if (command.size() >= COMMAND_SIZE || command.find('\0') != std::string::npos) return false;
    unsigned char* field = bytes.data() + COMMAND_OFFSET;
    std::memset(field, 0, COMMAND_SIZE);
    std::memcpy(field, command.data(), command.size());
    return true;
}

std::vector<Record> read_records(const unsigned char* data, std::size_t bytes, int format, bool own_type) {
    std::vector<Record> records;
    if (!data || format != 8 || !own_type) return records;
    std::size_t whole = bytes / RECORD_SIZE;
    if (whole > MAX_RECORDS) whole = MAX_RECORDS;
    records.resize(whole);
    for (std::size_t i = 0; i < whole; ++i) std::memcpy(records[i].bytes.data(), data + i * RECORD_SIZE, RECORD_SIZE);
    return records;
}

std::vector<unsigned char> write_records(const std::vector<Record>& records) {
    std::vector<unsigned char> out;
    out.reserve(records.size() * RECORD_SIZE);
    for (const Record& r : records) out.insert(out.end(), r.bytes.begin(), r.bytes.end());
    return out;
}

Record* find_record(std::vector<Record>& records, std::uint32_t client) {
    for (Record& r : records)
        if (r.client() == client) return &r;
    return nullptr;
}

std::string topic_command(int topic, const std::string& file) {
    if (!one_line(file)) return "";
    return bounded("-c " + std::to_string(topic) + " " + file + "\n");
}

std::string contents_command(const std::string& file) {
    if (!one_line(file)) return "";
    return bounded("-i " + file + "\n");
}

std::string quit_command(int client) { return "-q " + std::to_string(client) + "\n"; }

Command parse_command(const std::string& raw) {
    Command cmd;
    std::string text = raw;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (text.size() < 3 || text[0] != '-' || text[2] != ' ' || !one_line(text)) return cmd;
    std::size_t pos = 3;
    switch (text[1]) {
    case 'c':
        if (!read_number(text, pos, cmd.number) || pos >= text.size()) return cmd;
        cmd.file = text.substr(pos + 1);
        if (!cmd.file.empty()) cmd.verb = Verb::Topic;
        break;
    case 'i':
        cmd.file = text.substr(pos);
        if (!cmd.file.empty()) cmd.verb = Verb::Contents;
        break;
    case 'q':
        if (read_number(text, pos, cmd.number) && pos == text.size()) cmd.verb = Verb::Quit;
        break;
    default:
        break;
    }
    return cmd;
}

}  // namespace help_protocol
