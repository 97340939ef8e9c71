// Where a condition, severity or poll rate is named, over what each backend stores.
#include <gtest/gtest.h>

#include "support/store_fixture.h"
#include "varo/analysis.h"

namespace an = varo::analysis;

namespace {

class WhereUsed : public testenv::StoreTest {};
VARO_STORE_SUITE(WhereUsed);

TEST_P(WhereUsed, TemplatesAndStatesThatNameIt) {
    store->add_condition({"Escalate", "raised only", "ifOperStatus != \"up\"\n"});
    store->add_condition({"Unused", "named by nothing", "ifOperStatus != \"up\"\n"});
    store->add_poll_rate({"fast", 10});
    varo::TemplateDef a;
    a.name = "alpha";
    a.states = {{"Ground", "", "Normal", "Poll"}, {"Down", "", "Critical", "fast"}};
    a.transitions = {{"Ground", "Down", "LinkDown", {{"CONDITION", "Escalate", ""}}},
                     {"Down", "Ground", "HighErrors", {}}};
    varo::TemplateDef b;
    b.name = "beta";
    b.states = {{"Ground", "", "Critical", "Poll"}, {"Up", "", "Normal", "fast"}};
    b.transitions = {{"Ground", "Up", "HighErrors", {}}};
    store->insert_template(a);
    store->insert_template(b);

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
    // A condition raised by an action counts as used: the store refuses to delete it.
    EXPECT_EQ(varo::StoreError::InUse, testenv::refusal([&] { store->delete_condition("Escalate"); }));
}

}  // namespace
