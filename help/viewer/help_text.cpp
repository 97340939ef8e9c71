// Reading help files.
#include "help/viewer/help_text.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

namespace help_text {
namespace {

struct PendingLink {
    Link link;
    int line;
};

class Reader {
public:
    Parsed run(const std::string& source) {
        std::istringstream in(source);
        std::string line;
        while (std::getline(in, line)) {
            ++line_no;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            handle(line);
        }
        finish_topic();
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
        result.document.topics.push_back(Topic{number, title, title + "\n", {}});
        topic = &result.document.topics.back();
        in_paragraph = false;
        after_heading = false;
    }

    void finish_topic() {
        if (topic && !topic->text.empty() && topic->text.back() != '\n') topic->text += "\n";
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

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}
}  // namespace

const Topic* Document::find(int number) const {
    for (const Topic& t : topics)
        if (t.number == number) return &t;
    return nullptr;
}

Parsed parse(const std::string& source) { return Reader().run(source); }

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
