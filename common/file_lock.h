#pragma once
// Files opened with a share lock (flock, never blocking, close-on-exec). A
// lock another process holds is the sharing violation.
#include <sys/types.h>

#include <string>

namespace qt {

enum class LockKind { shared, exclusive };
enum class OpenStatus { ok, notFound, sharingViolation, failed };

class LockedFile {
public:
    LockedFile() = default;
    ~LockedFile();
    LockedFile(LockedFile&& other) noexcept;
    LockedFile& operator=(LockedFile&& other) noexcept;
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    // `diskPath` is a path as the file system spells it (see resolveExisting).
    // O_CLOEXEC is always added to `flags`. Do not pass O_TRUNC: the file
    // would be cut before the lock is known to be ours; use ftruncate after.
    OpenStatus open(const std::string& diskPath, int flags, LockKind kind, mode_t mode = 0666);
    // Releases the lock and closes; returns false when close reports an error.
    bool close();

    int fd() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace qt
