#include "varo/file_write.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace varo {

namespace {

bool write_whole(int fd, const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A device, pipe or socket (/dev/null, /dev/stdout, a FIFO) is written to as it is: a file
// renamed over it would replace the device itself.
bool write_in_place(const std::string& path, const std::string& bytes, std::string* why) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    bool ok = fd >= 0 && write_whole(fd, bytes);
    int saved = errno;
    if (fd >= 0 && ::close(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (!ok && why) *why = std::strerror(saved);
    return ok;
}

}  // namespace

bool write_file_replacing(const std::string& path, const std::string& bytes, std::string* why) {
    struct stat st {};
    bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        if (why) *why = std::strerror(EISDIR);
        return false;
    }
    if (exists && !S_ISREG(st.st_mode)) return write_in_place(path, bytes, why);
    // A link keeps pointing at its file: the file it names is the one replaced.
    std::string target = path;
    struct stat link {};
    if (exists && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved)) target = resolved;
    }
    std::string temp = target + ".tmp." + std::to_string(getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, exists ? 0600 : 0644);
    auto fail = [&](int saved) {
        if (fd >= 0) ::close(fd);
        std::remove(temp.c_str());
        if (why) *why = std::strerror(saved);
        return false;
    };
    if (fd < 0) return fail(errno);
    // A file its owner made private stays private.
    if (exists) ::fchmod(fd, st.st_mode & 07777);
    if (!write_whole(fd, bytes)) return fail(errno);
    if (::fsync(fd) != 0) return fail(errno);
    int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return fail(errno);
    if (std::rename(temp.c_str(), target.c_str()) != 0) return fail(errno);
    return true;
}

}  // namespace varo
