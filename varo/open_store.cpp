// Picks the backend a store address names.
#include <memory>
#include <string>

#include "varo/backends.h"
#include "varo/pg_support.h"
#include "varo/sql_store.h"

namespace varo {

namespace {
bool starts_with(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }
bool ends_with(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}
// An address that may hold a password is not echoed at all: a mistyped one may hide it anywhere.
std::string shown_address(const std::string& address) {
    if (address.empty()) return "(none named)";
    if (may_hold_password(address)) return "(not shown: it may hold a password)";
    return address;
}
}  // namespace

bool holds_password(const std::string& address) {
    std::string conninfo;
    if (starts_with(address, "pg:"))
        conninfo = address.substr(3);
    else if (starts_with(address, "postgresql://") || starts_with(address, "postgres://"))
        conninfo = address;
    else
        return false;
    return redact_address(conninfo) != conninfo;
}

std::unique_ptr<Store> open_store(const std::string& address, Hold hold) {
    std::unique_ptr<Db> db;
    if (starts_with(address, "sqlite:"))
        db = open_sqlite_db(address.substr(7), hold);
    else if (starts_with(address, "pg:"))
        db = open_pg_db(address.substr(3));
    else if (starts_with(address, "postgresql://") || starts_with(address, "postgres://"))
        db = open_pg_db(address);
    else if (ends_with(address, ".db"))
        db = open_sqlite_db(address, hold);
    else
        throw StoreError(StoreError::Unavailable, "unknown store " + shown_address(address) +
                                                      ": use sqlite:PATH, PATH.db, pg:CONNINFO or postgresql://...");
    return std::make_unique<SqlStore>(std::move(db));
}

}  // namespace varo
