#include "preprocessor/converted_position.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "common/paths.h"
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

// Lines as the conversion counts them (by CR LF); a last line end begins
// no line.
int32_t lineCount(const SourceText& text) {
    const std::string_view bytes(reinterpret_cast<const char*>(text.begin()), text.size());
    int32_t lines = 0;
    for (size_t at = 0; (at = bytes.find("\r\n", at)) != std::string_view::npos; at += 2) ++lines;
    return bytes.ends_with("\r\n") ? lines : lines + 1;
}

void ignoreReport(std::string_view, std::string_view) {}

// The bytes the conversion of `source` writes before line `line` begins,
// after the `before` entries (their page position carries on, as in one run
// of the list); all in memory.
Located convertedOffset(const PreSettings& settings, const std::vector<Entry>& before, const std::string& sourceCp932,
                        int32_t line, int64_t& offset) {
    PageLayout layout;
    layout.pageWidth = settings.pageWidth;
    layout.pageHeight = settings.pageHeight;
    Converter converter(layout);
    converter.setIniPageSize(settings.pageWidth, settings.pageHeight);
    converter.setReportSink(ignoreReport);
    std::string output;
    for (const Entry& e : before) {
        ConversionRecord ignored;
        converter.convertToMemory(e.source.c_str(), &output, &ignored);
    }
    ConversionRecord record;
    if (converter.convertToMemory(sourceCp932.c_str(), &output, &record) != 0) return Located::failed;
    if (line > lineCount(converter.source())) return Located::pastEnd;
    // Lines inside a comment begin no step: the first that does at or after it.
    const auto at = std::find_if(record.lineStarts.begin(), record.lineStarts.end(),
                                 [&](const std::pair<size_t, int32_t>& start) { return start.second >= line; });
    offset = static_cast<int64_t>(at == record.lineStarts.end() ? output.size() : at->first);
    return Located::found;
}

// `sourceCp932` as the converter opens it, `sourceDisk` as on disk.
Located sourcePosition(const PreSettings& settings, const std::vector<Entry>& before, const std::string& sourceCp932,
                       const std::string& sourceDisk, const std::optional<std::string>& outputDisk, int32_t line,
                       ConvertedPosition& out) {
    if (!outputDisk) return Located::notConverted;
    const auto source = statOf(sourceDisk), output = statOf(*outputDisk);
    if (!source || !output) return Located::notConverted;
    out.output = *outputDisk;
    out.line = 0;
    out.stale = source->st_mtim.tv_sec > output->st_mtim.tv_sec ||
                (source->st_mtim.tv_sec == output->st_mtim.tv_sec && source->st_mtim.tv_nsec > output->st_mtim.tv_nsec);
    return convertedOffset(settings, before, sourceCp932, line, out.offset);
}

}  // namespace

Located locateConverted(const std::string& diskPath, int32_t line, ConvertedPosition& out) {
    const auto st = statOf(diskPath);
    if (!st) return Located::notConverted;
    const FileId file = idOf(*st);
    const PreSettings settings = loadSettings();
    // A converted file needs no list (which another qPre may hold just now).
    if (sameExtension(diskPath, settings.extAfter)) {
        out = {diskPath, line, -1, false};
        return Located::found;
    }

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
        return sourcePosition(settings, before, entries[i].source, diskPath, resolveExisting(entries[i].output), line,
                              out);
    }
    const std::string output = withExtension(diskPath, settings.extAfter);
    // The converter takes CP932 paths; one on disk is found by its bytes too.
    return sourcePosition(settings, {}, diskPath, diskPath, statOf(output) ? std::optional(output) : std::nullopt, line,
                          out);
}

}  // namespace qt::pre
