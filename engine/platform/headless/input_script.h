#pragma once
// The headless backend's input: a script of timed key presses, focus changes
// and clicks, one "MS EVENT" a line.
#include <cstdint>
#include <string>
#include <vector>

namespace qt::platform {

struct ScriptedInput {
    uint32_t atMs = 0;
    enum class Kind { key, down, up, focusOut, focusIn, click, shiftClick } kind = Kind::key;
    uint32_t key = 0;  // virtual-key number for key / down / up
    int x = 0, y = 0;  // for the clicks
};

// Lines beginning with "#" and blank lines are skipped. Returns false at the
// first malformed line and sets `errorLine` (1-based) and `error` (UTF-8).
bool parseInputScript(const std::string& text, std::vector<ScriptedInput>& out, int& errorLine, std::string& error);

}  // namespace qt::platform
