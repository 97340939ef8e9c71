// The store's one schema: tables, ordered migrations and the seed of a fresh store.
#ifndef TARNWRIGHT_VARO_SCHEMA_H
#define TARNWRIGHT_VARO_SCHEMA_H

#include "varo/db.h"

namespace varo::schema {

// The newest schema this program knows.
constexpr int kLatestVersion = 10;

// The SQLite backend's record of changes (its triggers write it): the last change of each
// name, the newest with the highest id.
constexpr const char* kChangeLogTable = "change_log";
constexpr const char* kChangesSince = "SELECT id, album, name, kind FROM change_log WHERE id > ? ORDER BY id";
constexpr const char* kLastChange = "SELECT coalesce(max(id), 0) FROM change_log";
// A write's mark of the last entry logged before it (see the change log's triggers).
constexpr const char* kUnmarked = "9223372036854775807";
constexpr const char* kMarkChanges = "UPDATE change_mark SET began = (SELECT coalesce(max(id), 0) FROM change_log)";
constexpr const char* kUnmarkChanges = "UPDATE change_mark SET began = 9223372036854775807";

// Creates (and seeds) or upgrades the store inside one write transaction, so two
// programs opening a fresh store at once cannot race. Returns the schema version.
// Throws StoreError(Corrupt) for a store made by a newer program. A lower `up_to` stops
// there, making the store an earlier program made (for upgrade checks).
int apply(Db& db, int up_to = kLatestVersion);

// The version the store records (0 for none).
int stored_version(Db& db);

}  // namespace varo::schema

#endif
