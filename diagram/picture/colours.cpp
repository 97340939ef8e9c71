#include "diagram/picture/colours.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace picture {

namespace {

std::string key_of(const std::string& name) {
    std::string k;
    for (char c : name)
        if (!std::isspace(static_cast<unsigned char>(c))) k += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return k;
}

// The X colour database, read once; a few names stay known where it is not installed.
const std::map<std::string, Rgb>& database() {
    static const std::map<std::string, Rgb> names = [] {
        std::map<std::string, Rgb> m = {
            {"black", {0, 0, 0}},       {"white", {255, 255, 255}}, {"red", {255, 0, 0}},
            {"green", {0, 255, 0}},     {"blue", {0, 0, 255}},      {"yellow", {255, 255, 0}},
            {"orange", {255, 165, 0}},  {"gray", {190, 190, 190}},  {"grey", {190, 190, 190}},
            {"cyan", {0, 255, 255}},    {"magenta", {255, 0, 255}}, {"purple", {160, 32, 240}},
        };
        for (const char* path : {"/usr/share/X11/rgb.txt", "/etc/X11/rgb.txt", "/usr/lib/X11/rgb.txt"}) {
            std::ifstream in(path);
            if (!in) continue;
            std::string line;
            while (std::getline(in, line)) {
                std::istringstream fields(line);
                int r, g, b;
                if (line.empty() || line[0] == '!' || !(fields >> r >> g >> b)) continue;
                std::string name;
                std::getline(fields, name);
                if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255 || key_of(name).empty()) continue;
                m[key_of(name)] = {static_cast<unsigned char>(r), static_cast<unsigned char>(g),
                                   static_cast<unsigned char>(b)};
            }
            break;
        }
        return m;
    }();
    return names;
}

// One channel of 1 to 4 hex digits: "#" forms give its high bits, "rgb:" forms a fraction
// of the largest value, as X reads them.
std::optional<unsigned char> channel(const std::string& digits, bool high_bits) {
    if (digits.empty() || digits.size() > 4) return std::nullopt;
    for (char c : digits)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    unsigned long v = std::strtoul(digits.c_str(), nullptr, 16);
    int bits = 4 * static_cast<int>(digits.size());
    if (high_bits) return static_cast<unsigned char>(bits >= 8 ? v >> (bits - 8) : v << (8 - bits));
    unsigned long max = (1ul << bits) - 1;
    return static_cast<unsigned char>((v * 255 + max / 2) / max);
}

}  // namespace

std::optional<Rgb> colour_rgb(const std::string& name) {
    if (!name.empty() && name[0] == '#') {
        std::string hex = name.substr(1);
        if (hex.empty() || hex.size() % 3 != 0 || hex.size() > 12) return std::nullopt;
        std::size_t n = hex.size() / 3;
        auto r = channel(hex.substr(0, n), true), g = channel(hex.substr(n, n), true);
        auto b = channel(hex.substr(2 * n, n), true);
        if (!r || !g || !b) return std::nullopt;
        return Rgb{*r, *g, *b};
    }
    if (name.compare(0, 4, "rgb:") == 0) {
        std::string rest = name.substr(4);
        std::size_t s1 = rest.find('/');
        std::size_t s2 = s1 == std::string::npos ? s1 : rest.find('/', s1 + 1);
        if (s2 == std::string::npos) return std::nullopt;
        auto r = channel(rest.substr(0, s1), false), g = channel(rest.substr(s1 + 1, s2 - s1 - 1), false);
        auto b = channel(rest.substr(s2 + 1), false);
        if (!r || !g || !b) return std::nullopt;
        return Rgb{*r, *g, *b};
    }
    auto it = database().find(key_of(name));
    if (it == database().end()) return std::nullopt;
    return it->second;
}

}  // namespace picture
