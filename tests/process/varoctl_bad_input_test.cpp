// varoctl given hostile names, descriptions and code, an empty store and a store written by
// a newer program: each is taken whole or refused with a message, and a refusal leaves the
// store as it was.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/process_runner.h"
#include "support/store_fixture.h"

using ProcessResult = proc::Result;

namespace {

class VaroctlBadInput : public ::testing::Test {
protected:
    ProcessResult run(std::vector<std::string> args, const std::string& input = "") {
        args.insert(args.begin(), {"--store", "sqlite:" + path()});
        proc::Options o;
        o.args = args;
        o.input = input;
        return proc::run(proc::varoctl(), o);
    }
    std::string path() const { return dir.path() + "/a.db"; }
    std::string file_bytes() const {
        std::ifstream in(path(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    testenv::TempDir dir;
};

TEST_F(VaroctlBadInput, HostileTextIsTakenWholeOrRefusedWithoutAChange) {
    ASSERT_EQ(run({"init"}).status, 0);
    const std::vector<std::pair<const char*, std::string>> hostile = {
        {"blank", "  \t  "},
        {"empty", ""},
        {"70 characters", std::string(70, 'n')},
        {"printf %n%s", "%n%s%n%s"},
        {"printf width", "%99999d"},
        {"not UTF-8", "\xff\xfe\xc3("},
        {"SQL", "x'); DROP TABLE templates; --"},
        {"resource syntax", "a.b*c?d"},
        {"newline", "first\nsecond"},
        {"terminal escape", "\x1b[2J\x1b]0;owned\x07"},
    };
    int refused = 0, taken = 0;
    int n = 0;
    for (const auto& h : hostile) {
        const std::string& s = h.second;
        const std::string k = std::to_string(++n);
        // name, then description or colour, then code: the hostile text in each place.
        const std::vector<std::pair<std::vector<std::string>, std::string>> commands = {
            {{"add", "severity", s, "5", "gold"}, ""},
            {{"add", "severity", "C" + k, "5", s}, ""},
            {{"add", "severity", "V" + k, s, "gold"}, ""},
            {{"add", "pollrate", s, "10"}, ""},
            {{"add", "pollrate", "R" + k, s}, ""},
            {{"add", "condition", s, "d"}, "a > 1\n"},
            {{"add", "condition", "D" + k, s}, "a > 1\n"},
            {{"add", "condition", "K" + k, "d"}, s},
        };
        for (const auto& c : commands) {
            std::string trace = std::string(h.first) + ": " + c.first[0] + " " + c.first[1] + " " + c.first[2];
            SCOPED_TRACE(trace);
            std::string before = run({"export"}).out;
            ProcessResult r = run(c.first, c.second);
            ASSERT_TRUE(r.status >= 0 && r.status <= 2) << r.status << " " << r.err;  // 2: a usage mistake
            if (r.status != 0) {
                ++refused;
                EXPECT_EQ(r.err.rfind("varoctl: ", 0), 0u) << r.err;
                EXPECT_GT(r.err.size(), 10u);
                // The text given is quoted escaped: no line breaks or terminal controls in the message.
                std::string line = r.err.substr(0, r.err.find('\n'));
                for (unsigned char c : line) EXPECT_TRUE(c >= 0x20 && c != 0x7f) << r.err;
                EXPECT_EQ(run({"export"}).out, before);
            } else {
                ++taken;
                EXPECT_NE(run({"export"}).out, before);
            }
        }
    }
    // Code with a NUL byte, and a megabyte of it, from standard input: refused, saying why.
    const std::vector<std::pair<std::string, std::string>> codes = {
        {std::string("a > 1\0b", 7), ""},
        {"# " + std::string(1 << 20, 'x') + "\na > 1\n", "longer than"},
    };
    for (const auto& [code, reason] : codes) {
        std::string before = run({"export"}).out;
        ProcessResult r = run({"add", "condition", "Big", "d"}, code);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
        EXPECT_EQ(run({"export"}).out, before) << r.err;
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(taken, 0);
}

TEST_F(VaroctlBadInput, EmptyAndNewerStoresInVaroctlAndTheEditor) {
    // A store that was never made: made empty (with its seeds) on first use, never an error.
    for (const char* what : {"templates", "conditions"}) {
        ProcessResult r = run({"list", what});
        EXPECT_EQ(r.status, 0) << r.err;
    }
    EXPECT_EQ(run({"export"}).status, 0);

    // A store of a newer schema: every command refused, naming the version, the file untouched.
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(path().c_str(), &db));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, "UPDATE schema_version SET version = 99", nullptr, nullptr, nullptr));
    sqlite3_close(db);
    std::string bytes = file_bytes();
    for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
             {"list", "templates"}, {"add", "pollrate", "Fast", "10"}, {"export"}, {"init"}}) {
        ProcessResult r = run(command);
        EXPECT_EQ(r.status, 1) << command[0];
        EXPECT_NE(r.err.find("99"), std::string::npos) << r.err;
    }
    // The editor says it cannot open Varo and ends with status 1 once that is answered.
    proc::Options o;
    o.env = {{"VARO_STORE", "sqlite:" + path()}, {"XDG_DATA_HOME", dir.path()}, {"DISPLAY", std::getenv("DISPLAY")}};
    o.unset = {"NLSPATH"};
    proc::Child editor(proc::tarnedit(), o);
    unsigned long dialog = proc::wait_for_window("Tarnwright: Error");
    ASSERT_NE(dialog, 0u);
    proc::press_return_in(dialog);
    proc::Result r = editor.finish(10);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(file_bytes(), bytes);
}

}  // namespace
