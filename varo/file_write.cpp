#include "varo/file_write.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/random.h>
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

std::string random_temporary_name(const std::string& target) {
    unsigned char random[8] = {0};
    for (std::size_t got = 0; got < sizeof random;) {
        ssize_t n = getrandom(random + got, sizeof random - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;  // never on Linux since 3.17; the exclusive open still holds
        got += static_cast<std::size_t>(n);
    }
    static const char hex[] = "0123456789abcdef";
    std::string name = target + ".tmp." + std::to_string(getpid()) + ".";
    for (unsigned char c : random) name += std::string{hex[c >> 4], hex[c & 15]};
    return name;
}

bool write_file_replacing(const std::string& path, const std::string& bytes, std::string* why, unsigned new_file_mode,
                          const TemporaryName& temporary_name) {
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
    // In a folder others may write (/tmp), a name made here could already be a link to any
    // file: the temporary file is only ever a new one, and what is in the way stays as it is.
    const std::string temp = temporary_name(target);
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    exists ? 0600 : static_cast<mode_t>(new_file_mode & 0777));
    if (fd < 0) {
        int saved = errno;
        if (why) *why = "cannot make the temporary file " + temp + ": " + std::strerror(saved);
        return false;
    }
    auto fail = [&](int saved) {
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        if (why) *why = std::strerror(saved);
        return false;
    };
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
