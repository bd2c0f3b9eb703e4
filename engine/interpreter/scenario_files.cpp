#include "engine/interpreter/scenario_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "common/paths.h"
#include "common/scenario_format.h"
#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/messages.h"

namespace qt::engine {

namespace {

constexpr size_t kInitialCapacity = 1024;
constexpr char kCR = scenario::kLineEnd[0], kLF = scenario::kLineEnd[1];

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Reads the whole open file. Returns false for a folder or a read error.
bool readAll(int fd, char*& data, size_t& size, bool& noMemory) {
    noMemory = false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    size_t capacity = st.st_size > 0 ? static_cast<size_t>(st.st_size) : 1;
    char* buf = static_cast<char*>(std::malloc(capacity));
    if (buf == nullptr) {
        noMemory = true;
        return false;
    }
    size_t used = 0;
    for (;;) {
        if (used == capacity) {
            char* bigger = static_cast<char*>(std::realloc(buf, capacity * 2));
            if (bigger == nullptr) {
                std::free(buf);
                noMemory = true;
                return false;
            }
            buf = bigger;
            capacity *= 2;
        }
        const ssize_t n = ::read(fd, buf + used, capacity - used);
        if (n < 0) {
            std::free(buf);
            return false;
        }
        if (n == 0) break;
        used += static_cast<size_t>(n);
    }
    data = buf;
    size = used;
    return true;
}

}  // namespace

ScenarioFiles::~ScenarioFiles() {
    release();
    std::free(buffer_);
}

void ScenarioFiles::construct(Engine& engine, int32_t fileNumber) {
    engine_ = &engine;
    fileNumber_ = fileNumber;
    capacity_ = kInitialCapacity;
    buffer_ = static_cast<char*>(std::malloc(capacity_));
    if (buffer_ == nullptr) {
        capacity_ = 0;
        errexit(engine, msg::readerAllocFailed.cp932());
    }
}

void ScenarioFiles::release() {
    file_.close();
    std::free(data_);
    data_ = nullptr;
    size_ = pos_ = contentEnd_ = 0;
    device_ = inode_ = 0;
}

void ScenarioFiles::close() { release(); }

void ScenarioFiles::open(const char* path) {
    if (opened_) release();
    opened_ = true;
    ++opens_;
    lastLength_ = 0;
    std::strncpy(path_, path, sizeof path_ - 1);
    path_[sizeof path_ - 1] = '\0';

    OpenStatus status = OpenStatus::notFound;
    if (std::optional<std::string> disk = resolveExisting(path_)) {
        // A pipe would block the open until a writer came; readAll refuses it.
        status = file_.open(*disk, O_RDONLY | O_NONBLOCK, LockKind::exclusive);
    }
    if (status == OpenStatus::sharingViolation) {
        errexit(*engine_, msg::scenarioHeld.cp932());
    } else if (status == OpenStatus::ok) {
        struct stat st {};
        if (::fstat(file_.fd(), &st) == 0) {
            device_ = st.st_dev;
            inode_ = st.st_ino;
        }
        bool noMemory = false;
        if (!readAll(file_.fd(), data_, size_, noMemory)) {
            data_ = nullptr;
            size_ = 0;
            if (noMemory) errexit(*engine_, msg::readerAllocFailed.cp932());
        }
        contentEnd_ = size_;
        while (contentEnd_ > 0 && isBlank(data_[contentEnd_ - 1])) --contentEnd_;
    }

    lineNumber = 1;
    const char* header = nextField();
    const auto* h = reinterpret_cast<const unsigned char*>(header);
    if (h == nullptr || h[0] != scenario::kHeaderMarker[0] || h[1] != scenario::kHeaderMarker[1]) {
        showErrorBox(*engine_, msg::notPreprocessed.cp932());
    }
}

bool ScenarioFiles::relock() {
    if (file_.isOpen()) return true;
    const std::optional<std::string> disk = resolveExisting(path_);
    return disk && file_.open(*disk, O_RDONLY | O_NONBLOCK, LockKind::exclusive) == OpenStatus::ok;
}

const char* ScenarioFiles::nextField() {
    if (atEnd()) return nullptr;
    while (isBlank(data_[pos_])) ++pos_;  // atEnd() guarantees a non-blank byte follows

    const size_t start = pos_;
    size_t end = pos_;
    bool quoting = false;
    for (;;) {
        if (end >= size_) {
            pos_ = end;
            break;
        }
        const char c = data_[end];
        if (c == '"') {
            quoting = !quoting;
        } else if ((c == scenario::kArgSeparator && !quoting) || c == kLF || c == '\0') {
            pos_ = end + 1;
            break;
        } else if (c == kCR && (end + 1 == size_ || data_[end + 1] == kLF)) {
            pos_ = end + 1 == size_ ? size_ : end + 2;
            break;
        }
        ++end;
    }
    const size_t length = end - start;

    if (capacity_ <= length) {
        size_t capacity = capacity_ == 0 ? kInitialCapacity : capacity_;
        while (capacity <= length) capacity *= 2;
        char* bigger = static_cast<char*>(std::realloc(buffer_, capacity));
        if (bigger == nullptr) {
            errexit(*engine_, msg::readerAllocFailed.cp932());
            pos_ = size_;
            return nullptr;
        }
        buffer_ = bigger;
        capacity_ = capacity;
    }
    std::memcpy(buffer_, data_ + start, length);
    buffer_[length] = '\0';
    lastLength_ = length;
    return buffer_;
}

int32_t ScenarioFiles::fieldLength() const {
    if (atEnd()) return -1;
    return static_cast<int32_t>(lastLength_);
}

}  // namespace qt::engine
