#pragma once
// The qPre beside qRun, run over its file list for F5.
#include <string>

namespace qt::engine {

// Runs "qPre --batch" in qRun's folder and waits for it. 0 when it
// converted the list without a report; otherwise its exit code, 1 for a
// report on standard error, -1 when it could not run. `messages` (UTF-8):
// its reports, or what it printed when it reported nothing.
int runQPreBeside(std::string& messages);

}  // namespace qt::engine
