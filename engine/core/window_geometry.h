#pragma once
// Where the window goes and how large its client area is.
#include <cstdint>
#include <string>

#include "engine/platform/backend.h"

namespace qt::engine {

// Centred from the client size (the frame and the corrections left out);
// every halving is an arithmetic shift. The client area is the window size
// plus the corrections.
platform::WindowSpec windowSpecFor(const platform::DisplayMetrics& display, int32_t windowWidth, int32_t windowHeight,
                                   int32_t widthP, int32_t heightP, const std::string& titleCp932);

}  // namespace qt::engine
