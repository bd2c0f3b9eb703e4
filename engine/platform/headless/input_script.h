#pragma once
// The headless backend's input: a script of timed key presses, focus changes,
// clicks, wheel steps and game-controller buttons, one "MS EVENT" a line.
#include <cstdint>
#include <string>
#include <vector>

namespace qt::platform {

struct ScriptedInput {
    uint32_t atMs = 0;
    enum class Kind { key, down, up, focusOut, focusIn, click, shiftClick, rightClick, drag, wheel } kind = Kind::key;
    uint32_t key = 0;    // virtual-key number for key / down / up
    bool alt = false;    // "key alt+KEY": Alt held around the key
    int x = 0, y = 0;    // for the clicks; where a drag starts
    int x2 = 0, y2 = 0;  // where a drag ends
    int steps = 0;       // wheel: 1 down, -1 up
};

// Lines beginning with "#" and blank lines are skipped. Returns false at the
// first malformed line and sets `errorLine` (1-based) and `error` (UTF-8).
bool parseInputScript(const std::string& text, std::vector<ScriptedInput>& out, int& errorLine, std::string& error);

}  // namespace qt::platform
