#include "template/template_places.h"

#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "diagram/picture/arrange.h"
#include "diagram/picture/scene.h"
#include "template/template_model.h"
#include "template/template_walk.h"

namespace {

// One link per pair of states, by from-state and then transition order, as a loaded
// template's diagram has them (and varoctl render too, so both arrange alike).
std::vector<picture::LinkIn> template_links(const std::vector<Qor_State>& states) {
    std::map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < states.size(); ++i) index.emplace(states[i].name(), i);
    std::vector<picture::LinkIn> links;
    std::map<std::pair<std::size_t, std::size_t>, std::size_t> seen;
    for (std::size_t i = 0; i < states.size(); ++i) {
        Qor_TransitionQueue queue;
        if (!states[i].get_transitionsq(queue, states[i], Qor_State())) continue;
        for (Qor_Transition t = queue.deq(); t.is_valid(); t = queue.deq()) {
            auto to = index.find(t.to_state().name() ? t.to_state().name() : "");
            if (to == index.end()) continue;
            auto key = std::make_pair(i, to->second);
            auto it = seen.find(key);
            if (it == seen.end()) {
                seen.emplace(key, links.size());
                links.push_back({i, to->second, 1});
            } else {
                ++links[it->second].count;
            }
        }
    }
    return links;
}

}  // namespace

namespace edits {

EditOutcome place_state(const std::string& name, int x, int y) {
    Qor_State s = qor_handle.find_state(name.c_str());
    if (!s.is_valid()) {
        error.reset_error();
        return edit_refused(MessageId{0, 0});
    }
    if (!s.set_position(x, y)) {
        std::string why = qori_error_str;
        error.reset_error();
        return edit_refused(msg::MOVE_STATE_FAILED, why);
    }
    template_edited(EDITED_PLACES, msg::DIAGRAM_MODIFIED_STATUS);
    return edit_done();
}

EditOutcome arrange_states(bool by_user) {
    std::vector<Qor_State> states = template_states();
    if (states.empty()) return edit_done();
    std::vector<std::string> names;
    for (const Qor_State& s : states) names.push_back(s.name());
    std::vector<picture::Corner> at;
    try {
        at = picture::arrange(names, template_links(states), "Ground",
                              by_user ? picture::ARRANGE_WORK : picture::OPENING_WORK);
    } catch (const picture::ArrangeError& e) {
        return edit_refused(msg::ARRANGE_FAILED, e.what());
    }
    for (std::size_t i = 0; i < states.size(); ++i) states[i].set_position(at[i].x, at[i].y);
    if (by_user) template_edited(EDITED_PLACES, msg::DIAGRAM_MODIFIED_STATUS);
    return edit_done();
}

}  // namespace edits

namespace {

std::vector<std::optional<picture::Corner>> own_places(const std::vector<Qor_State>& states) {
    std::vector<std::optional<picture::Corner>> own;
    for (const Qor_State& s : states) {
        int x = 0, y = 0;
        own.push_back(s.position(&x, &y) ? std::optional<picture::Corner>(picture::Corner{x, y}) : std::nullopt);
    }
    return own;
}

}  // namespace

bool states_overlap() {
    std::vector<std::optional<picture::Corner>> own = own_places(template_states());
    return picture::slots_overlap(picture::loaded_corners(own), own);
}

picture::Corner free_state_place() {
    // Each state where the diagram shows it: its own place, else where reading puts it.
    return picture::free_corner(picture::loaded_corners(own_places(template_states())));
}

void pin_state_places() {
    std::vector<Qor_State> states = template_states();
    std::vector<std::optional<picture::Corner>> own = own_places(states);
    std::vector<picture::Corner> at = picture::loaded_corners(own);
    for (std::size_t i = 0; i < states.size(); ++i)
        if (!own[i]) states[i].set_position(at[i].x, at[i].y);
}
