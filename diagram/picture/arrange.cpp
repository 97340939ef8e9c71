#include "diagram/picture/arrange.h"

#include <graphviz/gvc.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <memory>
#include <set>

namespace picture {

namespace {

// Room around the layout, and the span the corners of the states may take.
const int MARGIN = 20;
const int ROOM = CANVAS - 2 * MARGIN - BOX;

// Separations between states side by side and between layers, roomy first (loops and labels
// sit right of and below their state), in inches as dot takes them and as the pitch in pixels
// from one state to the next.
struct Spacing {
    const char* nodesep;
    const char* ranksep;
    int across, down;
};
const Spacing SPACINGS[] = {{"1.0", "0.9", BOX + 72, BOX + 65},
                            {"0.5", "0.6", BOX + 36, BOX + 43},
                            {"0.1", "0.3", BOX + 7, BOX + 22}};

// How many states fit one after another across (or down) the canvas at this pitch.
std::size_t fitting(int pitch) { return static_cast<std::size_t>(ROOM / pitch + 1); }

// The links once each, without self-transitions, in the order given.
struct Graph {
    std::vector<std::vector<std::size_t>> out;
    std::size_t root;  // out.size() when there is no root
    std::size_t links = 0;
};

Graph graph_of(const std::vector<std::string>& names, const std::vector<LinkIn>& links, const std::string& root) {
    Graph g;
    g.out.resize(names.size());
    g.root = static_cast<std::size_t>(std::find(names.begin(), names.end(), root) - names.begin());
    std::set<std::pair<std::size_t, std::size_t>> seen;
    for (const LinkIn& l : links) {
        if (l.from == l.to || l.from >= names.size() || l.to >= names.size()) continue;
        if (seen.insert({l.from, l.to}).second) g.out[l.from].push_back(l.to), ++g.links;
    }
    return g;
}

// The root first, then every state in order: where walks over the graph start.
std::vector<std::size_t> starts(const Graph& g) {
    std::vector<std::size_t> order;
    if (g.root < g.out.size()) order.push_back(g.root);
    for (std::size_t i = 0; i < g.out.size(); ++i) order.push_back(i);
    return order;
}

// ---- dot, where its work is known to be small

// The fewest layers dot can use and the most layers its lines can cross between them: cycles
// broken where a depth-first walk from the root meets a state it is still inside, as dot
// breaks them, then every state one layer below the lowest state leading to it. Dot's own
// layers make the lines no longer in all than these do.
struct Layering {
    std::size_t layers = 0, widest = 0, crossed = 0;
};

Layering longest_paths(const Graph& g) {
    const std::size_t n = g.out.size();
    std::vector<char> state(n, 0);  // 0 not met, 1 on the walk's path, 2 done
    std::vector<std::pair<std::size_t, std::size_t>> edges;
    for (std::size_t start : starts(g)) {
        if (state[start]) continue;
        std::vector<std::pair<std::size_t, std::size_t>> path{{start, 0}};  // state, next link
        state[start] = 1;
        while (!path.empty()) {
            auto& [u, next] = path.back();
            if (next == g.out[u].size()) {
                state[u] = 2;
                path.pop_back();
                continue;
            }
            std::size_t v = g.out[u][next++];
            if (state[v] == 1) {
                edges.push_back({v, u});  // a cycle: the line turned round
            } else {
                edges.push_back({u, v});
                if (!state[v]) state[v] = 1, path.push_back({v, 0});
            }
        }
    }
    std::vector<std::vector<std::size_t>> down(n);
    std::vector<std::size_t> into(n, 0), layer(n, 0);
    for (auto [u, v] : edges) down[u].push_back(v), ++into[v];
    std::deque<std::size_t> ready;
    for (std::size_t i = 0; i < n; ++i)
        if (!into[i]) ready.push_back(i);
    while (!ready.empty()) {
        std::size_t u = ready.front();
        ready.pop_front();
        for (std::size_t v : down[u]) {
            layer[v] = std::max(layer[v], layer[u] + 1);
            if (!--into[v]) ready.push_back(v);
        }
    }
    Layering out;
    std::vector<std::size_t> width;
    for (std::size_t i = 0; i < n; ++i) {
        if (layer[i] >= width.size()) width.resize(layer[i] + 1, 0);
        out.widest = std::max(out.widest, ++width[layer[i]]);
    }
    out.layers = width.size();
    for (auto [u, v] : edges) out.crossed += layer[v] - layer[u] - 1;
    return out;
}

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
    bool fits() const { return right - left - BOX <= ROOM && top - bottom - BOX <= ROOM; }
};

// One run of dot. Its passes are bounded (network simplex, crossing reduction, the search
// for a better cut) and it draws no lines: the diagram draws its own.
Layout run_dot(GVC_t* gvc, const Graph& graph, const Spacing& spacing) {
    std::unique_ptr<Agraph_t, GraphClose> g(agopen(text("diagram"), Agdirected, nullptr));
    if (!g) throw ArrangeError("cannot make a graph");
    const std::pair<const char*, const char*> settings[] = {
        {"rankdir", "TB"},  {"nodesep", spacing.nodesep}, {"ranksep", spacing.ranksep},
        {"ordering", "out"}, {"splines", "false"},        {"nslimit", "2"},
        {"nslimit1", "2"},  {"mclimit", "0.5"},          {"searchsize", "10"}};
    for (auto [name, value] : settings) agattr(g.get(), AGRAPH, text(name), text(value));
    const std::string inches = std::to_string(BOX / 72.0);
    agattr(g.get(), AGNODE, text("shape"), text("circle"));
    agattr(g.get(), AGNODE, text("fixedsize"), text("true"));
    agattr(g.get(), AGNODE, text("width"), text(inches.c_str()));
    agattr(g.get(), AGNODE, text("height"), text(inches.c_str()));
    agattr(g.get(), AGNODE, text("label"), text(""));

    // Nodes are named by index: state names may hold anything.
    std::vector<Agnode_t*> nodes;
    for (std::size_t i = 0; i < graph.out.size(); ++i)
        nodes.push_back(agnode(g.get(), text(("s" + std::to_string(i)).c_str()), 1));
    if (graph.root < nodes.size()) {
        Agraph_t* first = agsubg(g.get(), text("ground"), 1);
        agsafeset(first, text("rank"), text("min"), text(""));
        agsubnode(first, nodes[graph.root], 1);
    }
    for (std::size_t u = 0; u < graph.out.size(); ++u)
        for (std::size_t v : graph.out[u]) agedge(g.get(), nodes[u], nodes[v], nullptr, 1);
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

// ---- layers of our own, folded onto the canvas

// Breadth first from the root along the transitions (then from each state not reached, in
// order): each state one layer below the first state that reaches it, in the order met.
std::vector<std::vector<std::size_t>> breadth_layers(const Graph& g) {
    std::vector<std::vector<std::size_t>> layers;
    std::vector<std::size_t> layer(g.out.size(), 0);
    std::vector<char> met(g.out.size(), 0);
    for (std::size_t start : starts(g)) {
        if (met[start]) continue;
        met[start] = 1;
        std::deque<std::size_t> queue{start};
        while (!queue.empty()) {
            std::size_t u = queue.front();
            queue.pop_front();
            if (layer[u] >= layers.size()) layers.resize(layer[u] + 1);
            layers[layer[u]].push_back(u);
            for (std::size_t v : g.out[u])
                if (!met[v]) met[v] = 1, layer[v] = layer[u] + 1, queue.push_back(v);
        }
    }
    return layers;
}

// Each layer cut into rows of at most `row` states; the rows go down a band of `down` rows,
// then on in the next band to the right, each band as wide as its longest row. Gives the
// width of all bands in states, and each state's column and row when `at` is given.
std::size_t fold(const std::vector<std::vector<std::size_t>>& layers, std::size_t row, std::size_t down,
                 std::vector<Point>* at) {
    std::size_t left = 0, band_width = 0, rows_in_band = 0;
    auto start_band = [&]() {
        left += band_width;
        band_width = rows_in_band = 0;
    };
    // Rows are centred in their band once its width is known.
    std::vector<std::pair<std::size_t, std::size_t>> band_rows;  // (layer, first state) per row
    auto place_band = [&]() {
        if (!at) return;
        for (std::size_t r = 0; r < band_rows.size(); ++r) {
            const auto& layer = layers[band_rows[r].first];
            std::size_t first = band_rows[r].second, length = std::min(row, layer.size() - first);
            double indent = (static_cast<double>(band_width) - static_cast<double>(length)) / 2;
            for (std::size_t k = 0; k < length; ++k)
                (*at)[layer[first + k]] = {static_cast<double>(left) + indent + static_cast<double>(k),
                                           static_cast<double>(r)};
        }
        band_rows.clear();
    };
    for (std::size_t l = 0; l < layers.size(); ++l)
        for (std::size_t first = 0; first < layers[l].size(); first += row) {
            if (rows_in_band == down) place_band(), start_band();
            band_width = std::max(band_width, std::min(row, layers[l].size() - first));
            ++rows_in_band;
            band_rows.push_back({l, first});
        }
    place_band();
    return left + band_width;
}

// Corners in pixels from the top left of the picture, onto the canvas: squeezed only when
// even the tightest spacing leaves it too big (over two thousand states), each way apart so
// that the whole canvas is used.
std::vector<Corner> onto_canvas(const std::vector<Point>& at) {
    double width = 1, height = 1;
    for (const Point& p : at) width = std::max(width, p.x), height = std::max(height, p.y);
    double across = std::min(1.0, ROOM / width), down = std::min(1.0, ROOM / height);
    std::vector<Corner> corners;
    for (const Point& p : at)
        corners.push_back({static_cast<int>(std::lround(p.x * across)) + MARGIN,
                           static_cast<int>(std::lround(p.y * down)) + MARGIN});
    return corners;
}

std::vector<Corner> in_rows(const Graph& g) {
    std::vector<std::vector<std::size_t>> layers = breadth_layers(g);
    std::size_t widest = 0;
    for (const auto& l : layers) widest = std::max(widest, l.size());
    // The roomiest spacing, then the longest rows, that fit the canvas.
    const Spacing* spacing = &SPACINGS[2];
    std::size_t row = fitting(spacing->across);
    for (const Spacing& s : SPACINGS) {
        std::size_t r = std::min(fitting(s.across), widest);
        while (r > 1 && fold(layers, r, fitting(s.down), nullptr) > fitting(s.across)) --r;
        if (fold(layers, r, fitting(s.down), nullptr) <= fitting(s.across)) {
            spacing = &s, row = r;
            break;
        }
    }
    std::vector<Point> at(g.out.size());
    fold(layers, row, fitting(spacing->down), &at);
    for (Point& p : at) p = {p.x * spacing->across, p.y * spacing->down};
    return onto_canvas(at);
}

}  // namespace

std::vector<Corner> arrange_in_rows(const std::vector<std::string>& names, const std::vector<LinkIn>& links,
                                    const std::string& root) {
    return in_rows(graph_of(names, links, root));
}

std::vector<Corner> arrange(const std::vector<std::string>& names, const std::vector<LinkIn>& links,
                            const std::string& root, std::size_t work) {
    if (names.empty()) return {};
    Graph g = graph_of(names, links, root);
    Layering least = longest_paths(g);
    const std::size_t each_run = names.size() + least.crossed;
    std::size_t spent = 0;
    std::unique_ptr<GVC_t, ContextFree> gvc;
    for (const Spacing& s : SPACINGS) {
        // Runs only where its layers could fit and the work is within what was allowed.
        if (least.layers > fitting(s.down) || least.widest > fitting(s.across)) continue;
        if (spent + each_run > work) break;
        spent += each_run;
        if (!gvc) gvc.reset(gvContext());
        if (!gvc) throw ArrangeError("cannot start the layout library");
        Layout layout = run_dot(gvc.get(), g, s);
        if (!layout.fits()) continue;
        std::vector<Point> at;
        for (const Point& c : layout.centres) at.push_back({c.x - layout.left - RADIUS, layout.top - c.y - RADIUS});
        return onto_canvas(at);
    }
    return in_rows(g);
}

}  // namespace picture
