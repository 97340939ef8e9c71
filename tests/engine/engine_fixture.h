// Each engine test connects the engine to a fresh store of its own, on each backend, and
// reads results back as plain strings.
#ifndef TARNWRIGHT_TESTS_ENGINE_FIXTURE_H
#define TARNWRIGHT_TESTS_ENGINE_FIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/qori.h"
#include "support/store_fixture.h"
#include "varo/store.h"

class EngineTest : public ::testing::TestWithParam<testenv::Backend> {
public:
    // Error hook calls since the test began.
    static int hook_calls;

protected:
    void SetUp() override;
    void TearDown() override;

    // Another client of the same store, as a second editor or an administrator would be.
    std::unique_ptr<varo::Store> other_client() const;
    // An unsaved template with the state "Ground" (Normal, Poll).
    Qor_Defn grounded(const char* name);
    std::unique_ptr<testenv::StoreLocation> location;
    std::string address;
};

std::vector<std::string> state_names(const Qor_Defn& t);
// "from>to:condition" of each transition leaving `from` (all when from is null), in order.
std::vector<std::string> transitions_of(const Qor_Defn& t, const char* from = nullptr);
// "KIND arg0 arg1" of each action of the transition.
std::vector<std::string> actions_of(const Qor_Transition& tr);
std::vector<std::string> album_names(QoriAlbumKind kind);

#endif
