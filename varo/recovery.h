// The recovery journal: the whole working copy of a template that has unsaved changes, kept in
// a file of the user's state folder so that a program ending any way (a crash, a signal, the
// display or the store gone) loses nothing. One line of header (which store, which stored
// template and version, when, which process), then the template as the exchange file holds it.
// Each editor holds a lock for as long as it runs, so a journal whose editor is gone is told
// from one still being written.
#ifndef TARNWRIGHT_VARO_RECOVERY_H
#define TARNWRIGHT_VARO_RECOVERY_H

#include <cstdint>
#include <string>
#include <vector>

#include "varo/store.h"

namespace varo {

constexpr const char* kJournalFormat = "tarnwright-recovery";
constexpr int kJournalVersion = 1;

struct Journal {
    std::string store;        // the store's own description (Store::describe)
    std::string stored_name;  // the template the copy was read from or saved to; "" never stored
    std::int64_t version = 0;  // of stored_name when read or last saved
    std::int64_t time = 0;     // seconds since the epoch
    long pid = 0;
    std::string host;
    std::string name_field, descr_field;  // the main window's texts as typed
    TemplateDef contents;                 // the working copy under the name and description it holds
};

std::string journal_text(const Journal& journal);
// Throws StoreError(Invalid) saying what is wrong.
Journal parse_journal(const std::string& text);
// "2026-12-08 14:03" in local time.
std::string journal_time_text(std::int64_t time);
// A store's description as journals name it: a file store by its absolute path.
std::string journal_store_name(const std::string& described);

// $XDG_STATE_HOME/tarnwright/recovery, by default ~/.local/state/tarnwright/recovery.
std::string recovery_folder();

struct JournalFile {
    std::string path;
    Journal journal;
    bool orphan = false;  // its editor is gone
};
// The journals in folder (of one store when store is not ""), oldest first; unreadable ones
// are left out. Lock files left by editors that are gone, without a journal, are removed.
std::vector<JournalFile> list_journals(const std::string& folder, const std::string& store = "");
// The copy kept by the last Discard (or drop of unsaved changes), "" when there is none.
std::string discarded_journal_path(const std::string& folder);
// Removes a journal (stored by hand) unless its editor is still running; whether it did.
bool remove_if_orphaned(const std::string& path);
// Keeps the journal as the last discarded copy (replacing the one before).
bool keep_as_discarded(const std::string& path);

// This process's journal: the lock is taken when it is first written, held until the process
// ends. Writes are whole or leave the previous journal (temporary file, synced, renamed).
class JournalWriter {
public:
    explicit JournalWriter(std::string folder);
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;
    bool write(const Journal& journal, std::string* why);
    bool exists() const;
    void remove();    // after a save: nothing is left to recover
    void discard();   // the changes were dropped: kept as the last discarded copy
    void release();   // the process ends: the journal stays, its lock goes
    const std::string& path() const { return path_; }

private:
    std::string folder_, path_, lock_path_;
    int lock_fd_ = -1;
};

}  // namespace varo

#endif
