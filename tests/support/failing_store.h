// A store that passes every call on to a real one until told that the connection is
// lost; from then on every call throws StoreError(Unavailable), as a dropped server does.
// It can also refuse only the writes, count them, and act as another client right after one.
#ifndef TARNWRIGHT_TESTS_FAILING_STORE_H
#define TARNWRIGHT_TESTS_FAILING_STORE_H

#include <functional>
#include <memory>

#include "varo/store.h"

namespace testenv {

struct FailSwitch {
    bool lost = false;         // every call throws Unavailable
    bool busy = false;         // every call throws Busy, as a store locked by another program does
    bool poll_reports = false; // poll_changes says so (otherwise it still answers normally)
    bool refuse_writes = false;  // every write throws Busy; reads still answer
    int writes = 0;              // writes asked for, refused ones included
    // Runs on the real store after each write that succeeded, as another client would.
    std::function<void(varo::Store&)> after_write;
};

std::unique_ptr<varo::Store> failing_store(std::unique_ptr<varo::Store> real, std::shared_ptr<FailSwitch> fail);

}  // namespace testenv

#endif
