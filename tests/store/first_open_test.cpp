// Several programs opening a store that does not exist yet, all at once, on every backend:
// one creates and seeds it, the others find it made.
#include <gtest/gtest.h>

#include <future>
#include <vector>

#include "support/store_fixture.h"
#include "varo/schema.h"

namespace {

class FirstOpen : public testenv::StoreTest {};
VARO_STORE_SUITE(FirstOpen);

TEST_P(FirstOpen, ProgramsStartingTogetherCreateAndSeedTheStoreOnce) {
    constexpr int kPrograms = 6;
    for (int round = 0; round < 3; ++round) {
        testenv::StoreLocation fresh(GetParam());
        std::promise<void> go;
        std::shared_future<void> start = go.get_future().share();
        std::vector<std::future<std::string>> opened;
        for (int i = 0; i < kPrograms; ++i)
            opened.push_back(std::async(std::launch::async, [&] {
                start.wait();
                try {
                    auto s = fresh.open();
                    return s->schema_version() == varo::schema::kLatestVersion ? std::string()
                                                                                : std::string("wrong version");
                } catch (const varo::StoreError& e) {
                    return std::string(e.what());
                }
            }));
        go.set_value();
        for (auto& f : opened) EXPECT_EQ(f.get(), "") << "round " << round;

        auto s = fresh.open();
        EXPECT_EQ(s->list_severities().size(), store->list_severities().size()) << "seeded more than once";
        EXPECT_EQ(s->list_conditions().size(), store->list_conditions().size());
    }
}

}  // namespace
