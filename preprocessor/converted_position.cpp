#include "preprocessor/converted_position.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

#include "common/cp932.h"
#include "common/paths.h"
#include "common/scenario_format.h"
#include "preprocessor/converter.h"
#include "preprocessor/file_id.h"
#include "preprocessor/file_list.h"
#include "preprocessor/pre_settings.h"

namespace qt::pre {

namespace {

struct Entry {
    std::string source, output;  // CP932, as listed
};

std::optional<struct stat> statOf(const std::string& disk) {
    struct stat st {};
    if (::stat(disk.c_str(), &st) != 0) return std::nullopt;
    return st;
}

FileId idOf(const struct stat& st) { return {st.st_dev, st.st_ino}; }

std::optional<FileId> listedId(const std::string& cp932) {
    const std::optional<std::string> disk = resolveExisting(cp932);
    if (!disk) return std::nullopt;
    const auto st = statOf(*disk);
    return st ? std::optional(idOf(*st)) : std::nullopt;
}

bool sameExtension(std::string_view path, std::string_view ext) {
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos) return ext.empty();
    const std::string_view has = path.substr(dot + 1);
    return std::equal(has.begin(), has.end(), ext.begin(), ext.end(),
                      [](char a, char b) { return (a | 0x20) == (b | 0x20); });
}

std::string withExtension(const std::string& path, std::string_view ext) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    const size_t stem = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : path.size();
    return path.substr(0, stem) + "." + std::string(ext);
}

// Where line `line` begins, lines ended as the conversion ends them: by CR
// LF, or by LF in a text without any CR. npos past the last line.
size_t lineStart(std::string_view text, int32_t line) {
    if (line <= 1) return 0;
    const bool crLf = text.find('\r') != std::string_view::npos;
    int32_t at = 1;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (!crLf || (i > 0 && text[i - 1] == '\r')) && ++at == line) {
            // A last line end begins no line.
            return i + 1 < text.size() ? i + 1 : std::string_view::npos;
        }
    }
    return std::string_view::npos;
}

bool readsAsUtf8(std::string_view bytes) {
    return bytes.starts_with("\xEF\xBB\xBF") ||
           (std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; }) && isValidUtf8(bytes));
}

// A folder of its own for the conversions, gone with everything in it.
class Scratch {
public:
    Scratch() {
        const char* tmp = ::getenv("TMPDIR");
        std::string name = std::string(tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp") + "/qrun-from-XXXXXX";
        if (::mkdtemp(name.data()) != nullptr) path_ = name;
    }
    ~Scratch() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    bool ready() const { return !path_.empty(); }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void ignoreReport(std::string_view, std::string_view) {}

// The bytes the conversion of `source` writes before line `line` begins:
// the converter runs over the source cut there, after the `before` entries
// (their page position carries on, as in one run of the list).
Located convertedOffset(const PreSettings& settings, const std::vector<Entry>& before, const std::string& sourceDisk,
                        int32_t line, int64_t& offset) {
    std::ifstream in(sourceDisk, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t cut = lineStart(bytes, line);
    if (cut == std::string::npos) return Located::pastEnd;
    std::string prefix = bytes.substr(0, cut);
    // A cut Shift-JIS text may look like UTF-8; a trailing comment holding
    // a byte UTF-8 never has keeps it read as the whole file is.
    if (!readsAsUtf8(bytes) && readsAsUtf8(prefix)) prefix += "//\x80";
    if (prefix.empty()) {
        offset = sizeof scenario::kHeaderLine - 1;
        return Located::found;
    }
    Scratch scratch;
    if (!scratch.ready()) return Located::failed;
    PageLayout layout;
    layout.pageWidth = settings.pageWidth;
    layout.pageHeight = settings.pageHeight;
    Converter converter(layout);
    converter.setIniPageSize(settings.pageWidth, settings.pageHeight);
    converter.setReportSink(ignoreReport);
    for (size_t i = 0; i < before.size(); ++i) {
        converter.convertFile(before[i].source.c_str(), scratch.file(std::to_string(i) + ".out").c_str());
    }
    std::ofstream(scratch.file("source"), std::ios::binary) << prefix;
    const std::string converted = scratch.file("source.out");
    if (converter.convertFile(scratch.file("source").c_str(), converted.c_str()) != 0) return Located::failed;
    std::error_code ec;
    const auto size = std::filesystem::file_size(converted, ec);
    if (ec) return Located::failed;
    offset = static_cast<int64_t>(size);
    return Located::found;
}

Located sourcePosition(const PreSettings& settings, const std::vector<Entry>& before, const std::string& sourceDisk,
                       const std::optional<std::string>& outputDisk, int32_t line, ConvertedPosition& out) {
    if (!outputDisk) return Located::notConverted;
    const auto source = statOf(sourceDisk), output = statOf(*outputDisk);
    if (!source || !output) return Located::notConverted;
    out.output = *outputDisk;
    out.line = 0;
    out.stale = source->st_mtim.tv_sec > output->st_mtim.tv_sec ||
                (source->st_mtim.tv_sec == output->st_mtim.tv_sec && source->st_mtim.tv_nsec > output->st_mtim.tv_nsec);
    return convertedOffset(settings, before, sourceDisk, line, out.offset);
}

}  // namespace

Located locateConverted(const std::string& diskPath, int32_t line, ConvertedPosition& out) {
    const auto st = statOf(diskPath);
    if (!st) return Located::notConverted;
    const FileId file = idOf(*st);
    const PreSettings settings = loadSettings();

    std::vector<Entry> entries;
    {  // closed at once: a qPre started next needs the list
        FileListReader list;
        if (list.open(settings.fileListPath)) {
            char source[kPathSize], output[kPathSize];
            for (;;) {
                const auto entry = list.readEntry(source, sizeof source, output, sizeof output);
                if (entry == FileListReader::Entry::none) break;
                entries.push_back({source, output});
                if (entry == FileListReader::Entry::lastEntry) break;
            }
        } else if (list.failure().what != Failure::notFound) {
            return Located::listInUse;
        }
    }

    for (const Entry& e : entries) {
        if (listedId(e.output) == file) {
            out = {diskPath, line, -1, false};
            return Located::found;
        }
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        if (listedId(entries[i].source) != file) continue;
        const std::vector<Entry> before(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(i));
        return sourcePosition(settings, before, diskPath, resolveExisting(entries[i].output), line, out);
    }
    if (sameExtension(diskPath, settings.extAfter)) {
        out = {diskPath, line, -1, false};
        return Located::found;
    }
    const std::string output = withExtension(diskPath, settings.extAfter);
    return sourcePosition(settings, {}, diskPath, statOf(output) ? std::optional(output) : std::nullopt, line, out);
}

}  // namespace qt::pre
