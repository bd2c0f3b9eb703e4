#pragma once
// Reads what the X server shows, for comparing with what was presented.
#include "engine/platform/surface.h"

#include <string>

namespace qt::platform::test {

// The root window's pixels in the rectangle; false when the display cannot
// be opened or the rectangle is not on the screen.
bool grabScreen(const std::string& display, int x, int y, int w, int h, Surface& out);

}  // namespace qt::platform::test
