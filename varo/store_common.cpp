// Pieces of the store interface that do not depend on a backend.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "varo/store.h"

namespace varo {

const char* album_name(Album album) {
    switch (album) {
    case Album::Templates: return "templates";
    case Album::Severities: return "severities";
    case Album::PollRates: return "poll_rates";
    case Album::Conditions: return "conditions";
    }
    return "unknown";
}

bool ChangeReport::changed(Album a) const {
    switch (a) {
    case Album::Templates: return templates;
    case Album::Severities: return severities;
    case Album::PollRates: return poll_rates;
    case Album::Conditions: return conditions;
    }
    return false;
}

namespace {
bool is_this_machine(const std::string& host) {
    if (host.empty() || host == "localhost" || host == "127.0.0.1" || host == "::1") return true;
    char name[256] = {0};
    if (gethostname(name, sizeof name - 1) == 0 && host == name) return true;
    return false;
}

std::string user_data_dir() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') return std::string(xdg) + "/tarnwright";
    const char* home = std::getenv("HOME");
    if (home && *home) return std::string(home) + "/.local/share/tarnwright";
    return "/tmp/tarnwright-" + std::to_string(getuid());
}
}  // namespace

std::string store_address_for_host(const std::string& host) {
    const char* env = std::getenv("VARO_STORE");
    if (env && *env) return env;
    if (is_this_machine(host)) return "sqlite:" + user_data_dir() + "/varo.db";
    // Quoted as a libpq connection value, so a host can never add other settings.
    std::string quoted = "'";
    for (char c : host) {
        if (c == '\'' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return "pg:host=" + quoted + "'";
}

}  // namespace varo
