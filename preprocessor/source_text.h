#pragma once
// The whole source file in memory as CP932 with CR LF line ends, followed by
// two 0 bytes. The buffer is kept for the run and grows only when a larger
// file comes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "preprocessor/failure.h"
#include "preprocessor/file_id.h"

namespace qt::pre {

inline constexpr size_t kMaxSourceSize = 1048576;

class SourceText {
public:
    // Reads the file. A file that begins with the UTF-8 byte-order mark, or
    // that is valid UTF-8 throughout and holds a byte above 0x7F, is UTF-8
    // and converted to CP932; any other file is CP932 as it stands. A file
    // with no CR at all gets a CR before every LF. Failure::none when the
    // text is there; otherwise the text is empty.
    FailureDetail load(const char* cp932Path);

    const unsigned char* begin() const { return data_.get(); }
    size_t size() const { return size_; }
    // The file that was read.
    const FileId& id() const { return id_; }
    // The line (counted by CR LF) of the first 0 byte within the text, which
    // ends the text there; 0 when there is none.
    int32_t zeroByteLine() const { return zeroByteLine_; }

private:
    struct Free {
        void operator()(unsigned char* p) const { std::free(p); }
    };
    // Room for `n` bytes and the two 0 bytes, keeping what the buffer holds.
    bool reserve(size_t n);
    FailureDetail fromUtf8(size_t skip);
    bool expandLineFeeds();

    std::unique_ptr<unsigned char, Free> data_;
    size_t capacity_ = 0;
    size_t size_ = 0;
    FileId id_;
    int32_t zeroByteLine_ = 0;
};

}  // namespace qt::pre
