// The parts of the PostgreSQL backend that need no server: placeholder numbering, the
// connection settings every connection gets, and the mapping of server errors to refusals.
#ifndef TARNWRIGHT_VARO_PG_SUPPORT_H
#define TARNWRIGHT_VARO_PG_SUPPORT_H

#include <string>
#include <utility>
#include <vector>

#include "varo/db.h"
#include "varo/store.h"

namespace varo {

struct NumberedSql {
    std::string text;        // '?' replaced by $1, $2, ...
    std::size_t count = 0;   // placeholders found
};

// Numbers the '?' placeholders that stand outside quoted strings, quoted identifiers,
// dollar-quoted bodies and comments.
NumberedSql number_placeholders(const std::string& sql);

// An array literal of these values, bound as one parameter ("{1,NULL}", "{\"a\",\"b\\\"c\"}").
// Throws StoreError(Invalid) for a text holding a NUL byte, which no text parameter can carry.
std::string array_literal(const std::vector<Value>& values);

using Settings = std::vector<std::pair<std::string, std::string>>;

// The settings a connection is opened with: those the conninfo (key=value or a
// postgresql:// URI) names, then keepalives, timeouts and the application name unless it
// names them itself, then the database "varo" when neither the conninfo nor the
// environment (PGDATABASE, PGSERVICE) names one. Throws StoreError(Unavailable) for a
// conninfo libpq cannot read.
Settings connection_settings(const std::string& conninfo);

// The address with every password replaced by "***": the password= value of a key=value
// string (quoted or not) and the password of a URI's user information or query. Fit for
// messages and logs.
std::string redact_address(const std::string& address);

// Whether a text given as an address may hold a password where redact_address cannot find
// it: a mistyped one ("PG:password=...", "pg:ann:pw@db") is then not shown at all.
bool may_hold_password(const std::string& address);

// The refusal a failed statement becomes, from its SQLSTATE and the statement's first word.
StoreError::Kind kind_for_sqlstate(const std::string& sqlstate, const std::string& sql);

// libpq's report of a failed connection as one line: the server's reason and its detail,
// without the severity words and line breaks between them.
std::string one_line(const std::string& libpq_message);

// Serialization failures and deadlocks: the whole transaction may be tried again.
bool is_retryable_sqlstate(const std::string& sqlstate);

}  // namespace varo

#endif
