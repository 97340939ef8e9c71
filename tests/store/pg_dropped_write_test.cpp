// A shared store whose server ends the session in the middle of a write: the write is
// refused as Unavailable, and the store holds the whole old or the whole new template.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "support/pg_server.h"
#include "support/store_fixture.h"

using testenv::sample_template;

namespace {

TEST(PgDroppedWrite, SessionEndedMidWriteLeavesNoHalfTemplate) {
    REQUIRE_POSTGRES();
    varo::TemplateDef a = sample_template("Big", 300);
    varo::TemplateDef b = sample_template("Big", 180);
    b.descr = "the other one";
    for (int round = 0; round < 3; ++round) {
        testenv::ScratchPgDatabase scratch;
        const std::string address = "pg:" + scratch.conninfo();
        varo::open_store(address)->insert_template(a);

        auto writer = varo::open_store(address);
        std::atomic<int> saves{0};
        auto outcome = std::async(std::launch::async, [&] {
            try {
                for (int i = 0;; ++i) {
                    writer->overwrite_template(i % 2 ? a : b);
                    ++saves;
                }
            } catch (const varo::StoreError& e) {
                return e.kind();
            }
        });
        while (saves < 1 + round) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(7 * round));
        EXPECT_GE(scratch.terminate_clients(), 1);
        EXPECT_EQ(outcome.get(), varo::StoreError::Unavailable);
        EXPECT_TRUE(writer->poll_changes().disconnected);

        auto loaded = varo::open_store(address)->load_template("Big");
        ASSERT_TRUE(loaded);
        EXPECT_TRUE(loaded->same_content(a) || loaded->same_content(b))
            << "torn template: " << loaded->states.size() << " states, " << loaded->transitions.size() << " transitions";
    }
}

}  // namespace
