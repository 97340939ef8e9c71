#include "base/globals.h"

#include <algorithm>

char global_platform[PLATFORM_NAME_SIZE] = "localhost";
char open_template[TEMPLATE_NAME_SIZE] = "Noname";
char starting = 1;
XtAppContext app_context = nullptr;
Display* display = nullptr;

namespace {
std::vector<int> watched;
}

void watch_while_idle(int fd) {
    if (fd >= 0 && std::find(watched.begin(), watched.end(), fd) == watched.end()) watched.push_back(fd);
}

const std::vector<int>& idle_watched() { return watched; }
