// Undo and redo of the open template: every step is the whole working copy (and the name
// and description fields) as it was, so putting one back needs no knowledge of the edit.
// Severities, poll rates and conditions live in the server and are not part of a step.
#ifndef TARNWRIGHT_EDIT_UNDO_HISTORY_H
#define TARNWRIGHT_EDIT_UNDO_HISTORY_H

#include <cstddef>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "platform/qori.h"
#include "template/template_change.h"

// The steps before and after the present one, without any toolkit. `now` is what the last
// recorded step left; undo and redo are handed what is there actually (an edit may have
// changed the copy without being recorded), so that nothing is lost on the way back.
template <class Step>
class UndoHistory {
public:
    enum { LIMIT = 100 };

    void start(Step present) {
        past.clear();
        future.clear();
        now = std::move(present);
    }
    // A change: what came before becomes undoable, what was undone is dropped.
    void record(Step present) {
        past.push_back(std::move(now));
        if (past.size() > LIMIT) past.pop_front();
        future.clear();
        now = std::move(present);
    }
    // The present step changed again without a new step (typing on in one field).
    void amend(Step present) { now = std::move(present); }
    bool can_undo() const { return !past.empty(); }
    bool can_redo() const { return !future.empty(); }
    // Each returns the step to put back; call only when possible.
    const Step& undo(Step actual) {
        future.push_back(std::move(actual));
        now = std::move(past.back());
        past.pop_back();
        return now;
    }
    const Step& redo(Step actual) {
        past.push_back(std::move(actual));
        now = std::move(future.back());
        future.pop_back();
        return now;
    }
    const Step& present() const { return now; }

private:
    std::deque<Step> past;
    std::vector<Step> future;
    Step now{};
};

// One step of the editor: the working copy's contents and the two fields.
struct TemplateStep {
    Qor_Snapshot contents;
    std::string name, descr;
};

// The history as a view: a template started, opened or reloaded starts it again; an edit
// is a step; Undo and Redo become usable or not as it allows.
void undo_view(const TemplateChange& change);
// The main window's name and description fields as a view of the document's.
void fields_view(const TemplateChange& change);
// The callbacks (ui/callbacks.h): main_undo_cb and main_redo_cb serve both windows'
// menus; main_field_changed_cb makes typing into the name or description field a step of
// its own, one per field typed into until something else happens.

#endif
