#include "engine/interpreter/scenario_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "common/paths.h"
#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/messages.h"

namespace qt::engine {

namespace {

constexpr size_t kInitialCapacity = 1024;

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
    size_ = 0;
    fields_.reset(nullptr, 0);
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
        fields_.reset(data_, size_);
    }

    lineNumber = 1;
    if (!isHeaderField(nextField())) showErrorBox(*engine_, msg::notPreprocessed.cp932());
}

bool ScenarioFiles::relock() {
    if (file_.isOpen()) return true;
    const std::optional<std::string> disk = resolveExisting(path_);
    return disk && file_.open(*disk, O_RDONLY | O_NONBLOCK, LockKind::exclusive) == OpenStatus::ok;
}

const char* ScenarioFiles::nextField() {
    const std::optional<std::string_view> field = fields_.next();
    if (!field) return nullptr;
    const size_t length = field->size();

    if (capacity_ <= length) {
        size_t capacity = capacity_ == 0 ? kInitialCapacity : capacity_;
        while (capacity <= length) capacity *= 2;
        char* bigger = static_cast<char*>(std::realloc(buffer_, capacity));
        if (bigger == nullptr) {
            errexit(*engine_, msg::readerAllocFailed.cp932());
            fields_.reset(nullptr, 0);
            return nullptr;
        }
        buffer_ = bigger;
        capacity_ = capacity;
    }
    std::memcpy(buffer_, field->data(), length);
    buffer_[length] = '\0';
    lastLength_ = length;
    return buffer_;
}

int32_t ScenarioFiles::fieldLength() const {
    if (atEnd()) return -1;
    return static_cast<int32_t>(lastLength_);
}

}  // namespace qt::engine
