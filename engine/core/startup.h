#pragma once
// The engine from start to end: start-up in its fixed order, the message
// loop, and the restart after F12.
#include <functional>

namespace qt::engine {

struct Engine;

// Start-up after the executable's folder has been found and entered: the
// settings, the window, the screens, the body text, the first scenario.
// False when the process is to end at once (exit code 1).
bool startUp(Engine& engine);

// Runs the engine on `engine.backend` with `engine.host` as the scenario
// side. `restart` is called after the loop when F12 ended it, once the
// scenario file has been released. Returns the process exit code.
int runEngine(Engine& engine, const std::function<void(Engine&)>& restart);

}  // namespace qt::engine
