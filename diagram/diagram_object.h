// The diagram's model: one object per state and one per (from-state, to-state) pair of
// transitions, the global list that owns them, the fixed placement of new states, the
// hit test and the label position of a transition. No toolkit here: the colour of an
// object reaches the screen through a hook that the drawing area installs.
#ifndef TARNWRIGHT_DIAGRAM_DIAGRAM_OBJECT_H
#define TARNWRIGHT_DIAGRAM_DIAGRAM_OBJECT_H

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

enum ObjectType { StateObject = 0, TransitionObject = 1 };

struct DiagramPoint {
    std::int32_t x;
    std::int32_t y;
    bool operator==(const DiagramPoint& o) const { return x == o.x && y == o.y; }
};

enum {
    STATE_SIZE = 50,   // a state's circle and bounding square
    LABEL_WIDTH = 20,  // a transition's label box
    LABEL_HEIGHT = 12,
    SELF_LABEL_OFFSET = 65,  // a self-transition's label, from the state's corner
    RESET_LOC = 20           // where the first state of a template goes
};

class DiagramObject {
public:
    DiagramObject(const char* name, const char* transition, const char* color, ObjectType type,
                  int selected, int num_conditions);
    DiagramObject(const DiagramObject&) = delete;
    DiagramObject& operator=(const DiagramObject&) = delete;

    void set_name(const char* text);
    void set_transition(const char* text);
    // "None" empties the list; any other name is appended. There is no upper limit.
    void set_condition(const char* condition);
    void set_location();
    // Stores the colour name and makes it the drawing colour (see set_color_hook).
    void set_color(const char* color_name);

    // Fills the state's circle in the current colour (diagram/draw_area.cpp).
    void draw_object();
    // Marks the state selected (white) / back in its severity's colour, and repaints
    // (diagram/diagram_selection.cpp).
    void select_object();
    void deselect_object();

    // Renamed through set_name / set_transition, which keep the list's index current.
    std::string name;        // state: its name; transition: its from-state
    std::string color;       // X colour name
    ObjectType type;
    std::int32_t x, y;       // state: corner of its square; transition: corner of its label
    std::int32_t selected;   // 0 or 1
    std::string transition;  // transition: its to-state; state: "None"
    std::vector<std::string> conditions;
    std::int32_t num_conditions;

private:
    friend class ObjectList;
    bool listed = false;  // in object_list, whose name index must follow renames
};

// Owns the diagram's objects in creation order. Removing an object destroys it and clears
// any selection that pointed at it, so first_obj and second_obj never dangle.
class ObjectList {
public:
    typedef std::vector<std::unique_ptr<DiagramObject>> Store;

    void append(std::unique_ptr<DiagramObject> object);
    bool remove(DiagramObject* object);  // destroys it; false when not in the list
    void clear();
    bool empty() const { return objects.empty(); }
    std::size_t size() const { return objects.size(); }
    DiagramObject* at(std::size_t i) const { return objects[i].get(); }
    bool contains(const DiagramObject* object) const;

    // The first object with this name, and the first transition object from -> to, in
    // list order; both found through an index kept with the list.
    DiagramObject* first_named(const std::string& name) const;
    DiagramObject* first_state(const std::string& name) const;
    DiagramObject* first_transition(const std::string& from, const std::string& to) const;
    void names_changed() {
        index_valid = false;
        ++count_changes;
    }
    // Counts every object added, removed or renamed: what was built from the list is stale
    // once this moves.
    unsigned long changes() const { return count_changes; }

private:
    void index(DiagramObject* object) const;
    void rebuild_index() const;

    Store objects;
    mutable std::unordered_map<std::string, DiagramObject*> by_name;
    mutable std::unordered_map<std::string, DiagramObject*> states_by_name;
    mutable std::map<std::pair<std::string, std::string>, DiagramObject*> by_pair;
    mutable bool index_valid = true;
    unsigned long count_changes = 0;
};

extern ObjectList object_list;
extern DiagramPoint loc;
extern std::int32_t num_states;
extern DiagramObject* first_obj;
extern DiagramObject* second_obj;

// Called with each colour name that set_color makes current; null leaves colours unused.
typedef void (*ColorHook)(const char* color_name);
void set_color_hook(ColorHook hook);

DiagramObject* create_state_object(const char* name, const char* color);
// Appends nothing when `from` has no state object.
DiagramObject* create_transition_object(const char* from, const char* to, const char* condition);
DiagramObject* find_by_name(const char* name);
// The state object of that name, never a transition object (which carries its from-state's
// name): drawing and hit testing look states up by this.
DiagramObject* find_state(const char* name);
DiagramObject* find_transition(const char* from, const char* to);
DiagramObject* find_object();  // the object drawn on top at loc, or null
// The state drawn on top whose square holds the point, as find_object takes it; null for none.
DiagramObject* state_at(std::int32_t px, std::int32_t py);
void layout();
DiagramPoint layout_slot(std::int32_t count);
DiagramPoint get_mid(const DiagramObject* from, const DiagramObject* to);
// Whether (px, py) lies strictly inside the object's square (states) or label box.
bool object_contains(const DiagramObject& object, std::int32_t px, std::int32_t py);
void destroy_list();
// Resets placement: loc to (20, 20), num_states to 0.
void reset_layout();

// Removes state objects named `name`, skipping the first `keep` of them (states the template
// knows) and removing at most `limit`. When no state object of that name is left, the
// transition objects from or to it go too. num_states drops by one per state removed, never
// below 0. Returns the number of states removed.
std::size_t remove_state_objects(const std::string& name, std::size_t keep, std::size_t limit);

// A rebuild keeps the selections by state name: remember them before the list is emptied,
// restore them once it is filled again (a selection whose state is gone stays cleared).
struct SelectionNames {
    std::string first;
    std::string second;
};
SelectionNames remember_selection();
void restore_selection(const SelectionNames& names);

#endif
