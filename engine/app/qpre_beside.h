#pragma once
// The qPre beside qRun, run over its file list for F5.
#include <string>

namespace qt::engine {

// Runs "qPre --batch" in qRun's folder and waits for it: its exit code,
// with what it wrote (standard output and error, in order, UTF-8) in
// `messages`; -1 when it could not be started, `messages` saying why.
int runQPreBeside(std::string& messages);

}  // namespace qt::engine
