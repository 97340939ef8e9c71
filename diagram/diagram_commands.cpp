#include "diagram/diagram_commands.h"

#include <Xm/FileSB.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/messages.h"
#include "diagram/diagram_object.h"
#include "diagram/diagram_scene.h"
#include "diagram/draw_area.h"
#include "diagram/picture/arrange.h"
#include "diagram/picture/render.h"
#include "ui/callbacks.h"
#include "ui/xm_string.h"
#include "template/template_model.h"
#include "template/template_walk.h"
#include "ui/gui_utils.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"

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

Widget export_text() { return sd_export_dialog ? XmFileSelectionBoxGetChild(sd_export_dialog, XmDIALOG_TEXT) : nullptr; }

}  // namespace

bool arrange_diagram(bool by_user) {
    std::vector<Qor_State> states = template_states();
    if (states.empty()) return true;
    std::vector<std::string> names;
    for (const Qor_State& s : states) names.push_back(s.name());
    if (by_user) {
        // Shown before the work, which may take a moment on a big template.
        set_status(format_message(msg::ARRANGING_STATUS, {template_name()}));
        XmUpdateDisplay(state_diagram_win);
    }
    std::vector<picture::Corner> at;
    try {
        at = picture::arrange(names, template_links(states), "Ground",
                              by_user ? picture::ARRANGE_WORK : picture::OPENING_WORK);
    } catch (const picture::ArrangeError& e) {
        if (by_user) set_status(format_message(msg::OPENED_STATUS, {template_name()}));
        error_dialog(state_diagram_win, format_message(msg::ARRANGE_FAILED, {e.what()}).c_str());
        return false;
    }
    // The states' objects move where they are: reading the template again would double
    // the time of opening it. The views follow the edit, or the change being told.
    for (std::size_t i = 0; i < states.size(); ++i) {
        states[i].set_position(at[i].x, at[i].y);
        if (DiagramObject* shown = find_state(names[i].c_str())) {
            shown->x = at[i].x;
            shown->y = at[i].y;
        }
    }
    if (by_user) template_edited(EDITED_PLACES, msg::DIAGRAM_MODIFIED_STATUS);
    return true;
}

void arrange_if_overlapping() {
    std::vector<Qor_State> states = template_states();
    std::vector<std::optional<picture::Corner>> own;
    for (const Qor_State& s : states) {
        int x = 0, y = 0;
        own.push_back(s.position(&x, &y) ? std::optional<picture::Corner>(picture::Corner{x, y}) : std::nullopt);
    }
    if (picture::slots_overlap(picture::loaded_corners(own), own)) arrange_diagram(false);
}

void sd_arrange_cb(Widget, XtPointer, XtPointer) {
    BusyCursor busy(state_diagram_win);
    arrange_diagram(true);
}

void sd_export_cb(Widget, XtPointer, XtPointer) {
    if (!sd_export_dialog) return;
    g2_win_show(sd_export_dialog);
}

void sd_export_ok_cb(Widget, XtPointer, XtPointer) {
    std::string path = field_text(export_text());
    if (!picture::format_for(path)) {
        error_dialog(state_diagram_win, message_text(msg::EXPORT_NEEDS_SUFFIX));
        return;
    }
    XtUnmanageChild(sd_export_dialog);
    BusyCursor busy(state_diagram_win);
    std::unique_ptr<DiagramFonts> own;
    const DiagramFonts* fonts = diagram_fonts_in_use();
    if (!fonts) fonts = (own = std::make_unique<DiagramFonts>(DIAGRAM_FONT)).get();
    try {
        picture::export_picture(diagram_scene(SceneColours::Severity), *fonts, path);
    } catch (const picture::ExportError& e) {
        error_dialog(state_diagram_win, format_message(msg::EXPORT_FAILED, {path, e.what()}).c_str());
        return;
    }
    set_status(format_message(msg::EXPORTED_STATUS, {template_name(), path}));
}
