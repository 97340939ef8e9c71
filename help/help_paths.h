// Finding the help file and the viewer: a search along a ':' list from the environment and
// a stat that follows symbolic links itself (at most 20) and accepts regular files only.
#ifndef TARNWRIGHT_HELP_HELP_PATHS_H
#define TARNWRIGHT_HELP_HELP_PATHS_H

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>

// Size of every path buffer the help client uses; longer paths are refused, never cut.
constexpr std::size_t HELP_PATH_MAX = 1024;
// More links than this on the way to a file: not found.
constexpr int HELP_MAX_LINKS = 20;

// Looks for name: as written when it contains '/', else in each element of the ':' list in
// the environment variable (an empty element means the root). The file must be regular and
// have every bit of mode. Leaves the link-resolved path in out (HELP_PATH_MAX bytes).
// Returns 0 (found as written), 1 (found along the list) or -1.
int find_in_path(const char* variable, const char* name, mode_t mode, char* out);

// lstat that follows links (absolute targets replace the path, relative ones its last
// component), leaving the final path in path (HELP_PATH_MAX bytes). 0 for a regular file.
int pstat(char* path, struct stat* st);

// Joins "<dir>/<name>" into out when it fits in size bytes with its NUL; false (out
// untouched) otherwise.
bool join_help_path(char* out, std::size_t size, const char* dir, const char* name);

#endif
