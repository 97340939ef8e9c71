// The rows of the store's history: each version of a template a write makes (or its
// deletion), and each change of a severity, poll rate or condition, written by the write's
// own statements so that a write and its record commit or vanish together.
#ifndef TARNWRIGHT_VARO_HISTORY_H
#define TARNWRIGHT_VARO_HISTORY_H

#include <string>

#include "varo/db.h"

namespace varo::history {

// Who writes: the user of the operating system (what a store file records as the author;
// PostgreSQL records its session's role instead) and this machine's name.
struct Writer {
    std::string user;
    std::string host;
    static Writer of_this_process();
};

// Records the template stored as `name` as it now is, made by a change of this kind.
Statement version_row(Dialect dialect, const Writer& who, ChangeKind kind, const std::string& name,
                      const std::string& definition);
// Records the deletion of the template stored as `name`, numbered after its last version.
Statement deletion_row(Dialect dialect, const Writer& who, const std::string& name);
// Records a change of a server object; before/after "" for none.
Statement activity_row(Dialect dialect, const Writer& who, const char* album, const std::string& name,
                       const std::string& before, const std::string& after);

// The templates a store holds when it first keeps history start it, as kind "existing".
void record_existing(Db& db);

}  // namespace varo::history

#endif
