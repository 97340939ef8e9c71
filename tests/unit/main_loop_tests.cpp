// The program's own sleep and the platform error hook.
#include <gtest/gtest.h>

#include <csignal>
#include <chrono>
#include <sys/wait.h>
#include <unistd.h>

#include "app/main_loop.h"
#include "platform/vorn.h"

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
