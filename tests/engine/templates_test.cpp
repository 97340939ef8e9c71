// Templates: working copies against what is stored, and every way of writing them.
#include "engine_fixture.h"

using Strings = std::vector<std::string>;

TEST_P(EngineTest, UnsavedEditsStayInTheWorkingCopyUntilSaved) {
    Qor_Defn t = grounded("report");
    ASSERT_TRUE(qori_template_store(t, "report", "first"));
    EXPECT_STREQ(t.stored_name(), "report");
    EXPECT_EQ(album_names(QORI_ALBUM_TEMPLATES), Strings({"report"}));

    ASSERT_TRUE(qori_state_add(t, "Down", "Poll", "Critical", "link down"));
    Qor_Defn other = qori_template_find("report");
    EXPECT_EQ(state_names(other), Strings({"Ground"})) << "an unsaved edit leaked";
    EXPECT_EQ(other_client()->load_template("report")->states.size(), 1u);

    ASSERT_TRUE(qori_template_add(t, "report", "second")) << qori_error_str;
    EXPECT_EQ(state_names(qori_template_find("report")), Strings({"Ground", "Down"}));
    EXPECT_STREQ(qori_template_find("report").descr(), "second");
    // The copy read before the save is a copy: it still shows what it read.
    EXPECT_EQ(state_names(other), Strings({"Ground"}));

    Qor_Defn same = t;  // copies of a handle share one working copy
    ASSERT_TRUE(qori_state_delete(same, "Down"));
    EXPECT_EQ(state_names(t), Strings({"Ground"}));
}

TEST_P(EngineTest, SnapshotsPutBackContentsAndKeepTheStoredIdentity) {
    Qor_Defn t = grounded("undo");
    ASSERT_TRUE(qori_transition_add(t, "Ground", "Ground", "LinkDown", "COMMAND", "\"ping \"", "\"\""));
    ASSERT_TRUE(qori_template_store(t, "undo", "d"));
    Qor_Snapshot before = qori_template_snapshot(t);

    ASSERT_TRUE(qori_state_add(t, "Down", "Poll", "Critical", "down"));
    ASSERT_TRUE(qori_transition_add(t, "Ground", "Down", "HighErrors", "CONDITION", "LinkDown", nullptr));
    Qor_State ground = t.find_state("Ground");
    ASSERT_TRUE(ground.move_up(ground.find_transition("HighErrors", t.find_state("Down"))));
    Qor_Snapshot after = qori_template_snapshot(t);
    EXPECT_NE(before, after);

    ASSERT_TRUE(qori_template_restore(t, before));
    EXPECT_EQ(qori_template_snapshot(t), before);
    EXPECT_EQ(state_names(t), Strings({"Ground"}));
    EXPECT_EQ(actions_of(t.find_state("Ground").find_transition("LinkDown", t.find_state("Ground"))),
              Strings({"COMMAND \"ping \" \"\""}));
    EXPECT_STREQ(t.stored_name(), "undo");
    ASSERT_TRUE(qori_state_delete(t, "Ground"));
    EXPECT_EQ(qori_template_snapshot(t), Qor_Snapshot(qori_template_snapshot(t))) << "snapshots are values";
    EXPECT_NE(qori_template_snapshot(t), before) << "a later edit does not reach a snapshot";

    // Put forward again and saved in place: the stored template is what the snapshot held.
    ASSERT_TRUE(qori_template_restore(t, after));
    EXPECT_EQ(transitions_of(t, "Ground"), Strings({"Ground>Down:HighErrors", "Ground>Ground:LinkDown"}));
    ASSERT_TRUE(qori_template_add(t, "undo", "d")) << qori_error_str;
    varo::TemplateDef stored = *other_client()->load_template("undo");
    EXPECT_EQ(stored.states, after.contents()->states);
    EXPECT_EQ(stored.transitions, after.contents()->transitions);
    EXPECT_FALSE(qori_template_restore(t, Qor_Snapshot()));
}

// What another client does to a stored template, as the copy read before it learns it.
TEST_P(EngineTest, FateTellsWhatAnotherClientDidAndRefusesTheStaleSave) {
    struct Case {
        const char* what;
        void (*act)(varo::Store& other);
        QoriStoredFate fate;
    };
    const Case cases[] = {
        {"nothing", [](varo::Store&) {}, QORI_STORED_SAME},
        {"saved",
         [](varo::Store& o) {
             varo::TemplateDef def = *o.load_template("shared");
             def.descr = "theirs";
             o.update_template(def, def.version);
         },
         QORI_STORED_CHANGED},
        {"replaced", [](varo::Store& o) { o.overwrite_template(testenv::sample_template("shared", 2)); },
         QORI_STORED_CHANGED},
        {"deleted", [](varo::Store& o) { o.delete_template("shared"); }, QORI_STORED_GONE},
        // Stored anew, it starts again at the version this copy read.
        {"deleted and stored anew",
         [](varo::Store& o) {
             o.delete_template("shared");
             o.insert_template(testenv::sample_template("shared", 2));
         },
         QORI_STORED_CHANGED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto other = other_client();
        if (other->load_template("shared")) other->delete_template("shared");
        Qor_Defn t = grounded("shared");
        ASSERT_TRUE(qori_template_store(t, "shared", "d")) << qori_error_str;
        ASSERT_TRUE(qori_state_add(t, "Mine", "Poll", "Minor", ""));
        c.act(*other);
        varo::TemplateDef theirs = other->load_template("shared").value_or(varo::TemplateDef());

        long long version = -1;
        EXPECT_EQ(qori_template_fate(t, &version), c.fate);
        EXPECT_EQ(version, theirs.version);
        EXPECT_EQ(qori_template_add(t, "shared", "d") != 0, c.fate == QORI_STORED_SAME);
        if (c.fate == QORI_STORED_SAME) continue;
        EXPECT_EQ(qori_error_kind, QORI_REFUSED_CONFLICT) << qori_error_str;
        auto stored = other->load_template("shared");
        EXPECT_EQ(stored.has_value(), c.fate != QORI_STORED_GONE);
        if (stored) {
            EXPECT_TRUE(stored->same_content(theirs)) << "overwritten";
        }
        // A copy saved under a free name keeps the changes.
        Qor_Defn kept = qori_template_copy(t, "shared_2", "d");
        ASSERT_TRUE(kept.is_valid()) << qori_error_str;
        EXPECT_EQ(qori_template_fate(kept), QORI_STORED_SAME);
        EXPECT_EQ(state_names(qori_template_find("shared_2")), Strings({"Ground", "Mine"}));
        EXPECT_TRUE(qori_template_delete(kept));
    }
    Qor_Defn unsaved = grounded("never");
    EXPECT_EQ(qori_template_fate(unsaved), QORI_STORED_NONE);
}
