// The tarnedit binary itself: command line, exit statuses, the -fd report, the title and
// the catalogue, watched from outside like a user or a launcher would.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "support/process_runner.h"
#include "support/store_fixture.h"

namespace {
const char* const USAGE =
    "Usage: tarnedit [-help] [-host <server>] [-t <template>]\n"
    "\t-help \t\t: this message\n"
    "\t-host <server> \t: Varo server\n"
    "\t-t <template> \t: Name of template to load\n";

// A fresh store and the test's display for each run.
class Tarnedit : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(proc::x_display(), nullptr); }
    proc::Options options(std::vector<std::string> args, bool reachable = true) {
        return proc::editor_options(reachable ? "sqlite:" + dir.path() + "/varo.db" : proc::unreachable_store(),
                                    dir.path(), std::move(args));
    }
    testenv::TempDir dir;
};

std::string read_all(int fd) {
    std::string got;
    char buffer[256];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) got.append(buffer, static_cast<std::size_t>(n));
    return got;
}
}  // namespace

TEST(TarneditCommandLine, Status1AndUsageForWhatItDoesNotKnowStatus255WithoutADisplay) {
    const std::vector<std::vector<std::string>> refused = {
        {"-help"}, {"-h"}, {"nonsense"}, {"-display", ":0"}, {"-geometry", "100x100+0+0"}, {"-iconic"},
        {"-xrm", "*x: y"}, {"-T", "x"}, {"-fd"}, {"-host"}, {"-t"}, {"-t", "x", "-host"}, {"-host", "h", "-help"},
        // One byte past the longest each takes (the next test starts with the longest).
        {"-host", std::string(64, 'h')}, {"-t", std::string(65, 't')},
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
    proc::Options o;
    o.env["DISPLAY"] = ":249";  // nothing there
    o.unset = {"NLSPATH"};
    proc::Result r = proc::run(proc::tarnedit(), o);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, proc::tarnedit() + ": can't open display, exiting...\n");
}

// No -host and -host localhost name this machine, a longest host is shown whole; closing either
// window ends with status 0.
TEST_F(Tarnedit, TitleNamesTheHostAndClosingTheMainOrDiagramWindowEndsWithStatus0) {
    const struct {
        std::vector<std::string> args;
        std::string host;
        const char* closed;  // null: the main window
    } cases[] = {
        {{}, proc::host_name(), nullptr},
        {{"-host", "localhost"}, proc::host_name(), nullptr},
        {{"-host", "nms1"}, "nms1", "Tarnwright: State Diagram"},
        // The longest host and template name are taken whole.
        {{"-host", std::string(63, 'h'), "-t", std::string(64, 't')}, std::string(63, 'h'), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host + (c.closed ? " closing the diagram" : ""));
        proc::Child child(proc::tarnedit(), options(c.args));
        unsigned long main = proc::wait_for_window(proc::main_title(c.host));
        ASSERT_NE(main, 0u) << "main window never showed";
        unsigned long closed = c.closed ? proc::wait_for_window(c.closed, 5, main) : main;
        ASSERT_NE(closed, 0u);
        proc::send_wm_delete(closed);
        proc::Result r = child.finish();
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.status, 0);
        EXPECT_TRUE(proc::wait_for_no_window(proc::main_title(c.host)));
    }
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
    ASSERT_NE(proc::wait_for_window(proc::main_title("unreachable")), 0u);
    EXPECT_EQ(proc::answer_error(child).status, 1);
}
