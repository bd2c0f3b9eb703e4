#pragma once
// Reader of preprocessed scenario files: opened for exclusive use, checked
// for the header marker, handed out one field at a time.
#include <cstddef>
#include <cstdint>

#include "common/file_lock.h"
#include "engine/rules/field_reader.h"

namespace qt::engine {

struct Engine;

class ScenarioFiles {
public:
    ScenarioFiles() = default;
    ~ScenarioFiles();
    ScenarioFiles(const ScenarioFiles&) = delete;
    ScenarioFiles& operator=(const ScenarioFiles&) = delete;

    // Allocates the field buffer (errexit when it cannot be had).
    void construct(Engine& engine, int32_t fileNumber);

    // Closes the file played so far and opens `path` (CP932, as written). A
    // file another process holds ends the engine through errexit; any other
    // failure leaves the reader at its end. Checks the header marker.
    void open(const char* path);

    // The next field (valid until the next call), or null at the end.
    const char* nextField();
    // -1 at the end of the file (only blanks left counts as the end);
    // otherwise the length of the last field.
    int32_t fieldLength() const;
    const char* fileName() const { return path_; }
    // Releases the file and its lock.
    void close();
    // Lets go of the lock alone: the fields read on from memory. relock()
    // takes it again on the file the path names now; false when it cannot.
    void unlock() { file_.close(); }
    bool relock();
    // The open file as the file system knows it (0, 0 when none is open).
    bool isFile(uint64_t device, uint64_t inode) const {
        return data_ != nullptr && device == device_ && inode == inode_;
    }
    uint64_t device() const { return device_; }
    uint64_t inode() const { return inode_; }
    // The byte where the next field is looked for.
    size_t position() const { return fields_.position(); }
    // Files opened so far, counting one opened again.
    uint32_t opens() const { return opens_; }

    int32_t lineNumber = 0;

private:
    bool atEnd() const { return fields_.atEnd(); }
    void release();

    Engine* engine_ = nullptr;
    int32_t fileNumber_ = 0;
    bool opened_ = false;  // some file has been opened (the ",,N,U,L,L,," mark gone)
    LockedFile file_;
    char* data_ = nullptr;  // the whole file
    size_t size_ = 0;
    FieldReader fields_;
    char* buffer_ = nullptr;
    size_t capacity_ = 0;
    size_t lastLength_ = 0;
    uint64_t device_ = 0, inode_ = 0;
    uint32_t opens_ = 0;
    char path_[261] = {};
};

}  // namespace qt::engine
