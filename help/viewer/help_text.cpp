// Reading help files.
#include "help/viewer/help_text.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace help_text {
namespace {
void break_long_lines(Topic& topic);

struct PendingLink {
    Link link;
    int line;
};

class Reader {
public:
    Parsed run(const std::string& source) {
        if (source.empty()) return refused("it is empty");
        for (std::size_t i = 0; i < source.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(source[i]);
            if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') || c == 0x7f) {
                char what[80];
                std::snprintf(what, sizeof what, "it is not text (byte 0x%02x at offset %zu)", c, i);
                return refused(what);
            }
        }
        for (std::size_t start = 0; start < source.size();) {
            std::size_t end = source.find('\n', start);
            if (end == std::string::npos) end = source.size();
            ++line_no;
            if (end - start > MAX_LINE_BYTES)
                return refused("line " + std::to_string(line_no) + " is longer than " +
                               std::to_string(MAX_LINE_BYTES) + " bytes");
            std::string line = source.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            handle(line);
            if (!result.refused.empty()) return refused(result.refused);
            start = end + 1;
        }
        finish_topic();
        if (result.document.topics.empty()) return refused("it has no topics");
        for (const PendingLink& p : pending)
            if (!result.document.find(p.link.target))
                problem(p.line, "link to topic " + std::to_string(p.link.target) + ", which the file does not have");
        return std::move(result);
    }

private:
    Parsed result;
    Topic* topic = nullptr;
    bool in_paragraph = false;
    bool after_heading = false;
    int line_no = 0;
    std::vector<PendingLink> pending;

    void problem(int line, const std::string& what) { result.problems.push_back({line, what}); }

    // Nothing of a refused file is kept.
    static Parsed refused(const std::string& why) {
        Parsed none;
        none.refused = why;
        return none;
    }

    static std::string trim(const std::string& s) {
        std::size_t a = s.find_first_not_of(" \t");
        if (a == std::string::npos) return "";
        std::size_t b = s.find_last_not_of(" \t");
        return s.substr(a, b - a + 1);
    }

    static bool starts(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

    void handle(const std::string& line) {
        if (starts(line, "#")) return;
        if (starts(line, ".title ")) {
            result.document.title = trim(line.substr(7));
            return;
        }
        if (starts(line, ".contents")) {
            std::string title = trim(line.substr(9));
            start_topic(CONTENTS, title.empty() ? "Contents" : title);
            return;
        }
        if (starts(line, ".topic ")) {
            std::string rest = trim(line.substr(7));
            char* end = nullptr;
            long number = std::strtol(rest.c_str(), &end, 10);
            if (end == rest.c_str() || number <= 0 || number > 999999 || (*end && *end != ' ' && *end != '\t')) {
                problem(line_no, "a topic needs a number above 0");
                topic = nullptr;
                return;
            }
            start_topic(static_cast<int>(number), trim(end));
            return;
        }
        std::string text = trim(line);
        if (text.empty()) {
            in_paragraph = false;
            return;
        }
        if (!topic) {
            problem(line_no, "text outside a topic");
            return;
        }
        bool continuation = line[0] == ' ' || line[0] == '\t';
        if (starts(text, "== ")) {
            new_block();
            add_text(trim(text.substr(3)));
            topic->text += "\n";
            after_heading = true;
            in_paragraph = false;
        } else if (starts(text, "- ") && !continuation) {
            if (in_paragraph) topic->text += "\n";
            else new_block();
            topic->text += "- ";
            add_text(trim(text.substr(2)));
            in_paragraph = true;
        } else {
            if (in_paragraph) topic->text += " ";
            else new_block();
            add_text(text);
            in_paragraph = true;
        }
    }

    void start_topic(int number, const std::string& title) {
        finish_topic();
        if (result.document.find(number)) {
            problem(line_no, "topic " + std::to_string(number) + " appears twice");
            topic = nullptr;
            return;
        }
        if (result.document.topics.size() == MAX_TOPICS) {
            result.refused = "it has more than " + std::to_string(MAX_TOPICS) + " topics";
            return;
        }
        result.document.index.emplace(number, result.document.topics.size());
        result.document.topics.push_back(Topic{number, title, title + "\n", {}});
        topic = &result.document.topics.back();
        in_paragraph = false;
        after_heading = false;
    }

    void finish_topic() {
        if (topic && !topic->text.empty() && topic->text.back() != '\n') topic->text += "\n";
        if (topic) break_long_lines(*topic);
        topic = nullptr;
    }

    // Blocks are set apart by a blank line, but a heading stays on top of its block.
    void new_block() {
        if (topic->text.empty() || topic->text.back() != '\n') topic->text += "\n";
        if (!after_heading) topic->text += "\n";
        after_heading = false;
    }

    // Copies running text, turning {N|label} into the label and a link.
    void add_text(const std::string& text) {
        std::size_t i = 0;
        while (i < text.size()) {
            char c = text[i];
            if (c != '{') {
                topic->text += c;
                ++i;
                continue;
            }
            if (i + 1 < text.size() && text[i + 1] == '{') {
                topic->text += '{';
                i += 2;
                continue;
            }
            std::size_t bar = text.find('|', i);
            std::size_t close = text.find('}', i);
            if (close == std::string::npos || bar == std::string::npos || bar > close) {
                problem(line_no, "a link is {number|text}");
                topic->text += text.substr(i);
                return;
            }
            std::string number = text.substr(i + 1, bar - i - 1);
            char* end = nullptr;
            long target = std::strtol(number.c_str(), &end, 10);
            if (number.empty() || *end || target < 0 || target > 999999) {
                problem(line_no, "a link is {number|text}");
                target = -1;
            }
            Link link;
            link.start = topic->text.size();
            topic->text += text.substr(bar + 1, close - bar - 1);
            link.end = topic->text.size();
            link.target = static_cast<int>(target);
            if (target >= 0 && link.end > link.start) {
                topic->links.push_back(link);
                pending.push_back({link, line_no});
            }
            i = close + 1;
        }
    }
};

// One pass: a line reaching MAX_SHOWN_LINE ends at its last blank, or where it is (between
// two characters) when it has none; links move with the characters they cover.
void break_long_lines(Topic& topic) {
    const std::string& in = topic.text;
    std::string out;
    out.reserve(in.size() + in.size() / MAX_SHOWN_LINE + 1);
    std::vector<std::size_t> added;  // positions in `in` a line break was put before
    std::size_t line_start = 0, blank = std::string::npos;
    for (std::size_t i = 0; i < in.size(); ++i) {
        char c = in[i];
        if (c != '\n' && out.size() - line_start >= MAX_SHOWN_LINE) {
            if (blank != std::string::npos) {
                out[blank] = '\n';
                line_start = blank + 1;
                blank = std::string::npos;
            } else if ((static_cast<unsigned char>(c) & 0xc0) != 0x80) {
                out += '\n';
                added.push_back(i);
                line_start = out.size();
            }
        }
        if (c == '\n') {
            line_start = out.size() + 1;
            blank = std::string::npos;
        } else if (c == ' ') {
            blank = out.size();
        }
        out += c;
    }
    auto before = [&](std::size_t pos, bool inclusive) {
        auto at = inclusive ? std::upper_bound(added.begin(), added.end(), pos)
                            : std::lower_bound(added.begin(), added.end(), pos);
        return static_cast<std::size_t>(at - added.begin());
    };
    for (Link& l : topic.links) {
        l.start += before(l.start, true);
        l.end += before(l.end, false);
    }
    topic.text = std::move(out);
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}
}  // namespace

const Topic* Document::find(int number) const {
    auto at = index.find(number);
    return at == index.end() ? nullptr : &topics[at->second];
}

Parsed parse(const std::string& source) { return Reader().run(source); }

Parsed read_file(const std::string& path) {
    Parsed none;
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        none.refused = std::strerror(errno);
        return none;
    }
    if (!S_ISREG(st.st_mode)) {
        none.refused = "it is not a regular file";
        return none;
    }
    if (static_cast<std::uintmax_t>(st.st_size) > MAX_FILE_BYTES) {
        none.refused = "it is larger than " + std::to_string(MAX_FILE_BYTES >> 20) + " MB";
        return none;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        none.refused = std::strerror(errno);
        return none;
    }
    std::ostringstream all;
    all << in.rdbuf();
    // It may have grown since the look above.
    if (all.str().size() > MAX_FILE_BYTES) {
        none.refused = "it is larger than " + std::to_string(MAX_FILE_BYTES >> 20) + " MB";
        return none;
    }
    return parse(all.str());
}

const Link* link_at(const Topic& topic, std::size_t position) {
    for (const Link& l : topic.links)
        if (position >= l.start && position < l.end) return &l;
    return nullptr;
}

bool find_next(const Document& document, const std::string& needle, Place from, Place& found) {
    std::size_t count = document.topics.size();
    if (needle.empty() || count == 0) return false;
    std::string want = lower(needle);
    for (std::size_t step = 0; step <= count; ++step) {
        std::size_t index = (from.topic + step) % count;
        std::string text = lower(document.topics[index].text);
        std::size_t start = step == 0 ? from.offset : 0;
        std::size_t hit = start <= text.size() ? text.find(want, start) : std::string::npos;
        // Past the end of the round: only what lies before the starting point is new.
        if (step == count && (hit == std::string::npos || hit >= from.offset)) return false;
        if (hit != std::string::npos) {
            found = {index, hit};
            return true;
        }
    }
    return false;
}

}  // namespace help_text
