// Where the program finds its message catalogue and its app-defaults file: where they are
// installed, and in the build tree. A program started from the build tree prefers the
// build tree's copies, an installed one the installed copies; a path the user set comes first.
#ifndef TARNWRIGHT_BASE_DATA_PATHS_H
#define TARNWRIGHT_BASE_DATA_PATHS_H

#include <string>
#include <vector>

// Joins the user's own path (may be empty) and "<dir>/<pattern>" for each folder with ':'.
std::string join_search_path(const std::string& user_path, const std::vector<std::string>& dirs,
                             const std::string& pattern);

// Whether the running executable lies inside the build tree.
bool running_from_build_tree();

// An installed folder as seen from where the program runs: an install moved to another
// prefix (cmake --install --prefix, a package) keeps its share/ beside its bin/. The
// compiled-in folder when the program is not in a bin/ folder or the folder is not under
// the compiled-in prefix.
std::string relocate(const std::string& compiled, const std::string& compiled_prefix, const std::string& exe);
std::string relocated_install_dir(const char* compiled);

// Adds the catalogue folders to NLSPATH and the app-defaults folders to XFILESEARCHPATH
// (after Xt's usual system folders when the user set none). Each runs once per process.
void complete_nlspath();
void complete_xfilesearchpath();

#endif
