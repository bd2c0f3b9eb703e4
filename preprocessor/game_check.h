#pragma once
// qPre --check: converts in memory, writes nothing, and lists every problem
// the conversion or the engine would meet in the whole game (the file list)
// or in the files and folders named.
#include <string>
#include <vector>

#include "preprocessor/console.h"
#include "preprocessor/pre_settings.h"

namespace qt::pre {

// `paths` are absolute CP932 paths; none: every entry of the file list. The
// working folder is qPre's, which is the engine's as well. The exit code: 0
// when nothing was found, 1 otherwise.
int runCheck(const std::vector<std::string>& paths, const PreSettings& settings, const Console& console);

}  // namespace qt::pre
