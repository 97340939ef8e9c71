// The store's one schema: tables, ordered migrations and the seed of a fresh store.
#ifndef TARNWRIGHT_VARO_SCHEMA_H
#define TARNWRIGHT_VARO_SCHEMA_H

#include "varo/db.h"

namespace varo::schema {

// The newest schema this program knows.
constexpr int kLatestVersion = 6;

// Per-album change counters of the SQLite backend, bumped in every write's own transaction;
// its readers compare them to tell which albums other clients changed.
constexpr const char* kCountersTable = "album_changes";
constexpr const char* kCountersQuery = "SELECT album, counter FROM album_changes";
constexpr const char* kBumpCounter = "UPDATE album_changes SET counter = counter + 1 WHERE album = ?";

// Creates (and seeds) or upgrades the store inside one write transaction, so two
// programs opening a fresh store at once cannot race. Returns the schema version.
// Throws StoreError(Corrupt) for a store made by a newer program.
int apply(Db& db);

// The version the store records (0 for none).
int stored_version(Db& db);

}  // namespace varo::schema

#endif
