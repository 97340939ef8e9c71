#include "diagram/diagram_object.h"

#include <algorithm>
#include <cstring>

#include "diagram/picture/scene.h"

ObjectList object_list;
DiagramPoint loc = {RESET_LOC, RESET_LOC};
std::int32_t num_states = 0;
DiagramObject* first_obj = nullptr;
DiagramObject* second_obj = nullptr;

namespace {
ColorHook color_hook = nullptr;

std::string text_or_empty(const char* text) { return text ? std::string(text) : std::string(); }
}  // namespace

void set_color_hook(ColorHook hook) { color_hook = hook; }

DiagramObject::DiagramObject(const char* name_, const char* transition_, const char* color_,
                             ObjectType type_, int selected_, int num_conditions_)
    : name(text_or_empty(name_)),
      color(text_or_empty(color_)),
      type(type_),
      x(loc.x),
      y(loc.y),
      selected(selected_),
      transition(text_or_empty(transition_)),
      num_conditions(0) {
    // Callers pass 0; a count without names behind it would lie, so it is not taken.
    (void)num_conditions_;
}

void DiagramObject::set_name(const char* text) {
    name = text_or_empty(text);
    if (listed) object_list.names_changed();
}

void DiagramObject::set_transition(const char* text) {
    transition = text_or_empty(text);
    if (listed) object_list.names_changed();
}

void DiagramObject::set_condition(const char* condition) {
    if (condition && std::strcmp(condition, "None") == 0) {
        conditions.clear();
    } else {
        conditions.push_back(text_or_empty(condition));
    }
    num_conditions = static_cast<std::int32_t>(conditions.size());
}

void DiagramObject::set_location() {
    x = loc.x;
    y = loc.y;
}

void DiagramObject::set_color(const char* color_name) {
    color = text_or_empty(color_name);
    if (color_hook) color_hook(color.c_str());
}

void ObjectList::append(std::unique_ptr<DiagramObject> object) {
    if (!object) return;
    object->listed = true;
    ++count_changes;
    if (index_valid) index(object.get());
    objects.push_back(std::move(object));
}

// Keeps the first of each name: later objects of the same name do not replace it.
void ObjectList::index(DiagramObject* object) const {
    by_name.emplace(object->name, object);
    if (object->type == StateObject) states_by_name.emplace(object->name, object);
    if (object->type == TransitionObject) by_pair.emplace(std::make_pair(object->name, object->transition), object);
}

void ObjectList::rebuild_index() const {
    by_name.clear();
    states_by_name.clear();
    by_pair.clear();
    for (const auto& o : objects) index(o.get());
    index_valid = true;
}

DiagramObject* ObjectList::first_named(const std::string& name) const {
    if (!index_valid) rebuild_index();
    auto it = by_name.find(name);
    return it == by_name.end() ? nullptr : it->second;
}

DiagramObject* ObjectList::first_state(const std::string& name) const {
    if (!index_valid) rebuild_index();
    auto it = states_by_name.find(name);
    return it == states_by_name.end() ? nullptr : it->second;
}

DiagramObject* ObjectList::first_transition(const std::string& from, const std::string& to) const {
    if (!index_valid) rebuild_index();
    auto it = by_pair.find(std::make_pair(from, to));
    return it == by_pair.end() ? nullptr : it->second;
}

bool ObjectList::remove(DiagramObject* object) {
    auto it = std::find_if(objects.begin(), objects.end(),
                           [object](const std::unique_ptr<DiagramObject>& p) { return p.get() == object; });
    if (it == objects.end()) return false;
    if (first_obj == object) first_obj = nullptr;
    if (second_obj == object) second_obj = nullptr;
    objects.erase(it);
    index_valid = false;
    ++count_changes;
    return true;
}

void ObjectList::clear() {
    first_obj = nullptr;
    second_obj = nullptr;
    objects.clear();
    ++count_changes;
    by_name.clear();
    states_by_name.clear();
    by_pair.clear();
    index_valid = true;
}

bool ObjectList::contains(const DiagramObject* object) const {
    return std::any_of(objects.begin(), objects.end(),
                       [object](const std::unique_ptr<DiagramObject>& p) { return p.get() == object; });
}

void reset_layout() {
    loc = {RESET_LOC, RESET_LOC};
    num_states = 0;
}

DiagramPoint layout_slot(std::int32_t count) {
    picture::Corner c = picture::slot(count);
    return {c.x, c.y};
}

void layout() {
    loc = layout_slot(num_states);
    ++num_states;
}

DiagramObject* create_state_object(const char* name, const char* color) {
    auto object = std::make_unique<DiagramObject>("NoName", "None", "black", StateObject, 0, 0);
    object->set_name(name);
    object->set_location();
    object->set_color(color);
    DiagramObject* result = object.get();
    object_list.append(std::move(object));
    layout();
    return result;
}

DiagramObject* create_transition_object(const char* from, const char* to, const char* condition) {
    DiagramObject* from_state = find_state(from);
    if (!from_state) return nullptr;
    auto object = std::make_unique<DiagramObject>("NoName", "None", "black", StateObject, 0, 0);
    object->type = TransitionObject;
    object->set_name(from);
    object->set_transition(to);
    object->set_condition(condition);
    object->x = from_state->x + STATE_SIZE / 2;
    object->y = from_state->y + STATE_SIZE / 2;
    DiagramObject* result = object.get();
    object_list.append(std::move(object));
    return result;
}

DiagramObject* find_by_name(const char* name) { return name ? object_list.first_named(name) : nullptr; }

DiagramObject* find_state(const char* name) { return name ? object_list.first_state(name) : nullptr; }

DiagramObject* find_transition(const char* from, const char* to) {
    return from && to ? object_list.first_transition(from, to) : nullptr;
}

bool object_contains(const DiagramObject& o, std::int32_t px, std::int32_t py) {
    if (o.type == StateObject && o.x < px && px < o.x + STATE_SIZE && o.y < py && py < o.y + STATE_SIZE)
        return true;
    return o.x < px && px < o.x + LABEL_WIDTH && o.y < py && py < o.y + LABEL_HEIGHT;
}

// The one drawn on top: states cover labels, and of each kind the later is painted last.
DiagramObject* topmost(ObjectType kind, std::int32_t px, std::int32_t py) {
    for (std::size_t i = object_list.size(); i-- > 0;) {
        DiagramObject* o = object_list.at(i);
        if (o->type == kind && object_contains(*o, px, py)) return o;
    }
    return nullptr;
}

DiagramObject* state_at(std::int32_t px, std::int32_t py) { return topmost(StateObject, px, py); }

DiagramObject* find_object() {
    DiagramObject* state = state_at(loc.x, loc.y);
    return state ? state : topmost(TransitionObject, loc.x, loc.y);
}


DiagramPoint get_mid(const DiagramObject* from, const DiagramObject* to) {
    // A quarter of the way from the from-state's centre to the to-state's centre, so the
    // labels of the two directions between one pair of states do not meet.
    picture::Corner c = picture::quarter_label({from->x, from->y}, {to->x, to->y});
    return {c.x, c.y};
}

void destroy_list() { object_list.clear(); }

std::size_t remove_state_objects(const std::string& name, std::size_t keep, std::size_t limit) {
    // Collected first: removing destroys objects and shifts the list.
    std::vector<DiagramObject*> states;
    std::vector<DiagramObject*> transitions;
    for (std::size_t i = 0; i < object_list.size(); ++i) {
        DiagramObject* o = object_list.at(i);
        if (o->type == StateObject && o->name == name)
            states.push_back(o);
        else if (o->type == TransitionObject && (o->name == name || o->transition == name))
            transitions.push_back(o);
    }
    std::size_t removed = 0;
    for (std::size_t i = keep; i < states.size() && removed < limit; ++i, ++removed) {
        object_list.remove(states[i]);
        if (num_states > 0) --num_states;
    }
    if (removed > 0 && keep == 0 && removed == states.size())
        for (DiagramObject* t : transitions) object_list.remove(t);
    return removed;
}

SelectionNames remember_selection() {
    SelectionNames names;
    if (first_obj) names.first = first_obj->name;
    if (second_obj) names.second = second_obj->name;
    return names;
}

void restore_selection(const SelectionNames& names) {
    auto pick = [](const std::string& name) -> DiagramObject* {
        if (name.empty()) return nullptr;
        DiagramObject* o = find_state(name.c_str());
        if (!o) return nullptr;
        // Shown selected until deselected, as before the rebuild.
        o->selected = 1;
        o->color = "white";
        return o;
    };
    first_obj = pick(names.first);
    second_obj = pick(names.second);
}
