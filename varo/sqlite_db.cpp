// SQLite implementation of the database layer.
#include "varo/sqlite_db.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <thread>

#include "varo/backends.h"
#include "varo/schema.h"

namespace varo {

StoreError::Kind kind_for_sqlite(int extended_code) {
    switch (extended_code) {
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE: return StoreError::Exists;
    case SQLITE_CONSTRAINT_FOREIGNKEY:
    case SQLITE_CONSTRAINT_TRIGGER: return StoreError::InUse;
    default: break;
    }
    switch (extended_code & 0xff) {
    case SQLITE_CONSTRAINT:
    case SQLITE_TOOBIG:
    case SQLITE_MISMATCH:
    case SQLITE_RANGE: return StoreError::Invalid;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_ERROR:
    case SQLITE_SCHEMA:
    case SQLITE_FORMAT: return StoreError::Corrupt;
    // Another program holding the lock, or a file this user may only read, refuses the one
    // write; the store is still there to read and to hear changes from.
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return StoreError::Busy;
    default: return StoreError::Unavailable;  // I/O, full, cannot open
    }
}

namespace {
// Puts a statement back for its next use on every path.
struct ResetGuard {
    sqlite3_stmt* stmt;
    ~ResetGuard() {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }
};

void bind(sqlite3_stmt* stmt, const Params& params, int& rc) {
    int i = 1;
    for (const Value& v : params) {
        if (const auto* n = std::get_if<std::int64_t>(&v))
            rc = sqlite3_bind_int64(stmt, i, *n);
        else if (const auto* s = std::get_if<std::string>(&v))
            rc = sqlite3_bind_text64(stmt, i, s->data(), s->size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        else
            rc = sqlite3_bind_null(stmt, i);
        if (rc != SQLITE_OK) return;
        ++i;
    }
}

Row read_row(sqlite3_stmt* stmt) {
    Row row;
    int n = sqlite3_column_count(stmt);
    row.columns.reserve(static_cast<std::size_t>(n));
    for (int c = 0; c < n; ++c) {
        switch (sqlite3_column_type(stmt, c)) {
        case SQLITE_NULL: row.columns.emplace_back(nullptr); break;
        case SQLITE_INTEGER: row.columns.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(stmt, c))); break;
        default: {
            const unsigned char* text = sqlite3_column_text(stmt, c);
            int len = sqlite3_column_bytes(stmt, c);
            row.columns.emplace_back(text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(len))
                                          : std::string());
        }
        }
    }
    return row;
}
}  // namespace

SqliteDb::SqliteDb(const std::string& path, int busy_timeout_ms) : path_(path) {
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    db_.reset(raw);  // owned even when the open failed
    if (rc != SQLITE_OK) {
        std::string why = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
        // "unable to open database file" alone does not say whether it is a folder, a
        // permission or a missing disk: the system's reason does.
        if (int err = raw ? sqlite3_system_errno(raw) : 0) why += std::string(" (") + std::strerror(err) + ")";
        throw StoreError(StoreError::Unavailable, "cannot open store " + path + ": " + why);
    }
    sqlite3_extended_result_codes(raw, 1);
    busy_timeout_ = std::chrono::milliseconds(busy_timeout_ms);
    sqlite3_busy_handler(raw, &SqliteDb::wait_while_busy, this);
    try {
        refuse_foreign_database();
        enter_wal_mode(busy_timeout_ms);
        exec("PRAGMA foreign_keys = ON");
        // Holds the store to its file: no attached databases or extensions from data.
        sqlite3_db_config(raw, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
        sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    } catch (const StoreError& e) {
        throw StoreError(StoreError::Unavailable, "cannot open store " + path + ": " + e.what());
    }
    watch_folder();
}

// Waits for the lock in short jittered steps up to the busy timeout. SQLite's own timeout
// sleeps up to 100 ms a try, so among many writers one waiting can see the lock taken by the
// others time after time and be refused while they all get through.
int SqliteDb::wait_while_busy(void* self, int tries) {
    auto* db = static_cast<SqliteDb*>(self);
    auto now = std::chrono::steady_clock::now();
    if (tries == 0) db->busy_since_ = now;
    if (now - db->busy_since_ >= db->busy_timeout_) return 0;
    retry_pause(1);  // 1 to 4 ms
    return 1;
}

// Another program's database is left as it is: neither switched to WAL nor given our tables.
void SqliteDb::refuse_foreign_database() {
    Rows rows = query("SELECT count(*), count(CASE WHEN name = 'schema_version' THEN 1 END) FROM sqlite_master"
                      " WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
    if (!rows.empty() && rows[0].integer(0) > 0 && rows[0].integer(1) == 0)
        throw StoreError(StoreError::Corrupt, "it is not a Varo store but another program's database");
}

// Programs opening a new store at the same moment each want it to themselves to switch it
// to WAL; the loser is refused at once, past the busy handler, so it waits here instead.
void SqliteDb::enter_wal_mode(int busy_timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(busy_timeout_ms);
    for (;;) {
        int rc = sqlite3_exec(db_.get(), "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) return;
        bool held = (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
        if (!held || std::chrono::steady_clock::now() >= deadline) fail(rc, "PRAGMA journal_mode = WAL");
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

SqliteDb::WatchFd::~WatchFd() {
    if (fd >= 0) close(fd);
}

// Without a watch (no inotify, a memory store) clients simply poll.
void SqliteDb::watch_folder() {
    if (path_.empty() || path_ == ":memory:") return;
    int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return;
    std::filesystem::path folder = std::filesystem::absolute(path_).parent_path();
    if (inotify_add_watch(fd, folder.c_str(), IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE) < 0) {
        close(fd);
        return;
    }
    watch_.fd = fd;
}

void SqliteDb::drain_watch() {
    if (watch_.fd < 0) return;
    alignas(inotify_event) char events[4096];
    while (read(watch_.fd, events, sizeof events) > 0) {
    }
}

void SqliteDb::fail(int code, const std::string& doing) const {
    std::string text = sqlite3_errmsg(db_.get());
    if ((code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED)
        text = "the store is busy (another program holds it): " + text;
    (void)doing;
    // A file that can no longer be written (made read-only or immutable, a full disk) refuses
    // the one write: the store is still there to read, and the user may retry once it is fixed.
    switch (code) {
    case SQLITE_IOERR_WRITE:
    case SQLITE_IOERR_FSYNC:
    case SQLITE_IOERR_TRUNCATE:
    case SQLITE_FULL: throw StoreError(StoreError::Busy, "the store file " + path_ + " cannot be written: " + text);
    default: break;
    }
    throw StoreError(kind_for_sqlite(code), text);
}

sqlite3_stmt* SqliteDb::prepare(const std::string& sql) {
    auto it = cache_.find(sql);
    if (it != cache_.end()) return it->second.get();
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v3(db_.get(), sql.c_str(), static_cast<int>(sql.size() + 1), SQLITE_PREPARE_PERSISTENT,
                                &raw, nullptr);
    SqliteStatement stmt(raw);
    if (rc != SQLITE_OK) fail(rc, sql);
    if (!raw) throw StoreError(StoreError::Corrupt, "empty statement");
    return cache_.emplace(sql, std::move(stmt)).first->second.get();
}

Rows SqliteDb::run(const std::string& sql, const Params& params, bool want_rows) {
    sqlite3_stmt* stmt = prepare(sql);
    ResetGuard guard{stmt};
    if (static_cast<int>(params.size()) != sqlite3_bind_parameter_count(stmt))
        throw StoreError(StoreError::Invalid, "wrong number of parameters for: " + sql);
    int rc = SQLITE_OK;
    bind(stmt, params, rc);
    if (rc != SQLITE_OK) fail(rc, sql);
    Rows rows;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        if (want_rows) rows.push_back(read_row(stmt));
    if (rc != SQLITE_DONE) fail(sqlite3_extended_errcode(db_.get()), sql);
    return rows;
}

void SqliteDb::exec(const std::string& sql, const Params& params) { run(sql, params, false); }

Rows SqliteDb::query(const std::string& sql, const Params& params) { return run(sql, params, true); }

std::int64_t SqliteDb::data_version() {
    Rows rows = query("PRAGMA data_version");
    return rows.empty() ? 0 : rows[0].integer(0);
}

SqliteDb::Counters SqliteDb::read_counters() {
    Counters counters;
    if (!counters_known_) {
        Rows found = query("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?",
                           {std::string(schema::kCountersTable)});
        if (found.empty() || found[0].integer(0) == 0) return counters;
        counters_known_ = true;
    }
    for (const Row& r : query(schema::kCountersQuery)) counters[r.text(0)] = r.integer(1);
    return counters;
}

void SqliteDb::absorb(const Counters& now, ChangeReport& report) {
    for (Album a : {Album::Templates, Album::Severities, Album::PollRates, Album::Conditions}) {
        auto it = now.find(album_name(a));
        if (it == now.end()) continue;
        auto old = last_counters_.find(it->first);
        if (old != last_counters_.end() && old->second == it->second) continue;
        switch (a) {
        case Album::Templates: report.templates = true; break;
        case Album::Severities: report.severities = true; break;
        case Album::PollRates: report.poll_rates = true; break;
        case Album::Conditions: report.conditions = true; break;
        }
    }
    last_counters_ = now;
}

void SqliteDb::begin() {
    // A file removed or renamed under an open connection still takes writes, into an
    // unlinked inode that is gone at exit: refuse them instead of losing them silently.
    int moved = 0;
    if (sqlite3_file_control(db_.get(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved)
        throw StoreError(StoreError::Busy, "the store file " + path_ + " was removed or moved away");
    exec("BEGIN IMMEDIATE");
    try {
        // Holding the write lock, nobody else can commit now: whatever others changed
        // since the last look is taken in here, so the counters seen at commit are ours.
        std::int64_t version = data_version();
        if (version != last_data_version_) {
            last_data_version_ = version;
            absorb(read_counters(), pending_);
        }
    } catch (...) {
        rollback();
        throw;
    }
}

void SqliteDb::commit() {
    Counters ours = read_counters();
    exec("COMMIT");
    // Our own commit does not move data_version; reading it again here could only take in
    // another client's commit as seen before its counters were compared.
    last_counters_ = std::move(ours);
}

void SqliteDb::rollback() noexcept {
    if (!db_ || sqlite3_get_autocommit(db_.get())) return;
    sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

ChangeReport SqliteDb::take_changes() {
    drain_watch();  // first, so a commit landing after the reads below wakes the next wait
    ChangeReport report = pending_;
    pending_ = ChangeReport{};
    try {
        std::int64_t version = data_version();
        if (version != last_data_version_) {
            last_data_version_ = version;
            absorb(read_counters(), report);
        }
        // A store file removed under us can no longer be shared with anyone.
        if (path_ != ":memory:" && !path_.empty()) {
            std::error_code ec;
            if (!std::filesystem::exists(path_, ec) && !ec) report.disconnected = true;
        }
    } catch (const StoreError&) {
        report.disconnected = true;
    }
    return report;
}

namespace {

// Folders the store makes are its owner's alone, whatever the umask.
void make_private_folders(const std::filesystem::path& folder) {
    if (folder.empty()) return;
    std::error_code ec;
    if (std::filesystem::exists(folder, ec)) return;
    make_private_folders(folder.parent_path());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        throw StoreError(StoreError::Unavailable, "cannot create folder " + folder.string() + ": " + std::strerror(errno));
    chmod(folder.c_str(), 0700);
}

// A new store file is made 0600 before SQLite opens it: its WAL and shared-memory files
// take the database file's mode.
void make_private_file(const std::string& path) {
    int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) return;  // there already, or SQLite will say why it cannot be opened
    fchmod(fd, 0600);
    close(fd);
}

// An existing store open to other users is reported, not changed: its owner may mean it.
void report_wide_modes(const std::string& path) {
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::string file = path + suffix;
        struct stat st {};
        if (stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & 077) == 0) continue;
        std::fprintf(stderr, "varo: %s can be read or written by other users (mode %04o); chmod 600 keeps it private\n",
                     file.c_str(), static_cast<unsigned>(st.st_mode & 07777));
    }
}

}  // namespace

std::unique_ptr<Db> open_sqlite_db(const std::string& path) {
    if (path.empty()) throw StoreError(StoreError::Unavailable, "no store file named");
    if (path != ":memory:") {
        make_private_folders(std::filesystem::path(path).parent_path());
        report_wide_modes(path);
        make_private_file(path);
    }
    return std::make_unique<SqliteDb>(path);
}

}  // namespace varo
