// varoctl check, simulate and used as a user runs them: output, exit status, usage.
#include <gtest/gtest.h>

#include <fstream>

#include <nlohmann/json.hpp>

#include "support/process.h"
#include "support/store_fixture.h"

using testenv::ProcessResult;

namespace {

// Clean: a loop through Down with all three kinds of action. Messy: a severity the server
// loses, one condition to two states, an end state and a state nothing leads to.
const char* const kTemplates = R"({
  "format": "tarnwright-varo", "format_version": 1,
  "severities": [ { "name": "Doomed", "value": 9, "color": "black" } ],
  "poll_rates": [],
  "conditions": [ { "name": "Escalate", "descr": "raised", "code": "ifOperStatus != \"up\"\n" } ],
  "templates": [
    { "name": "Clean", "descr": "",
      "states": [ { "name": "Ground", "descr": "", "severity": "Normal", "poll_rate": "Poll" },
                  { "name": "Down", "descr": "", "severity": "Critical", "poll_rate": "default_rate" } ],
      "transitions": [
        { "from": "Ground", "to": "Down", "condition": "LinkDown", "actions": [
          { "kind": "COMMAND", "arg0": "\"/usr/bin/page\"", "arg1": "\"-u ops\"" },
          { "kind": "MAIL", "arg0": "\"ops@example.org\"", "arg1": "\"link down\"" },
          { "kind": "CONDITION", "arg0": "Escalate", "arg1": "" } ] },
        { "from": "Down", "to": "Ground", "condition": "HighErrors", "actions": [] } ] },
    { "name": "Messy", "descr": "",
      "states": [ { "name": "Ground", "descr": "", "severity": "Doomed", "poll_rate": "Poll" },
                  { "name": "Down", "descr": "", "severity": "Critical", "poll_rate": "Poll" },
                  { "name": "Orphan", "descr": "", "severity": "Normal", "poll_rate": "Poll" } ],
      "transitions": [
        { "from": "Ground", "to": "Down", "condition": "LinkDown", "actions": [] },
        { "from": "Ground", "to": "Ground", "condition": "LinkDown", "actions": [] },
        { "from": "Orphan", "to": "Ground", "condition": "HighErrors", "actions": [] } ] } ]
}
)";

class VaroctlAnalysis : public ::testing::Test {
protected:
    void SetUp() override {
        std::ofstream(dir.path() + "/t.json") << kTemplates;
        ASSERT_EQ(run({"import", dir.path() + "/t.json"}).status, 0);
        ASSERT_EQ(run({"delete", "severity", "Doomed"}).status, 0);
    }
    ProcessResult run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--store", "sqlite:" + dir.path() + "/a.db"});
        return testenv::run_process(VAROCTL_BINARY, args);
    }
    testenv::TempDir dir;
};

const char* const kMessyFindings =
    "Messy: Ground: error: severity Doomed is not on the server\n"
    "Messy: Ground: error: condition LinkDown leads to different states: Down, Ground\n"
    "Messy: Down: note: no transition leaves this state\n"
    "Messy: Orphan: warning: cannot be reached from Ground\n";

TEST_F(VaroctlAnalysis, CheckPrintsOneFindingALineAndFailsOnErrors) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out;
    };
    const Case cases[] = {
        {{"check", "Clean"}, 0, "1 template checked: 0 errors, 0 warnings, 0 notes\n"},
        {{"check", "Messy"}, 1, std::string(kMessyFindings) + "1 template checked: 2 errors, 1 warning, 1 note\n"},
        {{"check"}, 1, std::string(kMessyFindings) + "2 templates checked: 2 errors, 1 warning, 1 note\n"},
    };
    for (const Case& c : cases) {
        ProcessResult r = run(c.args);
        EXPECT_EQ(c.status, r.status) << r.err;
        EXPECT_EQ(c.out, r.out);
    }

    ProcessResult r = run({"check", "--json", "Messy"});
    EXPECT_EQ(1, r.status);
    nlohmann::json findings = nlohmann::json::parse(r.out);
    ASSERT_EQ(4u, findings.size());
    EXPECT_EQ((nlohmann::json{{"template", "Messy"}, {"state", "Ground"}, {"level", "error"},
                              {"problem", "missing_severity"}, {"text", "severity Doomed is not on the server"}}),
              findings[0]);
    EXPECT_EQ("[]\n", run({"check", "Clean", "--json"}).out);

    r = run({"check", "Nope"});
    EXPECT_EQ(1, r.status);
    EXPECT_NE(r.err.find("template \"Nope\" does not exist"), std::string::npos) << r.err;
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"check", "a", "b"}, {"check", "--yaml"}, {"check", "--json", "--json"}, {"simulate"}, {"used"},
             {"used", "template", "x"}, {"used", "condition"}})
        EXPECT_EQ(2, run(bad).status) << bad.back();
}

TEST_F(VaroctlAnalysis, SimulateAndUsed) {
    ProcessResult r = run({"simulate", "Clean", "LinkDown", "Bogus", "HighErrors"});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("Starts in Ground (severity Normal, poll rate Poll)\n"
              "1. LinkDown in Ground:\n"
              "   takes Ground -> Down on LinkDown\n"
              "   enters Down (severity Critical, poll rate default_rate)\n"
              "      COMMAND \"/usr/bin/page\" \"-u ops\"\n"
              "      MAIL \"ops@example.org\" \"link down\"\n"
              "      CONDITION Escalate\n"
              "2. Bogus in Down:\n"
              "   no transition: stays in Down\n"
              "3. HighErrors in Down:\n"
              "   takes Down -> Ground on HighErrors\n"
              "   enters Ground (severity Normal, poll rate Poll)\n",
              r.out);
    EXPECT_EQ(1, run({"simulate", "Nope", "LinkDown"}).status);

    r = run({"used", "condition", "Escalate"});
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("Clean: Ground: raised by the transition to Down on LinkDown\n", r.out);
    EXPECT_EQ("Messy: Ground: severity of the state\n", run({"used", "severity", "Doomed"}).out);
    EXPECT_EQ("", run({"used", "pollrate", "Nothing"}).out);
}

}  // namespace
