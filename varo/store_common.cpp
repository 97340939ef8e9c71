// Pieces of the store interface that do not depend on a backend.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

const char* level_role(Level level) {
    switch (level) {
    case Level::Read: return "varo_read";
    case Level::Edit: return "varo_edit";
    case Level::Admin: return "varo_admin";
    }
    return "varo_read";
}

std::optional<TemplateSummary> Store::find_template_summary(const std::string& name) {
    for (TemplateSummary& t : list_templates())
        if (t.name == name) return std::move(t);
    return std::nullopt;
}

void Store::set_level(const std::string&, std::optional<Level>) {
    throw StoreError(StoreError::Invalid,
                     "a store file has no roles: who may change it is who may write the file (chmod, chgrp)");
}

std::optional<Album> album_named(const std::string& name) {
    for (Album a : {Album::Templates, Album::Severities, Album::PollRates, Album::Conditions})
        if (name == album_name(a)) return a;
    return std::nullopt;
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

void ChangeReport::mark(Album a) {
    switch (a) {
    case Album::Templates: templates = true; break;
    case Album::Severities: severities = true; break;
    case Album::PollRates: poll_rates = true; break;
    case Album::Conditions: conditions = true; break;
    }
    whole[static_cast<int>(a)] = true;
    names[static_cast<int>(a)].clear();
}

void ChangeReport::mark(Album a, char kind, const std::string& name) {
    const int i = static_cast<int>(a);
    if (whole[i]) return;
    bool seen = changed(a);
    switch (a) {
    case Album::Templates: templates = true; break;
    case Album::Severities: severities = true; break;
    case Album::PollRates: poll_rates = true; break;
    case Album::Conditions: conditions = true; break;
    }
    if (seen)
        for (Named& n : names[i])
            if (n.name == name) {
                n.kind = kind;
                return;
            }
    // Past this many, reading the album whole costs less than patching name by name.
    constexpr std::size_t kMostNames = 500;
    if (names[i].size() >= kMostNames) return mark(a);
    names[i].push_back({name, kind});
}

void ChangeReport::merge(const ChangeReport& other) {
    for (Album a : {Album::Templates, Album::Severities, Album::PollRates, Album::Conditions}) {
        const int i = static_cast<int>(a);
        if (!other.changed(a)) continue;
        if (other.whole[i]) {
            mark(a);
            continue;
        }
        for (const Named& n : other.names[i]) mark(a, n.kind, n.name);
    }
    disconnected |= other.disconnected;
    rights |= other.rights;
}

namespace {
bool is_this_machine(const std::string& host) {
    if (host.empty() || host == "localhost" || host == "127.0.0.1" || host == "::1") return true;
    char name[256] = {0};
    if (gethostname(name, sizeof name - 1) == 0 && host == name) return true;
    return false;
}

// Without a home the store goes to /tmp, where anyone could have made the folder first or
// left a link in its place: it is used only when it is this user's own and closed to others.
std::string private_tmp_dir() {
    std::string dir = "/tmp/tarnwright-" + std::to_string(getuid());
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        throw StoreError(StoreError::Unavailable, "cannot create folder " + dir + ": " + std::strerror(errno));
    struct stat st {};
    if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() || (st.st_mode & 022) != 0)
        throw StoreError(StoreError::Unavailable, "the folder " + dir +
                                                      " is not this user's own private folder; set HOME or VARO_STORE");
    return dir;
}

std::string user_data_dir() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') return std::string(xdg) + "/tarnwright";
    const char* home = std::getenv("HOME");
    if (home && *home) return std::string(home) + "/.local/share/tarnwright";
    return private_tmp_dir();
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
