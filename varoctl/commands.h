// varoctl's commands, each over an open store. Usage mistakes throw UsageError (exit 2);
// refusals from the store throw StoreError (exit 1).
#ifndef TARNWRIGHT_VAROCTL_COMMANDS_H
#define TARNWRIGHT_VAROCTL_COMMANDS_H

#include <functional>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "varo/store.h"

namespace varoctl {

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// A failure that is not the store's: a file that cannot be read or written.
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

extern const char* const kUsage;

// Text from the user or the store, shown escaped on one line: a newline, tab, other control
// or invisible character (a right-to-left override, say) can neither break a listing's line,
// reorder it nor drive the terminal.
std::string printable(const std::string& text);

// Checks the command and its arguments before any store is opened, so a usage mistake
// never creates a store file.
void check_usage(const std::vector<std::string>& args);

// Runs args (command first) against the store open_store gives; output to out. Returns the
// exit status: 0, or 1 when a check found errors.
int run(const std::vector<std::string>& args, const std::function<std::unique_ptr<varo::Store>()>& open_store,
        std::ostream& out);

}  // namespace varoctl

#endif
