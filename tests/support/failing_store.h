// A store that passes every call on to a real one until told that the connection is
// lost; from then on every call throws StoreError(Unavailable), as a dropped server does.
#ifndef TARNWRIGHT_TESTS_FAILING_STORE_H
#define TARNWRIGHT_TESTS_FAILING_STORE_H

#include <memory>

#include "varo/store.h"

namespace testenv {

struct FailSwitch {
    bool lost = false;         // every call throws Unavailable
    bool busy = false;         // every call throws Busy, as a store locked by another program does
    bool poll_reports = false; // poll_changes says so (otherwise it still answers normally)
};

std::unique_ptr<varo::Store> failing_store(std::unique_ptr<varo::Store> real, std::shared_ptr<FailSwitch> fail);

}  // namespace testenv

#endif
