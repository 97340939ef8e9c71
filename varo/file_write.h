// Writing a whole file or leaving the old one as it was: the new contents are on disk
// (synced) before they take the old file's name, which keeps its mode; a link is followed and a
// device or pipe is written to as it is. Used by varoctl and the diagram export.
#ifndef TARNWRIGHT_VARO_FILE_WRITE_H
#define TARNWRIGHT_VARO_FILE_WRITE_H

#include <functional>
#include <string>

namespace varo {

// The name of the temporary file made beside target: unpredictable, so that nobody can plant
// a link there beforehand. A test gives a fixed one to show what a planted link meets.
using TemporaryName = std::function<std::string(const std::string& target)>;
std::string random_temporary_name(const std::string& target);

// False with the system's reason in *why when the file could not be written. The temporary
// file is made exclusively: whatever is found at its name (a planted link) fails the write
// and is left as it is, never followed.
// A new file gets new_file_mode (less the umask); a replaced one keeps its mode.
bool write_file_replacing(const std::string& path, const std::string& bytes, std::string* why,
                          unsigned new_file_mode = 0644, const TemporaryName& temporary_name = random_temporary_name);

}  // namespace varo

#endif
