// Two versions of a template compared as the main window's text view shows them: line by
// line, as a list of kept, added and removed lines or as a unified diff. No toolkit, so the
// History window and varoctl share it.
#ifndef TARNWRIGHT_TEMPLATE_VERSION_DIFF_H
#define TARNWRIGHT_TEMPLATE_VERSION_DIFF_H

#include <string>
#include <vector>

#include "varo/store.h"

namespace lines {

// The text view's lines of a template: each state, then the transitions leaving it in
// stored order, each followed by its actions.
std::vector<std::string> text_view_lines(const varo::TemplateDef& def);

struct DiffLine {
    enum Kind { Kept, Added, Removed } kind;
    std::string text;
};

// The shortest edit from `from` to `to`, every line of both in order.
std::vector<DiffLine> line_diff(const std::vector<std::string>& from, const std::vector<std::string>& to);

// The same as a unified diff with three lines of context under the two headers; "" when
// the two are the same.
std::string unified_diff(const std::vector<std::string>& from, const std::vector<std::string>& to,
                         const std::string& from_label, const std::string& to_label);

// A line of the History window's list: version, time, author ("-" when not known), kind.
std::string version_line(const varo::TemplateVersion& v);

}  // namespace lines

#endif
