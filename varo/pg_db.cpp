// Stands in for the PostgreSQL backend in builds without it.
#include "varo/backends.h"

namespace varo {

std::unique_ptr<Db> open_pg_db(const std::string&) {
    throw StoreError(StoreError::Unavailable, "PostgreSQL support is not built");
}

}  // namespace varo
