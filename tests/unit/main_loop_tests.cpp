// The program's own sleep and the platform error hook.
#include <gtest/gtest.h>

#include <csignal>
#include <chrono>

#include "app/main_loop.h"
#include "platform/vorn.h"

TEST(MainLoop, SleepBlocksPollAndAlarmOnlyWhileItSleeps) {
    sigset_t before, after;
    sigemptyset(&before);
    sigaddset(&before, SIGUSR1);
    sigprocmask(SIG_SETMASK, &before, nullptr);

    // An alarm due during the sleep is held back, not delivered into it.
    static volatile sig_atomic_t alarms = 0;
    struct sigaction action{};
    action.sa_handler = [](int) { alarms = alarms + 1; };
    sigaction(SIGALRM, &action, nullptr);
    ualarm(20000, 0);
    auto start = std::chrono::steady_clock::now();
    usleep(100000);
    auto slept = std::chrono::steady_clock::now() - start;
    EXPECT_GE(slept, std::chrono::milliseconds(95)) << "the alarm cut the sleep short";

    sigprocmask(SIG_SETMASK, nullptr, &after);
    EXPECT_TRUE(sigismember(&after, SIGUSR1)) << "the previous mask was not restored";
    EXPECT_FALSE(sigismember(&after, SIGALRM));
    EXPECT_FALSE(sigismember(&after, SIGPOLL));
    EXPECT_EQ(alarms, 1) << "the held-back alarm arrives once the mask is restored";

    usleep(-5);  // a negative time is no time, not a failed select
}

TEST(MainLoop, ErrorHookResetsTheRecordedError) {
    Error e(1);
    e.set_error(7, "something");
    ASSERT_TRUE(e.is_error());
    vorn_error_cb(&e);
    EXPECT_FALSE(e.is_error());
    vorn_error_cb(nullptr);
}
