// The README's tutorial, followed with the keyboard and the mouse on the real tarnedit:
// a template of three states and two transitions with actions, saved, reopened and saved
// again; then shared by two editors on one store, SQLite and PostgreSQL, each seeing what
// the other did. Results are read back with varoctl export.
#include <gtest/gtest.h>

#include <algorithm>

#include <nlohmann/json.hpp>

#include "desktop.h"
#include "support/store_fixture.h"

namespace {
using e2e::Editor;

const char* const IF_WATCH =
    "Template: IfWatch (version %d)\n"
    "Description: Watches an interface\n"
    "\n"
    "State Ground: severity Normal, poll rate Poll - default\n"
    "  -> LinkLost on LinkDown\n"
    "       COMMAND \"logger \" \"link down \"\n"
    "  -> Noisy on HighErrors\n"
    "       MAIL \"noc@example.com \" \"input errors \"\n"
    "\n"
    "State LinkLost: severity Critical, poll rate Poll - The link is down\n"
    "\n"
    "State Noisy: severity Major, poll rate Poll - Input errors are high\n";

std::string if_watch(int version) {
    std::string text = IF_WATCH;
    return text.replace(text.find("%d"), 2, std::to_string(version));
}

// The tutorial's template as varoctl exports it.
const char* const IF_WATCH_JSON = R"({
  "name": "IfWatch", "descr": "Watches an interface",
  "states": [
    { "name": "Ground", "descr": "default", "severity": "Normal", "poll_rate": "Poll" },
    { "name": "LinkLost", "descr": "The link is down", "severity": "Critical", "poll_rate": "Poll", "x": 150, "y": 150 },
    { "name": "Noisy", "descr": "Input errors are high", "severity": "Major", "poll_rate": "Poll", "x": 400, "y": 150 } ],
  "transitions": [
    { "from": "Ground", "to": "LinkLost", "condition": "LinkDown", "actions": [
      { "kind": "COMMAND", "arg0": "\"logger \"", "arg1": "\"link down \"" } ] },
    { "from": "Ground", "to": "Noisy", "condition": "HighErrors", "actions": [
      { "kind": "MAIL", "arg0": "\"noc@example.com \"", "arg1": "\"input errors \"" } ] } ]
})";

// A store holding only IfWatch, as varoctl imports it.
std::string if_watch_store(const std::string& store) {
    return e2e::varoctl(store, {"import", "-"}, std::string(R"({"format": "tarnwright-varo", "format_version": 1,
        "severities": [], "poll_rates": [], "conditions": [], "templates": [)") + IF_WATCH_JSON + "]}");
}

// `varoctl export --template IfWatch`: the template and what it names.
nlohmann::json exported(const std::string& store) {
    return nlohmann::json::parse(e2e::varoctl(store, {"export", "--template", "IfWatch", "-"}), nullptr, false);
}

// The tutorial's first part in a fresh editor. Option menus post with space and keep their
// choice; severities are listed Critical, Major, Minor, Normal; conditions HighErrors, LinkDown;
// actions <none>, COMMAND, MAIL, CONDITION.
void build_if_watch(Editor& editor) {
    // Nothing has the focus in a fresh main window: the first Tab gives it to the name.
    editor.in(editor.main(), {"Tab", "clear", "=IfWatch", "Tab", "clear", "=Watches an interface", "alt+e", "s"});

    // The state editor opens on Add; Tab goes on to the poll-rate menu (Down: the severity
    // menu), the list, the name, the description and back to the buttons.
    unsigned long states = editor.window("Tarnwright: States");
    editor.in(states, {"Tab", "Tab", "Tab", "=LinkLost", "Tab", "=The link is down", "Tab", "space",  // Critical
                       "Tab", "Down", "space", "Down", "Return",                                      // Major
                       "Tab", "Tab", "clear", "=Noisy", "Tab", "clear", "=Input errors are high", "Tab", "space",
                       "Right", "Right", "Right", "space"});  // Close

    // The transition editor: Tab from the buttons to Order Transitions, Down through From,
    // To, Condition and Action; the action's fields come next in the Tab order.
    editor.in(editor.main(), {"alt+e", "t"});
    unsigned long transitions = editor.window("Tarnwright: Transitions");
    editor.in(transitions, {"Tab", "Down", "Down", "space", "Down", "Return",  // To: LinkLost
                            "Down", "space", "Down", "Return",                  // Condition: LinkDown
                            "Down", "space", "Down", "Return",                  // Action: COMMAND
                            "Tab", "Tab", "=logger", "Tab", "=link down", "Tab", "space", "Right", "Right", "space"});

    // The second transition is drawn: Ground is the new template's first state at (20, 20),
    // the next states take the layout slots (150, 150) and (400, 150); each is 50 across.
    editor.in(editor.main(), {"alt+v", "b"});  // View > Both
    unsigned long diagram = editor.window("Tarnwright: State Diagram");
    ASSERT_NE(diagram, 0u);
    editor.move(diagram, 600, 0);
    unsigned long area = e2e::drawing_area(diagram);
    e2e::click(area, 45, 45, 1);    // Ground: the first selection
    e2e::click(area, 425, 175, 2);  // Noisy: the second
    e2e::click(e2e::tool_button(diagram, 1), 22, 22);  // the transition tool opens the editor on them
    transitions = editor.window("Tarnwright: Transitions");
    editor.in(transitions, {"Tab", "Down", "Down", "Down", "space", "Up", "Return",  // Condition: HighErrors
                            "Down", "space", "Down", "Return",                        // Action: MAIL
                            "Tab", "Tab", "clear", "=noc@example.com", "Tab", "clear", "=input errors", "Tab",
                            "space", "Right", "Right", "space"});
    e2e::click(area, 300, 420, 1);  // off the states: both selections go, each state shows its colour
}
}  // namespace

TEST(E2eTutorial, ThreeStatesAndTwoTransitionsAreSavedReopenedAndSavedAgain) {
    REQUIRE_DESKTOP();
    testenv::TempDir folder;
    std::string store = "sqlite:" + folder.path() + "/varo.db";
    {
        Editor editor(store, "tutorial");
        ASSERT_NE(editor.main(), 0u) << "tarnedit never showed its main window";
        build_if_watch(editor);
        editor.in(editor.main(), {"ctrl+s"});
        ASSERT_TRUE(e2e::varoctl_shows(store, {"list", "templates"}, "IfWatch")) << "the save never reached the store";
        EXPECT_EQ(exported(store)["templates"][0], nlohmann::json::parse(IF_WATCH_JSON));
        EXPECT_EQ(e2e::varoctl(store, {"show", "template", "IfWatch"}), if_watch(1));
        e2e::screenshot("tutorial", 1175, 610);
        proc::Result r = editor.exit();
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
    }
    // Reopened from the command line, the whole template is there: saving it again writes
    // the same definition as a new version.
    Editor editor(store, "tutorial", {"-t", "IfWatch"});
    ASSERT_NE(editor.main(), 0u);
    editor.in(editor.main(), {"ctrl+s"});
    ASSERT_TRUE(e2e::varoctl_shows(store, {"show", "template", "IfWatch"}, "(version 2)"));
    EXPECT_EQ(e2e::varoctl(store, {"show", "template", "IfWatch"}), if_watch(2));
    EXPECT_EQ(exported(store)["templates"][0], nlohmann::json::parse(IF_WATCH_JSON));
    EXPECT_EQ(editor.exit().status, 0);
}

namespace {
// The tutorial's last part on a store holding IfWatch: both editors open it; a severity the
// first adds shows in the second's severity list (its pixels change) and menus; the second
// adds a state of that severity and saves; the first, with nothing unsaved, reloads it, so
// that its own save keeps that state.
void two_editors_share_if_watch(const std::string& store) {
    Editor a(store, "alpha", {"-t", "IfWatch"});
    Editor b(store, "beta", {"-t", "IfWatch"});
    ASSERT_NE(a.main(), 0u);
    ASSERT_NE(b.main(), 0u);
    b.move(b.main(), 640, 0);  // side by side: each one's dialogs open over its own main window

    b.in(b.main(), {"alt+e", "u", "v"});  // Edit > Setup > Severities...
    unsigned long b_severities = b.window("Tarnwright: Severities");
    ASSERT_NE(b_severities, 0u);
    std::vector<char> before = e2e::pixels(b_severities);

    a.in(a.main(), {"alt+e", "u", "v"});
    unsigned long a_severities = a.window("Tarnwright: Severities");
    // Opens on Add; Tab: name, value, colour, list, Add.
    a.in(a_severities, {"Tab", "=Flapping", "Tab", "=3", "Tab", "=purple", "Tab", "Tab", "space"});
    EXPECT_TRUE(e2e::varoctl_shows(store, {"list", "severities"}, "Flapping"));
    EXPECT_TRUE(testenv::poll_until(10, 100, [&] { return e2e::pixels(b_severities) != before; }))
        << "the other editor's severity list never changed";
    e2e::screenshot("two_editors", 1215, 610);

    b.in(b.main(), {"alt+e", "s"});
    unsigned long states = b.window("Tarnwright: States");
    // Severities now: Critical, Flapping, Major, Minor, Normal.
    b.in(states, {"Tab", "Down", "space", "Down", "Return", "Tab", "Tab", "=Flaps", "Tab", "=The link flaps", "Tab",
                  "space", "Right", "Right", "Right", "space"});
    b.in(b.main(), {"ctrl+s"});
    ASSERT_TRUE(e2e::varoctl_shows(store, {"show", "template", "IfWatch"},
                                   "State Flaps: severity Flapping, poll rate Poll - The link flaps"))
        << e2e::varoctl(store, {"show", "template", "IfWatch"});
    nlohmann::json after = exported(store);
    const nlohmann::json flapping = {{"name", "Flapping"}, {"value", 3}, {"color", "purple"}};
    EXPECT_NE(std::find(after["severities"].begin(), after["severities"].end(), flapping), after["severities"].end())
        << after.dump();
    EXPECT_EQ(after["templates"][0]["states"].size(), 4u);

    // The first editor had nothing unsaved: it took the second's version in at once, so its
    // save keeps the new state.
    a.in(a.main(), {"ctrl+s"});
    ASSERT_TRUE(e2e::varoctl_shows(store, {"show", "template", "IfWatch"}, "(version 3)"));
    EXPECT_EQ(exported(store), after) << "the first editor's save lost the second's state";

    EXPECT_EQ(a.exit().status, 0);
    EXPECT_EQ(b.exit().status, 0);
}
}  // namespace

TEST(E2eSharing, TwoEditorsOnOneSqliteStoreSeeEachOthersChanges) {
    REQUIRE_DESKTOP();
    testenv::TempDir folder;
    std::string store = "sqlite:" + folder.path() + "/varo.db";
    if_watch_store(store);
    two_editors_share_if_watch(store);
}

// As the README has it: the template exported from the tutorial's file store, imported
// into PostgreSQL.
TEST(E2eSharing, TwoEditorsOnOnePostgresStoreSeeEachOthersChanges) {
    REQUIRE_DESKTOP();
    REQUIRE_POSTGRES();
    testenv::TempDir folder;
    std::string file_store = "sqlite:" + folder.path() + "/varo.db", json = folder.path() + "/ifwatch.json";
    if_watch_store(file_store);
    e2e::varoctl(file_store, {"export", "--template", "IfWatch", json});
    testenv::ScratchPgDatabase db;
    std::string store = "pg:" + db.conninfo();
    e2e::varoctl(store, {"import", json});
    two_editors_share_if_watch(store);
}
