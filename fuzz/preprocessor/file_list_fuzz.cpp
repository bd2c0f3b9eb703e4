// The file list reader on arbitrary list bytes, with the driver's buffer size
// and with a tiny one: no crash, no overrun, the same entries on a second
// read, no line end inside a path, and a tiny buffer that agrees with the
// driver's size wherever nothing was cut. Only the list is read: entries
// name arbitrary paths, so nothing is converted.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "common/exe_folder.h"
#include "preprocessor/file_list.h"

namespace {

using qt::pre::FileListReader;

std::string folder;
std::string listPath;

void removeFolder() {
    ::unlink(listPath.c_str());
    ::rmdir(folder.c_str());
}

struct Read {
    FileListReader::Entry kind;
    std::string source;
    std::string output;
    bool tooLong;
    bool operator==(const Read&) const = default;
};

// A buffer's text, trapping when it holds no terminator.
std::string text(const char* buffer, size_t size) {
    const void* end = std::memchr(buffer, '\0', size);
    if (end == nullptr) __builtin_trap();
    return std::string(buffer, static_cast<const char*>(end));
}

// Every entry up to and including the one that ends the list.
std::vector<Read> readAll(FileListReader& reader, size_t size) {
    std::vector<Read> got;
    std::vector<char> source(size), output(size);
    for (;;) {
        // Filled so that a missing terminator shows.
        std::memset(source.data(), 'x', size);
        std::memset(output.data(), 'x', size);
        bool tooLong = true;
        const auto kind = reader.readEntry(source.data(), size, output.data(), size, &tooLong);
        if (kind == FileListReader::Entry::none) {
            got.push_back({kind, "", "", tooLong});
            return got;
        }
        got.push_back({kind, text(source.data(), size), text(output.data(), size), tooLong});
        if (kind == FileListReader::Entry::lastEntry) return got;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (folder.empty()) {
        char shm[] = "/dev/shm/qt_fuzz_listXXXXXX";
        char tmp[] = "/tmp/qt_fuzz_listXXXXXX";
        const char* made = mkdtemp(shm);
        if (made == nullptr) made = mkdtemp(tmp);
        if (made == nullptr) std::abort();
        folder = made;
        listPath = folder + "/filelist.ini";
        std::atexit(removeFolder);
    }
    FILE* f = std::fopen(listPath.c_str(), "wb");
    if (f == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);

    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const bool hasCr = bytes.find('\r') != std::string_view::npos;
    const bool hasLf = bytes.find('\n') != std::string_view::npos;
    FileListReader reader;
    const bool opened = reader.open(listPath.c_str());
    // Only a list with CR but no LF at all is refused.
    if (opened != (hasLf || !hasCr)) __builtin_trap();
    if (!opened) {
        if (reader.failure().what != qt::pre::Failure::listCrAlone) __builtin_trap();
        return 0;
    }

    const std::vector<Read> whole = readAll(reader, qt::kPathSize);
    if (!reader.open(listPath.c_str())) __builtin_trap();
    if (readAll(reader, qt::kPathSize) != whole) __builtin_trap();
    // Each entry but the one that ends the list takes two line ends.
    if (whole.size() > size / 2 + 1) __builtin_trap();

    // Dropped CRs aside, every path is a run of the list's own bytes.
    std::string stripped;
    for (const char c : bytes)
        if (c != '\r') stripped += c;
    for (const Read& r : whole) {
        for (const std::string* path : {&r.source, &r.output}) {
            if (path->size() > qt::kPathSize - 1) __builtin_trap();
            if (path->find('\r') != std::string::npos) __builtin_trap();
            if (!hasCr && path->find('\n') != std::string::npos) __builtin_trap();
            if (stripped.find(*path) == std::string::npos) __builtin_trap();
        }
        if (r.tooLong && size < qt::kPathSize - 1) __builtin_trap();
    }

    // Up to the first cut, a tiny buffer reads what the driver's size reads.
    constexpr size_t kTiny = 6;
    if (!reader.open(listPath.c_str())) __builtin_trap();
    const std::vector<Read> tiny = readAll(reader, kTiny);
    for (size_t i = 0; i < tiny.size(); ++i) {
        if (i >= whole.size()) __builtin_trap();
        if (tiny[i].source.size() > kTiny - 1 || tiny[i].output.size() > kTiny - 1) __builtin_trap();
        if (tiny[i].tooLong) {
            if (!whole[i].source.starts_with(tiny[i].source)) __builtin_trap();
            break;
        }
        if (tiny[i] != whole[i]) __builtin_trap();
        if (i + 1 == tiny.size() && tiny.size() != whole.size()) __builtin_trap();
    }
    return 0;
}
