// Whole editing operations behind the editor dialogs. Each member reads and checks the
// fields it is handed, runs the edit (of the open template in template/, of the server's
// albums here) and reports a failure in an error dialog; the change told refreshes the
// views. Each returns non-zero for success, 0 for failure.
#ifndef TARNWRIGHT_EDIT_GENERIC_H
#define TARNWRIGHT_EDIT_GENERIC_H

#include <X11/Intrinsic.h>

#include <optional>

#include "diagram/picture/scene.h"
#include "template/template_edits.h"

class Generic {
public:
    // States of the open template. A new state stands at `place` (where it was put in the
    // diagram), else on a free place.
    int add_state(Widget name, Widget descr, Widget pollrate_menu, Widget severity_menu,
                  std::optional<picture::Corner> place = std::nullopt);

    // Transitions and actions of the open template.
    // The caller tells a refusal: it has the button the dialog goes over.
    EditOutcome add_transition(Widget from_menu, Widget to_menu, Widget condition_menu, Widget action_menu,
                               Widget condition_action_menu, Widget operand1, Widget operand2);
    int delete_transition(Widget from_menu, Widget to_menu, Widget condition_menu, Widget action_menu,
                          Widget operand1, Widget operand2);

    // Severities and poll rates of the server.
    int add_severity(Widget name, Widget value, Widget color);
    int delete_severity(Widget name);
    int add_pollrate(Widget name, Widget rate);
    int delete_pollrate(Widget name);
};

extern Generic generic;

#endif
