// The editor on a shared Varo whose server ends the session: the idle loop notices, the user
// is told "Platform has disconnected" once, and the program ends with status 1.
#include "support/gui_harness.h"

#include <cstdlib>

#include "app/globals.h"
#include "app/main_loop.h"
#include "platform/qori.h"
#include "support/pg_server.h"

using gui::GuiTest;

namespace {

// Runs the idle loop's work procedure (one dispatch and a 100 ms sleep) until a dialog is up.
void idle_until_a_dialog() {
    for (int i = 0; i < 100 && gui::open_dialogs().empty(); ++i) {
        my_dispatcher(nullptr);
        gui::process_events();
    }
}

TEST_F(GuiTest, SharedVaroEndingTheSessionShowsPlatformHasDisconnectedAndExitsWithStatus1) {
    REQUIRE_POSTGRES();
    // Each run of the exit check below starts the test over in a new process: a new database.
    testenv::ScratchPgDatabase scratch;
    setenv("VARO_STORE", ("pg:" + scratch.conninfo()).c_str(), 1);
    gui::start_editor();
    ASSERT_TRUE(qori_connected());
    ASSERT_TRUE(gui::open_dialogs().empty());
    // The lists come from the shared store.
    EXPECT_FALSE(gui::list_items(gui::need("severity_list")).empty());

    EXPECT_EXIT(
        {
            scratch.terminate_clients();
            idle_until_a_dialog();
            gui::Dialog d = gui::only_dialog();
            if (d.message != "Platform has disconnected") std::exit(3);
            // Told once, however often the loop runs on.
            for (int i = 0; i < 5; ++i) my_dispatcher(nullptr);
            gui::process_events();
            if (gui::open_dialogs().size() != 1) std::exit(4);
            gui::press(d.button("OK"));
            std::exit(5);
        },
        ::testing::ExitedWithCode(1), "");
}

}  // namespace
