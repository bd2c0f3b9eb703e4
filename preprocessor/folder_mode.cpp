#include "preprocessor/folder_mode.h"

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/cp932.h"
#include "common/exe_folder.h"
#include "common/paths.h"
#include "common/report.h"
#include "preprocessor/change_extension.h"
#include "preprocessor/pre_messages.h"

namespace qt::pre {

namespace {

constexpr char kNewLine[] = "\r\n";

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c; }

bool endsWithNoCase(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    const std::string_view tail = name.substr(name.size() - suffix.size());
    for (size_t i = 0; i < suffix.size(); ++i) {
        if (foldAscii(tail[i]) != foldAscii(suffix[i])) return false;
    }
    return true;
}

char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 0x20) : c; }

// Letters compared in upper case, as the Windows file system orders names.
bool lessNoCaseThenBytes(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(upperAscii(a[i]));
        const auto y = static_cast<unsigned char>(upperAscii(b[i]));
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

}  // namespace

bool findSourceFiles(const std::string& diskFolder, std::string_view ext, std::vector<std::string>* names) {
    names->clear();
    DIR* dir = ::opendir(diskFolder.c_str());
    if (dir == nullptr) return false;
    std::string suffix(1, '.');
    suffix.append(ext);
    while (const dirent* e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        std::string name = utf8ToCp932(e->d_name);
        // "*." alone stands for names without an extension.
        const bool match = ext.empty() ? name.find('.') == std::string::npos : endsWithNoCase(name, suffix);
        if (match) names->push_back(std::move(name));
    }
    ::closedir(dir);
    std::sort(names->begin(), names->end(), lessNoCaseThenBytes);
    return true;
}

void runFolderMode(const std::string& folder, const PreSettings& settings, const Console& console,
                   FileListWriter* writer) {
    if (writer != nullptr && !writer->open(settings.fileListPath)) return;
    console.print(msg::folderStart.cp932() + "\t" + settings.fileListPath + kNewLine);

    const std::string_view exe = exeFolder;
    std::string relative;
    bool below = false;
    if (folder == exe) {
        below = true;
    } else if (folder.size() > exe.size() && folder.compare(0, exe.size(), exe) == 0 && folder[exe.size()] == '/') {
        below = true;
        relative = folder.substr(exe.size() + 1);
    }
    if (!below) {
        console.print(msg::folderNotBelow.cp932() + kNewLine);
    } else {
        if (!relative.empty()) relative += '/';
        std::vector<std::string> names;
        const auto disk = resolveExisting(folder);
        if (writer == nullptr || !disk || !findSourceFiles(*disk, settings.extBefore, &names) || names.empty()) {
            console.print(msg::folderNoMatch.cp932() + kNewLine);
        }
        for (const std::string& name : names) {
            const std::string source = relative + name;
            char output[kPathSize + 4];
            if (source.size() >= kPathSize) {
                console.print(msg::outputNameFailed.cp932() + kNewLine);
                break;
            }
            std::memcpy(output, source.c_str(), source.size() + 1);
            if (changeExtension(output, kPathSize, settings.extAfter) == 0) {
                console.print(msg::outputNameFailed.cp932() + kNewLine);
                break;
            }
            if (!writer->writeEntry(source.c_str(), output)) {
                std::fflush(stdout);
                reportToStderr(settings.fileListPath, msg::listWriteFailed.cp932());
                break;
            }
        }
    }
    console.print(msg::folderEnd.cp932() + kNewLine);
}

}  // namespace qt::pre
