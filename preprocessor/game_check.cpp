#include "preprocessor/game_check.h"

#include <climits>
#include <cstdlib>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <set>

#include "common/exe_folder.h"
#include "common/paths.h"
#include "common/sjis.h"
#include "engine/rules/engine_settings.h"
#include "engine/rules/scenario_messages.h"
#include "preprocessor/absolute_path.h"
#include "preprocessor/author_warnings.h"
#include "preprocessor/change_extension.h"
#include "preprocessor/check_report.h"
#include "preprocessor/converter.h"
#include "preprocessor/failure.h"
#include "preprocessor/file_list.h"
#include "preprocessor/folder_mode.h"
#include "preprocessor/page_layout.h"
#include "preprocessor/pre_messages.h"
#include "preprocessor/scenario_check.h"

namespace qt::pre {

namespace {

namespace rules = qt::engine;
using Kind = CheckReport::Kind;

struct Entry {
    std::string source, output;
    int32_t listLine = 0;  // in the file list; 0 for a file named on the command line
};

// The first display line of a page that would be drawn, wholly or in part,
// below the window, by the settings the engine reads; none when they are
// malformed (the engine says so itself).
int32_t firstHiddenPageLine() {
    rules::ListSetting base, font;
    if (!rules::readBasePos(base) || !rules::readFontSizeStyle(font)) return INT32_MAX;
    const int64_t baseY = base.number(1), size = std::max(font.number(0), 0);
    const int64_t pitch = rules::linePitchFor(font.number(0));
    const int64_t room = int64_t{rules::readScreenSizes().windowHeight} - size - baseY;
    if (room < 0) return 1;
    if (pitch <= 0) return INT32_MAX;
    return static_cast<int32_t>(std::min<int64_t>(room / pitch + 2, INT32_MAX));
}

// The line of `key` in an INI file (ASCII letters in any case), 1 when it
// has none.
int32_t iniKeyLine(const char* file, std::string_view key) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    for (int32_t n = 1; std::getline(in, line); ++n) {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.size() - start < key.size()) continue;
        bool same = true;
        for (size_t i = 0; i < key.size() && same; ++i) {
            same = (line[start + i] | 0x20) == (key[i] | 0x20);
        }
        const size_t after = line.find_first_not_of(" \t", start + key.size());
        if (same && after != std::string::npos && line[after] == '=') return n;
    }
    return 1;
}

// The line of the first byte that is no CP932 character: a text saved in
// another encoding. 0 when every byte is one.
int32_t firstNonCp932Line(const unsigned char* text) {
    int32_t line = 1;
    for (const unsigned char* p = text; *p != 0; ++p) {
        const unsigned char c = *p;
        if (c == '\n' && p != text && p[-1] == '\r') ++line;
        if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) continue;
        if (isLeadByte(c) != 0 && ((p[1] >= 0x40 && p[1] <= 0x7E) || (p[1] >= 0x80 && p[1] <= 0xFC))) {
            ++p;
            continue;
        }
        return line;
    }
    return 0;
}

// The line of the first CR that no LF follows: line ends of old Macintosh
// editors, which end no line here. 0 when there is none.
int32_t firstLoneCrLine(const unsigned char* text) {
    int32_t line = 1;
    for (const unsigned char* p = text; *p != 0; ++p) {
        if (*p != '\r') continue;
        if (p[1] != '\n') return line;
        ++line;
        ++p;
    }
    return 0;
}

// Strips the ": " that leads a reason written after a file name.
std::string afterColon(std::string_view v) {
    if (v.starts_with(": ")) v.remove_prefix(2);
    return std::string(v);
}

// One name for one file however a path spells it ("./a.txt", "A.TXT",
// "sub/../a.txt"): the real path of an existing file, otherwise the
// absolute path it would be created at.
std::string fileKey(std::string_view cp932Path) {
    if (const auto disk = resolveExisting(cp932Path)) {
        char real[PATH_MAX];
        if (::realpath(disk->c_str(), real) != nullptr) return real;
    }
    return absolutePath(exeFolderOnDisk(), resolveForCreate(cp932Path));
}

bool outputName(const std::string& source, const PreSettings& settings, std::string* output) {
    char name[kPathSize + 4];
    if (source.size() >= kPathSize) return false;
    std::memcpy(name, source.c_str(), source.size() + 1);
    if (changeExtension(name, kPathSize, settings.extAfter) == 0) return false;
    *output = name;
    return true;
}

bool endsWithExtension(std::string_view path, std::string_view ext) {
    if (path.size() <= ext.size() || path[path.size() - ext.size() - 1] != '.') return false;
    for (size_t i = 0; i < ext.size(); ++i) {
        if ((path[path.size() - ext.size() + i] | 0x20) != (ext[i] | 0x20)) return false;
    }
    return true;
}

// The entries of the file list, its duplicates reported.
bool listEntries(const PreSettings& settings, std::vector<Entry>* entries, CheckReport& report) {
    FileListReader reader;
    if (!reader.open(settings.fileListPath)) {
        const FailureDetail& why = reader.failure();
        const std::string text = why.what == Failure::notFound
                                     ? msg::listMissing.cp932() + "\t" + settings.fileListPath
                                     : describeFailure(why, settings.fileListPath, settings.fileListPath);
        report.add(Kind::error, settings.fileListPath, 1, text);
        return false;
    }
    std::map<std::string, int32_t> sources, outputs;
    for (;;) {
        char source[kPathSize], output[kPathSize];
        bool tooLong = false;
        const auto entry = reader.readEntry(source, kPathSize, output, kPathSize, &tooLong);
        if (tooLong) {
            report.add(Kind::error, settings.fileListPath, reader.entryLine(), msg::outputNameFailed.cp932());
            break;
        }
        if (entry == FileListReader::Entry::none) break;
        const int32_t line = reader.entryLine();
        entries->push_back({source, output, line});
        const auto [s, newSource] = sources.try_emplace(fileKey(source), line);
        if (!newSource) {
            report.add(Kind::error, settings.fileListPath, line,
                       msg::checkSameSource.cp932() + std::to_string(s->second) + msg::checkListLineEnd.cp932());
        }
        const auto [o, newOutput] = outputs.try_emplace(fileKey(output), line);
        if (!newOutput) {
            report.add(Kind::error, settings.fileListPath, line + 1,
                       msg::checkSameOutput.cp932() + std::to_string(o->second + 1) + msg::checkListLineEnd.cp932());
        }
        if (entry == FileListReader::Entry::lastEntry) break;
    }
    return true;
}

// The files named, and the source files of the folders named.
void namedEntries(const std::vector<std::string>& paths, const PreSettings& settings, std::vector<Entry>* entries,
                  CheckReport& report) {
    for (const std::string& path : paths) {
        std::vector<std::string> sources;
        if (folderExists(path)) {
            std::vector<std::string> names;
            if (const auto disk = resolveExisting(path)) findSourceFiles(*disk, settings.extBefore, &names);
            for (const std::string& name : names) sources.push_back(path + "/" + name);
        } else {
            sources.push_back(path);
        }
        for (const std::string& source : sources) {
            std::string output;
            if (!outputName(source, settings, &output)) {
                report.add(Kind::error, source, 1, msg::outputNameFailed.cp932());
                continue;
            }
            entries->push_back({source, output, 0});
        }
    }
}

struct Converted {
    const Entry* entry;
    std::string scenario;
    ConversionRecord record;
};

}  // namespace

int runCheck(const std::vector<std::string>& paths, const PreSettings& settings, const Console& console) {
    CheckReport report;
    std::vector<Entry> entries;
    const bool wholeGame = paths.empty();
    if (wholeGame) {
        listEntries(settings, &entries, report);
    } else {
        namedEntries(paths, settings, &entries, report);
    }
    // Without the engine's settings beside qPre, nothing that depends on them
    // is checked: the game may be played with settings kept elsewhere.
    const bool engineSettings = pathExists(rules::kIniFile);

    PageLayout layout;
    layout.pageWidth = settings.pageWidth;
    layout.pageHeight = settings.pageHeight;
    Converter converter(layout);
    converter.setIniPageSize(settings.pageWidth, settings.pageHeight);
    AuthorWarnings warnings;
    converter.setWarnings(&warnings);
    const int32_t hiddenFrom = engineSettings ? firstHiddenPageLine() : INT32_MAX;

    std::vector<Converted> converted;
    converted.reserve(entries.size());
    for (const Entry& entry : entries) {
        const std::string& source = entry.source;
        report.countSource();
        Converted& c = converted.emplace_back(Converted{&entry, {}, {}});
        c.record.hiddenFrom = hiddenFrom;
        if (fileKey(entry.output) == fileKey(source)) {
            report.add(Kind::error, source, 1, msg::reasonDestinationIsSource.cp932());
            converted.pop_back();
            continue;
        }
        if (converter.convertToMemory(source.c_str(), &c.scenario, &c.record) != 0) {
            const FailureDetail& why = converter.failure();
            // ": reason", or ": LINE:n: reason" for a line of the source.
            std::string reason(afterColon(describeFailure(why, "", "")));
            if (why.line != 0) reason = afterColon(reason.substr(reason.find(':', 5)));
            if (why.what == Failure::notFound && entry.listLine != 0) {
                report.add(Kind::error, settings.fileListPath, entry.listLine, source + ": " + reason);
            } else {
                report.add(Kind::error, source, why.line != 0 ? why.line : 1, reason);
            }
            converted.pop_back();
            continue;
        }
        for (const auto& [line, text] : c.record.errors) report.add(Kind::error, source, line, text);
        for (const auto& noted : warnings.each()) report.add(Kind::warning, source, noted.line, noted.text);
        if (const int32_t line = converter.zeroByteLine(); line != 0) {
            report.add(Kind::warning, source, line, afterColon(msg::reasonZeroByte.cp932()));
        }
        if (const int32_t line = firstNonCp932Line(converter.source().begin()); line != 0) {
            report.add(Kind::warning, source, line, msg::checkNotCp932.cp932());
        }
        if (const int32_t line = firstLoneCrLine(converter.source().begin()); line != 0) {
            report.add(Kind::warning, source, line, msg::checkLoneCr.cp932());
        }
        if (c.record.firstHiddenLine != 0) {
            report.add(Kind::warning, source, c.record.firstHiddenLine, msg::checkPageBelowWindow.cp932());
        }
    }

    std::set<std::string> produced;
    for (const Entry& entry : entries) produced.insert(fileKey(entry.output));
    const auto isProduced = [&](const char* path) { return produced.count(fileKey(path)) != 0; };
    ScenarioCheck walker(engineSettings);
    walker.setProduced(isProduced);
    if (wholeGame) {
        walker.setStale(
            [&](const char* path) { return endsWithExtension(path, settings.extAfter) && !isProduced(path); });
    }
    for (const Converted& c : converted) walker.walk(c.scenario, c.record, c.entry->source, report);

    if (wholeGame && engineSettings) {
        char first[kPathSize];
        rules::readFirstScenario(first, sizeof first);
        if (!pathExists(first) && !isProduced(first)) {
            report.add(Kind::error, rules::kIniFile, iniKeyLine(rules::kIniFile, "FirstScenario"),
                       rules::msg::firstScenarioMissing.cp932() + first);
        }
    }
    console.print(report.render());
    return report.clean() ? 0 : 1;
}

}  // namespace qt::pre
