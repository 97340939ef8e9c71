// Templates of a given size and shape for the arrangement's tests and benchmarks: state 0
// is "Ground", the others "S1", "S2", ...; no state has a place of its own.
#ifndef TARNWRIGHT_TESTS_SUPPORT_TEMPLATE_SHAPES_H
#define TARNWRIGHT_TESTS_SUPPORT_TEMPLATE_SHAPES_H

#include <string>
#include <utility>
#include <vector>

#include "varo/store.h"

namespace shapes {

enum class Shape {
    Chain,     // each state to the next and to the tenth after it, round to Ground at the end
    Tree,      // each state to three children
    BackEdges, // each state to the next and back to two earlier states
    Layers     // layers of twenty, each state to two of the next layer, every tenth back to Ground
};

inline const char* shape_name(Shape s) {
    return s == Shape::Chain ? "chain" : s == Shape::Tree ? "tree" : s == Shape::BackEdges ? "back_edges" : "layers";
}

inline std::string state_name(int i) { return i ? "S" + std::to_string(i) : "Ground"; }

// (from, to) by state number, in the order a template lists its transitions.
inline std::vector<std::pair<int, int>> shape_links(Shape shape, int n) {
    std::vector<std::pair<int, int>> links;
    for (int i = 0; i < n; ++i) {
        std::vector<int> to;
        if (shape == Shape::Chain) to = {(i + 1) % n, (i + 10) % n};
        if (shape == Shape::Tree) to = {3 * i + 1, 3 * i + 2, 3 * i + 3};
        if (shape == Shape::BackEdges) to = {i + 1, (i * 7 + 3) % (i + 1), (i * 13 + 5) % (i + 1)};
        if (shape == Shape::Layers) to = i ? std::vector<int>{i + 20, i + 21, i % 10 ? n : 0} : std::vector<int>{1, 2, 3};
        for (int t : to)
            if (t < n) links.push_back({i, t});
    }
    return links;
}

inline varo::TemplateDef shaped_template(const std::string& name, Shape shape, int n) {
    varo::TemplateDef def{name, "shaped", {}, {}};
    const char* severities[] = {"Normal", "Minor", "Major", "Critical"};
    for (int i = 0; i < n; ++i) def.states.push_back({state_name(i), "", severities[i % 4], "Poll"});
    int k = 0;
    for (auto [from, to] : shape_links(shape, n))
        def.transitions.push_back({state_name(from), state_name(to), k++ % 2 ? "HighErrors" : "LinkDown", {}});
    return def;
}

}  // namespace shapes

#endif
