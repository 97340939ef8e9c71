// Template analysis without a server: the checks and the simulation, and the texts they are
// told in.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "analysis/analysis.h"

namespace an = varo::analysis;
using an::Problem;

namespace {

// Ground -> Down on LinkDown (command, mail, raised condition), Down -> Ground on HighErrors.
varo::TemplateDef clean_template() {
    return {"router", "", {{"Ground", "", "Normal", "Poll"}, {"Down", "", "Critical", "fast"}},
            {{"Ground", "Down", "LinkDown",
              {{"COMMAND", "\"/usr/bin/page\"", "\"-u ops\""}, {"MAIL", "\"ops@example.org\"", "\"link down\""},
               {"CONDITION", "Escalate", ""}}},
             {"Down", "Ground", "HighErrors", {}}}};
}

an::ServerNames server() {
    return {{"Normal", "Critical"}, {"Poll", "fast"}, {"LinkDown", "HighErrors", "Escalate", "Recover"}};
}

struct Expected {
    std::string state;
    Problem problem;
    std::vector<std::string> args;
};

TEST(TemplateCheck, EachKindOfFindingAndACleanTemplate) {
    using Change = std::function<void(varo::TemplateDef&)>;
    auto action = [](varo::TemplateDef& d, std::size_t i) -> varo::Action& { return d.transitions[0].actions[i]; };
    struct Case {
        const char* what;
        Change change;
        std::vector<Expected> expected;
        bool errors;
    };
    const Case cases[] = {
        {"clean", [](varo::TemplateDef&) {}, {}, false},
        {"unreachable",
         [](varo::TemplateDef& d) {
             d.states.push_back({"Orphan", "", "Normal", "Poll"});
             d.transitions.push_back({"Orphan", "Ground", "Recover", {}});
         },
         {{"Orphan", Problem::Unreachable, {}}},
         false},
        {"end state",
         [](varo::TemplateDef& d) {
             d.states.push_back({"Sink", "", "Normal", "Poll"});
             d.transitions.push_back({"Ground", "Sink", "Recover", {}});
         },
         {{"Sink", Problem::NoWayOut, {}}},
         false},
        {"one condition, two targets (one of them a self-transition)",
         [](varo::TemplateDef& d) { d.transitions.push_back({"Ground", "Ground", "LinkDown", {}}); },
         {{"Ground", Problem::Conflict, {"LinkDown", "Down, Ground"}}},
         true},
        {"severity and poll rate gone from the server",
         [](varo::TemplateDef& d) {
             d.states[1].severity = "Dire";
             d.states[1].poll_rate = "slow";
         },
         {{"Down", Problem::MissingSeverity, {"Dire"}}, {"Down", Problem::MissingPollRate, {"slow"}}},
         true},
        {"conditions gone from the server",
         [&](varo::TemplateDef& d) {
             d.transitions[1].condition = "Vanished";
             action(d, 2).arg0 = "AlsoGone";
         },
         {{"Ground", Problem::MissingRaised, {"Down", "LinkDown", "AlsoGone"}},
          {"Down", Problem::MissingCondition, {"Vanished", "Ground"}}},
         true},
        {"empty operands",
         [&](varo::TemplateDef& d) {
             action(d, 0).arg0 = "\"\"";
             action(d, 1).arg0 = "\" \"";
             action(d, 1).arg1 = "\"\"";
             action(d, 2).arg0 = "";
         },
         {{"Ground", Problem::EmptyCommand, {"Down", "LinkDown"}},
          {"Ground", Problem::EmptyAddress, {"Down", "LinkDown"}},
          {"Ground", Problem::EmptyMessage, {"Down", "LinkDown"}},
          {"Ground", Problem::EmptyRaised, {"Down", "LinkDown"}}},
         true},
        {"names stored before names were checked as text: warned of, to be renamed",
         [](varo::TemplateDef& d) {
             const std::string hidden = "Do\u200Bwn", mixed = "D\u043Ewn", decomposed = "Cafe\u0301";
             d.states[1].name = d.transitions[0].to = d.transitions[1].from = hidden;
             d.states.push_back({mixed, "", "Normal", "Poll"});
             d.states.push_back({decomposed, "", "Normal", "Poll"});
             d.transitions.push_back({"Ground", mixed, "Recover", {}});
             d.transitions.push_back({"Ground", decomposed, "Escalate", {}});
             d.transitions.push_back({mixed, "Ground", "Recover", {}});
             d.transitions.push_back({decomposed, "Ground", "Recover", {}});
         },
         {{"Do\u200Bwn", Problem::HiddenCharacter, {"U+200B"}},
          {"D\u043Ewn", Problem::MixedScripts, {}},
          {"Cafe\u0301", Problem::NotNormalised, {}}},
         false},
        {"no ground state: nothing is called unreachable",
         [](varo::TemplateDef& d) {
             d.states[0].name = "Start";
             for (auto& t : d.transitions) (t.from == "Ground" ? t.from : t.to) = "Start";
         },
         {{"", Problem::NoGround, {}}},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        varo::TemplateDef def = clean_template();
        c.change(def);
        std::vector<an::Finding> found = an::check(def, server());
        ASSERT_EQ(c.expected.size(), found.size());
        for (std::size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ("router", found[i].template_name);
            EXPECT_EQ(c.expected[i].state, found[i].state);
            EXPECT_EQ(an::problem_key(c.expected[i].problem), an::problem_key(found[i].problem));
            EXPECT_EQ(c.expected[i].args, found[i].args);
        }
        EXPECT_EQ(c.errors, an::has_errors(found));
    }
}

TEST(TemplateSimulation, StepsTakeTheFirstMatchingTransitionOrStay) {
    varo::TemplateDef def = clean_template();
    def.states.push_back({"Lost", "", "Critical", "Poll"});
    def.transitions.push_back({"Down", "Lost", "LinkDown", {{"COMMAND", "\"/bin/true\"", "\"\""}}});
    def.transitions.push_back({"Lost", "Lost", "LinkDown", {{"MAIL", "\"noc@example.org\"", "\"still lost\""}}});
    // A later transition on the same condition from Ground is never taken.
    def.transitions.push_back({"Ground", "Lost", "LinkDown", {}});

    an::Simulation sim = an::simulate(def, {"LinkDown", "LinkDown", "Bogus", "LinkDown"});
    EXPECT_EQ("Lost", sim.current());
    EXPECT_EQ((std::vector<std::string>{
                  "Starts in Ground (severity Normal, poll rate Poll)",
                  "1. LinkDown in Ground:",
                  "   takes Ground -> Down on LinkDown",
                  "   enters Down (severity Critical, poll rate fast)",
                  "      COMMAND \"/usr/bin/page\" \"-u ops\"",
                  "      MAIL \"ops@example.org\" \"link down\"",
                  "      CONDITION Escalate",
                  "2. LinkDown in Down:",
                  "   takes Down -> Lost on LinkDown",
                  "   enters Lost (severity Critical, poll rate Poll)",
                  "      COMMAND \"/bin/true\" \"\"",
                  "3. Bogus in Lost:",
                  "   no transition: stays in Lost",
                  "4. LinkDown in Lost:",
                  "   takes Lost -> Lost on LinkDown",
                  "   enters Lost (severity Critical, poll rate Poll)",
                  "      MAIL \"noc@example.org\" \"still lost\"",
              }),
              an::simulation_lines(sim));

    def.states.erase(def.states.begin());
    EXPECT_FALSE(an::simulate(def, {"LinkDown"}).has_ground);
}

}  // namespace
