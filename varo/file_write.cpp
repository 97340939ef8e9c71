#include "varo/file_write.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace varo {

bool write_file_replacing(const std::string& path, const std::string& bytes, std::string* why) {
    std::string temp = path + ".tmp." + std::to_string(getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    auto fail = [&](int saved) {
        if (fd >= 0) ::close(fd);
        std::remove(temp.c_str());
        if (why) *why = std::strerror(saved);
        return false;
    };
    if (fd < 0) return fail(errno);
    for (std::size_t done = 0; done < bytes.size();) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(errno);
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) return fail(errno);
    int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return fail(errno);
    if (std::rename(temp.c_str(), path.c_str()) != 0) return fail(errno);
    return true;
}

}  // namespace varo
