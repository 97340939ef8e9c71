// Any bytes as an import file into a fresh in-memory store: accepted or refused with a
// StoreError, never a crash; a refused file leaves the store as it was.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "varo/backends.h"
#include "varo/sql_store.h"
#include "varo/transfer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    varo::SqlStore store(varo::open_sqlite_db(":memory:"));
    std::string before = varo::export_json(store);
    try {
        varo::import_json(store, std::string(reinterpret_cast<const char*>(data), size));
    } catch (const varo::StoreError&) {
        if (varo::export_json(store) != before) std::abort();
    }
    return 0;
}
