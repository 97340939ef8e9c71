// The platform library's own pieces: DataUnit (shared contents, views, private copies and
// the terminator invariant), scheduling contexts, events and the error hook.
#include <gtest/gtest.h>

#include <string>

#include "platform/vorn.h"

TEST(DataUnit, EmptySourcesGiveTheEmptyValueAndCopiesShareAndOutliveTheirSource) {
    for (const DataUnit& d : {DataUnit(), DataUnit(static_cast<const char*>(nullptr)), DataUnit(""),
                              DataUnit(std::string()), DataUnit("abc", 0)}) {
        EXPECT_TRUE(d.empty());
        EXPECT_STREQ(d.c_str(), "");
        EXPECT_EQ(d, DataUnit());
    }
    DataUnit* original = new DataUnit("temperature > 40");
    DataUnit copy = *original, assigned;
    assigned = copy;
    assigned = assigned;  // self-assignment keeps the value
    delete original;
    EXPECT_STREQ(copy.c_str(), "temperature > 40");
    EXPECT_STREQ(assigned.c_str(), "temperature > 40");
    assigned = DataUnit("other");
    EXPECT_STREQ(copy.c_str(), "temperature > 40") << "assignment changed a sharer";
    EXPECT_EQ(std::string("x\0y", 3), DataUnit(std::string("x\0y", 3)).str());
}

TEST(DataUnit, ViewsReadOnlyTheirWindowAndNeverTheSource) {
    DataUnit whole("ifOperStatus");
    DataUnit middle = whole.sub(2, 4);
    DataUnit tail = whole.sub(8, 100);  // clamped
    EXPECT_EQ(middle.length(), 4u);
    EXPECT_EQ(middle, DataUnit("Oper"));
    EXPECT_STREQ(middle.c_str(), "Oper") << "a view must be terminated at its own end";
    EXPECT_STREQ(tail.c_str(), "atus");
    EXPECT_STREQ(whole.c_str(), "ifOperStatus") << "making a view private changed the source";
    EXPECT_TRUE(whole.sub(12, 1).empty());
    EXPECT_TRUE(whole.sub(0, 0).empty());
    EXPECT_EQ(middle.sub(1, 2).str(), "pe") << "a view of a view";

    // A view that is the last holder of its contents.
    DataUnit last;
    {
        DataUnit temp("abcdef");
        last = temp.sub(1, 3);
    }
    EXPECT_STREQ(last.c_str(), "bcd");
    EXPECT_NE(DataUnit("abc"), DataUnit("abd"));
    EXPECT_NE(DataUnit("abc"), DataUnit("ab"));
}

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
