#pragma once
// The file list: pairs of lines, source path then output path, CR LF ended
// (or LF ended in a list without any CR).
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/file_lock.h"
#include "preprocessor/failure.h"

namespace qt::pre {

class FileListReader {
public:
    enum class Entry { entry, lastEntry, none };
    enum class LineResult { line, endOfFile, tooLong, failure };

    // Opens an existing list and keeps it locked, exclusively, until it is
    // closed: two runs on one list would each carry the page position of
    // their own files on. Closes any list open before. False when it is no
    // readable list; failure() tells why.
    bool open(const char* cp932Path);
    const FailureDetail& failure() const { return failure_; }
    // The next entry; `tooLong` tells that a line did not fit its buffer
    // (the list ends there).
    Entry readEntry(char* source, size_t sourceSize, char* output, size_t outputSize, bool* tooLong = nullptr);

    // The line of the list on which the last entry's source path stands.
    int32_t entryLine() const { return entryLine_; }

    LineResult readLine(char* buffer, size_t size);
    LineResult skipLine();

private:
    static constexpr size_t kChunk = 4096;
    static constexpr size_t kKeep = 2;  // bytes a step back may reach

    // A byte (0-255), -1 at the end of the file, -2 when the read failed.
    int readByte();
    void stepBack(size_t n) { pos_ -= n; }
    // Decides how lines end from the whole file; false for CR alone.
    bool probeLineEnds();

    LockedFile file_;
    FailureDetail failure_;
    bool lineFeedEnds_ = false;
    int32_t nextLine_ = 1;
    int32_t entryLine_ = 0;
    unsigned char buffer_[kKeep + kChunk];
    size_t pos_ = 0;
    size_t end_ = 0;
};

class FileListWriter {
public:
    // Opens (creating if missing) for appending, with an exclusive lock.
    bool open(const char* cp932Path);
    // Appends CR LF CR LF, the source path, CR LF, the output path. False
    // when nothing is open or the write failed.
    bool writeEntry(const char* source, const char* output);

private:
    LockedFile file_;
};

}  // namespace qt::pre
