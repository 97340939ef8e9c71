#include "template/name_rules.h"

#include "base/messages.h"
#include "base/utf8.h"

const char* POLL_PR = "Poll";
const char* DEFAULT_PR = "default_rate";
const char* NORMAL_SEVERITY = "Normal";

namespace {
const char blanks[] = " \t\n\r\f\v";
}

std::string cut_utf8(const std::string& text, std::size_t max_bytes) {
    return text.substr(0, utf8_cut_length(text, max_bytes));
}

std::string numbered_name(const std::string& name, int n) {
    if (n <= 1) return cut_utf8(name, NAME_MAX_BYTES);
    std::string suffix = "_" + std::to_string(n);
    return cut_utf8(name, NAME_MAX_BYTES - suffix.size()) + suffix;
}

NameCheck check_name(const std::string& text, bool kept, std::string* character) {
    std::size_t start = text.find_first_not_of(blanks);
    if (start == std::string::npos) return NameCheck::Blank;
    std::size_t end = text.find_last_not_of(blanks);
    if (text.find_first_of(blanks, start) < end) return NameCheck::HasSpace;
    if (kept) return NameCheck::Ok;
    NameProblem problem = name_problem(text.substr(start, end + 1 - start));
    if (character && problem.character) *character = code_point_label(problem.character);
    switch (problem.fault) {
    case NameFault::Space: return NameCheck::HasSpace;
    case NameFault::Invisible: return NameCheck::Invisible;
    case NameFault::MixedScripts: return NameCheck::MixedScripts;
    case NameFault::Clean: break;
    }
    return NameCheck::Ok;
}

std::string name_refusal(NameCheck check, const std::string& character) {
    switch (check) {
    case NameCheck::HasSpace: return message_text(msg::NAME_HAS_SPACE);
    case NameCheck::Invisible: return format_message(msg::NAME_HAS_INVISIBLE, {character});
    case NameCheck::MixedScripts: return message_text(msg::NAME_MIXES_SCRIPTS);
    case NameCheck::Blank:
    case NameCheck::Ok: break;
    }
    return std::string();
}

std::string name_word(const std::string& text) {
    std::size_t start = text.find_first_not_of(blanks);
    if (start == std::string::npos) return std::string();
    std::size_t end = text.find_first_of(blanks, start);
    std::string word = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    return cut_utf8(word, NAME_MAX_BYTES);
}

std::string new_name_word(const std::string& text) { return cut_utf8(nfc(name_word(text)), NAME_MAX_BYTES); }

std::string normalise_description(const std::string& text) {
    std::size_t start = text.find_first_not_of(blanks);
    if (start == std::string::npos) return std::string();
    return cut_utf8(text.substr(start), DESCR_MAX_BYTES);
}

bool description_has_text(const std::string& text) { return text.find_first_not_of(blanks) != std::string::npos; }

std::string choose_ground_pollrate(const std::vector<std::string>& names) {
    std::string result;
    bool first = true;
    for (const std::string& name : names) {
        if (name == POLL_PR) return name;
        if (name == DEFAULT_PR || first) result = name;
        first = false;
    }
    return result;
}

std::string choose_ground_severity(const std::vector<std::string>& names) {
    for (const std::string& name : names)
        if (name == NORMAL_SEVERITY) return name;
    return names.empty() ? std::string() : names.front();
}
