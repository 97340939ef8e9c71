// The tarnedit binary itself: command line, exit statuses, the -fd report, the title and
// the catalogue, watched from outside like a user or a launcher would.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/process_runner.h"

namespace {
const char* const USAGE =
    "Usage: tarnedit [-help] [-host <server>] [-t <template>]\n"
    "\t-help \t\t: this message\n"
    "\t-host <server> \t: Varo server\n"
    "\t-t <template> \t: Name of template to load\n";

std::string host_name() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return std::string(name).substr(0, 63);
}

std::string main_title(const std::string& host) { return "Quillon Corvane 1.2: Tarnwright [" + host + "]"; }

// A fresh store and the test's display for each run.
class Tarnedit : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tarnwright-proc.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        ASSERT_NE(proc::x_display(), nullptr);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    proc::Options options(std::vector<std::string> args, bool reachable = true) {
        proc::Options o;
        o.args = std::move(args);
        o.env["VARO_STORE"] = reachable ? "sqlite:" + dir + "/varo.db" : proc::unreachable_store();
        o.env["XDG_DATA_HOME"] = dir;
        o.env["DISPLAY"] = std::getenv("DISPLAY");
        o.unset = {"NLSPATH"};
        return o;
    }

    std::string dir;
};

std::string read_all(int fd) {
    std::string got;
    char buffer[256];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) got.append(buffer, static_cast<std::size_t>(n));
    return got;
}
}  // namespace

TEST(TarneditCommandLine, UsageAndStatus1ForAnythingItDoesNotKnowWithNothingOnTheDisplay) {
    const std::vector<std::vector<std::string>> refused = {
        {"-help"}, {"nonsense"}, {"-display", ":0"}, {"-geometry", "100x100+0+0"}, {"-iconic"},
        {"-fd"},   {"-host"},    {"-t"},            {"-t", "x", "-host"},
    };
    for (const auto& args : refused) {
        proc::Options o;
        o.args = args;
        o.unset = {"DISPLAY", "NLSPATH"};  // no X server is needed to refuse
        proc::Result r = proc::run(proc::tarnedit(), o);
        EXPECT_TRUE(r.exited) << args[0];
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_EQ(r.err, USAGE) << args[0];
        EXPECT_EQ(r.out, "") << args[0];
    }
}

TEST(TarneditCommandLine, Status255AndMessage3WhenTheDisplayCannotBeOpened) {
    proc::Options o;
    o.env["DISPLAY"] = ":249";  // nothing there
    o.unset = {"NLSPATH"};
    proc::Result r = proc::run(proc::tarnedit(), o);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, proc::tarnedit() + ": can't open display, exiting...\n");
}

TEST_F(Tarnedit, TitleNamesThisMachineForNoHostAndForLocalhostAndEndsOnWindowClose) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"-host", "localhost"}}) {
        SCOPED_TRACE(args.empty() ? "no -host" : "-host localhost");
        proc::Child child(proc::tarnedit(), options(args));
        unsigned long main = proc::wait_for_window(main_title(host_name()));
        ASSERT_NE(main, 0u) << "main window never showed";
        proc::send_wm_delete(main);
        proc::Result r = child.finish();
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.status, 0);
        EXPECT_TRUE(proc::wait_for_no_window(main_title(host_name())));
    }
}

TEST_F(Tarnedit, ClosingTheDiagramWindowEndsWithStatus0) {
    proc::Child child(proc::tarnedit(), options({"-host", "nms1"}));
    unsigned long main = proc::wait_for_window(main_title("nms1"));
    ASSERT_NE(main, 0u);
    unsigned long diagram = proc::wait_for_window("Tarnwright: State Diagram", 5, main);
    ASSERT_NE(diagram, 0u);
    proc::send_wm_delete(diagram);
    proc::Result r = child.finish();
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.status, 0);
}

TEST_F(Tarnedit, StartUpReportIsTheInvocationNameAndItsNulOnceWhateverTheConnection) {
    for (bool reachable : {true, false}) {
        SCOPED_TRACE(reachable ? "connected" : "not connected");
        int fds[2];
        ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
        proc::Options o = options({"-fd", "5"}, reachable);
        o.fds[5] = fds[1];
        proc::Child child(proc::tarnedit(), o);
        // read_all ends when the program closes its end: the report was made once, then closed.
        EXPECT_EQ(read_all(fds[0]), proc::tarnedit() + std::string(1, '\0'));
        close(fds[0]);
        EXPECT_TRUE(child.running());
    }
}

TEST_F(Tarnedit, FailedConnectionIsToldAndAnsweringEndsWithStatus1) {
    proc::Child child(proc::tarnedit(), options({"-host", "unreachable"}, false));
    ASSERT_NE(proc::wait_for_window(main_title("unreachable")), 0u);
    unsigned long dialog = proc::wait_for_window("Tarnwright: Error");
    ASSERT_NE(dialog, 0u) << "no dialog told the user";
    proc::press_return_in(dialog);
    proc::Result r = child.finish(10);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.status, 1);
}
