#include "diagram/picture/arrange.h"

#include <graphviz/gvc.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>

namespace picture {

namespace {

// Room around the layout, and what a state's loop and its label need to its right.
const int MARGIN = 20;

struct ContextFree {
    void operator()(GVC_t* c) const { gvFreeContext(c); }
};
struct GraphClose {
    void operator()(Agraph_t* g) const { agclose(g); }
};

char* text(const char* s) { return const_cast<char*>(s); }

struct Layout {
    std::vector<Point> centres;  // in the layout's own points, y upwards
    double left, bottom, right, top;
};

// One run of dot with the given separations (inches, as dot takes them).
Layout run_dot(GVC_t* gvc, const std::vector<std::string>& names, const std::vector<LinkIn>& links,
               const std::string& root, const std::string& nodesep, const std::string& ranksep) {
    std::unique_ptr<Agraph_t, GraphClose> g(agopen(text("diagram"), Agdirected, nullptr));
    if (!g) throw ArrangeError("cannot make a graph");
    agattr(g.get(), AGRAPH, text("rankdir"), text("TB"));
    agattr(g.get(), AGRAPH, text("nodesep"), text(nodesep.c_str()));
    agattr(g.get(), AGRAPH, text("ranksep"), text(ranksep.c_str()));
    agattr(g.get(), AGRAPH, text("ordering"), text("out"));
    const std::string inches = std::to_string(BOX / 72.0);
    agattr(g.get(), AGNODE, text("shape"), text("circle"));
    agattr(g.get(), AGNODE, text("fixedsize"), text("true"));
    agattr(g.get(), AGNODE, text("width"), text(inches.c_str()));
    agattr(g.get(), AGNODE, text("height"), text(inches.c_str()));
    agattr(g.get(), AGNODE, text("label"), text(""));

    // Nodes are named by index: state names may hold anything.
    std::vector<Agnode_t*> nodes;
    for (std::size_t i = 0; i < names.size(); ++i)
        nodes.push_back(agnode(g.get(), text(("s" + std::to_string(i)).c_str()), 1));
    auto top = std::find(names.begin(), names.end(), root);
    if (top != names.end()) {
        Agraph_t* first = agsubg(g.get(), text("ground"), 1);
        agsafeset(first, text("rank"), text("min"), text(""));
        agsubnode(first, nodes[static_cast<std::size_t>(top - names.begin())], 1);
    }
    std::set<std::pair<std::size_t, std::size_t>> seen;
    for (const LinkIn& l : links) {
        if (l.from == l.to || l.from >= names.size() || l.to >= names.size()) continue;
        if (seen.insert({l.from, l.to}).second) agedge(g.get(), nodes[l.from], nodes[l.to], nullptr, 1);
    }
    if (gvLayout(gvc, g.get(), "dot") != 0) throw ArrangeError("the layout failed");
    Layout out;
    boxf bb = GD_bb(g.get());
    out.left = bb.LL.x;
    out.bottom = bb.LL.y;
    out.right = bb.UR.x;
    out.top = bb.UR.y;
    for (Agnode_t* n : nodes) out.centres.push_back({ND_coord(n).x, ND_coord(n).y});
    gvFreeLayout(gvc, g.get());
    return out;
}

}  // namespace

std::vector<Corner> arrange(const std::vector<std::string>& names, const std::vector<LinkIn>& links,
                            const std::string& root) {
    if (names.empty()) return {};
    std::unique_ptr<GVC_t, ContextFree> gvc(gvContext());
    if (!gvc) throw ArrangeError("cannot start the layout library");
    // Roomy first (loops and labels sit right of and below their state); tighter when the
    // result would not fit on the canvas.
    const double room = CANVAS - 2 * MARGIN - BOX;
    Layout layout;
    for (const auto& seps : {std::make_pair("1.0", "0.9"), std::make_pair("0.5", "0.6"), std::make_pair("0.1", "0.3")}) {
        layout = run_dot(gvc.get(), names, links, root, seps.first, seps.second);
        if (layout.right - layout.left - BOX <= room && layout.top - layout.bottom - BOX <= room) break;
    }
    // Still too big: squeezed onto the canvas (only for hundreds of states side by side).
    double width = std::max(1.0, layout.right - layout.left - BOX), height = std::max(1.0, layout.top - layout.bottom - BOX);
    double scale = std::min({1.0, room / width, room / height});
    std::vector<Corner> corners;
    for (const Point& c : layout.centres) {
        double x = (c.x - layout.left - RADIUS) * scale + MARGIN;
        double y = (layout.top - c.y - RADIUS) * scale + MARGIN;
        corners.push_back({static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))});
    }
    return corners;
}

}  // namespace picture
