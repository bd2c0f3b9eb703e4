#include "preprocessor/output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string_view>

#include "common/paths.h"

namespace qt::pre {

namespace {

constexpr char kTempMark[] = ".qpre-";
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

mode_t creationMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The temporary file a signal handler removes: its path is copied here
// before it counts, so the handler only unlinks.
char pendingTemp[PATH_MAX];
volatile sig_atomic_t pendingTempSet = 0;

extern "C" void removePendingTemp(int sig) {
    if (pendingTempSet != 0) ::unlink(pendingTemp);
    // The default action is back (SA_RESETHAND): the process ends of the
    // signal once the handler returns.
    ::raise(sig);
}

// Holds the cleanup signals back while the temporary file and its note in
// pendingTemp change together.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t set;
        sigemptyset(&set);
        for (const int sig : kCleanupSignals) sigaddset(&set, sig);
        ::sigprocmask(SIG_BLOCK, &set, &old_);
    }
    ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &old_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t old_;
};

void notePendingTemp(const std::string& path) {
    if (path.size() >= sizeof pendingTemp) return;  // mkostemp refuses such a path anyway
    std::memcpy(pendingTemp, path.c_str(), path.size() + 1);
    pendingTempSet = 1;
}

// The PID in a temporary file's name, or 0 when `name` is not one.
pid_t temporaryFileWriter(std::string_view name) {
    // "." NAME ".qpre-" PID "-" and six letters or digits.
    const size_t mark = name.rfind(kTempMark);
    if (name.size() < 2 || name[0] != '.' || mark == std::string_view::npos || mark < 2) return 0;
    const std::string_view rest = name.substr(mark + sizeof kTempMark - 1);
    const size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash > 9 || rest.size() != dash + 7) return 0;
    pid_t pid = 0;
    for (const char c : rest.substr(0, dash)) {
        if (c < '0' || c > '9') return 0;
        pid = pid * 10 + (c - '0');
    }
    for (const char c : rest.substr(dash + 1)) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return 0;
    }
    return pid;
}

// Temporary files whose writer is gone (killed, or crashed): the PID in the
// name is no process, and nobody holds the file's lock. A writer's own PID
// lives as long as it writes, so a file being written is never taken.
void removeAbandoned(const std::string& folder) {
    static std::set<std::string> swept;
    if (!swept.insert(folder).second) return;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* e = ::readdir(dir)) {
        const pid_t writer = temporaryFileWriter(e->d_name);
        if (writer == 0 || writer == ::getpid()) continue;
        if (::kill(writer, 0) == 0 || errno != ESRCH) continue;
        const std::string path = folder + e->d_name;
        LockedFile file;
        if (file.open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK, LockKind::exclusive) != OpenStatus::ok) {
            continue;
        }
        struct stat st;
        if (::fstat(file.fd(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
    }
    ::closedir(dir);
}

}  // namespace

void removeTemporaryFileOnSignals() {
    for (const int sig : kCleanupSignals) {
        struct sigaction old {};
        // A signal the caller chose to ignore (nohup) stays ignored.
        if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = removePendingTemp;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(sig, &action, nullptr);
    }
}

OutputFile::~OutputFile() { discard(); }

void OutputFile::openInMemory(std::string* memory) {
    discard();
    failed_ = false;
    error_ = 0;
    memory_ = memory;
    memory_->clear();
}

OutputFile::OpenResult OutputFile::open(const char* cp932Path, const FileId* source) {
    discard();
    memory_ = nullptr;
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
            // Renamed onto, the source would be lost: it is read, not yet converted.
            if (source != nullptr && FileId{st.st_dev, st.st_ino} == *source) return OpenResult::isSource;
            mode = st.st_mode & 07777;
        }
        // Held for the whole conversion: the engine cannot open the old file
        // meanwhile, and one it is playing is never replaced.
        switch (destLock_.open(dest, O_WRONLY, LockKind::exclusive)) {
            case OpenStatus::ok:
            case OpenStatus::notFound: break;
            case OpenStatus::sharingViolation: return OpenResult::locked;
            case OpenStatus::failed: error_ = errno; return OpenResult::failed;
        }
    }

    const size_t slash = dest.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : dest.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? dest : dest.substr(slash + 1);
    removeAbandoned(folder);
    std::string temp = folder + "." + name + kTempMark + std::to_string(::getpid()) + "-XXXXXX";
    const SignalsHeld held;
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        error_ = errno;
        destLock_.close();
        return OpenResult::failed;
    }
    ::flock(fd, LOCK_EX | LOCK_NB);
    notePendingTemp(temp);
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
    if (memory_ != nullptr) {
        memory_->append(p, left);
        return;
    }
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
    if (memory_ != nullptr) {
        flush();
        memory_ = nullptr;
        return true;
    }
    if (fd_ < 0) return false;
    flush();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && !failed_) {
        failed_ = true;
        error_ = errno;
    }
    {
        const SignalsHeld held;
        if (!failed_ && ::rename(tempPath_.c_str(), destPath_.c_str()) != 0) {
            failed_ = true;
            error_ = errno;
        }
        if (failed_) ::unlink(tempPath_.c_str());
        pendingTempSet = 0;
    }
    tempPath_.clear();
    destLock_.close();
    return !failed_;
}

void OutputFile::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        const SignalsHeld held;
        ::unlink(tempPath_.c_str());
        pendingTempSet = 0;
    }
    tempPath_.clear();
    used_ = 0;
    memory_ = nullptr;
    destLock_.close();
}

}  // namespace qt::pre
