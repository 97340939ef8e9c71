// The help file format of hyperhelp, read into pages the viewer shows as they are.
//
//   # a comment (a '#' in the first column)
//   .title Tarnwright Help            the document's title
//   .contents Contents                the contents page (topic 0, shown by "-i")
//   .topic 5000 The main window       a topic and its title; numbers are unique
//   == Controls                       a heading inside a topic
//   - Save: writes the template.      a list item; indented lines continue it
//   See {5200|the state editor}.      a link to topic 5200, shown as "the state editor"
//   {{                                a literal '{'
//
// Other lines are running text: lines next to each other form one paragraph, a blank line
// ends it. Text before the first section, a link to a topic the file does not have, an
// unclosed link and a repeated topic number are reported with their line. A file that is
// empty, not text, or beyond a limit below is refused whole, with the reason.
#ifndef TARNWRIGHT_HELP_VIEWER_HELP_TEXT_H
#define TARNWRIGHT_HELP_VIEWER_HELP_TEXT_H

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace help_text {

constexpr int CONTENTS = 0;

// What a help file may hold.
constexpr std::size_t MAX_FILE_BYTES = 4 << 20;
constexpr std::size_t MAX_LINE_BYTES = 1 << 20;
constexpr std::size_t MAX_TOPICS = 10000;
// A page's lines are broken (at a blank where there is one) at this length: the text widget
// wraps a line in time that grows with the square of its length.
constexpr std::size_t MAX_SHOWN_LINE = 2000;

struct Link {
    std::size_t start = 0, end = 0;  // in the topic's text
    int target = 0;
};

struct Topic {
    int number = 0;
    std::string title;
    std::string text;  // the title line, then the paragraphs, ready to show
    std::vector<Link> links;
};

struct Document {
    std::string title;
    std::vector<Topic> topics;  // in file order
    std::map<int, std::size_t> index;  // topic number -> position in topics
    const Topic* find(int number) const;
};

struct Problem {
    int line = 0;
    std::string what;
};

struct Parsed {
    Document document;
    std::vector<Problem> problems;
    std::string refused;  // why nothing of the file can be shown; "" when it can
};

Parsed parse(const std::string& source);
// Reads and parses a file, refusing one it cannot open, that is not a regular file, is
// empty, is larger than MAX_FILE_BYTES or is not text.
Parsed read_file(const std::string& path);

// The link at a position of a topic's text, or null.
const Link* link_at(const Topic& topic, std::size_t position);

// Where needle next occurs (ignoring case), looking from (topic, from) onwards through the
// following topics and round to the start. False when it occurs nowhere.
struct Place {
    std::size_t topic = 0;  // index into topics
    std::size_t offset = 0;
};
bool find_next(const Document& document, const std::string& needle, Place from, Place& found);

}  // namespace help_text

#endif
