#include "diagram/diagram_view.h"

#include <map>
#include <string>
#include <vector>

#include "diagram/diagram_object.h"
#include "diagram/diagram_scene.h"
#include "diagram/diagram_zoom.h"
#include "diagram/draw_area.h"
#include "template/template_model.h"
#include "template/template_places.h"
#include "template/template_walk.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"

namespace {

// A severity's colour, asked of the store once per severity and rebuild.
class SeverityColours {
public:
    const std::string& colour(const char* severity) {
        auto it = known.find(text_of(severity));
        if (it == known.end()) it = known.emplace(text_of(severity), qorSeverity_Create(severity).color()).first;
        return it->second;
    }

private:
    std::map<std::string, std::string> known;
};

// The state objects go where the template places their states (after a move or an
// arrangement): nothing else of the diagram is read again.
void place_state_objects() {
    forget_scene();
    for (const Qor_State& state : template_states()) {
        int x = 0, y = 0;
        DiagramObject* shown = find_state(state.name());
        if (shown && state.position(&x, &y)) {
            shown->x = x;
            shown->y = y;
        }
    }
}

// A template just read is arranged when states placed by slots overlap: part of reading
// it, no edit of the user's.
void arrange_as_read() {
    if (!states_overlap()) return;
    EditOutcome arranged = edits::arrange_states(false);
    if (arranged)
        place_state_objects();
    else
        tell_refusal(state_diagram_win, arranged);
}

}  // namespace

void build_diagram_objects() {
    SelectionNames kept = remember_selection();
    reset_layout();
    destroy_list();
    std::vector<Qor_State> walk = template_states();
    LeavingByState leaving_by_state(walk.empty() ? Qor_State() : walk.front());
    SeverityColours colours;
    for (const Qor_State& state : walk) {
        const char* name = text_of(state.name());
        DiagramObject* shown = create_state_object(name, colours.colour(state.severity()).c_str());
        // A state with a place of its own goes there; the slots still count it.
        int x = 0, y = 0;
        if (shown && state.position(&x, &y)) {
            shown->x = x;
            shown->y = y;
        }
        for (const Qor_Transition& t : leaving_by_state.of(state)) {
            const char* to = text_of(t.to_state().name());
            if (DiagramObject* existing = find_transition(name, to))
                existing->set_condition(text_of(t.name()));
            else
                create_transition_object(name, to, text_of(t.name()));
        }
    }
    restore_selection(kept);
}

void diagram_view(const TemplateChange& change) {
    switch (change.kind) {
    case Change::Edited:
        if (change.parts == EDITED_FIELDS) return;
        if (change.parts == EDITED_PLACES)
            place_state_objects();
        else
            build_diagram_objects();
        break;
    case Change::Opened:
    case Change::Reloaded:
        build_diagram_objects();
        arrange_as_read();
        if (change.kind == Change::Reloaded) break;
        show_opened_diagram();
        return;
    case Change::Started:
        build_diagram_objects();
        show_opened_diagram();
        return;
    case Change::Restored:
        build_diagram_objects();
        break;
    case Change::Saved:
    case Change::Album:
    case Change::Rights:
        return;
    }
    draw_diagram();
}
