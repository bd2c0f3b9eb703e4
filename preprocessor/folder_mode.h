#pragma once
// Folder mode: the file list gains one entry for every source file of a
// folder at or below the executable's folder.
#include <string>
#include <string_view>
#include <vector>

#include "preprocessor/console.h"
#include "preprocessor/file_list.h"
#include "preprocessor/pre_settings.h"

namespace qt::pre {

// Names (CP932) in the folder `diskFolder` whose extension is `ext`, without
// regard to ASCII letter case, sorted case-insensitively and then bytewise.
// False when the folder cannot be searched.
bool findSourceFiles(const std::string& diskFolder, std::string_view ext, std::vector<std::string>* names);

// `folder` is the absolute, normalised CP932 path from the command line.
// Without a `writer` (a folder that does not exist) the console lines are the
// same, and the file list is neither created nor opened.
void runFolderMode(const std::string& folder, const PreSettings& settings, const Console& console,
                   FileListWriter* writer);

}  // namespace qt::pre
