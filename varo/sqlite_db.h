// The database layer over one SQLite file: write-ahead log, a busy timeout waited in short
// steps, foreign keys on, BEGIN IMMEDIATE for writes and a cache of prepared statements.
// Other writers are noticed through PRAGMA data_version and the change log the store's
// triggers write.
#ifndef TARNWRIGHT_VARO_SQLITE_DB_H
#define TARNWRIGHT_VARO_SQLITE_DB_H

#include <sqlite3.h>

#include <chrono>
#include <memory>
#include <string>
#include <unordered_map>

#include "varo/db.h"

namespace varo {

struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct SqliteFinalizer {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using SqliteHandle = std::unique_ptr<sqlite3, SqliteCloser>;
using SqliteStatement = std::unique_ptr<sqlite3_stmt, SqliteFinalizer>;

// The refusal an SQLite result code (extended) becomes.
StoreError::Kind kind_for_sqlite(int extended_code);

class SqliteDb : public Db {
public:
    // path may be ":memory:". Throws StoreError(Unavailable) when it cannot be opened.
    explicit SqliteDb(const std::string& path, int busy_timeout_ms = 5000, Hold hold = Hold::Session);

    Dialect dialect() const override { return Dialect::SQLite; }
    std::string describe() const override { return "sqlite:" + path_; }
    void exec(const std::string& sql, const Params& params = {}) override;
    Rows query(const std::string& sql, const Params& params = {}) override;
    std::vector<Rows> batch(const std::vector<Statement>& statements) override;
    void begin() override;
    void commit() override;
    void rollback() noexcept override;
    ChangeReport take_changes() override;
    int notification_fd() const override { return watch_.get(); }
    void schema_ready() override;
    void backup_to(const std::string& file) override;
    Rights rights() override;
    std::optional<std::string> denied_role() const override;

private:
    static int wait_while_busy(void* self, int tries);

    sqlite3_stmt* prepare(const std::string& sql);
    Rows run(const std::string& sql, const Params& params, bool want_rows);
    [[noreturn]] void fail(int code, const std::string& doing);
    std::int64_t data_version();
    void run_triggers(bool on);
    // Marks in report what the store's change log holds beyond the last entry read.
    void read_changes(ChangeReport& report);

    std::string path_;
    bool read_only_ = false;  // a store file this user may read but not write: opened to read only
    bool denied_ = false;     // the last statement was refused as a write to it
    std::chrono::milliseconds busy_timeout_{0};
    std::chrono::steady_clock::time_point busy_since_;
    bool wal_pending_ = false;  // a new file: made a store first, switched to WAL after
    bool disk_full_ = false;    // the last failure was for want of space
    SqliteHandle db_;  // declared before the cache: statements are finalized first
    std::unordered_map<std::string, SqliteStatement> cache_;
    std::int64_t last_data_version_ = -1;
    std::int64_t last_change_ = -1;  // the change log's last entry read; -1 before the first look
    std::int64_t read_before_ = -1;  // last_change_ when the write began
    bool log_known_ = false;
    bool triggers_on_ = true;
    ChangeReport pending_;  // other writers' changes noticed when a write began
    // Other writers' commits touch the store's folder (its file and write-ahead log).
    struct WatchFd {
        int fd = -1;
        WatchFd() = default;
        WatchFd(const WatchFd&) = delete;
        WatchFd& operator=(const WatchFd&) = delete;
        ~WatchFd();
        int get() const { return fd; }
    };
    WatchFd watch_;
    void connect(bool exclusive);
    void inspect();
    void enter_wal_mode();
    void watch_folder();
    void drain_watch();
};

}  // namespace varo

#endif
