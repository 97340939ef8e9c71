#include "diagram/diagram_scene.h"

#include <map>
#include <string>
#include <vector>

#include "diagram/diagram_object.h"
#include "diagram/draw_area.h"
#include "template/template_model.h"

namespace {

std::string severity_colour(const DiagramObject& state) {
    if (!state.selected) return state.color;
    Qor_State s = qor_handle.find_state(state.name.c_str());
    if (!s.is_valid()) {
        error.reset_error();
        return "black";  // a placeholder
    }
    return s.severity() ? qorSeverity_Create(s.severity()).color() : "black";
}

}  // namespace

picture::Scene diagram_scene(SceneColours colours) {
    std::vector<picture::StateIn> states;
    std::map<const DiagramObject*, std::size_t> index;
    for (std::size_t i = 0; i < object_list.size(); ++i) {
        const DiagramObject* o = object_list.at(i);
        if (o->type != StateObject) continue;
        index.emplace(o, states.size());
        std::string colour = colours == SceneColours::Severity ? severity_colour(*o) : o->color;
        picture::Chosen chosen = picture::Chosen::No;
        if (colours == SceneColours::Shown && (o == first_obj || o == second_obj))
            chosen = o != second_obj ? picture::Chosen::First
                     : o != first_obj ? picture::Chosen::Second
                                      : picture::Chosen::Both;
        states.push_back({o->name, colour, {o->x, o->y}, chosen});
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
