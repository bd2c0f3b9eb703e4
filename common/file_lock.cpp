#include "common/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace qt {

LockedFile::~LockedFile() { close(); }

LockedFile::LockedFile(LockedFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

LockedFile& LockedFile::operator=(LockedFile&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

OpenStatus LockedFile::open(const std::string& diskPath, int flags, LockKind kind, mode_t mode) {
    close();
    const int fd = ::open(diskPath.c_str(), flags | O_CLOEXEC, mode);
    if (fd < 0) return errno == ENOENT ? OpenStatus::notFound : OpenStatus::failed;
#ifdef __EMSCRIPTEN__
    // One page, one process: nobody to share the file with.
    (void)kind;
#else
    const int op = (kind == LockKind::shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    if (::flock(fd, op) != 0) {
        const int err = errno;
        ::close(fd);
        return err == EWOULDBLOCK ? OpenStatus::sharingViolation : OpenStatus::failed;
    }
#endif
    fd_ = fd;
    return OpenStatus::ok;
}

bool LockedFile::close() {
    if (fd_ < 0) return true;
    const int fd = std::exchange(fd_, -1);
    return ::close(fd) == 0;
}

}  // namespace qt
