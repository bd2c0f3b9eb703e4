#pragma once
// Making one of the two backends.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/platform/backend.h"

namespace qt::platform {

struct SdlOptions {
    // False leaves message boxes on standard error only (unattended runs
    // under a virtual display, where nobody can press OK).
    bool messageBoxes = true;
};

// The SDL2 desktop. Null when no window system can be reached; `error` then
// says why (UTF-8) and suggests --headless.
std::unique_ptr<Backend> createSdlBackend(std::string& error);
std::unique_ptr<Backend> createSdlBackend(const SdlOptions& options, std::string& error);

// One line of a headless input script: "MS EVENT".
struct ScriptedInput {
    uint32_t atMs = 0;
    enum class Kind { key, down, up, focusOut, focusIn, click, shiftClick } kind = Kind::key;
    uint32_t key = 0;  // virtual-key number for key / down / up
    int x = 0, y = 0;  // for the clicks
};

// Parses an input script. Lines beginning with "#" and blank lines are
// skipped. Returns false at the first malformed line and sets `errorLine`
// (1-based) and `error` (UTF-8).
bool parseInputScript(const std::string& text, std::vector<ScriptedInput>& out, int& errorLine,
                      std::string& error);

struct HeadlessOptions {
    std::vector<ScriptedInput> input;  // sorted by time as written
    uint32_t startMs = 0;              // the virtual clock at start (restarts go on)
    uint32_t untilMs = 600000;         // the window closes when the clock reaches this
    int displayWidth = 1920, displayHeight = 1080;
};

std::unique_ptr<Backend> createHeadlessBackend(const HeadlessOptions& options);

}  // namespace qt::platform
