// What the help client and the viewer say to each other, without X: the 1056-byte records
// kept on the root window's property and the one-line commands they carry.
#ifndef TARNWRIGHT_HELP_HELP_PROTOCOL_H
#define TARNWRIGHT_HELP_HELP_PROTOCOL_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace help_protocol {

constexpr const char* ATOM_NAME = "HyperHelpAtomV40";
constexpr std::size_t RECORD_SIZE = 1056;
constexpr std::size_t COMMAND_OFFSET = 32;
constexpr std::size_t COMMAND_SIZE = RECORD_SIZE - COMMAND_OFFSET;  // with its NUL
// What one read of the property asks for, in 32-bit units (245760 bytes).
constexpr long PROPERTY_READ_UNITS = 61440;
constexpr std::size_t MAX_RECORDS = PROPERTY_READ_UNITS * 4 / RECORD_SIZE;

// One client's record. Integers are 32 bits in the host's byte order.
struct Record {
    std::array<unsigned char, RECORD_SIZE> bytes{};

    static Record for_client(std::uint32_t client);
    std::uint32_t client() const;
    std::uint32_t window() const;
    void set_window(std::uint32_t window);
    // The client's own window (0: not given), which the viewer outlives by no more than a moment.
    std::uint32_t client_window() const;
    void set_client_window(std::uint32_t window);
    // The command text up to its NUL; "" when the field holds no NUL (a garbled record).
    std::string command() const;
    // Stores the command with its NUL; false (record unchanged) when it does not fit.
    bool set_command(const std::string& command);
};

// The whole records of a property's contents. Anything but format 8 of the protocol's own
// type holds none; a trailing part shorter than a record is ignored; at most MAX_RECORDS.
std::vector<Record> read_records(const unsigned char* data, std::size_t bytes, int format, bool own_type);
std::vector<unsigned char> write_records(const std::vector<Record>& records);
// The first record of that client, or null.
Record* find_record(std::vector<Record>& records, std::uint32_t client);

enum class Verb { Invalid, Topic, Contents, Quit };

struct Command {
    Verb verb = Verb::Invalid;
    long number = 0;   // topic (Topic) or client identifier (Quit)
    std::string file;  // Topic and Contents
};

// "-c <topic> <file>\n", "-i <file>\n", "-q <client>\n". Each gives "" when the text would
// not fit a record's command field, or when the file holds a line break.
std::string topic_command(int topic, const std::string& file);
std::string contents_command(const std::string& file);
std::string quit_command(int client);
// Reads a command back; the file is the rest of the line, blanks included.
Command parse_command(const std::string& text);

}  // namespace help_protocol

#endif
