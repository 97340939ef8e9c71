// The whole editor in process, started the way tarnedit starts it, over the fresh store
// of gui::GuiTest, with a second client on the same store for "somebody else" writes.
//
//     TEST_F(EditorTest, Something) {
//         other->add_poll_rate({"fast", 10});   // before start: what the server holds
//         start_editor();                       // no -t: a new "Noname" template
//         ...drive widgets with gui::...
//         other->add_poll_rate({"slow", 90});
//         dispatch();                           // the notifications arrive
//     }
#ifndef TARNWRIGHT_TESTS_SUPPORT_EDITOR_FIXTURE_H
#define TARNWRIGHT_TESTS_SUPPORT_EDITOR_FIXTURE_H

#include "support/gui_harness.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/failing_store.h"
#include "varo/store.h"

class EditorTest : public gui::GuiTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the editor through the program's own start-up, with "-t name" unless name is
    // "Noname" (then a new template).
    void start_editor(const std::string& name = "Noname");
    // Runs the platform's pending notifications, then the X events they caused.
    void dispatch();

    // Stores a template through the second client.
    void store_template(const varo::TemplateDef& def);
    // Reconnects the editor through a store whose writes the test can refuse and count.
    std::shared_ptr<testenv::FailSwitch> watch_writes();

    std::unique_ptr<varo::Store> other;
};

using Texts = std::vector<std::string>;

// What the main window's status line says.
std::string status();
// The idle loop's dispatch, once a poll period, until done() (at most five seconds).
void dispatch_until(const std::function<bool()>& done);
// A state added in the state editor, as a user types it.
void add_state(const std::string& name, const std::string& descr = "added here");
// The stored template opened again in place of the open one, as Open does.
void reopen(const std::string& name);

// The windows alone, as start-up builds them in its order, on that display.
void build_all_windows(Display* display);

// What start_editor does, also used by the benchmarks. False when Varo cannot be reached.
bool build_editor(const std::string& name);

// Sets a name field as a paste would, past the keystroke filter that keeps blanks out.
void paste(Widget field, const std::string& text);
// The names of the entries of an option menu's pulldown (a global), in order, once the
// menus put off are built (see gui::build_unseen_menus).
std::vector<std::string> menu_entries(Widget& pulldown);

#endif
