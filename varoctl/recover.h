// varoctl recover: the recovery journals an editor left, for a user whose display is gone.
#ifndef TARNWRIGHT_VAROCTL_RECOVER_H
#define TARNWRIGHT_VAROCTL_RECOVER_H

#include <iosfwd>
#include <string>
#include <vector>

#include "varo/store.h"

namespace varoctl {

// No argument: the journals of this store, one a line (and the last discarded copy). FILE
// [NEWNAME]: stores the journal's working copy under NEWNAME as a new template, or else under the
// name it was being edited under: in place when that is the template it was read from and nobody
// saved it since (otherwise refused), as a new template when not.
void recover(varo::Store& store, const std::vector<std::string>& args, std::ostream& out);

}  // namespace varoctl

#endif
