// The platform library's own pieces: scheduling contexts, events and the error hook.
#include <gtest/gtest.h>

#include <thread>

#include "platform/vorn.h"

namespace {
int ran;
Platform* events;
void count(void*, void*) { ++ran; }
void raise_again(void*, void*) {
    ++ran;
    events->raise("DISCONNECTED");  // for the next run, not this one
    events->when(DataUnit("DISCONNECTED"), Callback(SchedContext::current(), count, nullptr));
}
}  // namespace

TEST(Vorn, EventsRunTheirCallbacksOncePerRaise) {
    Platform p;
    events = &p;
    ran = 0;
    p.when(DataUnit("DISCONNECTED"), Callback(SchedContext::current(), raise_again, nullptr));
    p.when(DataUnit("OTHER"), Callback(SchedContext::current(), count, nullptr));
    EXPECT_EQ(p.run_pending(), 0);
    p.raise("DISCONNECTED");
    p.raise("DISCONNECTED");
    EXPECT_EQ(p.run_pending(), 1);
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(p.run_pending(), 2) << "raised and registered inside the callback";
    p.clear();
    p.raise("DISCONNECTED");
    EXPECT_EQ(p.run_pending(), 0);
}

namespace {
int hook_calls;
void nested_hook(Error* e) {
    ++hook_calls;
    e->set_error(2, "from the hook");  // must not call the hook again
}
}  // namespace

TEST(Vorn, ErrorsCallTheHookOnceAndReset) {
    Error local(0);
    EXPECT_FALSE(local.is_error());
    Error::error_entry_callback = nested_hook;
    hook_calls = 0;
    local.set_error(0, "zero code still an error");
    EXPECT_TRUE(local.is_error());
    EXPECT_EQ(hook_calls, 1);
    EXPECT_STREQ(local.text(), "from the hook");
    local.reset_error();
    EXPECT_FALSE(local.is_error());
    EXPECT_STREQ(local.text(), "");
    Error::error_entry_callback = nullptr;
    local.set_error(5, nullptr);
    EXPECT_EQ(local.code(), 5);
}
