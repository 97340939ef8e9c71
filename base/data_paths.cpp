// Search paths for the catalogue and the app-defaults file.
#include "base/data_paths.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

namespace {
// The build tree is the folder above its resources folder.
std::string build_root() {
    std::string resources = TARNWRIGHT_BUILD_RESOURCES;
    std::string::size_type slash = resources.find_last_of('/');
    return slash == std::string::npos ? resources : resources.substr(0, slash);
}

std::string executable_path() {
    char exe[PATH_MAX] = {};
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    return n > 0 ? std::string(exe, static_cast<std::size_t>(n)) : std::string();
}

std::vector<std::string> ordered(const char* installed, const char* build) {
    std::vector<std::string> dirs;
    if (running_from_build_tree()) dirs.push_back(build);
    std::string moved = relocated_install_dir(installed);
    if (moved != installed) dirs.push_back(moved);
    dirs.push_back(installed);
    if (!running_from_build_tree()) dirs.push_back(build);
    return dirs;
}

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Xt's usual places for an app-defaults file.
const char* const system_app_defaults =
    "/etc/X11/%L/%T/%N%C%S:/etc/X11/%l/%T/%N%C%S:/etc/X11/%T/%N%C%S:/etc/X11/%L/%T/%N%S:/etc/X11/%l/%T/%N%S:"
    "/etc/X11/%T/%N%S:/usr/share/X11/%L/%T/%N%C%S:/usr/share/X11/%l/%T/%N%C%S:/usr/share/X11/%T/%N%C%S:"
    "/usr/share/X11/%L/%T/%N%S:/usr/share/X11/%l/%T/%N%S:/usr/share/X11/%T/%N%S";
}  // namespace

std::string join_search_path(const std::string& user_path, const std::vector<std::string>& dirs,
                             const std::string& pattern) {
    std::string path = user_path;
    for (const std::string& dir : dirs) {
        if (!path.empty()) path += ':';
        path += dir + "/" + pattern;
    }
    return path;
}

bool running_from_build_tree() {
    std::string exe = executable_path();
    std::string root = build_root() + "/";
    return !exe.empty() && exe.compare(0, root.size(), root) == 0;
}

std::string relocate(const std::string& compiled, const std::string& compiled_prefix, const std::string& exe) {
    std::string prefix = compiled_prefix;
    while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
    if (compiled.compare(0, prefix.size() + 1, prefix + "/") != 0) return compiled;
    std::string::size_type slash = exe.find_last_of('/');
    if (slash == std::string::npos || slash < 4 || exe.compare(slash - 4, 4, "/bin") != 0) return compiled;
    return exe.substr(0, slash - 4) + compiled.substr(prefix.size());
}

std::string relocated_install_dir(const char* compiled) {
    return relocate(compiled, TARNWRIGHT_PREFIX, executable_path());
}

void complete_nlspath() {
    static bool done = false;
    if (done) return;
    done = true;
    std::string path = join_search_path(env("NLSPATH"), ordered(TARNWRIGHT_NLSDIR, TARNWRIGHT_BUILD_RESOURCES), "%N");
    setenv("NLSPATH", path.c_str(), 1);
}

void complete_xfilesearchpath() {
    static bool done = false;
    if (done) return;
    done = true;
    std::string user = env("XFILESEARCHPATH");
    if (user.empty()) user = system_app_defaults;
    std::string path = join_search_path(user, ordered(TARNWRIGHT_APPDEFAULTSDIR, TARNWRIGHT_BUILD_RESOURCES), "%N");
    setenv("XFILESEARCHPATH", path.c_str(), 1);
}
