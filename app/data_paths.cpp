// Search paths for the catalogue and the app-defaults file.
#include "app/data_paths.h"

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

std::vector<std::string> ordered(const char* installed, const char* build) {
    if (running_from_build_tree()) return {build, installed};
    return {installed, build};
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
    char exe[PATH_MAX] = {};
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return false;
    std::string root = build_root() + "/";
    return std::string(exe, static_cast<std::size_t>(n)).compare(0, root.size(), root) == 0;
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
