// Refusals under concurrency, on every backend: two clients (each its own connection, on
// its own thread) started together on the same objects, many times over; and several
// programs opening a store that does not exist yet, all at once.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "support/store_fixture.h"
#include "varo/schema.h"

using testenv::sample_template;
using varo::StoreError;

namespace {

class StoreRaces : public testenv::StoreTest {};
VARO_STORE_SUITE(StoreRaces);

constexpr int kRounds = 15;

// Outcome of one client's operation: done, or the refusal's kind.
struct Outcome {
    bool done = false;
    StoreError::Kind kind = StoreError::Corrupt;
    std::string text;
};

Outcome attempt(const std::function<void()>& fn) {
    Outcome o;
    try {
        fn();
        o.done = true;
    } catch (const StoreError& e) {
        o.kind = e.kind();
        o.text = e.what();
    }
    return o;
}

// Runs a and b on two threads released at the same moment.
std::pair<Outcome, Outcome> together(const std::function<void()>& a, const std::function<void()>& b) {
    std::promise<void> go;
    std::shared_future<void> start = go.get_future().share();
    auto fa = std::async(std::launch::async, [&] {
        start.wait();
        return attempt(a);
    });
    auto fb = std::async(std::launch::async, [&] {
        start.wait();
        return attempt(b);
    });
    go.set_value();
    return {fa.get(), fb.get()};
}

TEST_P(StoreRaces, TwoClientsSavingOneTemplateEndWithOneSavedAndOneRefused) {
    auto first = reopen();
    auto second = reopen();
    for (int round = 0; round < kRounds; ++round) {
        const std::string name = "Shared" + std::to_string(round);
        std::int64_t version = store->insert_template(sample_template(name, 4));
        varo::TemplateDef mine = sample_template(name, 6), theirs = sample_template(name, 3);
        mine.descr = "first's";
        theirs.descr = "second's";

        auto [a, b] = together([&] { first->update_template(mine, version); },
                               [&] { second->update_template(theirs, version); });
        ASSERT_NE(a.done, b.done) << "round " << round << ": " << a.text << " / " << b.text;
        const Outcome& refused = a.done ? b : a;
        EXPECT_EQ(refused.kind, StoreError::Conflict) << refused.text;
        auto stored = store->load_template(name);
        ASSERT_TRUE(stored);
        EXPECT_TRUE(stored->same_content(a.done ? mine : theirs)) << "round " << round;
        EXPECT_EQ(stored->version, version + 1);

        // First stores under one new name: the same, refused as Exists.
        const std::string fresh = "Fresh" + std::to_string(round);
        auto [c, d] = together([&] { first->insert_template(sample_template(fresh, 2)); },
                               [&] { second->insert_template(sample_template(fresh, 5)); });
        ASSERT_NE(c.done, d.done) << c.text << " / " << d.text;
        EXPECT_EQ((c.done ? d : c).kind, StoreError::Exists);
        EXPECT_EQ(store->load_template(fresh)->states.size(), c.done ? 2u : 5u);
    }
}

// Ten clients writing at once for half a minute, as ten busy users of one shared store: each
// saves its own template and adds and removes its own severity and condition, and now and
// then saves one template they all share. No write of an object nobody else touched is
// refused; a save of the shared template is refused only when another client saved it since
// it was read, and then as that conflict, never as a busy store.
TEST_P(StoreRaces, TenBusyWritersAreRefusedOnlyForRealConflicts) {
    constexpr int kWriters = 10;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    store->insert_template(sample_template("Shared", 3));
    std::atomic<int> own{0}, conflicts{0};
    std::vector<std::size_t> last_states(kWriters, 3);
    std::vector<std::thread> writers;
    for (int i = 0; i < kWriters; ++i) {
        store->insert_template(sample_template("Own" + std::to_string(i), 3));
        writers.emplace_back([&, i, client = std::shared_ptr<varo::Store>(reopen())] {
            const std::string id = std::to_string(i);
            auto must = [&](const std::function<void()>& fn) {
                Outcome o = attempt(fn);
                ++own;
                if (!o.done) ADD_FAILURE() << "writer " << i << ": " << o.text;
            };
            std::int64_t version = 1;
            for (int round = 0; std::chrono::steady_clock::now() < until; ++round) {
                varo::TemplateDef mine = sample_template("Own" + id, 3 + round % 4);
                must([&] { version = client->update_template(mine, version), last_states[i] = mine.states.size(); });
                must([&] { round % 2 ? client->delete_severity("Sev" + id) : client->add_severity({"Sev" + id, 1 + i, "blue"}); });
                must([&] { round % 2 ? client->delete_condition("Cond" + id) : client->add_condition({"Cond" + id, "", "a > 1"}); });
                auto shared = round % 3 ? std::nullopt : client->load_template("Shared");
                if (!shared) continue;
                shared->descr = "by " + id;
                Outcome o = attempt([&] { client->update_template(*shared, shared->version); });
                if (o.done) continue;
                auto now = client->load_template("Shared");
                if (o.kind == StoreError::Conflict && now && now->version != shared->version) ++conflicts;
                else ADD_FAILURE() << "writer " << i << ", shared save: " << o.text;
            }
        });
    }
    for (auto& w : writers) w.join();
    // No save was lost: the last one that succeeded is what is stored.
    for (int i = 0; i < kWriters; ++i) EXPECT_EQ(store->load_template("Own" + std::to_string(i))->states.size(), last_states[i]);
    EXPECT_GT(own, 300);
    EXPECT_GT(conflicts, 0);
}

TEST_P(StoreRaces, WhatATemplateUsesIsNeverDeletedHoweverTheTwoInterleave) {
    auto user = reopen();
    auto remover = reopen();
    for (int round = 0; round < kRounds; ++round) {
        const std::string name = "Used" + std::to_string(round);
        varo::TemplateDef def = sample_template("Uses" + std::to_string(round), 3);
        // By turns a trigger, a condition raised by an action, a severity and a poll rate.
        std::function<void()> remove;
        switch (round % 4) {
        case 0:
        case 1:
            store->add_condition({name, "raced", "ifInErrors > " + std::to_string(round)});
            if (round % 4)
                def.transitions[1].condition = name;
            else
                def.transitions[0].actions.push_back({"CONDITION", name, ""});
            remove = [&] { remover->delete_condition(name); };
            break;
        case 2:
            store->add_severity({name, 9, "pink"});
            def.states[2].severity = name;
            remove = [&] { remover->delete_severity(name); };
            break;
        default:
            store->add_poll_rate({name, 9});
            def.states[2].poll_rate = name;
            remove = [&] { remover->delete_poll_rate(name); };
        }
        auto exists = [&] {
            return store->find_condition(name) || store->find_severity(name) || store->find_poll_rate(name);
        };

        auto [put, del] = together([&] { user->insert_template(def); }, remove);
        ASSERT_NE(put.done, del.done) << "round " << round << ": " << put.text << " / " << del.text;
        EXPECT_EQ((put.done ? del : put).kind, put.done ? StoreError::InUse : StoreError::Invalid) << put.text << del.text;
        EXPECT_EQ(put.done, exists());
        EXPECT_EQ(put.done, store->load_template(def.name).has_value());
    }
}

// What a consistent read (an export) sees is not moved by another client's commits: a
// template deleted meanwhile, and then the condition it named, are both still there.
TEST_P(StoreRaces, AConsistentReadKeepsItsSnapshotWhileAnotherClientWrites) {
    store->add_condition({"Cx", "", "a > 1\n"});
    varo::TemplateDef t = sample_template("A");
    t.transitions[0].condition = "Cx";
    store->insert_template(t);
    auto other = reopen();
    store->read_consistently([&] {
        ASSERT_TRUE(store->load_template("A"));
        other->delete_template("A");
        other->delete_condition("Cx");
        EXPECT_TRUE(store->find_condition("Cx"));
        EXPECT_EQ(store->list_templates().size(), 1u);
    });
    EXPECT_FALSE(store->find_condition("Cx"));
    EXPECT_TRUE(store->list_templates().empty());
}

// One creates and seeds it, the others find it made.
TEST_P(StoreRaces, ProgramsStartingTogetherCreateAndSeedTheStoreOnce) {
    for (int round = 0; round < 3; ++round) {
        testenv::StoreLocation fresh(GetParam());
        std::promise<void> go;
        std::shared_future<void> start = go.get_future().share();
        std::vector<std::future<Outcome>> opened;
        for (int i = 0; i < 6; ++i)
            opened.push_back(std::async(std::launch::async, [&] {
                start.wait();
                return attempt([&] { EXPECT_EQ(fresh.open()->schema_version(), varo::schema::kLatestVersion); });
            }));
        go.set_value();
        for (auto& f : opened) {
            Outcome o = f.get();
            EXPECT_TRUE(o.done) << "round " << round << ": " << o.text;
        }

        auto s = fresh.open();
        EXPECT_EQ(s->list_severities().size(), store->list_severities().size()) << "seeded more than once";
        EXPECT_EQ(s->list_conditions().size(), store->list_conditions().size());
    }
}

}  // namespace
