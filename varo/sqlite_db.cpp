// SQLite implementation of the database layer.
#include "varo/sqlite_db.h"

#include <fcntl.h>
#include <pwd.h>
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
#include "varo/file_write.h"
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

namespace {
// A write (or the shared index a reader needs) refused for want of space: named as such, not
// as an I/O error. The system's errno is looked at only for the codes that carry one.
bool out_of_space(sqlite3* db, int code) {
    if ((code & 0xff) == SQLITE_FULL) return true;
    if ((code & 0xff) != SQLITE_IOERR && (code & 0xff) != SQLITE_CANTOPEN) return false;
    int err = db ? sqlite3_system_errno(db) : 0;
    return err == ENOSPC || err == EDQUOT;
}

// Refusals that already say the whole of it, path included.
struct NotAStore : StoreError {
    using StoreError::StoreError;
};
}  // namespace

SqliteDb::SqliteDb(const std::string& path, int busy_timeout_ms, Hold hold)
    : path_(path), busy_timeout_(busy_timeout_ms) {
    try {
        try {
            connect(false);
            inspect();
        } catch (const StoreError&) {
            if (!disk_full_ || hold != Hold::OneCommand) throw;
            // The shared-memory index cannot be made on a full disk: one command reads with
            // the file to itself, its index in this process's memory.
            disk_full_ = false;
            connect(true);
            inspect();
        }
    } catch (const NotAStore&) {
        throw;
    } catch (const StoreError& e) {
        if (disk_full_) throw StoreError(StoreError::Unavailable, "the disk is full: cannot open store " + path);
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

namespace {
// A store file the user may not write, or one nobody may (no write bit: so for root too, who
// would be let through), is opened to read only. A missing or empty file is to be made.
bool read_only_file(const std::string& path) {
    struct stat st {};
    if (path == ":memory:" || stat(path.c_str(), &st) != 0 || st.st_size == 0) return false;
    return access(path.c_str(), W_OK) != 0 || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

std::string user_name() {
    if (const passwd* pw = getpwuid(geteuid())) return pw->pw_name;
    return std::to_string(geteuid());
}
}  // namespace

Rights SqliteDb::rights() { return {user_name(), !read_only_, !read_only_}; }

std::optional<std::string> SqliteDb::denied_role() const {
    if (!denied_) return std::nullopt;
    return "user " + user_name();
}

void SqliteDb::connect(bool exclusive) {
    cache_.clear();  // the old connection's statements go before it does
    db_.reset();
    sqlite3* raw = nullptr;
    read_only_ = read_only_file(path_);
    int rc = sqlite3_open_v2(path_.c_str(), &raw,
                             (read_only_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
                                 SQLITE_OPEN_NOMUTEX,
                             nullptr);
    db_.reset(raw);  // owned even when the open failed
    if (rc != SQLITE_OK) {
        disk_full_ = out_of_space(raw, rc);
        std::string why = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
        // "unable to open database file" alone does not say whether it is a folder, a
        // permission or a missing disk: the system's reason does.
        if (int err = raw ? sqlite3_system_errno(raw) : 0) why += std::string(" (") + std::strerror(err) + ")";
        throw StoreError(StoreError::Unavailable, why);
    }
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_handler(raw, &SqliteDb::wait_while_busy, this);
    // Holds the store to its file: no attached databases or extensions from data.
    sqlite3_db_config(raw, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    if (exclusive) exec("PRAGMA locking_mode = EXCLUSIVE");
    exec("PRAGMA foreign_keys = ON");
}

// What the file holds decides what may be done to it, before anything is written: an empty
// file is made a store (in one transaction, and only then switched to WAL, so that nobody
// ever sees it half made); a store is used; anything else is left exactly as it is.
void SqliteDb::inspect() {
    if (path_ == ":memory:") {
        wal_pending_ = false;
        return;
    }
    Rows pages = query("PRAGMA page_count");
    if (pages.empty() || pages[0].integer(0) == 0) {
        wal_pending_ = true;
        return;
    }
    Rows rows = query("SELECT count(*), count(CASE WHEN name = 'schema_version' THEN 1 END) FROM sqlite_master"
                      " WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
    std::int64_t tables = rows.empty() ? 0 : rows[0].integer(0);
    if (tables > 0 && rows[0].integer(1) == 0)
        throw NotAStore(StoreError::Corrupt, path_ + " is not a Varo store but another program's database");
    if (tables == 0)
        throw NotAStore(StoreError::Corrupt,
                        path_ + " is not a Varo store: it holds no tables (a copy of a store in use taken without its "
                                "-wal file looks like this; 'varoctl backup FILE' makes a whole one)");
    enter_wal_mode();
}

void SqliteDb::schema_ready() {
    if (!wal_pending_) return;
    wal_pending_ = false;
    try {
        enter_wal_mode();
    } catch (const StoreError& e) {
        throw StoreError(StoreError::Unavailable, "cannot open store " + path_ + ": " + e.what());
    }
}

// Programs opening a new store at the same moment each want it to themselves to switch it
// to WAL; the loser is refused at once, past the busy handler, so it waits here instead.
void SqliteDb::enter_wal_mode() {
    const auto deadline = std::chrono::steady_clock::now() + busy_timeout_;
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

void SqliteDb::fail(int code, const std::string& doing) {
    std::string text = sqlite3_errmsg(db_.get());
    if ((code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED)
        text = "the store is busy (another program holds it): " + text;
    (void)doing;
    disk_full_ = out_of_space(db_.get(), code);
    denied_ = read_only_ && (code & 0xff) == SQLITE_READONLY;
    if (disk_full_) throw StoreError(StoreError::Busy, "the store file " + path_ + " cannot be written: the disk is full");
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
    denied_ = false;
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

// A template's own rows go in without their per-row change triggers when the template's row,
// written in the same transaction, reports the change: at one trigger a row they were two
// thirds of a large save's CPU. Every other write, and any other program's, runs them.
std::vector<Rows> SqliteDb::batch(const std::vector<Statement>& statements) {
    struct Restore {
        SqliteDb& db;
        ~Restore() { db.run_triggers(true); }
    } restore{*this};
    std::vector<Rows> out;
    out.reserve(statements.size());
    for (const Statement& s : statements) {
        run_triggers(!s.owner_reports);
        out.push_back(query(s.sql, s.params));
    }
    return out;
}

// Switching marks every prepared statement to be prepared again, with or without them.
void SqliteDb::run_triggers(bool on) {
    if (on == triggers_on_ || !db_) return;
    sqlite3_db_config(db_.get(), SQLITE_DBCONFIG_ENABLE_TRIGGER, on ? 1 : 0, static_cast<int*>(nullptr));
    triggers_on_ = on;
}

std::int64_t SqliteDb::data_version() {
    Rows rows = query("PRAGMA data_version");
    return rows.empty() ? 0 : rows[0].integer(0);
}

void SqliteDb::read_changes(ChangeReport& report) {
    if (!log_known_) {
        Rows found = query("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?",
                           {std::string(schema::kChangeLogTable)});
        if (found.empty() || found[0].integer(0) == 0) return;
        log_known_ = true;
    }
    if (last_change_ < 0) {  // the first look starts from what is there now
        Rows last = query(schema::kLastChange);
        last_change_ = last.empty() ? 0 : last[0].integer(0);
        return;
    }
    for (const Row& r : query(schema::kChangesSince, {last_change_})) {
        last_change_ = r.integer(0);
        std::optional<Album> album = album_named(r.text(1));
        if (album) report.mark(*album, r.text(3).empty() ? '~' : r.text(3)[0], r.text(2));
    }
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
            read_changes(pending_);
        }
        read_before_ = last_change_;
        if (log_known_) exec(schema::kMarkChanges);
    } catch (...) {
        rollback();
        throw;
    }
}

void SqliteDb::commit() {
    // Holding the write lock since begin took in the others' changes, what the log holds
    // beyond them is this transaction's own; our own commit does not move data_version.
    ChangeReport ours;
    const bool marked = log_known_;
    read_changes(ours);
    try {
        if (marked) exec(schema::kUnmarkChanges);
        exec("COMMIT");
    } catch (...) {
        last_change_ = read_before_;  // rolled back: those numbers will be given again
        throw;
    }
    pending_.merge(ours);
}

void SqliteDb::rollback() noexcept {
    if (!db_) return;
    if (read_before_ >= 0) last_change_ = read_before_;
    // SQLite may have rolled back a write refused for want of space already.
    if (!sqlite3_get_autocommit(db_.get())) sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    // A write refused for want of space leaves the log as long as it had grown: it gives the
    // space back now, not when the last program closes the store.
    if (disk_full_) {
        disk_full_ = false;
        sqlite3_exec(db_.get(), "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    }
}

void SqliteDb::backup_to(const std::string& file) {
    // Refused before anything is written: renamed over, the store's own file would lose its log.
    struct stat ours {}, theirs {};
    if (::stat(path_.c_str(), &ours) == 0 && ::stat(file.c_str(), &theirs) == 0 && ours.st_dev == theirs.st_dev &&
        ours.st_ino == theirs.st_ino)
        throw StoreError(StoreError::Invalid, file + " is the store itself");
    // Read in one step, from one snapshot, into memory; other writers carry on meanwhile.
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    SqliteHandle copy(raw);
    if (rc != SQLITE_OK) throw StoreError(StoreError::Unavailable, "cannot make a copy: " + std::string(sqlite3_errstr(rc)));
    sqlite3_backup* step = sqlite3_backup_init(copy.get(), "main", db_.get(), "main");
    if (!step) throw StoreError(StoreError::Unavailable, "cannot copy the store: " + std::string(sqlite3_errmsg(copy.get())));
    rc = sqlite3_backup_step(step, -1);
    sqlite3_backup_finish(step);
    if (rc != SQLITE_DONE) fail(rc == SQLITE_OK ? SQLITE_ERROR : rc, "backup");
    sqlite3_int64 size = 0;
    std::unique_ptr<unsigned char, decltype(&sqlite3_free)> image(sqlite3_serialize(copy.get(), "main", &size, 0),
                                                                  &sqlite3_free);
    if (!image) throw StoreError(StoreError::Unavailable, "cannot copy the store: out of memory");
    std::string why;
    if (!write_file_replacing(file, std::string(reinterpret_cast<const char*>(image.get()), static_cast<std::size_t>(size)),
                              &why, 0600))
        throw StoreError(StoreError::Unavailable, "cannot write " + file + ": " + why);
}

ChangeReport SqliteDb::take_changes() {
    drain_watch();  // first, so a commit landing after the reads below wakes the next wait
    ChangeReport report = pending_;
    pending_ = ChangeReport{};
    try {
        std::int64_t version = data_version();
        if (version != last_data_version_) {
            last_data_version_ = version;
            read_changes(report);
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

std::unique_ptr<Db> open_sqlite_db(const std::string& path, Hold hold) {
    if (path.empty()) throw StoreError(StoreError::Unavailable, "no store file named");
    if (path != ":memory:") {
        make_private_folders(std::filesystem::path(path).parent_path());
        report_wide_modes(path);
        make_private_file(path);
    }
    return std::make_unique<SqliteDb>(path, 5000, hold);
}

}  // namespace varo
