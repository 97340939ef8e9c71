#include "diagram/diagram_scene.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "diagram/diagram_object.h"
#include "diagram/draw_area.h"
#include "template/template_model.h"

namespace {

using StateIndex = std::unordered_map<const DiagramObject*, std::size_t>;

std::string severity_colour(const DiagramObject& state) {
    if (!state.selected) return state.color;
    Qor_State s = qor_handle.find_state(state.name.c_str());
    if (!s.is_valid()) {
        error.reset_error();
        return "black";  // a placeholder
    }
    return s.severity() ? qorSeverity_Create(s.severity()).color() : "black";
}

picture::Chosen chosen_of(const DiagramObject* o) {
    if (o != first_obj && o != second_obj) return picture::Chosen::No;
    return o != second_obj ? picture::Chosen::First : o != first_obj ? picture::Chosen::Second : picture::Chosen::Both;
}

picture::Scene build(SceneColours colours, StateIndex& index) {
    std::vector<picture::StateIn> states;
    for (std::size_t i = 0; i < object_list.size(); ++i) {
        const DiagramObject* o = object_list.at(i);
        if (o->type != StateObject) continue;
        index.emplace(o, states.size());
        bool shown = colours == SceneColours::Shown;
        states.push_back({o->name, shown ? o->color : severity_colour(*o), {o->x, o->y},
                          shown ? chosen_of(o) : picture::Chosen::No});
    }
    std::vector<picture::LinkIn> links;
    std::vector<DiagramObject*> owners;
    for (std::size_t i = 0; i < object_list.size(); ++i) {
        DiagramObject* t = object_list.at(i);
        if (t->type != TransitionObject) continue;
        // Lines join the first state object of each name, as the hit test finds them.
        DiagramObject* from = find_state(t->name.c_str());
        DiagramObject* to = find_state(t->transition.c_str());
        if (!from || !to) continue;
        links.push_back({index[from], index[to], t->num_conditions});
        owners.push_back(t);
    }
    picture::Scene scene = picture::build_scene(states, links);
    scene.ring_colour = selection_ring_colour();
    for (std::size_t i = 0; i < owners.size(); ++i) {
        owners[i]->x = scene.links[i].label.x;
        owners[i]->y = scene.links[i].label.y;
    }
    return scene;
}

struct Kept {
    picture::Scene scene;
    StateIndex states;  // each state object's shape in the scene
    unsigned long changes = 0;  // object_list.changes() when built
    bool valid = false;
};
Kept kept;

bool still_kept() { return kept.valid && kept.changes == object_list.changes(); }

}  // namespace

picture::Scene diagram_scene(SceneColours colours) {
    StateIndex index;
    return build(colours, index);
}

const picture::Scene& shown_scene() {
    if (!still_kept()) {
        kept.states.clear();
        kept.scene = build(SceneColours::Shown, kept.states);
        kept.changes = object_list.changes();
        kept.valid = true;
    }
    return kept.scene;
}

void forget_scene() { kept.valid = false; }

std::optional<picture::Box> rechoose(const DiagramObject* state) {
    if (!state || !still_kept()) return std::nullopt;
    auto it = kept.states.find(state);
    if (it == kept.states.end()) return std::nullopt;
    picture::StateShape& shape = kept.scene.states[it->second];
    shape.colour = state->color;
    shape.chosen = chosen_of(state);
    // The outer ring's box, with the ring's own width beyond it.
    picture::Box b = picture::ring_box(shape.box, true);
    const int w = picture::LINE_WIDTH;
    return picture::Box{b.x - w, b.y - w, b.w + 2 * w, b.h + 2 * w};
}
