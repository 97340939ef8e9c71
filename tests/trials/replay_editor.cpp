// The editor, started as tarnedit starts it, with a hand that makes 20 mixed edits through the
// widgets (the callbacks a click runs) while the main loop runs; after each finished edit the
// working copy is appended to $TRIAL_LOG, one exchange file a line ($TRIAL_LOG.done once all
// are made). With TRIAL_MODE=recover it
// instead answers the recovery offer with Recover and saves: "offered" or "not offered" on
// standard output.
// gtest's headers before X's macros.
#include "support/gui_harness.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "app/startup.h"
#include "base/globals.h"
#include "diagram/diagram_object.h"
#include "template/template_model.h"
#include "ui/message_dialogs.h"
#include "ui/widgets.h"
#include "varo/transfer.h"

namespace {

std::mt19937 rng;
int done_edits = 0;
enum { EDITS = 20 };

// A view of the change signal, told of each change as it is made: before the main loop's idle
// turn can write the journal.
void log_working_copy(const TemplateChange& change) {
    if (change.kind != Change::Edited) return;
    // The snapshot holds everything the copy holds, the states' places included.
    varo::TemplateDef def = *qori_template_snapshot(qor_handle).contents();
    def.name = template_name();
    std::string line = varo::template_exchange_json(def);
    for (char& c : line)
        if (c == '\n') c = ' ';
    line += "\n";
    int fd = open(std::getenv("TRIAL_LOG"), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0 || write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) std::exit(4);
    close(fd);
}

std::string state_name(int n) { return "S" + std::to_string(n); }

// One edit of the mix; every kind goes through the dialog or diagram a user would use.
void edit(int i) {
    int states = i / 3 + 1;  // S1, S2...: one added every third edit, this one included
    switch (i % 6) {
    case 0:
    case 3:
        gui::type_text(se_state_name, state_name(states));
        gui::type_text(se_description_name, "state " + std::to_string(i));
        gui::press(state_edit_add_button);
        break;
    case 1:
        gui::choose_option(tran_from_state, "Ground");
        gui::choose_option(tran_to_state, state_name(states));
        gui::choose_option(tran_condition, i % 4 ? "LinkDown" : "HighErrors");
        gui::choose_option(tran_action, "COMMAND");
        gui::type_text(tran_edit_text1, "/bin/run" + std::to_string(i));
        gui::type_text(tran_edit_text2, "arg " + std::to_string(i));
        gui::press(tran_add_button);
        break;
    case 2:
        gui::type_text(se_state_name, state_name(1 + static_cast<int>(rng() % states)));
        gui::choose_option(se_severity, rng() % 2 ? "Minor" : "Critical");
        gui::press(state_edit_modify_button);
        break;
    case 4: {
        DiagramObject* s = find_state(state_name(1 + static_cast<int>(rng() % states)).c_str());
        if (!s) break;
        int x = s->x + 25, y = s->y + 25, to_x = x + 40 + static_cast<int>(rng() % 80), to_y = y + 30;
        gui::pointer_event(sd_draw_area, ButtonPress, 1, x, y);
        gui::pointer_event(sd_draw_area, MotionNotify, 1, (x + to_x) / 2, (y + to_y) / 2);
        gui::pointer_event(sd_draw_area, MotionNotify, 1, to_x, to_y);
        gui::pointer_event(sd_draw_area, ButtonRelease, 1, to_x, to_y);
        break;
    }
    default:
        gui::choose_option(tran_from_state, "Ground");
        gui::press(tran_order_transitions);
        if (gui::list_items(ot_list).size() >= 2) {
            gui::select_list_pos(ot_list, 2);
            gui::press(ot_up_button);
        } else {
            gui::type_text(se_state_name, state_name(states));
            gui::choose_option(se_pollrate, "default_rate");
            gui::press(state_edit_modify_button);
        }
        break;
    }
}

void step(XtPointer, XtIntervalId*) {
    edit(done_edits++);
    gui::process_events();
    if (done_edits < EDITS)
        XtAppAddTimeOut(app_context, 50 + rng() % 100, step, nullptr);
    else
        close(open((std::string(std::getenv("TRIAL_LOG")) + ".done").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
}

}  // namespace

int main(int argc, char** argv) {
    rng.seed(static_cast<unsigned>(std::atoi(std::getenv("TRIAL_SEED") ? std::getenv("TRIAL_SEED") : "1")));
    bool recovering = std::getenv("TRIAL_MODE") && std::string(std::getenv("TRIAL_MODE")) == "recover";
    if (!start_up(argc, argv)) return 5;
    gui::add_root(te_win);
    gui::add_root(state_diagram_win);
    XtPopup(state_diagram_win, XtGrabNone);
    gui::process_events();
    if (recovering) {
        bool offered = current_question_dialog != nullptr;
        if (offered) gui::press(gui::only_dialog().button("Recover"));
        gui::process_events();
        gui::press(main_save_button);
        gui::process_events();
        std::printf("%s %d\n", offered ? "offered" : "not offered", modified);
        return 0;
    }
    watch_template(log_working_copy);
    XtManageChild(state_edit_dialog);
    XtManageChild(te_transition_edit_dialog);
    gui::process_events();
    XtAppAddTimeOut(app_context, 50, step, nullptr);
    XtAppMainLoop(app_context);
}
