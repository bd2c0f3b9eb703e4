#pragma once
// The destination of one conversion. Bytes collect in a buffer and go to a
// temporary file beside the destination; commit renames it into place, so a
// failed conversion never leaves a half-written or missing destination.
// The temporary file is ".NAME.qpre-PID-XXXXXX", PID being its writer's.
#include <cstddef>
#include <cstring>
#include <string>

#include "common/file_lock.h"
#include "preprocessor/file_id.h"

namespace qt::pre {

class OutputFile {
public:
    enum class OpenResult { ok, locked, notRegular, isSource, failed };

    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // `cp932Path` names the destination. A destination another process holds
    // locked (the engine playing it) is `locked`, and one that is the file
    // `source` is `isSource`; nothing is created then. After `failed`,
    // error() tells why. Temporary files whose writer is gone are removed
    // from the destination's folder first (once per folder and process).
    OpenResult open(const char* cp932Path, const FileId* source = nullptr);
    // Collects the bytes in `memory` instead (emptied first); no file is
    // touched, and commit succeeds.
    void openInMemory(std::string* memory);
    // Bytes put since the open (in memory only).
    size_t memorySize() const { return memory_ == nullptr ? 0 : memory_->size() + used_; }

    void put(char c) {
        if (used_ == kBufferSize) flush();
        buffer_[used_++] = c;
    }
    void put(const char* bytes, size_t n) {
        if (n <= kBufferSize - used_) {
            std::memcpy(buffer_ + used_, bytes, n);
            used_ += n;
        } else {
            putSlow(bytes, n);
        }
    }
    template <size_t N>
    void putText(const char (&text)[N]) {
        put(text, N - 1);
    }

    // Writes what is buffered, closes and renames onto the destination.
    // False on any failed write, close or rename; the temporary file is then
    // removed and the previous destination stays as it was.
    bool commit();
    // Drops the temporary file; the destination is not touched.
    void discard();

    bool isOpen() const { return fd_ >= 0; }
    // The system's error number of the last failed open or commit.
    int error() const { return error_; }

private:
    static constexpr size_t kBufferSize = 64 * 1024;

    void flush();
    void putSlow(const char* bytes, size_t n);

    LockedFile destLock_;
    int fd_ = -1;
    bool failed_ = false;
    int error_ = 0;
    std::string tempPath_;
    std::string destPath_;
    std::string* memory_ = nullptr;
    size_t used_ = 0;
    char buffer_[kBufferSize];
};

// From now on SIGINT, SIGTERM and SIGHUP (unless ignored) remove the
// temporary file of the conversion under way before they end the process.
void removeTemporaryFileOnSignals();

}  // namespace qt::pre
