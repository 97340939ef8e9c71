// The diagram window's commands on the whole diagram: Arrange, and Export Diagram... to a
// PNG, SVG or PDF file.
#include <Xm/FileSB.h>
#include <Xm/ToggleB.h>
#include <sys/stat.h>

#include <memory>
#include <string>

#include "base/messages.h"
#include "diagram/diagram_object.h"
#include "diagram/diagram_scene.h"
#include "diagram/draw_area.h"
#include "diagram/picture/render.h"
#include "ui/callbacks.h"
#include "ui/xm_string.h"
#include "template/template_model.h"
#include "template/template_places.h"
#include "template/template_walk.h"
#include "ui/gui_utils.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"

namespace {

Widget export_text() { return sd_export_dialog ? XmFileSelectionBoxGetChild(sd_export_dialog, XmDIALOG_TEXT) : nullptr; }

std::string export_path;  // the name Export was pressed with, kept while the replace is asked

void export_diagram() {
    XtUnmanageChild(sd_export_dialog);
    BusyCursor busy(state_diagram_win);
    std::unique_ptr<DiagramFonts> own;
    const DiagramFonts* fonts = diagram_fonts_in_use();
    if (!fonts) fonts = (own = std::make_unique<DiagramFonts>(DIAGRAM_FONT)).get();
    bool selections = sd_export_selections && XmToggleButtonGetState(sd_export_selections);
    try {
        picture::export_picture(diagram_scene(selections ? SceneColours::Shown : SceneColours::Severity), *fonts,
                                export_path);
    } catch (const picture::ExportError& e) {
        error_dialog(state_diagram_win, format_message(msg::EXPORT_FAILED, {export_path, e.what()}).c_str());
        return;
    }
    set_status(format_message(msg::EXPORTED_STATUS, {template_name(), export_path}));
}

void export_replace_ok(Widget, XtPointer, XtPointer) {
    close_warning_dialog();
    export_diagram();
}

}  // namespace

void sd_arrange_cb(Widget, XtPointer, XtPointer) {
    BusyCursor busy(state_diagram_win);
    if (template_states().empty()) return;
    // Shown before the work, which may take a moment on a big template.
    set_status(format_message(msg::ARRANGING_STATUS, {template_name()}));
    XmUpdateDisplay(state_diagram_win);
    EditOutcome arranged = edits::arrange_states(true);
    if (arranged) return;
    set_status(format_message(msg::OPENED_STATUS, {template_name()}));
    tell_refusal(state_diagram_win, arranged);
}

void sd_export_cb(Widget, XtPointer, XtPointer) {
    if (!sd_export_dialog) return;
    // The folder as it is now: files written since the last look show, deleted ones go.
    XmFileSelectionDoSearch(sd_export_dialog, nullptr);
    g2_win_show(sd_export_dialog);
}

void sd_export_ok_cb(Widget, XtPointer, XtPointer) {
    std::string path = field_text(export_text());
    if (!picture::format_for(path)) {
        error_dialog(state_diagram_win, message_text(msg::EXPORT_NEEDS_SUFFIX));
        return;
    }
    export_path = path;
    struct stat seen;
    if (stat(path.c_str(), &seen) == 0) {
        display_warning(sd_export_dialog, format_message(msg::EXPORT_REPLACE_QUESTION, {path}).c_str(),
                        export_replace_ok, cancel_warning);
        return;
    }
    export_diagram();
}
