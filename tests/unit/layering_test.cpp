// The folders' layering, read from docs/architecture.md: a file includes only its own folder
// and the folders below it, and no two folders (nor two units of different folders) include
// each other in a circle. The known exceptions listed there are the only ones allowed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
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

class Layering : public ::testing::Test {
protected:
    void SetUp() override {
        layers = read_layers(root + "/docs/architecture.md");
        ASSERT_GE(layers.order.size(), 5u) << "no table of layers in docs/architecture.md";
        for (const Include& inc : product_includes(layers.order)) {
            std::string to = folder_of(inc.to, layers.order);
            if (to.empty()) continue;  // a system or generated header
            if (layers.allowed.count({inc.from, inc.to})) used_exceptions.insert({inc.from, inc.to});
            else if (to != folder_of(inc.from, layers.order)) cross.push_back(inc);
        }
    }
    int rank(const std::string& path) const {
        auto at = std::find(layers.order.begin(), layers.order.end(), folder_of(path, layers.order));
        return static_cast<int>(at - layers.order.begin());
    }

    Layers layers;
    std::vector<Include> cross;  // between folders, exceptions left out
    std::set<std::pair<std::string, std::string>> used_exceptions;
};

// The order is strict, so no two folders, nor two units of different folders, can include each
// other in a circle without one include pointing up: the check below fails on any such cycle.
TEST_F(Layering, EveryIncludePointsDownTheOrderAndEveryListedExceptionStillExists) {
    for (const Include& inc : cross)
        EXPECT_LT(rank(inc.to), rank(inc.from)) << inc.from << " includes " << inc.to << ", a layer above its own";
    for (const auto& [file, include] : layers.allowed)
        EXPECT_TRUE(used_exceptions.count({file, include})) << "listed exception gone: " << file << " -> " << include;
}

}  // namespace
