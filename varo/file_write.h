// Writing a whole file or leaving the old one as it was: the new contents are on disk
// (synced) before they take the old file's name, which keeps its mode; a link is followed and a
// device or pipe is written to as it is. Used by varoctl and the diagram export.
#ifndef TARNWRIGHT_VARO_FILE_WRITE_H
#define TARNWRIGHT_VARO_FILE_WRITE_H

#include <string>

namespace varo {

// False with the system's reason in *why when the file could not be written.
bool write_file_replacing(const std::string& path, const std::string& bytes, std::string* why);

}  // namespace varo

#endif
