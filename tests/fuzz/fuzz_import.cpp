// Any bytes as an import file into a store: accepted or refused with a StoreError, never a
// crash; a refused file leaves the store as it was. The store is made once and made again
// only after a file was taken, and compared whole only when the file parsed (import reads
// the whole file before it touches the store): at 50 fresh stores a second, or an export
// for every input, ten million inputs would take days.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "varo/backends.h"
#include "varo/sql_store.h"
#include "varo/transfer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::unique_ptr<varo::SqlStore> store;
    static std::string before;
    if (!store) {
        store = std::make_unique<varo::SqlStore>(varo::open_sqlite_db(":memory:"));
        before = varo::export_json(*store);
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    bool parses = true;
    try {
        (void)varo::parse_transfer(text);
    } catch (const varo::StoreError&) {
        parses = false;
    }
    try {
        varo::import_json(*store, text);
        if (!parses) std::abort();  // taken what it could not read
        store.reset();              // a fresh store for the next input
    } catch (const varo::StoreError&) {
        if (parses && varo::export_json(*store) != before) std::abort();
    }
    return 0;
}
