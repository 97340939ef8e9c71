// The store's history of templates and its activity log of server objects, on every backend.
#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>

#include "support/store_fixture.h"
#include "varo/backends.h"
#include "varo/history.h"
#include "varo/schema.h"
#include "varo/transfer.h"

using testenv::refusal;
using testenv::sample_template;
using varo::StoreError;
using varo::TemplateDef;

namespace {

class StoreHistory : public testenv::StoreTest {
protected:
    // Who the store must name: the session's role on PostgreSQL, the process's user on a file.
    std::string author() const {
        if (GetParam() == testenv::Backend::SQLite) return varo::history::Writer::of_this_process().user;
        return location->open_db()->query("SELECT session_user::text")[0].text(0);
    }
};
VARO_STORE_SUITE(StoreHistory);

TEST_P(StoreHistory, EveryWriteRecordsItsVersionKindAndAuthorRefusalsNone) {
    TemplateDef changed = sample_template("T", 4);
    changed.states[1].descr = "changed";
    varo::StoreContents imported;
    imported.templates.push_back(sample_template("T", 2));
    const struct {
        const char* kind;
        std::function<void()> write;
        const char* name;
    } writes[] = {
        {"save", [&] { store->insert_template(sample_template("T", 3)); }, "T"},
        {"save", [&] { store->update_template(changed, 1); }, "T"},
        {"copy", [&] { store->insert_template(sample_template("C", 3), varo::ChangeKind::Copy); }, "C"},
        {"overwrite", [&] { store->overwrite_template(sample_template("T", 5)); }, "T"},
        {"import", [&] { store->import_contents(imported); }, "T"},
        {"restore", [&] { store->restore_template("T", 2); }, "T"},
        {"delete", [&] { store->delete_template("C"); }, "C"},
    };
    const std::string who = author();
    for (const auto& w : writes) {
        SCOPED_TRACE(w.kind);
        w.write();
        auto newest = store->template_history(std::string(w.name), false).at(0);
        EXPECT_EQ(newest.kind, w.kind);
        EXPECT_EQ(newest.author, who);
        EXPECT_FALSE(newest.time.empty() || newest.host.empty());
        auto stored = store->load_template(w.name);
        if (newest.deleted()) {
            EXPECT_FALSE(stored);
            EXPECT_FALSE(store->template_version(w.name, newest.version));
        } else {
            EXPECT_EQ(newest.version, stored->version);
            EXPECT_TRUE(store->template_version(w.name, newest.version)->same_content(*stored));
        }
    }
    EXPECT_TRUE(store->load_template("T")->same_content(changed)) << "restore brought back version 2";
    EXPECT_EQ(store->template_history(std::string("T"), false).size(), 5u);

    // A refused write records nothing.
    store->set_running("router1", "T");
    EXPECT_EQ(refusal([&] { store->overwrite_template(sample_template("T", 2)); }), StoreError::Running);
    EXPECT_EQ(refusal([&] { store->update_template(changed, 1); }), StoreError::Conflict);
    EXPECT_EQ(refusal([&] { store->restore_template("T", 99); }), StoreError::NotFound);
    EXPECT_EQ(store->template_history(std::string("T"), false).size(), 5u);
}

TEST_P(StoreHistory, DeletedTemplatesComeBackNumberedOnAndPruneKeepsTheNewest) {
    store->insert_template(sample_template("Gone", 3));
    store->update_template(sample_template("Gone", 4), 1);
    store->delete_template("Gone");
    store->insert_template(sample_template("Kept", 2));
    EXPECT_EQ(store->template_history(std::nullopt, false).size(), 1u) << "a deleted template's history is hidden";
    ASSERT_EQ(store->template_history(std::nullopt, true).size(), 4u);

    EXPECT_EQ(store->restore_template("Gone", 1), 4) << "numbered after the deletion (3)";
    EXPECT_TRUE(store->load_template("Gone")->same_content(sample_template("Gone", 3)));
    store->delete_template("Gone");
    EXPECT_EQ(store->insert_template(sample_template("Gone", 2)), 6) << "a name's versions never repeat";

    for (int i = 0; i < 3; ++i) store->overwrite_template(sample_template("Kept", 3 + i));
    store->insert_template(sample_template("Dead", 2));
    store->delete_template("Dead");
    EXPECT_EQ(store->prune_history(2, false), 4 + 2);  // Gone 1..4, Kept 1..2
    EXPECT_EQ(store->template_history(std::string("Kept"), false).size(), 2u);
    EXPECT_EQ(store->template_history(std::string("Dead"), false).size(), 2u) << "deletions kept until --deleted";
    EXPECT_EQ(store->prune_history(2, true), 2);
    EXPECT_TRUE(store->template_history(std::string("Dead"), false).empty());
    EXPECT_EQ(refusal([&] { store->prune_history(0, false); }), StoreError::Invalid);
}

TEST_P(StoreHistory, ServerObjectChangesAreLoggedFromWhatToWhat) {
    store->add_severity({"Warn", 5, "gold"});
    store->replace_severity({"Warn", 6, "gold"});
    store->delete_severity("Warn");
    store->add_poll_rate({"Fast", 5});
    store->replace_poll_rate({"Fast", 7});
    store->add_condition({"Hot", "too hot", "t > 1"});
    store->replace_condition({"Hot", "too hot", "t > 2"});
    store->delete_condition("Hot");
    varo::StoreContents c;
    c.poll_rates = {{"Fast", 7}, {"Slow", 900}};  // one as it is: not logged
    store->import_contents(c);
    EXPECT_EQ(refusal([&] { store->delete_poll_rate("Never"); }), StoreError::NotFound);

    const std::string who = author();
    std::vector<std::string> seen;
    for (const varo::Activity& a : store->activity_log()) {
        EXPECT_EQ(a.author, who);
        seen.push_back(a.album + " " + a.name + " " + a.action + " " + a.before + " -> " + a.after);
    }
    const std::vector<std::string> expected = {
        "poll rate Slow added  -> {\"rate\":900}",
        "condition Hot deleted {\"descr\":\"too hot\",\"code\":\"t > 2\"} -> ",
        "condition Hot changed {\"descr\":\"too hot\",\"code\":\"t > 1\"} -> {\"descr\":\"too hot\",\"code\":\"t > 2\"}",
        "condition Hot added  -> {\"descr\":\"too hot\",\"code\":\"t > 1\"}",
        "poll rate Fast changed {\"rate\":5} -> {\"rate\":7}",
        "poll rate Fast added  -> {\"rate\":5}",
        "severity Warn deleted {\"value\":6,\"color\":\"gold\"} -> ",
        "severity Warn changed {\"value\":5,\"color\":\"gold\"} -> {\"value\":6,\"color\":\"gold\"}",
        "severity Warn added  -> {\"value\":5,\"color\":\"gold\"}",
    };
    EXPECT_EQ(seen, expected);
}

// A store of schema 2 (positions, before the bulk saves, the set checks and history), its
// templates written as that program wrote them: opened now, they load as they were and their
// versions start the history, which goes on.
TEST_P(StoreHistory, UpgradeOfASchema2StoreKeepsItsTemplatesAndStartsTheirHistory) {
    testenv::StoreLocation old(GetParam());
    TemplateDef kept[] = {sample_template("Old", 6), sample_template("Older", 2)};
    kept[0].states[1].position = varo::StatePosition{40, 80};
    kept[0].version = 7;
    kept[1].version = 1;
    {
        auto db = old.open_db();
        ASSERT_EQ(varo::schema::apply(*db, 2), 2);
        varo::in_transaction(*db, [&] {
            for (const TemplateDef& t : kept) {
                db->exec("INSERT INTO templates (name, descr, version) VALUES (?, ?, ?)", {t.name, t.descr, t.version});
                std::int64_t p = 0, a = 0;
                for (const varo::State& st : t.states)
                    db->exec("INSERT INTO states VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                             {t.name, p++, st.name, st.descr, st.severity, st.poll_rate,
                              st.position ? varo::Value(std::int64_t{st.position->x}) : varo::Value(nullptr),
                              st.position ? varo::Value(std::int64_t{st.position->y}) : varo::Value(nullptr)});
                p = 0;
                for (const varo::Transition& tr : t.transitions) {
                    db->exec("INSERT INTO transitions VALUES (?, ?, ?, ?, ?)", {t.name, p, tr.from, tr.to, tr.condition});
                    a = 0;
                    for (const varo::Action& ac : tr.actions)
                        db->exec("INSERT INTO actions VALUES (?, ?, ?, ?, ?, ?, ?)",
                                 {t.name, p, a++, ac.kind, ac.arg0, ac.arg1,
                                  ac.kind == "CONDITION" ? varo::Value(ac.arg0) : varo::Value(nullptr)});
                    ++p;
                }
            }
            return 0;
        });
    }
    store = old.open();
    EXPECT_EQ(store->schema_version(), varo::schema::kLatestVersion);
    for (const TemplateDef& t : kept) {
        SCOPED_TRACE(t.name);
        auto loaded = store->load_template(t.name);
        ASSERT_TRUE(loaded);
        EXPECT_TRUE(loaded->same_content(t));
        EXPECT_EQ(loaded->version, t.version);
        auto history = store->template_history(t.name, false);
        ASSERT_EQ(history.size(), 1u);
        EXPECT_EQ(history[0].version, t.version);
        EXPECT_EQ(history[0].kind, "existing");
        EXPECT_TRUE(store->template_version(t.name, t.version)->same_content(t));
    }
    EXPECT_EQ(store->update_template(sample_template("Old", 2), 7), 8);
    EXPECT_EQ(store->template_history(std::string("Old"), false).size(), 2u);
}

}  // namespace
