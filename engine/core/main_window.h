#pragma once
// The one window: made, shown and destroyed on the backend with the message
// queue told, and its picture presented.
#include <cstdint>

#include "engine/platform/backend.h"

namespace qt::engine {

struct Engine;

// The window hidden, its picture dark grey; false when it cannot be made.
bool createMainWindow(Engine& engine, const platform::WindowSpec& shape);
void showMainWindow(Engine& engine);
// Destroys the window when it still exists (the loop then ends).
void destroyMainWindow(Engine& engine);
bool mainWindowExists(const Engine& engine);
// Shows the client picture as it is now.
void presentMainWindow(Engine& engine);
// Author mode: the title from the settings, then the scenario file and line.
void showLineInTitle(Engine& engine, const char* fileCp932, int32_t line);

}  // namespace qt::engine
