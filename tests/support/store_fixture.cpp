// Fresh stores per test on SQLite and PostgreSQL.
#include "support/store_fixture.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "varo/backends.h"

namespace testenv {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "varo-test.XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

SmallDisk::SmallDisk(unsigned kilobytes) {
    if (geteuid() != 0) {
        why_ = "mounting a small file system needs root";
        return;
    }
    std::string options = "size=" + std::to_string(kilobytes) + "k,mode=0700";
    if (mount("tmpfs", dir_.path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0)
        why_ = std::string("cannot mount a small file system: ") + std::strerror(errno);
}

SmallDisk::~SmallDisk() {
    if (why_.empty()) umount2(dir_.path().c_str(), MNT_DETACH);
}

void SmallDisk::fill(unsigned long long leave) {
    int fd = open((dir_.path() + "/filler").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) throw std::runtime_error("cannot make the filler file");
    static const char block[4096] = {};
    for (std::size_t size = sizeof block; size > 0;)
        if (write(fd, block, size) < 0) size /= 2;  // the last few bytes too
    off_t end = lseek(fd, 0, SEEK_END);
    if (leave > 0 && ftruncate(fd, end > static_cast<off_t>(leave) ? end - static_cast<off_t>(leave) : 0) != 0)
        throw std::runtime_error("cannot shorten the filler file");
    close(fd);
}

void SmallDisk::unfill() { std::remove((dir_.path() + "/filler").c_str()); }

unsigned long long SmallDisk::free_bytes() const {
    struct statvfs st {};
    if (statvfs(dir_.path().c_str(), &st) != 0) return 0;
    return static_cast<unsigned long long>(st.f_bavail) * st.f_frsize;
}

StoreLocation::StoreLocation(Backend backend) {
    if (backend == Backend::SQLite) {
        dir_ = std::make_unique<TempDir>();
        address_ = "sqlite:" + dir_->path() + "/varo.db";
    } else {
        db_ = std::make_unique<ScratchPgDatabase>();
        address_ = "pg:" + db_->conninfo();
    }
}

std::unique_ptr<varo::Db> StoreLocation::open_db() const {
    return dir_ ? varo::open_sqlite_db(address_.substr(7)) : varo::open_pg_db(address_.substr(3));
}

void StoreTest::SetUp() {
    if (GetParam() == Backend::PostgreSQL) REQUIRE_POSTGRES();
    location = std::make_unique<StoreLocation>(GetParam());
    store = location->open();
}

void StoreTest::TearDown() {
    store.reset();
    location.reset();
}

varo::TemplateDef sample_template(const std::string& name, int states) {
    varo::TemplateDef def;
    def.name = name;
    def.descr = "Watches one interface";
    const char* severities[] = {"Normal", "Minor", "Major", "Critical"};
    for (int i = 0; i < states; ++i)
        def.states.push_back({i == 0 ? "Ground" : "S" + std::to_string(i), "state " + std::to_string(i),
                              severities[i % 4], i % 2 ? "Poll" : "default_rate"});
    for (int i = 0; i + 1 < states; ++i) {
        varo::Transition t{def.states[i].name, def.states[i + 1].name, i % 2 ? "HighErrors" : "LinkDown", {}};
        t.actions.push_back({"COMMAND", "\"/usr/bin/logger\"", "\"state " + std::to_string(i + 1) + "\""});
        if (i % 3 == 0) t.actions.push_back({"MAIL", "\"ops@example.org\"", "\"went down\""});
        if (i % 5 == 4) t.actions.push_back({"CONDITION", "LinkDown", ""});
        def.transitions.push_back(t);
    }
    return def;
}

}  // namespace testenv
