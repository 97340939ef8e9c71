#include "diagram/picture/template_scene.h"

#include "diagram/picture/arrange.h"

namespace picture {

Scene template_scene(const varo::TemplateDef& def, const std::map<std::string, std::string>& colours) {
    std::map<std::string, std::size_t> index;
    std::vector<std::string> names;
    std::vector<std::optional<Corner>> own;
    for (const varo::State& s : def.states) {
        index.emplace(s.name, names.size());
        names.push_back(s.name);
        own.push_back(s.position ? std::optional<Corner>(Corner{s.position->x, s.position->y}) : std::nullopt);
    }
    // One link per pair of states, in the order the editor makes them: by from-state, then
    // by the first transition of the pair.
    std::vector<LinkIn> links;
    std::map<std::pair<std::size_t, std::size_t>, std::size_t> link_of;
    for (const varo::State& s : def.states)
        for (const varo::Transition& t : def.transitions) {
            if (t.from != s.name || !index.count(t.to)) continue;
            auto key = std::make_pair(index[t.from], index[t.to]);
            auto it = link_of.find(key);
            if (it == link_of.end())
                link_of.emplace(key, links.size()), links.push_back({key.first, key.second, 1});
            else
                ++links[it->second].count;
        }
    std::vector<Corner> at = loaded_corners(own);
    if (slots_overlap(at, own)) at = arrange(names, links, "Ground", OPENING_WORK);
    std::vector<StateIn> states;
    for (std::size_t i = 0; i < def.states.size(); ++i) {
        auto colour = colours.find(def.states[i].severity);
        states.push_back({names[i], colour == colours.end() ? "black" : colour->second, at[i]});
    }
    return build_scene(states, links);
}

}  // namespace picture
