// The folders' layering, read from docs/architecture.md: a file includes only its own folder
// and the folders below it, and no two folders (nor two units of different folders) include
// each other in a circle. The known exceptions listed there are the only ones allowed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {
namespace fs = std::filesystem;

const std::string root = TEST_SOURCE_DIR "/..";

struct Include {
    std::string from;  // file, relative to the root
    std::string to;    // the included path as written
};

struct Layers {
    std::vector<std::string> order;                        // bottom first
    std::set<std::pair<std::string, std::string>> allowed;  // known exceptions: file, include
};

// Rows "| n | `folder` | ..." of the table of layers, and "| `file` | `include` |" of the
// exceptions' table.
Layers read_layers(const std::string& path) {
    Layers layers;
    std::ifstream in(path);
    std::regex layer(R"(^\|\s*\d+\s*\|\s*`([^`]+)`\s*\|)");
    std::regex exception(R"(^\|\s*`([^`]+)`\s*\|\s*`([^`]+)`\s*\|)");
    std::smatch m;
    for (std::string line; std::getline(in, line);) {
        if (std::regex_search(line, m, layer))
            layers.order.push_back(m[1]);
        else if (std::regex_search(line, m, exception))
            layers.allowed.insert({m[1], m[2]});
    }
    return layers;
}

// The folder of the order a path lies in (the longest that holds it), or "".
std::string folder_of(const std::string& path, const std::vector<std::string>& order) {
    std::string best;
    for (const std::string& f : order)
        if (path.compare(0, f.size() + 1, f + "/") == 0 && f.size() > best.size()) best = f;
    return best;
}

std::vector<Include> product_includes(const std::vector<std::string>& order) {
    std::vector<Include> out;
    std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
    for (const std::string& folder : order) {
        for (const auto& entry : fs::recursive_directory_iterator(root + "/" + folder)) {
            std::string ext = entry.path().extension();
            if (ext != ".cpp" && ext != ".h" && ext != ".c") continue;
            std::string file = fs::relative(entry.path(), root).generic_string();
            if (folder_of(file, order) != folder) continue;  // a folder of its own, read there
            std::ifstream in(entry.path());
            std::smatch m;
            for (std::string line; std::getline(in, line);)
                if (std::regex_search(line, m, include)) out.push_back({file, m[1]});
        }
    }
    return out;
}

// Strongly connected groups of a graph with more than one node.
std::vector<std::set<std::string>> cycles(const std::map<std::string, std::set<std::string>>& graph) {
    std::map<std::string, int> index, low;
    std::vector<std::string> stack;
    std::set<std::string> on_stack;
    std::vector<std::set<std::string>> found;
    int next = 0;
    std::function<void(const std::string&)> visit = [&](const std::string& v) {
        index[v] = low[v] = next++;
        stack.push_back(v);
        on_stack.insert(v);
        auto edges = graph.find(v);
        if (edges != graph.end())
            for (const std::string& w : edges->second) {
                if (!index.count(w)) {
                    visit(w);
                    low[v] = std::min(low[v], low[w]);
                } else if (on_stack.count(w)) {
                    low[v] = std::min(low[v], index[w]);
                }
            }
        if (low[v] != index[v]) return;
        std::set<std::string> group;
        std::string w;
        do {
            w = stack.back();
            stack.pop_back();
            on_stack.erase(w);
            group.insert(w);
        } while (w != v);
        if (group.size() > 1) found.push_back(group);
    };
    for (const auto& [v, _] : graph)
        if (!index.count(v)) visit(v);
    return found;
}

std::string unit_of(const std::string& path) { return fs::path(path).replace_extension().generic_string(); }

std::string joined(const std::set<std::string>& names) {
    std::string out;
    for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
    return out;
}

class Layering : public ::testing::Test {
protected:
    void SetUp() override {
        layers = read_layers(root + "/docs/architecture.md");
        ASSERT_GE(layers.order.size(), 5u) << "no table of layers in docs/architecture.md";
        for (const Include& inc : product_includes(layers.order)) {
            std::string to = folder_of(inc.to, layers.order);
            if (to.empty()) continue;  // a system or generated header
            bool allowed = layers.allowed.count({inc.from, inc.to}) > 0;
            if (allowed) used_exceptions.insert({inc.from, inc.to});
            if (to == folder_of(inc.from, layers.order) || allowed) {
                if (!allowed) units[unit_of(inc.from)].insert(unit_of(inc.to));
                continue;
            }
            cross.push_back(inc);
            units[unit_of(inc.from)].insert(unit_of(inc.to));
            folders[folder_of(inc.from, layers.order)].insert(to);
        }
    }
    int rank(const std::string& path) const {
        auto at = std::find(layers.order.begin(), layers.order.end(), folder_of(path, layers.order));
        return static_cast<int>(at - layers.order.begin());
    }

    Layers layers;
    std::vector<Include> cross;  // between folders, exceptions left out
    std::set<std::pair<std::string, std::string>> used_exceptions;
    std::map<std::string, std::set<std::string>> units, folders;
};

TEST_F(Layering, EveryIncludePointsDownTheOrderAndEveryListedExceptionStillExists) {
    for (const Include& inc : cross)
        EXPECT_LT(rank(inc.to), rank(inc.from)) << inc.from << " includes " << inc.to << ", a layer above its own";
    for (const auto& [file, include] : layers.allowed)
        EXPECT_TRUE(used_exceptions.count({file, include})) << "listed exception gone: " << file << " -> " << include;
}

TEST_F(Layering, NoCycleBetweenFoldersNorBetweenUnitsOfDifferentFolders) {
    for (const std::set<std::string>& group : cycles(folders)) ADD_FAILURE() << "folders in a cycle: " << joined(group);
    for (const std::set<std::string>& group : cycles(units)) {
        std::set<std::string> in;
        for (const std::string& unit : group) in.insert(folder_of(unit, layers.order));
        if (in.size() > 1) ADD_FAILURE() << "units of different folders in a cycle: " << joined(group);
    }
}

}  // namespace
