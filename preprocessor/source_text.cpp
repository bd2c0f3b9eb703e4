#include "preprocessor/source_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/file_lock.h"
#include "common/paths.h"

namespace qt::pre {

bool SourceText::load(const char* cp932Path) {
    size_ = 0;
    const auto disk = resolveExisting(cp932Path);
    if (!disk) return false;
    LockedFile file;
    if (file.open(*disk, O_RDONLY, LockKind::shared) != OpenStatus::ok) return false;
    struct stat st;
    if (::fstat(file.fd(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (st.st_size <= 0 || static_cast<unsigned long long>(st.st_size) > kMaxSourceSize)
        return false;
    const size_t want = static_cast<size_t>(st.st_size);
    if (capacity_ < want + 2) {
        auto* grown = static_cast<unsigned char*>(std::malloc(want + 2));
        if (grown == nullptr) return false;
        data_.reset(grown);
        capacity_ = want + 2;
    }
    size_t got = 0;
    while (got < want) {
        const ssize_t n = ::read(file.fd(), data_.get() + got, want - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;  // the file shrank meanwhile: take what is there
        got += static_cast<size_t>(n);
    }
    if (got == 0) return false;
    data_.get()[got] = 0;
    data_.get()[got + 1] = 0;
    size_ = got;
    return true;
}

}  // namespace qt::pre
