// The message catalogue corvane.cat: every user-visible text by set and number, with the
// built-in default of messages.def when the catalogue or the entry is missing.
#ifndef TARNWRIGHT_BASE_MESSAGES_H
#define TARNWRIGHT_BASE_MESSAGES_H

#include <initializer_list>
#include <nl_types.h>
#include <string>

extern nl_catd catd;

// Completes NLSPATH with the installed and the build-tree catalogue folders, then opens
// "corvane.cat". Safe to call more than once.
void open_message_catalogue();
void close_message_catalogue();

// A message of the catalogue, by set and number. Code names it by the constant messages.def
// gives it (msg::ADD_STATE_FAILED), never by its number.
struct MessageId {
    int set;
    int number;
};

namespace msg {
#define MSG(set, number, name, text) constexpr MessageId name{set, number};
#include "resources/messages.def"
#undef MSG
}  // namespace msg

// Every entry of messages.def, in its order, with its built-in default.
struct MessageEntry {
    MessageId id;
    const char* text;
};
const MessageEntry* message_entries_begin();
const MessageEntry* message_entries_end();

// The built-in default of a message.
const char* default_message(MessageId id);
// The catalogue's text, or the default. Never null.
const char* message_text(MessageId id);

// Fills a message's %s, %d and width/justification conversions ("%-15s", "%5d") from
// the given texts, in order. The message is the only format: arguments are never parsed,
// missing arguments read as "", and surplus conversions or unknown ones are copied as is.
std::string format_text(const char* format, std::initializer_list<std::string> args);
std::string format_message(MessageId id, std::initializer_list<std::string> args);

// Copies text into a fixed buffer of size bytes, cut on a UTF-8 character boundary and
// always terminated.
void copy_bounded(char* out, std::size_t size, const std::string& text);

#endif
