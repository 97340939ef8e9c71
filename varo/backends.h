// The database layers the store can run on. open_store picks one from the address.
#ifndef TARNWRIGHT_VARO_BACKENDS_H
#define TARNWRIGHT_VARO_BACKENDS_H

#include <memory>
#include <string>

#include "varo/db.h"

namespace varo {

// The embedded file at path (created, with its parent folders, when missing).
// Throws StoreError(Unavailable) when it cannot be opened.
std::unique_ptr<Db> open_sqlite_db(const std::string& path, Hold hold = Hold::Session);

// A PostgreSQL database named by a libpq connection string or URI.
// Throws StoreError(Unavailable) when it cannot be reached.
std::unique_ptr<Db> open_pg_db(const std::string& conninfo);

}  // namespace varo

#endif
