#pragma once
// The command line of qRun. Without arguments the engine runs on the
// desktop exactly as always; everything else is an option.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/platform/headless/input_script.h"

namespace qt::engine {

struct AppOptions {
    bool headless = false;
    std::string inputPath;  // absolute
    std::vector<platform::ScriptedInput> input;
    std::string captureDir;  // absolute
    uint32_t untilMs = 600000;
    std::string tracePath;                  // absolute
    int outputWidth = 0, outputHeight = 0;  // headless drawable; 0: the client area
    bool fullscreen = false;
    bool author = false;
    // --from FILE:LINE: FILE as given, and made absolute from the folder
    // qRun was started in.
    std::string fromFile, fromFileAbsolute;
    uint32_t fromLine = 0;
    // Carried over by a restart.
    uint32_t startMs = 0;
    bool restarted = false;
    uint32_t firstWait = 0;
};

// Parses argv. Returns true to run; false to end at once with `exitCode`
// (0 after --help, 2 for a usage error, reported on standard error).
bool parseOptions(int argc, char** argv, AppOptions& options, int& exitCode);

// The arguments that start the same run again, going on at `startMs`.
std::vector<std::string> restartArguments(const AppOptions& options, uint32_t startMs, uint32_t waitsSoFar);
// F5: the same run again from "FILE:LINE" (none: from the beginning), on
// the desktop too.
std::vector<std::string> reloadArguments(const AppOptions& options, uint32_t startMs, uint32_t waitsSoFar,
                                         const std::string& from);

}  // namespace qt::engine
