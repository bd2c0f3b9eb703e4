#include "preprocessor/file_list.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/paths.h"

namespace qt::pre {

bool FileListReader::open(const char* cp932Path) {
    file_.close();
    pos_ = end_ = 0;
    lineFeedEnds_ = false;
    nextLine_ = 1;
    entryLine_ = 0;
    failure_ = {};
    const auto disk = resolveExisting(cp932Path);
    if (!disk) {
        failure_ = {Failure::notFound};
        return false;
    }
    // Not blocking: a FIFO would wait for a writer.
    switch (file_.open(*disk, O_RDONLY | O_NONBLOCK, LockKind::exclusive)) {
        case OpenStatus::ok: break;
        case OpenStatus::notFound: failure_ = {Failure::notFound}; return false;
        case OpenStatus::sharingViolation: failure_ = {Failure::listInUse}; return false;
        case OpenStatus::failed: failure_ = {Failure::unreadable, errno}; return false;
    }
    struct stat st;
    if (::fstat(file_.fd(), &st) != 0) {
        failure_ = {Failure::unreadable, errno};
    } else if (!S_ISREG(st.st_mode)) {
        failure_ = {Failure::notRegular};
    } else if (!probeLineEnds()) {
        failure_ = {Failure::listCrAlone};
    }
    if (failure_.what == Failure::none) return true;
    file_.close();
    return false;
}

bool FileListReader::probeLineEnds() {
    bool cr = false;
    bool lf = false;
    unsigned char chunk[kChunk];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(file_.fd(), chunk, sizeof chunk, at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // a failed read is met again by readEntry
        cr = cr || std::memchr(chunk, '\r', static_cast<size_t>(n)) != nullptr;
        lf = lf || std::memchr(chunk, '\n', static_cast<size_t>(n)) != nullptr;
        at += n;
    }
    // As in sources: LF ends lines only where no CR ever does.
    lineFeedEnds_ = lf && !cr;
    return lf || !cr;
}

int FileListReader::readByte() {
    if (pos_ == end_) {
        // Keep the last bytes so that a step back still finds them.
        const size_t keep = end_ < kKeep ? end_ : kKeep;
        std::memmove(buffer_, buffer_ + end_ - keep, keep);
        pos_ = end_ = keep;
        ssize_t n;
        do {
            n = ::read(file_.fd(), buffer_ + end_, kChunk);
        } while (n < 0 && errno == EINTR);
        if (n < 0) return -2;
        if (n == 0) return -1;
        end_ += static_cast<size_t>(n);
    }
    return buffer_[pos_++];
}

FileListReader::LineResult FileListReader::readLine(char* buffer, size_t size) {
    size_t pos = 0;
    for (;;) {
        if (pos > size - 2) {
            buffer[size - 1] = '\0';
            return LineResult::tooLong;
        }
        const int c = readByte();
        if (c == -2) return LineResult::failure;
        if (c == -1) {
            buffer[pos] = '\0';
            return LineResult::endOfFile;
        }
        if (c == '\n' && lineFeedEnds_) {
            buffer[pos] = '\0';
            return LineResult::line;
        }
        if (c == '\r') {
            const int next = readByte();
            if (next == -2) return LineResult::failure;
            if (next == '\n' || next == -1) {
                buffer[pos] = '\0';
                return next == '\n' ? LineResult::line : LineResult::endOfFile;
            }
            stepBack(1);
            continue;  // a CR inside a line is dropped
        }
        buffer[pos++] = static_cast<char>(c);
    }
}

FileListReader::LineResult FileListReader::skipLine() {
    for (;;) {
        const int c = readByte();
        if (c == -2) return LineResult::failure;
        if (c == -1) return LineResult::endOfFile;
        if (c == '\n' && lineFeedEnds_) return LineResult::line;
        if (c != '\r') continue;
        const int next = readByte();
        if (next == -2) return LineResult::failure;
        if (next == -1) return LineResult::endOfFile;
        if (next == '\n') return LineResult::line;
        stepBack(1);
    }
}

FileListReader::Entry FileListReader::readEntry(char* source, size_t sourceSize, char* output, size_t outputSize,
                                                bool* tooLong) {
    if (tooLong != nullptr) *tooLong = false;
    if (!file_.isOpen()) return Entry::none;
    for (;;) {
        const int first = readByte();
        if (first < 0) return Entry::none;
        if (first == '\n' && lineFeedEnds_) {  // an empty line
            ++nextLine_;
            continue;
        }
        const int second = readByte();
        if (second < 0) return Entry::none;
        if (first == '\r' && second == '\n') {  // an empty line
            ++nextLine_;
            continue;
        }
        if (first == ';') {
            stepBack(1);
            if (skipLine() != LineResult::line) return Entry::none;
            ++nextLine_;
            continue;
        }
        stepBack(2);
        break;
    }
    entryLine_ = nextLine_;
    nextLine_ += 2;
    const LineResult sourceResult = readLine(source, sourceSize);
    if (sourceResult != LineResult::line) {
        if (sourceResult == LineResult::tooLong && tooLong != nullptr) *tooLong = true;
        return Entry::none;
    }
    switch (readLine(output, outputSize)) {
        case LineResult::line: return Entry::entry;
        case LineResult::endOfFile: return Entry::lastEntry;
        case LineResult::tooLong:
            if (tooLong != nullptr) *tooLong = true;
            return Entry::lastEntry;
        case LineResult::failure: break;
    }
    return Entry::none;
}

bool FileListWriter::open(const char* cp932Path) {
    file_.close();
    const std::string disk = resolveForCreate(cp932Path);
    return file_.open(disk, O_WRONLY | O_APPEND | O_CREAT, LockKind::exclusive) == OpenStatus::ok;
}

bool FileListWriter::writeEntry(const char* source, const char* output) {
    if (!file_.isOpen()) return false;
    std::string entry = "\r\n\r\n";
    entry += source;
    entry += "\r\n";
    entry += output;
    const char* p = entry.data();
    size_t left = entry.size();
    while (left > 0) {
        const ssize_t n = ::write(file_.fd(), p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace qt::pre
