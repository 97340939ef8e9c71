// Every line the editor shows for a template or a server list, formatted with a fixed
// width layout and bounded to the size of its line buffer, whatever the store holds.
// A null text reads as "". A line cut at its bound is cut on a character boundary.
#ifndef TARNWRIGHT_TEMPLATE_LINE_FORMAT_H
#define TARNWRIGHT_TEMPLATE_LINE_FORMAT_H

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace lines {

// Bounds of each line, terminator included.
enum {
    TEXT_VIEW_STATE = 150,
    TEXT_VIEW_TRANSITION = 150,
    TEXT_VIEW_ACTION = 150,
    STATE_LIST = 256,
    TRANSITION = 100,
    DUMP_TRANSITION = 100,
    DUMP_ACTION = 150,
    SERVER_LIST = 500,
    TEMPLATE_REFRESH = 376,
    SEVERITY_START = 100
};

// The main window's text view.
std::string text_view_state(const char* state);
std::string text_view_transition(const char* to_state, const char* transition);
std::string text_view_action(const char* action, const char* arg0, const char* arg1);
// The state editor's list: name, severity, poll rate.
std::string state_list(const char* state, const char* severity, const char* poll_rate);
// get_transitions: to-state padded to 25, touching the transition name when longer.
std::string transition(const char* to_state, const char* transition);
// The state information window.
std::string state_dump_transition(const char* to_state, const char* transition);
std::string state_dump_action(const char* action, const char* arg0, const char* arg1);
// The transition information window.
std::string transition_dump_transition(const char* transition);
std::string transition_dump_action(const char* action, const char* arg0, const char* arg1);

// The server lists.
std::string template_line(const char* name, const char* descr, std::size_t bound = SERVER_LIST);
std::string pollrate_line(const char* name, int rate);
std::string severity_line(const char* name, int value, const char* color, std::size_t bound = SERVER_LIST);
std::string condition_line(const char* name);

// The first blank-delimited word of a line: the name an option-menu entry is made from.
std::string first_word(const std::string& line);

// The text as it fits `room` by the given measure (pixels, say): whole when it fits, else
// its start and end with "..." between, keeping as many characters as fit, the start the
// odd one. Cut on character boundaries.
std::string cut_middle(const std::string& text, int room, const std::function<int(const std::string&)>& width);
// Whether `shown` is `text` cut by cut_middle.
bool is_cut_of(const std::string& shown, const std::string& text);

}  // namespace lines

namespace lines {
// Lines in the order add_string gives them one by one: byte order (strcmp), equal lines
// in their original order. One sort instead of one linear insertion per line.
std::vector<std::string> in_list_order(std::vector<std::string> lines);
// Where add_string puts text among items: the 1-based position of the first item that
// sorts after it, or 0 (append) when none does.
int insert_position(const std::vector<std::string>& items, const std::string& text);
}  // namespace lines

#endif
