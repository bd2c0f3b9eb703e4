#include "preprocessor/output_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "common/paths.h"

namespace qt::pre {

namespace {

mode_t creationMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

OutputFile::~OutputFile() { discard(); }

OutputFile::OpenResult OutputFile::open(const char* cp932Path) {
    discard();
    failed_ = false;
    error_ = 0;
    used_ = 0;
    std::string dest = resolveForCreate(cp932Path);
    if (dest.empty()) {
        error_ = ENOENT;
        return OpenResult::failed;
    }

    mode_t mode = creationMode();
    struct stat st;
    if (::lstat(dest.c_str(), &st) == 0) {
        // Replace the file a link points to, not the link.
        char real[PATH_MAX];
        if (S_ISLNK(st.st_mode) && ::realpath(dest.c_str(), real) != nullptr) dest = real;
        if (::stat(dest.c_str(), &st) == 0) {
            if (!S_ISREG(st.st_mode)) return OpenResult::notRegular;
            mode = st.st_mode & 07777;
        }
        // Held for the whole conversion: the engine cannot open the old file
        // meanwhile, and one it is playing is never replaced.
        switch (destLock_.open(dest, O_WRONLY, LockKind::exclusive)) {
            case OpenStatus::ok:
            case OpenStatus::notFound:
                break;
            case OpenStatus::sharingViolation:
                return OpenResult::locked;
            case OpenStatus::failed:
                error_ = errno;
                return OpenResult::failed;
        }
    }

    const size_t slash = dest.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : dest.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? dest : dest.substr(slash + 1);
    std::string temp = folder + "." + name + ".qpre-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        error_ = errno;
        destLock_.close();
        return OpenResult::failed;
    }
    ::flock(fd, LOCK_EX | LOCK_NB);
    ::fchmod(fd, mode);
    fd_ = fd;
    tempPath_ = std::move(temp);
    destPath_ = std::move(dest);
    return OpenResult::ok;
}

void OutputFile::putSlow(const char* bytes, size_t n) {
    while (n > 0) {
        if (used_ == kBufferSize) flush();
        const size_t take = std::min(n, kBufferSize - used_);
        std::memcpy(buffer_ + used_, bytes, take);
        used_ += take;
        bytes += take;
        n -= take;
    }
}

void OutputFile::flush() {
    const char* p = buffer_;
    size_t left = used_;
    used_ = 0;
    if (failed_ || fd_ < 0) return;
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            failed_ = true;
            error_ = n < 0 ? errno : EIO;
            return;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
}

bool OutputFile::commit() {
    if (fd_ < 0) return false;
    flush();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && !failed_) {
        failed_ = true;
        error_ = errno;
    }
    if (!failed_ && ::rename(tempPath_.c_str(), destPath_.c_str()) != 0) {
        failed_ = true;
        error_ = errno;
    }
    if (failed_) ::unlink(tempPath_.c_str());
    tempPath_.clear();
    destLock_.close();
    return !failed_;
}

void OutputFile::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        ::unlink(tempPath_.c_str());
    }
    tempPath_.clear();
    used_ = 0;
    destLock_.close();
}

}  // namespace qt::pre
