// Recovery journals: their text, their folder, their locks.
#include "varo/recovery.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "varo/file_write.h"
#include "varo/transfer.h"

namespace varo {

using Json = nlohmann::ordered_json;

namespace {

const char* const JOURNAL_SUFFIX = ".journal";
const char* const LOCK_SUFFIX = ".lock";
const char* const DISCARDED = "last-discarded.journal-old";

bool ends_with(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

[[noreturn]] void bad(const std::string& what) {
    throw StoreError(StoreError::Invalid, "not a recovery journal: " + what);
}

// The folder and those above it that do not exist yet, made private to this user; an existing
// recovery folder of this user's is made private again.
bool make_private_folder(const std::string& folder, std::string* why) {
    for (std::size_t at = 1; at != std::string::npos;) {
        at = folder.find('/', at + 1);
        std::string part = folder.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            if (why) *why = "cannot create folder " + part + ": " + std::strerror(errno);
            return false;
        }
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
        if (why) *why = "the folder " + folder + " is not this user's own";
        return false;
    }
    if ((st.st_mode & 077) != 0) ::chmod(folder.c_str(), 0700);
    return true;
}

std::string read_whole(const std::string& path) {
    std::string text;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return text;
    char buffer[65536];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return text;
}

// Whether the editor that holds this lock file is gone (or never locked it).
bool lock_free(const std::string& lock_path) {
    int fd = ::open(lock_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return true;
    bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

std::string base_of(const std::string& path, const char* suffix) {
    return path.substr(0, path.size() - std::strlen(suffix));
}

std::string this_host() {
    char name[HOST_NAME_MAX + 1] = {0};
    if (::gethostname(name, sizeof name - 1) != 0) return "localhost";
    return name;
}

std::string random_hex() {
    unsigned char random[4] = {0};
    if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
        unsigned t = static_cast<unsigned>(std::time(nullptr));
        std::memcpy(random, &t, sizeof random);
    }
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : random) out += std::string{hex[c >> 4], hex[c & 15]};
    return out;
}

}  // namespace

std::string journal_text(const Journal& j) {
    Json header{{"format", kJournalFormat},   {"format_version", kJournalVersion},
                {"store", j.store},           {"template", j.stored_name},
                {"version", j.version},       {"time", j.time},
                {"pid", j.pid},               {"host", j.host},
                {"name", j.name_field},       {"descr", j.descr_field}};
    // One line of header (the dump escapes every line break), then an exchange file as it is.
    return header.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n" + template_exchange_json(j.contents);
}

Journal parse_journal(const std::string& text) {
    std::size_t end = text.find('\n');
    if (end == std::string::npos) bad("no header line");
    Json h;
    try {
        h = Json::parse(text.substr(0, end));
    } catch (const Json::exception&) {
        bad("the header is not JSON");
    }
    if (!h.is_object() || h.value("format", "") != kJournalFormat) bad("no journal header");
    if (h.value("format_version", 0) > kJournalVersion) bad("written by a newer program");
    Journal j;
    try {
        j.store = h.at("store").get<std::string>();
        j.stored_name = h.at("template").get<std::string>();
        j.version = h.at("version").get<std::int64_t>();
        j.time = h.at("time").get<std::int64_t>();
        j.pid = h.at("pid").get<long>();
        j.host = h.at("host").get<std::string>();
        j.name_field = h.at("name").get<std::string>();
        j.descr_field = h.at("descr").get<std::string>();
    } catch (const Json::exception& e) {
        bad(std::string("header: ") + e.what());
    }
    StoreContents body = parse_transfer(text.substr(end + 1), Reading::AsWritten);
    if (body.templates.size() != 1) bad("it holds no template");
    j.contents = std::move(body.templates.front());
    j.contents.version = j.version;
    return j;
}

std::string journal_time_text(std::int64_t time) {
    std::time_t t = static_cast<std::time_t>(time);
    std::tm local {};
    char text[64] = "";
    if (::localtime_r(&t, &local)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

std::string journal_store_name(const std::string& described) {
    const std::string prefix = "sqlite:";
    if (described.rfind(prefix, 0) != 0 || described.size() <= prefix.size() || described[prefix.size()] == '/')
        return described;
    char resolved[PATH_MAX];
    if (!::realpath(described.substr(prefix.size()).c_str(), resolved)) return described;
    return prefix + resolved;
}

std::string recovery_folder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state == '/') return std::string(state) + "/tarnwright/recovery";
    const char* home = std::getenv("HOME");
    std::string base = home && *home ? home : "/tmp/tarnwright-" + std::to_string(::getuid());
    return base + "/.local/state/tarnwright/recovery";
}

std::vector<JournalFile> list_journals(const std::string& folder, const std::string& store) {
    std::vector<JournalFile> found;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return found;
    std::vector<std::string> names;
    while (dirent* entry = ::readdir(dir)) names.push_back(entry->d_name);
    ::closedir(dir);
    for (const std::string& name : names) {
        std::string path = folder + "/" + name;
        if (ends_with(name, LOCK_SUFFIX)) {
            std::string journal = base_of(path, LOCK_SUFFIX) + JOURNAL_SUFFIX;
            if (::access(journal.c_str(), F_OK) != 0 && lock_free(path)) ::unlink(path.c_str());
            continue;
        }
        if (!ends_with(name, JOURNAL_SUFFIX)) continue;
        try {
            JournalFile f{path, parse_journal(read_whole(path)), false};
            if (!store.empty() && f.journal.store != store) continue;
            f.orphan = lock_free(base_of(path, JOURNAL_SUFFIX) + LOCK_SUFFIX);
            found.push_back(std::move(f));
        } catch (const StoreError&) {
            // Being written for the first time, or not a journal: nothing to offer.
        }
    }
    std::sort(found.begin(), found.end(), [](const JournalFile& a, const JournalFile& b) {
        return a.journal.time != b.journal.time ? a.journal.time < b.journal.time : a.path < b.path;
    });
    return found;
}

std::string discarded_journal_path(const std::string& folder) {
    std::string path = folder + "/" + DISCARDED;
    return ::access(path.c_str(), F_OK) == 0 ? path : std::string();
}

bool remove_if_orphaned(const std::string& path) {
    std::string lock = base_of(path, JOURNAL_SUFFIX) + LOCK_SUFFIX;
    if (!ends_with(path, JOURNAL_SUFFIX) || !lock_free(lock)) return false;
    ::unlink(lock.c_str());
    return ::unlink(path.c_str()) == 0;
}

bool keep_as_discarded(const std::string& path) {
    std::string folder = path.substr(0, path.rfind('/'));
    if (std::rename(path.c_str(), (folder + "/" + DISCARDED).c_str()) != 0) return false;
    std::string lock = base_of(path, JOURNAL_SUFFIX) + LOCK_SUFFIX;
    if (lock_free(lock)) ::unlink(lock.c_str());
    return true;
}

JournalWriter::JournalWriter(std::string folder) : folder_(std::move(folder)) {
    std::string base = folder_ + "/" + this_host() + "-" + std::to_string(::getpid()) + "-" + random_hex();
    path_ = base + JOURNAL_SUFFIX;
    lock_path_ = base + LOCK_SUFFIX;
}

JournalWriter::~JournalWriter() {
    if (lock_fd_ >= 0) ::close(lock_fd_);
}

bool JournalWriter::write(const Journal& journal, std::string* why) {
    if (lock_fd_ < 0) {
        if (!make_private_folder(folder_, why)) return false;
        lock_fd_ = ::open(lock_path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (lock_fd_ < 0 || ::flock(lock_fd_, LOCK_EX | LOCK_NB) != 0) {
            if (why) *why = "cannot lock " + lock_path_ + ": " + std::strerror(errno);
            if (lock_fd_ >= 0) ::close(lock_fd_);
            lock_fd_ = -1;
            return false;
        }
    }
    return write_file_replacing(path_, journal_text(journal), why, 0600);
}

bool JournalWriter::exists() const { return ::access(path_.c_str(), F_OK) == 0; }

void JournalWriter::remove() { ::unlink(path_.c_str()); }

void JournalWriter::discard() {
    if (exists()) keep_as_discarded(path_);
}

void JournalWriter::release() {
    if (lock_fd_ < 0) return;
    ::unlink(lock_path_.c_str());
    ::close(lock_fd_);
    lock_fd_ = -1;
}

}  // namespace varo
