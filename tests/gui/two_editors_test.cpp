// Two editors on one Varo: a severity added in one reaches the other's list and menus at its
// idle loop's next polls. The second editor is this test program again, in a process of its own.
#include "support/editor_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/main_loop.h"
#include "platform/qori.h"
#include "support/pg_server.h"
#include "support/process_runner.h"
#include "template/line_format.h"
#include "ui/widgets.h"

namespace {

const char* const kPeerStore = "TARNWRIGHT_PEER_STORE";

bool lists(Widget list, const std::string& name) {
    for (const std::string& line : gui::list_items(list))
        if (lines::first_word(line) == name) return true;
    return false;
}

bool offers(Widget pulldown, const std::string& name) {
    for (const std::string& entry : menu_entries(pulldown))
        if (entry == name) return true;
    return false;
}

// Runs the peer editor to its end, then this editor's idle loop until the severity shows.
void peer_adds_a_severity_seen_here() {
    proc::Options options;
    options.args = {"--gtest_filter=EditorTest.DISABLED_PeerEditorAddsASeverity", "--gtest_also_run_disabled_tests"};
    options.env[kPeerStore] = std::getenv("VARO_STORE");
    proc::Result peer = proc::run(std::filesystem::read_symlink("/proc/self/exe"), options, 90);
    ASSERT_TRUE(peer.exited && peer.status == 0) << peer.out << peer.err;

    int polls = 0;
    for (; polls < 50 && !lists(severity_list, "Shared"); ++polls) {
        my_dispatcher(nullptr);
        gui::process_events();
    }
    EXPECT_TRUE(lists(severity_list, "Shared")) << "not seen after " << polls << " polls";
    EXPECT_TRUE(offers(se_severity_parent, "Shared"));
    EXPECT_TRUE(offers(cs_severity_parent, "Shared"));
}

// The other editor: started on the store the first one names, it adds "Shared" and ends.
TEST_F(EditorTest, DISABLED_PeerEditorAddsASeverity) {
    const char* store = std::getenv(kPeerStore);
    ASSERT_NE(nullptr, store);
    setenv("VARO_STORE", store, 1);
    start_editor();
    gui::type_text(severity_name, "Shared");
    gui::type_text(severity_value, "6");
    gui::type_text(severity_color, "gold");
    gui::press(te_severity_add_button);
    EXPECT_TRUE(gui::open_dialogs().empty());
}

TEST_F(EditorTest, SeverityAddedInAnotherEditorShowsOnSQLite) {
    start_editor();
    peer_adds_a_severity_seen_here();
}

TEST_F(EditorTest, SeverityAddedInAnotherEditorShowsOnPostgreSQL) {
    REQUIRE_POSTGRES();
    testenv::ScratchPgDatabase scratch;
    setenv("VARO_STORE", ("pg:" + scratch.conninfo()).c_str(), 1);
    start_editor();
    peer_adds_a_severity_seen_here();
    qori_shutdown();  // before the database goes
}

}  // namespace
