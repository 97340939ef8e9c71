// The store contract for templates, on every backend.
#include <gtest/gtest.h>

#include <functional>

#include "support/store_fixture.h"
#include "varo/backends.h"
#include "varo/schema.h"
#include "varo/transfer.h"

using testenv::refusal;
using testenv::sample_template;
using varo::StoreError;
using varo::TemplateDef;

namespace {

class TemplateStore : public testenv::StoreTest {};
VARO_STORE_SUITE(TemplateStore);

TEST_P(TemplateStore, InsertLoadListAndOrderRoundTripEvenEmptyOrQuoted) {
    TemplateDef def = sample_template("IfWatch", 7);
    // Order that differs from name order must come back as stored.
    std::swap(def.states[1], def.states[5]);
    std::swap(def.transitions[0], def.transitions[3]);
    EXPECT_EQ(store->insert_template(def), 1);
    store->insert_template(sample_template("Alpha", 2));

    auto loaded = store->load_template("IfWatch");
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->same_content(def));
    EXPECT_EQ(loaded->version, 1);
    EXPECT_FALSE(store->load_template("Nothing"));
    EXPECT_FALSE(store->load_template("ifwatch")) << "names are case-sensitive";

    auto list = store->list_templates();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "Alpha");
    EXPECT_EQ(list[1].name, "IfWatch");
    EXPECT_EQ(list[1].descr, def.descr);

    // An empty template, and a text with quotes, SQL and non-ASCII, survive.
    const TemplateDef bare{"Bare", "it's \"quoted\"; DROP TABLE templates; -- ? $1 ünïcode", {}, {}};
    store->insert_template(bare);
    EXPECT_TRUE(store->load_template("Bare")->same_content(bare));
    EXPECT_EQ(store->find_template_summary("Bare")->descr, bare.descr);
    EXPECT_FALSE(store->find_template_summary("bare"));
    EXPECT_EQ(store->list_templates().size(), 3u);
}

TEST_P(TemplateStore, InsertRefusals) {
    store->insert_template(sample_template("T"));
    EXPECT_EQ(refusal([&] { store->insert_template(sample_template("T")); }), StoreError::Exists);

    const struct {
        const char* what;
        std::function<void(TemplateDef&)> change;
    } invalid[] = {
        {"severity", [](TemplateDef& d) { d.states[1].severity = "Purple"; }},
        {"poll rate", [](TemplateDef& d) { d.states[2].poll_rate = "Never"; }},
        {"condition", [](TemplateDef& d) { d.transitions[0].condition = "NoSuchCondition"; }},
        {"raised condition", [](TemplateDef& d) { d.transitions[0].actions.push_back({"CONDITION", "NoSuchCondition", ""}); }},
        {"to-state", [](TemplateDef& d) { d.transitions[0].to = "Elsewhere"; }},
        {"state twice", [](TemplateDef& d) { d.states.push_back(d.states[0]); }},
        {"action kind", [](TemplateDef& d) { d.transitions[0].actions.push_back({"SHOUT", "", ""}); }},
        {"description of 256", [](TemplateDef& d) { d.descr = std::string(256, 'd'); }},
        {"empty name", [](TemplateDef& d) { d.name = ""; }},
        {"two words", [](TemplateDef& d) { d.name = "two words"; }},
        {"name of 65", [](TemplateDef& d) { d.name = std::string(65, 'x'); }},
        {"tab in the name", [](TemplateDef& d) { d.name = "tab\there"; }},
        // Names that hide text or pass for another name, each kind (every character is the
        // name rules' own test's).
        {"right-to-left override", [](TemplateDef& d) { d.name = "Ro\u202Euter"; }},
        {"zero-width space in a state", [](TemplateDef& d) { d.states[2].name = d.transitions[1].to = "S\u200B2"; }},
        {"Greek omicron in a state", [](TemplateDef& d) { d.states[1].name = d.transitions[0].to = "D\u03BFwn"; }},
    };
    for (const auto& c : invalid) {
        TemplateDef bad = sample_template("U");
        c.change(bad);
        std::string text;
        EXPECT_EQ(refusal([&] { store->insert_template(bad); }, &text), StoreError::Invalid) << c.what;
        if (std::string(c.what) == "severity") {
            EXPECT_NE(text.find("Purple"), std::string::npos) << "names it: " << text;
        }
    }
    TemplateDef longest = sample_template("U");
    longest.descr = std::string(252, 'd') + "\u202E";  // 255 bytes; a description may hold anything
    store->insert_template(longest);
    // One script, or Latin beside a script unlike it, is a name like any other.
    for (const char* fine : {"\u0421\u0435\u0440\u0432\u0435\u0440_1", "\u6771\u4EAC-Tokyo", "Stra\u00DFe"})
        store->insert_template(sample_template(fine));

    // Nothing of the refused ones was stored.
    auto list = store->list_templates();
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0].name, "Stra\u00DFe");
    EXPECT_EQ(list[1].name, "T");
    EXPECT_EQ(list[2].name, "U");
}

// Two spellings of one name ("Café" composed and decomposed) are one name; names stored
// before names were checked as text still load, change and go, each as it was written.
TEST_P(TemplateStore, NamesAreOneWhateverTheirSpellingAndOldOnesStayUsable) {
    const std::string composed = "Caf\u00E9", decomposed = "Cafe\u0301";
    store->insert_template(sample_template(decomposed));
    EXPECT_EQ(refusal([&] { store->insert_template(sample_template(composed)); }), StoreError::Exists);
    ASSERT_EQ(store->list_templates().size(), 1u);
    EXPECT_EQ(store->list_templates()[0].name, composed) << "stored composed";
    ASSERT_TRUE(store->load_template(decomposed));
    EXPECT_EQ(store->load_template(decomposed)->name, composed);
    store->add_severity({decomposed, 9, "gold"});
    EXPECT_EQ(refusal([&] { store->add_severity({composed, 9, "gold"}); }), StoreError::Exists);
    store->add_condition({"Br\u00FBl\u00E9", "", "temp > 90"});
    TemplateDef spelled = sample_template("Spelled", 3);
    spelled.states[1].severity = composed;
    spelled.transitions[0].condition = "Bru\u0302le\u0301";  // the condition, decomposed
    spelled.states[2].name = spelled.transitions[1].to = "Stra\u00DFe";
    store->insert_template(spelled);
    EXPECT_EQ(store->load_template("Spelled")->transitions[0].condition, "Br\u00FBl\u00E9");
    TemplateDef twice = sample_template("Twice", 3);
    twice.states[1].name = twice.transitions[0].to = twice.transitions[1].from = composed;
    twice.states[2].name = twice.transitions[1].to = decomposed;
    EXPECT_EQ(refusal([&] { store->insert_template(twice); }), StoreError::Invalid) << "one state, twice";
    EXPECT_EQ(refusal([&] { store->delete_severity(decomposed); }), StoreError::InUse) << "Spelled uses it";

    // Written straight into the tables, as an older program stored them.
    const std::string hidden = "Ro\u202Euter", zero_width = "S\u200B1";
    as_left_by([&](varo::Db& db) {
        db.exec("DELETE FROM templates WHERE name = 'Spelled'");
        for (const std::string& name : {hidden, decomposed})
            db.exec("INSERT INTO templates (name, descr, version) VALUES (?, 'old', 1)", {name});
        db.exec("INSERT INTO states (template, position, name, descr, severity, poll_rate)"
                " VALUES (?, 0, 'Ground', '', 'Normal', 'Poll'), (?, 1, ?, '', 'Normal', 'Poll')",
                {hidden, hidden, zero_width});
    });
    ASSERT_EQ(store->list_templates().size(), 3u);
    auto old = store->load_template(hidden);
    ASSERT_TRUE(old);
    EXPECT_EQ(old->states[1].name, zero_width);
    EXPECT_EQ(store->load_template(decomposed)->descr, "old") << "found as written, not as its composed twin";
    EXPECT_EQ(store->load_template(composed)->descr, sample_template("x").descr);
    // Changed under its names; a state added is held to the rule.
    old->states[1].descr = "changed";
    old->states.push_back({"S\u200B2", "", "Normal", "Poll"});
    EXPECT_EQ(refusal([&] { store->update_template(*old, old->version); }), StoreError::Invalid);
    old->states.pop_back();
    std::int64_t changed = store->update_template(*old, old->version);
    EXPECT_EQ(store->load_template(hidden)->states[1].descr, "changed");
    EXPECT_EQ(store->template_version(hidden, changed)->states[1].name, zero_width) << "its history reads back";
    // Renamed (stored anew under a sound name with sound states) and deleted.
    old->name = "Router";
    old->states[1].name = "S1";
    store->insert_template(*old);
    store->delete_template(hidden);
    store->delete_template(decomposed);
    auto list = store->list_templates();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, composed);
    EXPECT_EQ(list[1].name, "Router");
}

TEST_P(TemplateStore, UpdateChecksTheVersionOverwriteDoesNot) {
    TemplateDef def = sample_template("T", 4);
    std::int64_t v1 = store->insert_template(def);
    def.descr = "second";
    def.states.pop_back();
    def.transitions.pop_back();
    std::int64_t v2 = store->update_template(def, v1);
    EXPECT_GT(v2, v1);

    auto loaded = store->load_template("T");
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->same_content(def));
    EXPECT_EQ(loaded->version, v2);

    // Saves that change some rows and keep the others: two states swap names, one gets a
    // place, a transition another condition, one a raise; then all of it back.
    TemplateDef edited = def;
    std::swap(edited.states[1].name, edited.states[2].name);
    edited.states[0].position = varo::StatePosition{10, 20};
    edited.transitions[0].condition = "HighErrors";
    edited.transitions[1].actions.push_back({"CONDITION", "LinkDown", ""});
    for (const TemplateDef* next : {&edited, &def}) {
        v2 = store->update_template(*next, v2);
        EXPECT_TRUE(store->load_template("T")->same_content(*next));
    }

    // A second client still holding v1 is refused, and its content is not written.
    TemplateDef stale = sample_template("T", 6);
    std::string text;
    EXPECT_EQ(refusal([&] { reopen()->update_template(stale, v1); }, &text), StoreError::Conflict);
    EXPECT_EQ(text, "changed by another client");
    EXPECT_TRUE(store->load_template("T")->same_content(def));

    EXPECT_EQ(refusal([&] { store->update_template(sample_template("Gone"), 1); }), StoreError::NotFound);

    // An invalid update leaves the stored one and its version alone.
    TemplateDef bad = def;
    bad.states[0].severity = "Nope";
    EXPECT_EQ(refusal([&] { store->update_template(bad, v2); }), StoreError::Invalid);
    EXPECT_EQ(store->load_template("T")->version, v2);
    EXPECT_TRUE(store->load_template("T")->same_content(def));

    // Overwriting needs no version: it inserts, or replaces whatever is stored.
    EXPECT_EQ(store->overwrite_template(sample_template("O", 5)), 1);
    TemplateDef smaller = sample_template("O", 2);
    smaller.descr = "smaller";
    EXPECT_EQ(store->overwrite_template(smaller), 2);
    EXPECT_TRUE(store->load_template("O")->same_content(smaller));
}

// Running templates are listed by object and refuse every change until stopped.
TEST_P(TemplateStore, RunningTemplatesAreListedAndRefuseChange) {
    std::int64_t v = store->insert_template(sample_template("T"));
    store->insert_template(sample_template("A"));
    store->set_running("sw2", "T");
    store->set_running("sw1", "T");
    store->set_running("sw1", "A");
    auto running = store->list_running();
    ASSERT_EQ(running.size(), 3u);
    EXPECT_EQ(running[0].object + running[0].template_name + running[2].object, "sw1Asw2");
    EXPECT_EQ(refusal([&] { store->set_running("sw1", "A"); }), StoreError::Exists);
    EXPECT_EQ(refusal([&] { store->set_running("sw1", "None"); }), StoreError::NotFound);
    EXPECT_EQ(refusal([&] { store->set_running("", "A"); }), StoreError::Invalid);
    EXPECT_EQ(refusal([&] { store->set_stopped("sw9", "A"); }), StoreError::NotFound);

    std::string text;
    EXPECT_EQ(refusal([&] { store->update_template(sample_template("T", 2), v); }, &text), StoreError::Running);
    EXPECT_EQ(text.rfind("template \"T\" is running on sw", 0), 0u) << text;
    EXPECT_EQ(refusal([&] { store->overwrite_template(sample_template("T", 2)); }), StoreError::Running);
    EXPECT_EQ(refusal([&] { store->delete_template("T"); }), StoreError::Running);
    EXPECT_EQ(store->load_template("T")->states.size(), 3u);
    EXPECT_EQ(store->load_template("T")->version, v);

    store->set_stopped("sw1", "T");
    store->set_stopped("sw2", "T");
    store->delete_template("T");
    EXPECT_FALSE(store->load_template("T"));
    EXPECT_EQ(store->list_running().size(), 1u);
    EXPECT_EQ(refusal([&] { store->delete_template("T"); }), StoreError::NotFound);
}

TEST_P(TemplateStore, DeleteRemovesEverythingSoTheNameCanBeReused) {
    store->insert_template(sample_template("T", 6));
    store->insert_template(sample_template("Keep", 3));
    // Rows written by hand are held to the same references as the store's own.
    auto db = location->open_db();
    for (const char* sql : {
             "INSERT INTO states (template, position, name, descr, severity, poll_rate)"
             " VALUES ('None', 0, 'A', '', 'Normal', 'Poll')",
             "INSERT INTO transitions (template, position, from_state, to_state, cond) VALUES ('T', 9, 'S1', 'S9', 'LinkDown')",
             "INSERT INTO actions (template, transition, position, kind, arg0, arg1) VALUES ('T', 9, 0, 'MAIL', 'a', 'b')",
             "UPDATE states SET name = 'S9' WHERE template = 'T' AND name = 'S1'",
             "DELETE FROM conditions WHERE name = 'LinkDown'",
         })
        EXPECT_THROW(db->exec(sql), StoreError) << sql;
    db->exec("DELETE FROM states WHERE template = 'Keep' AND name = 'S2'");
    EXPECT_EQ(db->query("SELECT position FROM transitions WHERE template = 'Keep'").size(), 1u) << "the one from S1 to S2 went";
    store->delete_template("T");
    for (const char* table : {"states", "transitions", "actions"})
        EXPECT_TRUE(db->query(std::string("SELECT 1 FROM ") + table + " WHERE template = 'T'").empty()) << table;
    // A condition used only by the deleted template is free again.
    store->delete_template("Keep");
    store->delete_condition("HighErrors");
    TemplateDef again = sample_template("T", 1);
    store->insert_template(again);
    EXPECT_TRUE(store->load_template("T")->same_content(again));
}

TEST_P(TemplateStore, ImportIsAllOrNothing) {
    varo::StoreContents c;
    c.severities.push_back({"Warning", 5, "gold"});
    c.severities.push_back({"Normal", 9, "darkgreen"});  // replaces the seeded one
    c.poll_rates.push_back({"Fast", 5});
    c.conditions.push_back({"Hot", "too hot", "temperature > 70"});
    TemplateDef t = sample_template("Imported", 2);
    t.states[1].severity = "Warning";
    t.states[1].poll_rate = "Fast";
    t.transitions[0].condition = "Hot";
    c.templates.push_back(t);

    varo::StoreContents broken = c;
    broken.templates.push_back(sample_template("Second"));
    broken.templates.back().states[0].severity = "Missing";
    EXPECT_EQ(refusal([&] { store->import_contents(broken); }), StoreError::Invalid);
    EXPECT_FALSE(store->find_severity("Warning"));
    EXPECT_EQ(store->find_severity("Normal")->value, 1);
    EXPECT_FALSE(store->find_condition("Hot"));
    EXPECT_TRUE(store->list_templates().empty());

    broken = c;
    broken.poll_rates.push_back({"Fast", 6});
    EXPECT_EQ(refusal([&] { store->import_contents(broken); }), StoreError::Invalid);

    store->import_contents(c);
    EXPECT_EQ(store->find_severity("Normal")->color, "darkgreen");
    EXPECT_TRUE(store->load_template("Imported")->same_content(t));
    // Importing again replaces in place.
    store->import_contents(c);
    EXPECT_EQ(store->load_template("Imported")->version, 2);

    store->set_running("sw7", "Imported");
    EXPECT_EQ(refusal([&] { store->import_contents(c); }), StoreError::Running);
}

// Diagram positions: stored per state or not at all, carried by the exchange file, and kept
// through the upgrade of a store made before they existed.
TEST_P(TemplateStore, StatePositionsRoundTripExportImportAndUpgrade) {
    TemplateDef def = sample_template("Placed", 3);
    def.states[0].position = varo::StatePosition{0, 32767};
    def.states[2].position = varo::StatePosition{440, 95};
    store->insert_template(def);
    auto loaded = store->load_template("Placed");
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->same_content(def));
    EXPECT_FALSE(loaded->states[1].position) << "a state without a place stays without";

    TemplateDef far = sample_template("Far", 1);
    far.states[0].position = varo::StatePosition{-1, 5};
    EXPECT_EQ(refusal([&] { store->insert_template(far); }), StoreError::Invalid);

    // The exchange file carries them; a file without them is the first format.
    std::string text = varo::export_json(*store, std::string("Placed"));
    EXPECT_NE(text.find("\"format_version\": 2"), std::string::npos);
    EXPECT_NE(text.find("\"x\": 440"), std::string::npos);
    store->delete_template("Placed");
    varo::import_json(*store, text);
    EXPECT_TRUE(store->load_template("Placed")->same_content(def));
    store->insert_template(sample_template("Loose", 2));
    EXPECT_NE(varo::export_json(*store, std::string("Loose")).find("\"format_version\": 1"), std::string::npos);

    struct Bad {
        const char* from;
        const char* to;
        const char* where;
    } bad[] = {{"\"x\": 440,", "", "/templates/0/states/2/y: a position needs both"},
               {"\"x\": 440", "\"x\": -3", "/templates/0/states/2/x: position out of range"},
               {"\"x\": 440", "\"x\": \"left\"", "/templates/0/states/2/x: expected a whole number"},
               {"/usr/bin/logger", "/usr/bin/log\\\"ger",
                "/templates/0/transitions/0/actions/0/arg0: an action operand cannot hold the character '\"'"}};
    for (const Bad& b : bad) {
        std::string broken = text;
        broken.replace(broken.find(b.from), std::string(b.from).size(), b.to);
        std::string why;
        EXPECT_EQ(refusal([&] { varo::import_json(*store, broken); }, &why), StoreError::Invalid);
        EXPECT_NE(why.find(b.where), std::string::npos) << why;
    }

    // A store from before positions: its templates load without them, then take them.
    as_left_by([&](varo::Db& db) {
        db.exec("ALTER TABLE states DROP COLUMN x");
        db.exec("ALTER TABLE states DROP COLUMN y");
        db.exec("UPDATE schema_version SET version = 1");
    });
    EXPECT_EQ(store->schema_version(), varo::schema::kLatestVersion);
    auto old = store->load_template("Loose");
    ASSERT_TRUE(old);
    EXPECT_FALSE(old->states[0].position);
    old->states[0].position = varo::StatePosition{7, 9};
    store->update_template(*old, old->version);
    EXPECT_EQ(store->load_template("Loose")->states[0].position, (varo::StatePosition{7, 9}));
}

}  // namespace
