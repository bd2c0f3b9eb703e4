#pragma once
// Reading the engine's settings file: the screen keys.
#include "engine/rules/engine_settings.h"

namespace qt::engine {

struct Engine;

// screensizeWidth/Height, wincsizeWidth/Height, scaleMode and fullscreen.
void readScreenSettings(Engine& engine);

}  // namespace qt::engine
