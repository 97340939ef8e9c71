#include "template/version_diff.h"

#include <dtl/dtl.hpp>

#include <sstream>

#include "template/line_format.h"

namespace lines {

std::vector<std::string> text_view_lines(const varo::TemplateDef& def) {
    std::vector<std::string> out;
    for (const varo::State& s : def.states) {
        out.push_back(text_view_state(s.name.c_str()));
        for (const varo::Transition& t : def.transitions) {
            if (t.from != s.name) continue;
            out.push_back(text_view_transition(t.to.c_str(), t.condition.c_str()));
            for (const varo::Action& a : t.actions)
                out.push_back(text_view_action(a.kind.c_str(), a.arg0.c_str(), a.arg1.c_str()));
        }
    }
    return out;
}

namespace {
using Diff = dtl::Diff<std::string, std::vector<std::string>>;

Diff composed(const std::vector<std::string>& from, const std::vector<std::string>& to) {
    Diff d(from, to);
    d.onHuge();  // bounded memory for long templates
    d.compose();
    return d;
}
}  // namespace

std::vector<DiffLine> line_diff(const std::vector<std::string>& from, const std::vector<std::string>& to) {
    std::vector<DiffLine> out;
    for (const auto& [text, info] : composed(from, to).getSes().getSequence())
        out.push_back({info.type == dtl::SES_ADD ? DiffLine::Added
                       : info.type == dtl::SES_DELETE ? DiffLine::Removed
                                                      : DiffLine::Kept,
                       text});
    return out;
}

std::string unified_diff(const std::vector<std::string>& from, const std::vector<std::string>& to,
                         const std::string& from_label, const std::string& to_label) {
    Diff d = composed(from, to);
    if (d.getEditDistance() == 0) return "";
    d.composeUnifiedHunks();
    std::ostringstream out;
    out << "--- " << from_label << "\n+++ " << to_label << "\n";
    d.printUnifiedFormat(out);
    return out.str();
}

std::string version_line(const varo::TemplateVersion& v) {
    auto padded = [](std::string s, std::size_t width) {
        if (s.size() < width) s.resize(width, ' ');
        return s + " ";
    };
    return padded(std::to_string(v.version), 7) + padded(v.time, 19) + padded(v.author.empty() ? "-" : v.author, 16) +
           v.kind;
}

}  // namespace lines
