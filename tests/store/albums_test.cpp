// The store contract for severities, poll rates, conditions, running templates and where
// each is named.
#include <gtest/gtest.h>

#include <functional>

#include "support/store_fixture.h"
#include "analysis/analysis.h"
#include "varo/transfer.h"

using testenv::refusal;
using testenv::sample_template;
using varo::StoreError;
namespace an = varo::analysis;

namespace {

class AlbumStore : public testenv::StoreTest {};
VARO_STORE_SUITE(AlbumStore);

TEST_P(AlbumStore, SeveritiesAndPollRates) {
    store->add_severity({"Warning", 32767, "gold"});
    store->add_severity({"Low", 1, "LightBlue"});
    EXPECT_EQ(store->find_severity("Warning"), (varo::Severity{"Warning", 32767, "gold"}));
    EXPECT_FALSE(store->find_severity("warning"));
    EXPECT_EQ(store->list_severities().size(), 6u);

    EXPECT_EQ(refusal([&] { store->add_severity({"Warning", 2, "gold"}); }), StoreError::Exists);
    EXPECT_EQ(refusal([&] { store->add_severity({"Zero", 0, "gold"}); }), StoreError::Invalid);
    EXPECT_EQ(refusal([&] { store->add_severity({"Big", 32768, "gold"}); }), StoreError::Invalid);
    EXPECT_EQ(refusal([&] { store->add_severity({"", 3, "gold"}); }), StoreError::Invalid);
    EXPECT_EQ(refusal([&] { store->add_severity({"NoColour", 3, ""}); }), StoreError::Invalid);
    EXPECT_EQ(refusal([&] { store->add_severity({"Two", 3, "light blue"}); }), StoreError::Invalid);
    EXPECT_EQ(store->list_severities().size(), 6u);

    store->delete_severity("Warning");
    EXPECT_FALSE(store->find_severity("Warning"));
    EXPECT_EQ(refusal([&] { store->delete_severity("Warning"); }), StoreError::NotFound);

    store->add_poll_rate({"Fast", 1});
    store->add_poll_rate({"Slow", 32767});
    EXPECT_EQ(store->find_poll_rate("Fast"), (varo::PollRate{"Fast", 1}));
    EXPECT_EQ(refusal([&] { store->add_poll_rate({"Fast", 5}); }), StoreError::Exists);
    EXPECT_EQ(refusal([&] { store->add_poll_rate({"Never", 0}); }), StoreError::Invalid);
    EXPECT_EQ(refusal([&] { store->add_poll_rate({"Huge", 32768}); }), StoreError::Invalid);
    EXPECT_EQ(refusal([&] { store->add_poll_rate({"a b", 5}); }), StoreError::Invalid);
    store->delete_poll_rate("Fast");
    EXPECT_EQ(refusal([&] { store->delete_poll_rate("Fast"); }), StoreError::NotFound);
    auto rates = store->list_poll_rates();
    ASSERT_EQ(rates.size(), 3u);
    EXPECT_EQ(rates[1].name, "Slow");
}

TEST_P(AlbumStore, ReplaceChangesInPlaceOrLeavesTheOldDefinition) {
    store->add_condition({"Hot", "too hot", "t > 40"});
    store->insert_template(sample_template("T"));  // uses Minor, Poll and LinkDown
    const auto severities = store->list_severities();
    const auto rates = store->list_poll_rates();
    const auto conditions = store->list_conditions();
    store->poll_changes();

    // Refused: unknown, out of range, a text one backend could not keep, bad code, in use.
    EXPECT_EQ(refusal([&] { store->replace_severity({"Nope", 2, "red"}); }), StoreError::NotFound);
    EXPECT_EQ(refusal([&] { store->replace_severity({"Minor", 32768, "pink"}); }), StoreError::Invalid);
    EXPECT_EQ(refusal([&] { store->replace_severity({"Minor", 7, "caf\xE9"}); }), StoreError::Invalid);
    EXPECT_EQ(refusal([&] { store->replace_poll_rate({"Nope", 5}); }), StoreError::NotFound);
    EXPECT_EQ(refusal([&] { store->replace_poll_rate({"Poll", 0}); }), StoreError::Invalid);
    EXPECT_EQ(refusal([&] { store->replace_condition({"Nope", "", "t > 1"}); }), StoreError::NotFound);
    std::string text;
    EXPECT_EQ(refusal([&] { store->replace_condition({"Hot", "new", "t >"}); }, &text), StoreError::Invalid);
    EXPECT_NE(text.find("line 1, column"), std::string::npos) << text;
    EXPECT_EQ(refusal([&] { store->replace_condition({"LinkDown", "new", "t > 1"}); }, &text), StoreError::InUse);
    EXPECT_NE(text.find("\"T\""), std::string::npos) << text;
    EXPECT_EQ(store->list_severities(), severities);
    EXPECT_EQ(store->list_poll_rates(), rates);
    EXPECT_EQ(store->list_conditions(), conditions);
    EXPECT_FALSE(store->poll_changes().any()) << "a refused replace is no change";

    // Accepted: changed under the same name; a template naming it is unaffected.
    store->replace_severity({"Minor", 7, "pink"});
    store->replace_poll_rate({"Poll", 30});
    store->replace_condition({"Hot", "hotter", "t > 50\n"});
    EXPECT_EQ(store->find_severity("Minor"), (varo::Severity{"Minor", 7, "pink"}));
    EXPECT_EQ(store->find_poll_rate("Poll"), (varo::PollRate{"Poll", 30}));
    EXPECT_EQ(store->find_condition("Hot"), (varo::Condition{"Hot", "hotter", "t > 50\n"}));
    EXPECT_EQ(store->list_severities().size(), severities.size());
    EXPECT_TRUE(store->load_template("T")->same_content(sample_template("T")));
    varo::ChangeReport r = store->poll_changes();
    EXPECT_TRUE(r.severities && r.poll_rates && r.conditions && !r.templates);
}

TEST_P(AlbumStore, Conditions) {
    varo::Condition c{"Busy", "CPU is busy", "# two lines\ncpuLoad > 90\n  or runQueue >= 8\n"};
    store->add_condition(c);
    EXPECT_EQ(store->find_condition("Busy"), c);
    EXPECT_EQ(refusal([&] { store->add_condition(c); }), StoreError::Exists);

    std::string text;
    EXPECT_EQ(refusal([&] { store->add_condition({"Bad", "", "cpuLoad >"}); }, &text), StoreError::Invalid);
    EXPECT_NE(text.find("line 1, column"), std::string::npos) << text;
    EXPECT_EQ(refusal([&] { store->add_condition({"Empty", "", "  \n"}); }), StoreError::Invalid);
    EXPECT_EQ(refusal([&] { store->add_condition({"Long", std::string(256, 'x'), "up"}); }), StoreError::Invalid);
    // Both backends refuse what one of them could not keep as it is.
    for (const std::string& bad : {std::string("caf\xE9"), std::string("a\0b", 3), std::string("\xED\xA0\x80"),
                                   std::string("\xC0\xAF"), std::string("\xF4\x90\x80\x80")})
        EXPECT_EQ(refusal([&] { store->add_condition({"Odd", bad, "up"}); }), StoreError::Invalid);
    store->add_condition({"Accented", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xA1", "up"});
    EXPECT_EQ(store->find_condition("Accented")->descr, "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xA1");
    EXPECT_FALSE(store->find_condition("Bad"));

    store->delete_condition("Busy");
    EXPECT_EQ(refusal([&] { store->delete_condition("Busy"); }), StoreError::NotFound);
}

// Nothing a stored template names can be deleted; the refusal names the templates, and a
// store from before the rule keeps the states that name one deleted then.
TEST_P(AlbumStore, WhatStoredTemplatesUseCannotBeDeleted) {
    store->add_condition({"Raised", "", "x == 1"});
    store->add_severity({"Sev", 5, "pink"});
    store->add_poll_rate({"Rate", 5});
    varo::TemplateDef t = sample_template("T", 2);
    t.transitions[0].actions.push_back({"CONDITION", "Raised", ""});
    t.states[1].severity = "Sev";
    t.states[1].poll_rate = "Rate";
    store->insert_template(t);
    varo::TemplateDef u = t;
    u.name = "U";
    store->insert_template(u);

    struct Case {
        std::function<void(const std::string&)> remove;
        const char* name;
        const char* refusal;
    };
    const Case cases[] = {
        {[&](const std::string& n) { store->delete_condition(n); }, "LinkDown", "condition \"LinkDown\" is used by templates \"T\", \"U\""},
        {[&](const std::string& n) { store->delete_condition(n); }, "Raised", "condition \"Raised\" is used by templates"},
        {[&](const std::string& n) { store->delete_severity(n); }, "Sev", "severity \"Sev\" is used by templates \"T\", \"U\""},
        {[&](const std::string& n) { store->delete_poll_rate(n); }, "Rate", "poll rate \"Rate\" is used by templates \"T\", \"U\""},
    };
    auto contents = [&] { return varo::export_json(*store); };
    const std::string before = contents();
    for (const Case& c : cases) {
        std::string text;
        EXPECT_EQ(refusal([&] { c.remove(c.name); }, &text), StoreError::InUse) << c.name;
        EXPECT_EQ(0u, text.find(c.refusal)) << text;
    }
    EXPECT_EQ(before, contents());

    as_left_by([&](varo::Db& db) {
        if (db.dialect() == varo::Dialect::PostgreSQL)
            db.exec("DROP TABLE severity_uses, poll_rate_uses CASCADE");
        db.exec("DROP INDEX states_severity");
        db.exec("UPDATE states SET severity = 'Gone' WHERE template = 'U'");
        db.exec("UPDATE schema_version SET version = 4");
    });
    EXPECT_EQ("Gone", store->load_template("U")->states[0].severity);

    // Once no template names them they can go.
    store->delete_template("U");
    t.transitions[0].actions.clear();
    t.states[1] = t.states[0];
    t.states[1].name = "S1";
    store->overwrite_template(t);
    store->delete_condition("Raised");
    store->delete_severity("Sev");
    store->delete_poll_rate("Rate");
    store->delete_template("T");
    store->delete_condition("LinkDown");
}

// Where a condition, severity or poll rate is named, over what each backend stores.
TEST_P(AlbumStore, WhereUsedListsTheTemplatesAndStatesThatNameIt) {
    store->add_condition({"Escalate", "raised only", "ifOperStatus != \"up\"\n"});
    store->add_condition({"Unused", "named by nothing", "ifOperStatus != \"up\"\n"});
    store->add_poll_rate({"fast", 10});
    store->insert_template({"alpha", "", {{"Ground", "", "Normal", "Poll"}, {"Down", "", "Critical", "fast"}},
                            {{"Ground", "Down", "LinkDown", {{"CONDITION", "Escalate", ""}}},
                             {"Down", "Ground", "HighErrors", {}}}});
    store->insert_template({"beta", "", {{"Ground", "", "Critical", "Poll"}, {"Up", "", "Normal", "fast"}},
                            {{"Ground", "Up", "HighErrors", {}}}});

    struct Case {
        an::NameKind kind;
        const char* name;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {an::NameKind::Condition, "Escalate", {"alpha: Ground: raised by the transition to Down on LinkDown"}},
        {an::NameKind::Condition, "HighErrors",
         {"alpha: Down: triggers the transition to Ground", "beta: Ground: triggers the transition to Up"}},
        {an::NameKind::Condition, "Unused", {}},
        {an::NameKind::Severity, "Critical", {"alpha: Down: severity of the state", "beta: Ground: severity of the state"}},
        {an::NameKind::PollRate, "fast", {"alpha: Down: poll rate of the state", "beta: Up: poll rate of the state"}},
        {an::NameKind::PollRate, "Nothing", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> lines;
        for (const an::Use& u : an::find_uses(*store, c.kind, c.name)) lines.push_back(an::use_line(u));
        EXPECT_EQ(c.lines, lines);
    }
    EXPECT_EQ((std::vector<std::string>{"alpha", "beta"}),
              an::template_names(an::find_uses(*store, an::NameKind::Condition, "HighErrors")));
}

}  // namespace
