#include "preprocessor/source_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include "common/cp932.h"
#include "common/file_lock.h"
#include "common/paths.h"

namespace qt::pre {

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// The line that `offset` stands on, counted as the conversion will count
// it: by CR LF, or by LF in a text that has no CR at all.
int32_t lineAt(std::string_view text, size_t offset) {
    const bool crLf = text.find('\r') != std::string_view::npos;
    int32_t line = 1;
    for (size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n' && (!crLf || (i > 0 && text[i - 1] == '\r'))) ++line;
    }
    return line;
}

}  // namespace

bool SourceText::reserve(size_t n) {
    if (capacity_ >= n + 2) return true;
    auto* grown = static_cast<unsigned char*>(std::realloc(data_.get(), n + 2));
    if (grown == nullptr) return false;
    static_cast<void>(data_.release());
    data_.reset(grown);
    capacity_ = n + 2;
    return true;
}

FailureDetail SourceText::load(const char* cp932Path) {
    size_ = 0;
    id_ = {};
    zeroByteLine_ = 0;
    const auto disk = resolveExisting(cp932Path);
    if (!disk) return {Failure::notFound};
    LockedFile file;
    // Not blocking: a FIFO would wait for a writer instead of being refused.
    switch (file.open(*disk, O_RDONLY | O_NONBLOCK, LockKind::shared)) {
        case OpenStatus::ok: break;
        case OpenStatus::notFound: return {Failure::notFound};
        case OpenStatus::sharingViolation: return {Failure::locked};
        case OpenStatus::failed: return {Failure::unreadable, errno};
    }
    struct stat st;
    if (::fstat(file.fd(), &st) != 0) return {Failure::unreadable, errno};
    if (!S_ISREG(st.st_mode)) return {Failure::notRegular};
    id_ = {st.st_dev, st.st_ino};
    if (st.st_size <= 0) return {Failure::empty};
    if (static_cast<unsigned long long>(st.st_size) > kMaxSourceSize) return {Failure::tooLarge};
    const size_t want = static_cast<size_t>(st.st_size);
    if (!reserve(want)) return {Failure::outOfMemory};
    size_t got = 0;
    while (got < want) {
        const ssize_t n = ::read(file.fd(), data_.get() + got, want - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return {Failure::unreadable, errno};
        if (n == 0) break;  // the file shrank meanwhile: take what is there
        got += static_cast<size_t>(n);
    }
    if (got == 0) return {Failure::empty};
    size_ = got;

    const std::string_view bytes(reinterpret_cast<const char*>(data_.get()), size_);
    const bool marked = bytes.starts_with(kByteOrderMark);
    // Shift-JIS text is seldom valid UTF-8, but can be; so all of it decides.
    const bool utf8 = marked || (std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; }) &&
                                 isValidUtf8(bytes));
    if (utf8) {
        const FailureDetail converted = fromUtf8(marked ? 3 : 0);
        if (converted.what != Failure::none) return converted;
    }
    if (!expandLineFeeds()) {
        size_ = 0;
        return {Failure::outOfMemory};
    }
    data_.get()[size_] = 0;
    data_.get()[size_ + 1] = 0;
    const unsigned char* text = data_.get();
    if (const void* found = std::memchr(text, 0, size_)) {
        const auto* zero = static_cast<const unsigned char*>(found);
        zeroByteLine_ = 1;
        for (const unsigned char* p = text + 1; p < zero; ++p) {
            if (p[0] == '\n' && p[-1] == '\r') ++zeroByteLine_;
        }
    }
    return {};
}

FailureDetail SourceText::fromUtf8(size_t skip) {
    const std::string_view utf8(reinterpret_cast<const char*>(data_.get()) + skip, size_ - skip);
    std::string cp932;
    const StrictConversion c = utf8ToCp932Strict(utf8, &cp932);
    if (c.status != StrictConversion::Status::ok) {
        size_ = 0;
        FailureDetail failure{c.status == StrictConversion::Status::notUtf8 ? Failure::notUtf8 : Failure::noCp932Form};
        failure.line = lineAt(utf8, c.offset);
        failure.character = c.character;
        return failure;
    }
    if (!reserve(cp932.size())) {
        size_ = 0;
        return {Failure::outOfMemory};
    }
    std::memcpy(data_.get(), cp932.data(), cp932.size());
    size_ = cp932.size();
    return {};
}

bool SourceText::expandLineFeeds() {
    const unsigned char* text = data_.get();
    if (std::memchr(text, '\r', size_) != nullptr) return true;
    const auto feeds = static_cast<size_t>(std::count(text, text + size_, '\n'));
    if (feeds == 0) return true;
    if (!reserve(size_ + feeds)) return false;
    // From the back, so that every byte moves once.
    unsigned char* p = data_.get();
    size_t from = size_;
    size_t to = size_ + feeds;
    while (from > 0) {
        const unsigned char c = p[--from];
        p[--to] = c;
        if (c == '\n') p[--to] = '\r';
    }
    size_ += feeds;
    return true;
}

}  // namespace qt::pre
