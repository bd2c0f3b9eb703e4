#include "engine/app/from_line.h"

#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "common/cp932.h"
#include "common/exe_folder.h"
#include "common/paths.h"
#include "engine/core/error_reports.h"
#include "engine/core/messages.h"
#include "preprocessor/converted_position.h"

namespace qt::engine {

namespace {

std::optional<std::string> findFile(const AppOptions& options) {
    struct stat st {};
    if (::stat(options.fromFileAbsolute.c_str(), &st) == 0) return options.fromFileAbsolute;
    // As paths in scenarios and settings are found: from qRun's folder,
    // written with "\" or in another letter case.
    const std::string& file = options.fromFile;
    return resolveExisting(isValidUtf8(file) ? utf8ToCp932(file) : file);
}

}  // namespace

bool locateFrom(const AppOptions& options, ScenarioLine& target) {
    target.name = options.fromFile + ":" + std::to_string(options.fromLine);
    if (!getExeFolder(exeFolder) || ::chdir(exeFolderOnDisk()) != 0) {
        note(msg::folderNotEntered.utf8() + std::string(exeFolderOnDisk()));
        return false;
    }
    const std::optional<std::string> disk = findFile(options);
    if (!disk) {
        note(msg::fromNoFile.utf8() + options.fromFile);
        return false;
    }
    pre::ConvertedPosition position;
    switch (pre::locateConverted(*disk, static_cast<int32_t>(options.fromLine), position)) {
        case pre::Located::found: break;
        case pre::Located::notConverted: note(msg::fromNotConverted.utf8() + options.fromFile); return false;
        case pre::Located::pastEnd: note(msg::fromPastEnd.utf8() + target.name); return false;
        case pre::Located::listInUse: note(msg::fromListUnreadable.utf8() + options.fromFile); return false;
        case pre::Located::failed: note(msg::fromNotConvertible.utf8() + target.name); return false;
    }
    struct stat st {};
    if (::stat(position.output.c_str(), &st) != 0) {
        note(msg::fromNotConverted.utf8() + options.fromFile);
        return false;
    }
    if (position.stale) note(msg::fromStale.utf8() + options.fromFile);
    target.device = st.st_dev;
    target.inode = st.st_ino;
    target.line = position.line;
    target.offset = position.offset;
    return true;
}

}  // namespace qt::engine
