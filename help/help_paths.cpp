// Help path search and link-following stat.
#include "help/help_paths.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {
bool fits(const std::string& text) { return text.size() < HELP_PATH_MAX; }

bool usable(char* path, mode_t mode) {
    struct stat st;
    return pstat(path, &st) == 0 && (st.st_mode & mode) == mode;
}
}  // namespace

bool join_help_path(char* out, std::size_t size, const char* dir, const char* name) {
    std::string joined = std::string(dir) + "/" + name;
    if (joined.size() >= size) return false;
    std::memcpy(out, joined.c_str(), joined.size() + 1);
    return true;
}

int pstat(char* path, struct stat* st) {
    for (int links = 0;; ++links) {
        if (lstat(path, st) != 0) return -1;
        if (!S_ISLNK(st->st_mode)) return S_ISREG(st->st_mode) ? 0 : -1;
        if (links >= HELP_MAX_LINKS) return -1;
        char target[HELP_PATH_MAX];
        ssize_t n = readlink(path, target, sizeof target - 1);
        if (n < 0) return -1;
        target[n] = '\0';
        std::string next;
        const char* slash = std::strrchr(path, '/');
        if (target[0] == '/' || !slash)
            next = target;
        else
            next = std::string(path, static_cast<std::size_t>(slash - path + 1)) + target;
        if (!fits(next)) return -1;
        std::memcpy(path, next.c_str(), next.size() + 1);
    }
}

int find_in_path(const char* variable, const char* name, mode_t mode, char* out) {
    if (!name) return -1;
    if (std::strchr(name, '/')) {
        if (!fits(name)) return -1;
        std::memcpy(out, name, std::strlen(name) + 1);
        return usable(out, mode) ? 0 : -1;
    }
    const char* list = variable ? std::getenv(variable) : nullptr;
    if (!list) return -1;
    std::string elements = list;
    std::size_t start = 0;
    for (;;) {
        std::size_t colon = elements.find(':', start);
        std::string element = elements.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (join_help_path(out, HELP_PATH_MAX, element.c_str(), name) && usable(out, mode)) return 1;
        if (colon == std::string::npos) return -1;
        start = colon + 1;
    }
}
