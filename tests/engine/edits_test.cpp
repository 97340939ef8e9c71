// Edits of a working copy: states, transitions, actions and their order.
#include "engine_fixture.h"

using Strings = std::vector<std::string>;

TEST_P(EngineTest, StatesAreCheckedAddedChangedAndDeleted) {
    Qor_Defn t = grounded("t");
    EXPECT_FALSE(qori_state_add(t, "Ground", "Poll", "Normal", "")) << "duplicate";
    EXPECT_FALSE(qori_state_add(t, "", "Poll", "Normal", ""));
    EXPECT_FALSE(qori_state_add(t, "a b", "Poll", "Normal", ""));
    EXPECT_FALSE(qori_state_add(t, std::string(65, 's').c_str(), "Poll", "Normal", ""));
    EXPECT_FALSE(qori_state_add(t, "S", "NoSuchRate", "Normal", ""));
    EXPECT_NE(std::string(qori_error_str).find("NoSuchRate"), std::string::npos) << qori_error_str;
    EXPECT_FALSE(qori_state_add(t, "S", "Poll", "NoSuchSeverity", ""));
    EXPECT_FALSE(qori_state_add(t, "S", "Poll", "Normal", std::string(256, 'x').c_str()));
    ASSERT_TRUE(qori_state_add(t, std::string(64, 's').c_str(), "Poll", "Normal", std::string(255, 'x').c_str()));
    EXPECT_EQ(state_names(t).size(), 2u);

    Qor_State g = t.find_state("Ground");
    EXPECT_TRUE(g == t.find_state("Ground")) << "states compare by identity";
    EXPECT_FALSE(t.find_state("Nowhere").is_valid());
    DataUnit empty;
    EXPECT_TRUE(g.set_poll_rate("default_rate", empty));
    EXPECT_FALSE(g.set_severity("NoSuchSeverity", empty));
    EXPECT_STREQ(g.poll_rate(), "Poll") << "staged only";
    EXPECT_TRUE(g.Store(empty));
    EXPECT_STREQ(g.poll_rate(), "default_rate");
    EXPECT_STREQ(g.severity(), "Normal") << "the refused severity was not staged";

    ASSERT_TRUE(qori_state_add(t, "Down", "Poll", "Critical", ""));
    ASSERT_TRUE(qori_transition_add(t, "Ground", "Down", "LinkDown", nullptr, nullptr, nullptr));
    ASSERT_TRUE(qori_transition_add(t, "Down", "Ground", "LinkDown", nullptr, nullptr, nullptr));
    ASSERT_TRUE(qori_transition_add(t, "Ground", "Ground", "HighErrors", nullptr, nullptr, nullptr));
    Qor_State down = t.find_state("Down");
    ASSERT_TRUE(qori_state_delete(t, "Down"));
    EXPECT_EQ(transitions_of(t), Strings({"Ground>Ground:HighErrors"})) << "transitions from and to it go too";
    EXPECT_FALSE(qori_state_delete(t, "Down"));
    EXPECT_FALSE(down.Store(empty)) << "a deleted state cannot be changed";
}

TEST_P(EngineTest, ActionsAreAppendedAndRemovedOneByOne) {
    Qor_Defn t = grounded("t");
    ASSERT_TRUE(qori_state_add(t, "Down", "Poll", "Critical", ""));
    const char* cmd = "\"ls -l \"";
    ASSERT_TRUE(qori_transition_add(t, "Ground", "Down", "LinkDown", "COMMAND", cmd, "\"\"")) << qori_error_str;
    EXPECT_FALSE(qori_transition_add(t, "Ground", "Down", "LinkDown", "COMMAND", cmd, "\"\"")) << "same action twice";
    EXPECT_FALSE(qori_transition_add(t, "Ground", "Down", "LinkDown", nullptr, nullptr, nullptr)) << "duplicate";
    ASSERT_TRUE(qori_transition_add(t, "Ground", "Down", "LinkDown", "MAIL", "\"ops@example.net \"", "\"link \""));
    ASSERT_TRUE(qori_transition_add(t, "Ground", "Down", "LinkDown", "CONDITION", "HighErrors", nullptr));

    Qor_Transition tr = t.find_state("Ground").find_transition("LinkDown", t.find_state("Down"));
    ASSERT_TRUE(tr.is_valid());
    EXPECT_EQ(actions_of(tr), Strings({"COMMAND \"ls -l \" \"\"", "MAIL \"ops@example.net \" \"link \"",
                                       "CONDITION HighErrors "}));

    // Kinds and arguments the engine does not accept.
    EXPECT_FALSE(qori_transition_add(t, "Ground", "Down", "LinkDown", "COMMAND", "ls", "\"\""));
    EXPECT_FALSE(qori_transition_add(t, "Ground", "Down", "LinkDown", "COMMAND", "\"ls\"", nullptr));
    EXPECT_FALSE(qori_transition_add(t, "Ground", "Down", "LinkDown", "COMMAND", "\"", "\"\""));
    EXPECT_FALSE(qori_transition_add(t, "Ground", "Down", "LinkDown", "MAIL", "\"a\"", "\"say \"hi\"\""));
    EXPECT_FALSE(qori_transition_add(t, "Ground", "Down", "LinkDown", "PAGE", "\"x\"", "\"\""));
    EXPECT_FALSE(qori_transition_add(t, "Ground", "Down", "LinkDown", "CONDITION", "NoSuchCondition", nullptr));
    EXPECT_FALSE(qori_transition_add(t, "Ground", "Down", "LinkDown", "CONDITION", "HighErrors", "\"x\""));
    EXPECT_FALSE(qori_transition_add(t, "Ground", "Down", "NoSuchCondition", nullptr, nullptr, nullptr));
    EXPECT_FALSE(qori_transition_add(t, "Ground", "Nowhere", "LinkDown", nullptr, nullptr, nullptr));
    EXPECT_EQ(actions_of(tr).size(), 3u);

    ASSERT_TRUE(qori_transition_delete(t, "Ground", "Down", "LinkDown", "MAIL", "\"ops@example.net \"", "\"link \""));
    EXPECT_FALSE(qori_transition_delete(t, "Ground", "Down", "LinkDown", "MAIL", "\"ops@example.net \"", "\"link \""));
    ASSERT_TRUE(qori_transition_delete(t, "Ground", "Down", "LinkDown", "CONDITION", "HighErrors", nullptr));
    EXPECT_EQ(actions_of(tr), Strings({"COMMAND \"ls -l \" \"\""}));
    ASSERT_TRUE(qori_transition_delete(t, "Ground", "Down", "LinkDown", "COMMAND", cmd, "\"\""));
    EXPECT_EQ(transitions_of(t).size(), 1u) << "removing the last action keeps the transition";

    // A transition with actions goes as a whole; the saved definition keeps what is left.
    ASSERT_TRUE(qori_transition_add(t, "Ground", "Down", "LinkDown", "COMMAND", cmd, "\"\""));
    ASSERT_TRUE(qori_transition_delete(t, "Ground", "Down", "LinkDown", nullptr, nullptr, nullptr));
    EXPECT_FALSE(qori_transition_delete(t, "Ground", "Down", "LinkDown", nullptr, nullptr, nullptr));
    EXPECT_TRUE(transitions_of(t).empty());
    ASSERT_TRUE(qori_transition_add(t, "Down", "Ground", "LinkDown", "COMMAND", cmd, "\"\""));
    ASSERT_TRUE(qori_template_store(t, "t", "d")) << qori_error_str;
    Qor_Defn back = qori_template_find("t");
    Qor_Transition stored = back.find_state("Down").find_transition("LinkDown", back.find_state("Ground"));
    EXPECT_EQ(actions_of(stored), Strings({"COMMAND \"ls -l \" \"\""}));
}

TEST_P(EngineTest, TransitionOrderFollowsMovesAndIsStored) {
    Qor_Defn t = grounded("t");
    ASSERT_TRUE(qori_state_add(t, "A", "Poll", "Minor", ""));
    ASSERT_TRUE(qori_state_add(t, "B", "Poll", "Major", ""));
    ASSERT_TRUE(qori_transition_add(t, "Ground", "A", "LinkDown", nullptr, nullptr, nullptr));
    ASSERT_TRUE(qori_transition_add(t, "A", "B", "LinkDown", nullptr, nullptr, nullptr));
    ASSERT_TRUE(qori_transition_add(t, "Ground", "B", "LinkDown", nullptr, nullptr, nullptr));
    ASSERT_TRUE(qori_transition_add(t, "Ground", "B", "HighErrors", nullptr, nullptr, nullptr));
    EXPECT_EQ(transitions_of(t, "Ground"), Strings({"Ground>A:LinkDown", "Ground>B:LinkDown", "Ground>B:HighErrors"}));

    Qor_State g = t.find_state("Ground");
    Qor_State b = t.find_state("B");
    Qor_Transition last = g.find_transition("HighErrors", b);
    ASSERT_TRUE(g.move_up(last));
    ASSERT_TRUE(g.move_up(last)) << "moves skip transitions of other states";
    EXPECT_FALSE(g.move_up(last)) << "already first";
    EXPECT_EQ(transitions_of(t, "Ground"), Strings({"Ground>B:HighErrors", "Ground>A:LinkDown", "Ground>B:LinkDown"}));
    Qor_Transition mid = g.find_transition("LinkDown", t.find_state("A"));
    ASSERT_TRUE(g.move_down(mid));
    EXPECT_FALSE(g.move_down(mid)) << "already last";
    EXPECT_FALSE(t.find_state("A").move_up(mid)) << "not a transition of that state";
    EXPECT_FALSE(g.find_transition("HighErrors", t.find_state("A")).is_valid());

    Qor_TransitionQueue into_b;
    g.get_transitionsq(into_b, g, b);
    EXPECT_EQ(into_b.size(), 2u);

    ASSERT_TRUE(qori_template_store(t, "t", "d"));
    EXPECT_EQ(transitions_of(qori_template_find("t"), "Ground"),
              Strings({"Ground>B:HighErrors", "Ground>B:LinkDown", "Ground>A:LinkDown"}));
}

TEST_P(EngineTest, PositionsLiveInTheWorkingCopyAndAreSavedWithIt) {
    Qor_Defn t = grounded("placed");
    Qor_State g = t.find_state("Ground");
    int x = -1, y = -1;
    EXPECT_FALSE(g.position(&x, &y)) << "none until moved";
    EXPECT_FALSE(g.set_position(-1, 10));
    EXPECT_FALSE(g.set_position(10, QORI_POSITION_MAX + 1));
    ASSERT_TRUE(g.set_position(310, 42));
    ASSERT_TRUE(g.position(&x, &y));
    EXPECT_EQ(std::make_pair(310, 42), std::make_pair(x, y));
    ASSERT_TRUE(qori_state_add(t, "Down", "Poll", "Critical", ""));
    ASSERT_TRUE(qori_template_store(t, "placed", "d")) << qori_error_str;

    auto stored = other_client()->load_template("placed");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->states[0].position, (varo::StatePosition{310, 42}));
    EXPECT_FALSE(stored->states[1].position);

    // Another client reads it back; a move there is saved in place and copied with the rest.
    Qor_Defn again = qori_template_find("placed");
    ASSERT_TRUE(again.find_state("Ground").position(&x, &y));
    EXPECT_EQ(std::make_pair(310, 42), std::make_pair(x, y));
    ASSERT_TRUE(again.find_state("Down").set_position(0, 0));
    ASSERT_TRUE(qori_template_add(again, "placed", "d")) << qori_error_str;
    Qor_Defn copy = qori_template_copy(again, "copied", "d");
    ASSERT_TRUE(copy.is_valid());
    EXPECT_EQ(other_client()->load_template("copied")->states[1].position, (varo::StatePosition{0, 0}));

    Qor_State down = again.find_state("Down");
    ASSERT_TRUE(qori_state_delete(again, "Down"));
    EXPECT_FALSE(down.set_position(5, 5)) << "a deleted state cannot be moved";
}
