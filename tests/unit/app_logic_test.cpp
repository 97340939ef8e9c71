// The program's own plumbing: the command line (what it refuses, and the longest values it
// takes: the process tests of tarnedit) and the host-name
// replacement, the message catalogue with its built-in defaults and the one bounded
// formatter, and the program's own sleep.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "base/globals.h"
#include "app/main_loop.h"
#include "base/messages.h"
#include "platform/vorn.h"
#include "support/store_fixture.h"

namespace {
CommandLine parse(std::vector<const char*> args) {
    args.insert(args.begin(), "tarnedit");
    return parse_command_line(static_cast<int>(args.size()), args.data());
}
}  // namespace

TEST(CommandLine, AcceptsThePairsAndTheLastOfARepeatedOptionWins) {
    CommandLine none = parse({});
    EXPECT_TRUE(none.ok);
    EXPECT_EQ(none.host, "localhost");
    EXPECT_EQ(none.template_name, "Noname");
    EXPECT_EQ(none.fd, 0);

    CommandLine all = parse({"-host", "nms1", "-t", "first", "-fd", "5", "-t", "second"});
    EXPECT_TRUE(all.ok);
    EXPECT_EQ(all.host, "nms1");
    EXPECT_EQ(all.template_name, "second");
    EXPECT_EQ(all.fd, 5);

    // A recognised option takes the next argument whatever it looks like.
    CommandLine odd = parse({"-t", "-host", "-host", "-t"});
    EXPECT_TRUE(odd.ok);
    EXPECT_EQ(odd.template_name, "-host");
    EXPECT_EQ(odd.host, "-t");

    EXPECT_EQ(parse({"-fd", "abc"}).fd, 0);  // not a number: no report
    EXPECT_EQ(parse({"-fd", "-1"}).fd, -1);
}

// (No -host and -host localhost naming this machine: the process tests' window titles.)
TEST(CommandLine, OnlyLocalhostIsReplacedAndNeverOverrun) {
    char other[PLATFORM_NAME_SIZE] = "Localhost";
    replace_localhost(other, sizeof other);
    EXPECT_STREQ(other, "Localhost");
    char tiny[4] = "loc";  // not "localhost": untouched, and never overrun
    replace_localhost(tiny, sizeof tiny);
    EXPECT_STREQ(tiny, "loc");
}

TEST(Messages, FormatterFillsConversionsButNeverReadsArgumentsAsFormats) {
    EXPECT_EQ(format_text("Current Template: %s...modified", {"Alarm"}), "Current Template: Alarm...modified");
    // A name from the store or the user is inserted as it is.
    EXPECT_EQ(format_text("Template '%s' will be deleted.", {"%s%n%d%%"}), "Template '%s%n%d%%' will be deleted.");
    EXPECT_EQ(format_text("[%-6s|%4d]", {"ab", "7"}), "[ab    |   7]");
    EXPECT_EQ(format_text("%s and %s", {"one"}), "one and ");          // missing argument reads as ""
    EXPECT_EQ(format_text("100%% of %x %s", {"it"}), "100% of %x it");  // unknown conversion copied
    EXPECT_EQ(format_text("ends with %", {}), "ends with %");
    EXPECT_EQ(format_text("%99999999999s|", {"x"}), "%99999999999s|");  // absurd width is not a conversion
    EXPECT_EQ(format_text("%3s", {"longer"}), "longer");                // width never cuts
}

TEST(Messages, CopyBoundedAlwaysTerminatesAndNeverSplitsACharacter) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    copy_bounded(buffer, sizeof buffer, "abcdefghijk");
    EXPECT_STREQ(buffer, "abcdefg");
    copy_bounded(buffer, sizeof buffer, "abc");
    EXPECT_STREQ(buffer, "abc");
    // "abcde" + "é" (2 bytes) + "z": the 7-byte room would cut "é" in half.
    copy_bounded(buffer, 7, "abcde\xc3\xa9z");
    EXPECT_STREQ(buffer, "abcde");
    char one[1] = {'x'};
    copy_bounded(one, sizeof one, "abc");
    EXPECT_EQ(one[0], '\0');
    char untouched[2] = {'q', 'q'};
    copy_bounded(untouched, 0, "abc");
    EXPECT_EQ(untouched[0], 'q');
}

TEST(Messages, BuiltCatalogueHoldsExactlyTheDefaults) {
    // Only the build tree's catalogue: nothing the user set may interfere.
    setenv("NLSPATH", TARNWRIGHT_BUILD_RESOURCES "/%N", 1);
    open_message_catalogue();
    ASSERT_NE(catd, reinterpret_cast<nl_catd>(-1)) << "corvane.cat not found in the build tree";
    for (const MessageEntry* e = message_entries_begin(); e != message_entries_end(); ++e) {
        // Ask the catalogue itself, with a fallback that cannot be mistaken for the text.
        const char* from_catalogue = catgets(catd, e->id.set, e->id.number, "<missing>");
        EXPECT_STREQ(from_catalogue, e->text) << "set " << e->id.set << " number " << e->id.number;
    }
}

TEST(Messages, DefaultsAnswerWithoutACatalogueAnotherChangesTheTextsAndMissingEntriesFallBack) {
    close_message_catalogue();
    EXPECT_STREQ(message_text(msg::CANNOT_CONNECT), "Can't connect to Varo!");
    EXPECT_STREQ(message_text(MessageId{2, 99999}), "");
    EXPECT_EQ(format_message(msg::MAIN_TITLE, {"1.2", "alpha"}), "Quillon Corvane 1.2: Tarnwright [alpha]");
    testenv::TempDir temp;
    const std::string& dir = temp.path();
    std::ofstream(dir + "/corvane.msg") << "$quote \"\n$set 2\n4 \"Corvane %s sur [%s]\"\n$set 6\n2000 \"Oui\"\n";
    std::string command = "gencat " + dir + "/corvane.cat " + dir + "/corvane.msg";
    ASSERT_EQ(std::system(command.c_str()), 0);
    setenv("NLSPATH", (dir + "/%N").c_str(), 1);
    open_message_catalogue();
    EXPECT_EQ(format_message(msg::MAIN_TITLE, {"1.2", "alpha"}), "Corvane 1.2 sur [alpha]");
    EXPECT_STREQ(message_text(msg::YES), "Oui");
    EXPECT_STREQ(message_text(msg::NO), "No");  // not in this catalogue
    close_message_catalogue();
}

TEST(MainLoop, SleepHoldsBackAlarmAndChildSignalsOnlyWhileItSleeps) {
    sigset_t before, after;
    sigemptyset(&before);
    sigaddset(&before, SIGUSR1);
    sigprocmask(SIG_SETMASK, &before, nullptr);

    // A signal due during the sleep is held back, not delivered into it: neither cuts it
    // short nor makes select report "Interrupted system call". SIGCHLD comes from a help
    // viewer that ends.
    static volatile sig_atomic_t delivered[NSIG];
    for (int sig : {SIGALRM, SIGCHLD}) {
        struct sigaction action{};
        action.sa_handler = [](int s) { delivered[s] = delivered[s] + 1; };
        sigaction(sig, &action, nullptr);
        pid_t sender = fork();
        if (sender == 0) {
            timespec pause{0, 20000000};
            nanosleep(&pause, nullptr);
            kill(getppid(), sig);
            _exit(0);
        }
        testing::internal::CaptureStderr();
        auto start = std::chrono::steady_clock::now();
        usleep(100000);
        auto slept = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << sig;
        EXPECT_GE(slept, std::chrono::milliseconds(95)) << "signal " << sig << " cut the sleep short";
        waitpid(sender, nullptr, 0);
        EXPECT_GE(delivered[sig], 1) << "the held-back signal " << sig << " arrives once the mask is restored";
        signal(sig, SIG_DFL);
    }

    sigprocmask(SIG_SETMASK, nullptr, &after);
    EXPECT_TRUE(sigismember(&after, SIGUSR1)) << "the previous mask was not restored";
    EXPECT_FALSE(sigismember(&after, SIGALRM));
    EXPECT_FALSE(sigismember(&after, SIGPOLL));
    EXPECT_FALSE(sigismember(&after, SIGCHLD));

    usleep(-5);  // a negative time is no time, not a failed select
}
