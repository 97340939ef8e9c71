// Picks the backend a store specification names.
#include <memory>
#include <string>

#include "varo/backends.h"
#include "varo/sql_store.h"

namespace varo {

namespace {
bool starts_with(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }
bool ends_with(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}
}  // namespace

std::unique_ptr<Store> open_store(const std::string& spec) {
    std::unique_ptr<Db> db;
    if (starts_with(spec, "sqlite:"))
        db = open_sqlite_db(spec.substr(7));
    else if (starts_with(spec, "pg:"))
        db = open_pg_db(spec.substr(3));
    else if (starts_with(spec, "postgresql://") || starts_with(spec, "postgres://"))
        db = open_pg_db(spec);
    else if (ends_with(spec, ".db"))
        db = open_sqlite_db(spec);
    else
        throw StoreError(StoreError::Unavailable, "unknown store " + std::string(spec.empty() ? "(none named)" : spec) +
                                                      ": use sqlite:PATH, PATH.db, pg:CONNINFO or postgresql://...");
    return std::make_unique<SqlStore>(std::move(db));
}

}  // namespace varo
